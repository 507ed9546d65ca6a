#include "commands/ticketdetail.h"

#include "models/ticket.h"

namespace Corvane::Command {

TicketDetail::TicketDetail(Model::Ticket* model, const QString& ticketId)
    : ReportingCommand(model, QStringLiteral("/corvane/v5/home/ticket_dett"),
        { { QStringLiteral("ticket"), ticketId } })
{
}

void TicketDetail::useResponse(QMap<QString, QString>, QList<DataRow> dataRows)
{
    logUse();
    rows = dataRows;
    accepter->setTicketDetail(this);
}

}
