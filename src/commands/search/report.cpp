#include "commands/search/report.h"

#include "models/report.h"
#include "models/searchfilters.h"

namespace Corvane::Command::Search {

Report::Report(Model::Report* model, const SearchFilters& filters)
    : PaginatedSearch(model, QStringLiteral("/corvane/v5/search/report"),
        {
            { QStringLiteral("search_lp_banca"), filters.getBank() },
            { QStringLiteral("data_inizio"), filters.getDateFrom() },
            { QStringLiteral("data_fine"), filters.getDateTo() },
        })
{
}

void Report::useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows)
{
    logUse();
    resultCount = headerNumber(decodedReply, QStringLiteral("risultati"));
    deliver(dataRows);
}

}
