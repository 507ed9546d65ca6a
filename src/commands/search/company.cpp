#include "commands/search/company.h"

#include "models/company.h"
#include "models/searchfilters.h"

namespace Corvane::Command::Search {

Company::Company(Model::Company* model, const SearchFilters& filters, int start)
    : PaginatedSearch(model, QStringLiteral("/corvane/v5/search/lista_imprese"),
        {
            { QStringLiteral("start"), QString::number(start) },
            { QStringLiteral("ord"), filters.getSortKey() },
            { QStringLiteral("dir"), filters.getSortDirection() },
            { QStringLiteral("search_li_ragsoc"), filters.getCompanyName() },
            { QStringLiteral("search_li_comune"), filters.getCity() },
            { QStringLiteral("search_li_provincia"), filters.getProvince() },
            { QStringLiteral("search_li_picf"), filters.getFiscalCode() },
        })
    , company(model)
{
}

void Company::useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows)
{
    logUse();
    readPageHeader(decodedReply);
    mergersPresent = decodedReply.value(QStringLiteral("fusioni_presenti")) == QLatin1String("S");
    company->setMergersPresent(mergersPresent);
    deliver(dataRows);
}

}
