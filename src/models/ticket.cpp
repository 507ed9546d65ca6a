#include "models/ticket.h"

#include "app/logging.h"
#include "commands/insertticket.h"
#include "commands/ticket.h"
#include "commands/ticketuseremail.h"
#include "models/cellstyle.h"
#include "ui/paginator.h"

namespace Corvane::Model {

Ticket::Ticket(CommandManager* commandManager, QObject* parent)
    : AbstractPaginatedTable(commandManager, parent)
{
    for (const char* key : { "ticket_id", "data_inserimento_formattata", "stato_colore" })
        addColumn(QString::fromLatin1(key), QString::fromLatin1(key));
    addColumn(QStringLiteral("codice"), QStringLiteral("Codice"));
    addColumn(QStringLiteral("oggetto"), QStringLiteral("Oggetto"));
    addColumn(QStringLiteral("data"), QStringLiteral("Data"));
    addColumn(QStringLiteral("stato"), QStringLiteral("Stato"));
    execute(new Command::TicketUserEmail(this));
}

QVariant Ticket::data(const QModelIndex& index, int role) const
{
    if (!isCell(index))
        return {};
    if (role == Qt::ForegroundRole)
        return serverColour(getValue(index.row(), QStringLiteral("stato_colore")));
    if (role == Qt::TextAlignmentRole) {
        const int column = index.column();
        return column == 3 || column == 5 || column == 6 ? centred() : QVariant();
    }
    return AbstractPaginatedTable::data(index, role);
}

void Ticket::fetch()
{
    qCDebug(corvaneLog) << "Starting fetching Ticket list from the server";
    clearForNewSearch();
    queueSearch();
}

void Ticket::fetchPage()
{
    qCDebug(corvaneLog) << "STarting fetching data from the starting page"
                        << getPaginator()->getStart();
    queueSearch();
}

void Ticket::queueSearch()
{
    execute(new Command::Ticket(this, getSearchFilters(), getPaginator()));
}

void Ticket::insertTicket(const QString& text, const QString& subject, const QString& email)
{
    execute(new Command::InsertTicket(text, subject, email, this));
}

void Ticket::insertMessage(const QString& ticketId, const QString& text)
{
    execute(new Command::InsertTicket(text, ticketId, this));
}

void Ticket::manageTicketInserted(Command::InsertTicket* command)
{
    // Called last for every insertion reply, a new message's included.
    const QString code = command->getTicketCode();
    release(command);
    if (code.isEmpty()) {
        qCWarning(corvaneLog) << "No new ticket code was provided by the server on new ticket "
                                 "insertion";
        return;
    }
    emit ticketInsertionCompleted(code);
}

void Ticket::manageMessageInserted(Command::InsertTicket* command)
{
    if (!command->getTicketCode().isEmpty()) {
        qCWarning(corvaneLog) << "No new ticket message was inserted";
        return;
    }
    emit ticketMessageInsertionCompleted();
}

void Ticket::setUserEmail(Command::TicketUserEmail* command)
{
    userEmail = command->getEmail();
    release(command);
    emit ticketUserEmailRetrived();
}

}
