#include "commands/search/position.h"

#include "models/position.h"
#include "models/searchfilters.h"

namespace Corvane::Command::Search {

Position::Position(Model::Position* model, const SearchFilters& filters, int start)
    : PaginatedSearch(model, QStringLiteral("/corvane/v5/search/pratiche"),
        {
            { QStringLiteral("start"), QString::number(start) },
            { QStringLiteral("ord"), filters.sortKey },
            { QStringLiteral("dir"), filters.sortDirection },
            { QStringLiteral("search_lp_impr"), filters.companyName },
            { QStringLiteral("search_lp_numero"), filters.lcr },
            { QStringLiteral("search_lp_delibc_dal"), filters.dateFrom },
            { QStringLiteral("search_lp_delibc_al"), filters.dateTo },
            { QStringLiteral("search_lp_fin"), filters.loanNumber },
            { QStringLiteral("search_lp_banca"), filters.bank },
            { QStringLiteral("search_lp_stato"), filters.positionStatus },
        })
    , position(model)
{
}

void Position::readExtras(const QMap<QString, QString>& reply)
{
    positionsSinceLastAccess = headerNumber(reply, QStringLiteral("pratiche_da_ultimo_accesso"));
    position->setPositionsSinceLastAccess(positionsSinceLastAccess);
}

}
