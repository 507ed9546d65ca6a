#pragma once

#include "models/abstractpaginatedtable.h"

#include <QColor>
#include <QDateTime>
#include <QPointer>

namespace Corvane {

class TicketMessage;

namespace Command {
    class InsertTicket;
    class TicketDetail;
    class TicketUserEmail;
}

namespace Model {

    /// The consortium's support tickets, each row in its state's colour, and the opening of new
    /// tickets and messages, and the conversation of the ticket chosen in the list. Created by
    /// the flow manager, which hands it to the ticket windows; asks once, at creation, for the
    /// user's e-mail address for reply notices. Owns the messages of the conversation.
    class Ticket final : public AbstractPaginatedTable {
        Q_OBJECT
    public:
        explicit Ticket(CommandManager* commandManager, QObject* parent = nullptr);

        QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

        void insertTicket(const QString& text, const QString& subject, const QString& email);
        void insertMessage(const QString& ticketId, const QString& text);
        QString getUserEmail() const { return userEmail; }

        void manageTicketInserted(Command::InsertTicket* command);
        void manageMessageInserted(Command::InsertTicket* command);
        /// The server refused the ticket or message with a code the client does not expect.
        void manageInsertionRefused(
            Command::InsertTicket* command, const QString& code, const QString& description);
        void setUserEmail(Command::TicketUserEmail* command);

        /// Chooses the ticket of that row and asks for its conversation. The previous ticket's
        /// conversation goes at once, and a reply still on its way for it is dropped.
        void fetchDetail(const QModelIndex& index);
        void setTicketDetail(Command::TicketDetail* command);

        // The chosen ticket, as its row of the list read when it was chosen.
        QString getTicketId() const;
        /// Invalid when the list's date could not be read.
        QDateTime getTicketDateTime() const;
        QColor getTicketColour() const;
        QString getTicketCode() const;
        QString getTicketSubject() const;
        QString getTicketState() const;
        QString getTicketText() const { return ticketText; }
        QString getTicketUserType() const { return ticketUserType; }
        /// The conversation in reply order; the model owns the messages.
        QList<TicketMessage*> getTicketMessages() const { return ticketMessages; }

    signals:
        void ticketDetailRetrived();
        void ticketInsertionCompleted(const QString& code);
        /// The server refused the new ticket with the code and its description, or, with an
        /// empty code, took it but gave back no ticket code.
        void ticketInsertionFailed(const QString& code, const QString& description);
        void ticketMessageInsertionCompleted();
        void ticketMessageInsertionFailed(const QString& code, const QString& description);
        void ticketUserEmailRetrived();

    private:
        QObject* createSearch(const SearchFilters& filters, int start) override;
        void queueDetail();
        void clearConversation();

        QString userEmail;
        DataRow selectedRow;
        QString ticketText;
        QString ticketUserType;
        QList<TicketMessage*> ticketMessages;
        QPointer<QObject> pendingDetail;
    };

}
}
