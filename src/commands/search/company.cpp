#include "commands/search/company.h"

#include "models/company.h"
#include "models/searchfilters.h"

namespace Corvane::Command::Search {

Company::Company(Model::Company* model, const SearchFilters& filters, int start)
    : PaginatedSearch(model, QStringLiteral("/corvane/v5/search/lista_imprese"),
        {
            { QStringLiteral("start"), QString::number(start) },
            { QStringLiteral("ord"), filters.sortKey },
            { QStringLiteral("dir"), filters.sortDirection },
            { QStringLiteral("search_li_ragsoc"), filters.companyName },
            { QStringLiteral("search_li_comune"), filters.city },
            { QStringLiteral("search_li_provincia"), filters.province },
            { QStringLiteral("search_li_picf"), filters.fiscalCode },
        })
    , company(model)
{
}

void Company::readExtras(const QMap<QString, QString>& reply)
{
    mergersPresent = reply.value(QStringLiteral("fusioni_presenti")) == QLatin1String("S");
    company->setMergersPresent(mergersPresent);
}

}
