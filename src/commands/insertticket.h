#pragma once

#include "protocol/authenticatedcommandinterface.h"
#include "protocol/commandinterface.h"
#include "protocol/failurereportingcommandinterface.h"
#include "protocol/noabicommandinterface.h"

#include <QObject>

namespace Corvane {
namespace Model {
    class Ticket;
}

namespace Command {

    /// Opens a support ticket, or adds a message to one, by sending the ticket document. Created
    /// by the ticket model for one request; reports the new ticket's code, or the server's
    /// refusal, to it.
    class InsertTicket final : public QObject,
                               public Interface::CommandInterface,
                               public Interface::AuthenticatedCommandInterface,
                               public Interface::NoAbiCommandInterface,
                               public Interface::FailureReportingCommandInterface {
        Q_OBJECT
    public:
        /// A new ticket.
        InsertTicket(const QString& text, const QString& subject, const QString& email,
            Model::Ticket* model);
        /// A new message on the ticket with that id.
        InsertTicket(const QString& text, const QString& ticketId, Model::Ticket* model);

        QString getPath() const override;
        QMap<QString, QString> getParameters() const override;
        void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;
        void useFailure(const QString& code, const QString& description) override;

        /// The document sent to the server, before its outer Base64 layer.
        QString buildDocument() const;
        QString getTicketCode() const { return ticketCode; }
        /// A message for an existing ticket, not a new ticket.
        bool isMessage() const { return !ticketId.isEmpty(); }

    private:
        QString ticketId;
        QString email;
        QString subject;
        QString text;
        Model::Ticket* model;
        QString ticketCode;
    };

}
}
