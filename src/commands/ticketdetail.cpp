#include "commands/ticketdetail.h"

#include "core/logging.h"
#include "models/ticket.h"

namespace Corvane::Command {

TicketDetail::TicketDetail(Model::Ticket* model, const QString& ticketId)
    : model(model)
    , ticketId(ticketId)
{
}

QString TicketDetail::getPath() const { return QStringLiteral("/corvane/v5/home/ticket_dett"); }

QMap<QString, QString> TicketDetail::getParameters() const
{
    return { { QStringLiteral("ticket"), ticketId } };
}

void TicketDetail::useResponse(QMap<QString, QString>, QList<DataRow> dataRows)
{
    qCDebug(corvaneLog) << "useResponse"
                        << "Triggered in" << metaObject()->className();
    rows = dataRows;
    model->setTicketDetail(this);
}

}
