#include "commands/ticketuseremail.h"

#include "models/ticket.h"

namespace Corvane::Command {

TicketUserEmail::TicketUserEmail(Model::Ticket* model)
    : ReportingCommand(model, QStringLiteral("/corvane/v5/home/ticket_mail_utente"))
{
}

void TicketUserEmail::useResponse(QMap<QString, QString>, QList<DataRow> dataRows)
{
    if (!dataRows.isEmpty())
        email = dataRows.first().value(QStringLiteral("email"));
    accepter->setUserEmail(this);
}

}
