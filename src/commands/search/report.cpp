#include "commands/search/report.h"

#include "models/report.h"
#include "models/searchfilters.h"

namespace Corvane::Command::Search {

Report::Report(Model::Report* model, const SearchFilters& filters)
    : PaginatedSearch(model, QStringLiteral("/corvane/v5/search/report"),
        {
            { QStringLiteral("search_lp_banca"), filters.bank },
            { QStringLiteral("data_inizio"), filters.dateFrom },
            { QStringLiteral("data_fine"), filters.dateTo },
        })
{
}

}
