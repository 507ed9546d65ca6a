#include "commands/search/report.h"

#include "models/report.h"
#include "ui/searchfilters.h"

namespace Corvane::Command::Search {

Report::Report(Model::Report* model, SearchFilters* searchFilters, Paginator* paginator)
    : PaginatedSearch(searchFilters, paginator)
    , model(model)
{
}

QString Report::getPath() const { return QStringLiteral("/corvane/v5/search/report"); }

QMap<QString, QString> Report::getParameters() const
{
    const SearchFilters empty;
    const SearchFilters* filters = searchFilters ? searchFilters.data() : &empty;
    return {
        { QStringLiteral("search_lp_banca"), filters->getBank() },
        { QStringLiteral("data_inizio"), filters->getDateFrom() },
        { QStringLiteral("data_fine"), filters->getDateTo() },
    };
}

void Report::useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows)
{
    logUse();
    resultCount = headerNumber(decodedReply, QStringLiteral("risultati"));
    rows = dataRows;
    model->setTotalResults(this);
    model->loadRows(this);
}

}
