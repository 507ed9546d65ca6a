#include "commands/ticket.h"

#include "models/searchfilters.h"
#include "models/ticket.h"

namespace Corvane::Command {

Ticket::Ticket(Model::Ticket* model, const SearchFilters& filters)
    : PaginatedSearch(model, QStringLiteral("/corvane/v5/home/ticket"),
        {
            { QStringLiteral("search_stato"), filters.ticketStatus },
            { QStringLiteral("data_inizio"), filters.dateFrom },
            { QStringLiteral("data_fine"), filters.dateTo },
        },
        QStringLiteral("n_result"))
{
}

}
