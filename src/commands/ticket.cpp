#include "commands/ticket.h"

#include "models/searchfilters.h"
#include "models/ticket.h"

namespace Corvane::Command {

Ticket::Ticket(Model::Ticket* model, const SearchFilters& filters)
    : PaginatedSearch(model, QStringLiteral("/corvane/v5/home/ticket"),
        {
            { QStringLiteral("search_stato"), filters.getTicketStatus() },
            { QStringLiteral("data_inizio"), filters.getDateFrom() },
            { QStringLiteral("data_fine"), filters.getDateTo() },
        })
{
}

void Ticket::useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows)
{
    logUse();
    resultCount = headerNumber(decodedReply, QStringLiteral("n_result"));
    deliver(dataRows);
}

}
