#pragma once

#include "models/abstractpaginatedtable.h"

namespace Corvane {
namespace Command {
    class InsertTicket;
    class TicketUserEmail;
}

namespace Model {

    /// The consortium's support tickets, each row in its state's colour, and the opening of new
    /// tickets and messages. Created by the flow manager, which hands it to the ticket windows;
    /// asks once, at creation, for the user's e-mail address for reply notices.
    class Ticket final : public AbstractPaginatedTable {
        Q_OBJECT
    public:
        explicit Ticket(CommandManager* commandManager, QObject* parent = nullptr);

        QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

        void fetch() override;
        void fetchPage() override;

        void insertTicket(const QString& text, const QString& subject, const QString& email);
        void insertMessage(const QString& ticketId, const QString& text);
        QString getUserEmail() const { return userEmail; }

        void manageTicketInserted(Command::InsertTicket* command);
        void manageMessageInserted(Command::InsertTicket* command);
        void setUserEmail(Command::TicketUserEmail* command);

    signals:
        void ticketDetailRetrived();
        void ticketInsertionCompleted(const QString& code);
        void ticketMessageInsertionCompleted();
        void ticketUserEmailRetrived();

    private:
        void queueSearch();

        QString userEmail;
    };

}
}
