#pragma once

#include "protocol/authenticatedcommandinterface.h"
#include "protocol/commandinterface.h"
#include "protocol/noabicommandinterface.h"

#include <QObject>

namespace Corvane {
namespace Model {
    class Ticket;
}

namespace Command {

    /// The request of one support ticket and its conversation. Created by the ticket model for
    /// one request, with the id of the ticket chosen then; hands the records back to it.
    class TicketDetail final : public QObject,
                               public Interface::CommandInterface,
                               public Interface::AuthenticatedCommandInterface,
                               public Interface::NoAbiCommandInterface {
        Q_OBJECT
    public:
        TicketDetail(Model::Ticket* model, const QString& ticketId);

        QString getPath() const override;
        QMap<QString, QString> getParameters() const override;
        void useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows) override;

        QList<DataRow> getRows() const { return rows; }

    private:
        Model::Ticket* model;
        QString ticketId;
        QList<DataRow> rows;
    };

}
}
