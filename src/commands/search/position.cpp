#include "commands/search/position.h"

#include "models/position.h"
#include "models/searchfilters.h"

namespace Corvane::Command::Search {

Position::Position(Model::Position* model, const SearchFilters& filters, int start)
    : PaginatedSearch(model, QStringLiteral("/corvane/v5/search/pratiche"),
        {
            { QStringLiteral("start"), QString::number(start) },
            { QStringLiteral("ord"), filters.getSortKey() },
            { QStringLiteral("dir"), filters.getSortDirection() },
            { QStringLiteral("search_lp_impr"), filters.getCompanyName() },
            { QStringLiteral("search_lp_numero"), filters.getLcr() },
            { QStringLiteral("search_lp_delibc_dal"), filters.getDateFrom() },
            { QStringLiteral("search_lp_delibc_al"), filters.getDateTo() },
            { QStringLiteral("search_lp_fin"), filters.getLoanNumber() },
            { QStringLiteral("search_lp_banca"), filters.getBank() },
            { QStringLiteral("search_lp_stato"), filters.getPositionStatus() },
        })
    , position(model)
{
}

void Position::useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows)
{
    logUse();
    readPageHeader(decodedReply);
    positionsSinceLastAccess
        = headerNumber(decodedReply, QStringLiteral("pratiche_da_ultimo_accesso"));
    position->setPositionsSinceLastAccess(positionsSinceLastAccess);
    deliver(dataRows);
}

}
