#include "models/ticket.h"

#include "commands/insertticket.h"
#include "commands/ticket.h"
#include "commands/ticketdetail.h"
#include "commands/ticketuseremail.h"
#include "core/logging.h"
#include "models/cellstyle.h"
#include "models/commandrelease.h"
#include "models/ticketmessage.h"

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
    setColumnKinds(
        { { "codice", ExportColumn::Kind::Code }, { "data", ExportColumn::Kind::Date } });
    setSearchLogLines("Starting fetching Ticket list from the server",
        "STarting fetching data from the starting page");
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

QObject* Ticket::createSearch(const SearchFilters& filters, int)
{
    return new Command::Ticket(this, filters);
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
    const QString code = command->getTicketCode();
    release(command);
    if (code.isEmpty()) {
        // Without its code the ticket cannot be found again: not a success.
        qCWarning(corvaneLog) << "No new ticket code was provided by the server on new ticket "
                                 "insertion";
        emit ticketInsertionFailed(QString(), QString());
        return;
    }
    emit ticketInsertionCompleted(code);
}

void Ticket::manageMessageInserted(Command::InsertTicket* command)
{
    release(command);
    queueDetail();
    emit ticketMessageInsertionCompleted();
}

void Ticket::manageInsertionRefused(
    Command::InsertTicket* command, const QString& code, const QString& description)
{
    const bool message = command->isMessage();
    release(command);
    if (message)
        emit ticketMessageInsertionFailed(code, description);
    else
        emit ticketInsertionFailed(code, description);
}

void Ticket::setUserEmail(Command::TicketUserEmail* command)
{
    userEmail = command->getEmail();
    release(command);
    emit ticketUserEmailRetrived();
}

void Ticket::fetchDetail(const QModelIndex& index)
{
    selectedRow.clear();
    for (int column = 0; column < columnCount(); ++column) {
        const QString key = getColumnName(column);
        selectedRow.insert(key, getValue(index.row(), key));
    }
    clearConversation();
    queueDetail();
}

void Ticket::queueDetail()
{
    replacePending(
        commandManager, this, pendingDetail, new Command::TicketDetail(this, getTicketId()));
}

void Ticket::clearConversation()
{
    ticketText.clear();
    ticketUserType.clear();
    qDeleteAll(ticketMessages);
    ticketMessages.clear();
}

void Ticket::setTicketDetail(Command::TicketDetail* command)
{
    clearConversation();
    QList<DataRow> records = command->getRows();
    release(command);
    if (!records.isEmpty()) {
        const DataRow request = records.takeFirst();
        ticketText = request.value(QStringLiteral("testo"));
        ticketUserType = request.value(QStringLiteral("utente_tipo"));
    }
    for (const DataRow& record : qAsConst(records)) {
        ticketMessages << new TicketMessage(record.value(QStringLiteral("testo")),
            record.value(QStringLiteral("utente_tipo")),
            QDateTime::fromString(
                record.value(QStringLiteral("data_msg")), QStringLiteral("dd/MM/yyyy HH:mm:ss")),
            this);
    }
    emit ticketDetailRetrived();
}

QString Ticket::getTicketId() const { return selectedRow.value(QStringLiteral("ticket_id")); }

QDateTime Ticket::getTicketDateTime() const
{
    return QDateTime::fromString(selectedRow.value(QStringLiteral("data_inserimento_formattata")),
        QStringLiteral("dd/MM/yyyy HH:mm:ss"));
}

QColor Ticket::getTicketColour() const
{
    return serverColour(selectedRow.value(QStringLiteral("stato_colore"))).value<QColor>();
}

QString Ticket::getTicketCode() const { return selectedRow.value(QStringLiteral("codice")); }

QString Ticket::getTicketSubject() const { return selectedRow.value(QStringLiteral("oggetto")); }

QString Ticket::getTicketState() const { return selectedRow.value(QStringLiteral("stato")); }

}
