#include "commands/search/company.h"

#include "models/company.h"
#include "ui/paginator.h"
#include "ui/searchfilters.h"

namespace Corvane::Command::Search {

Company::Company(Model::Company* model, SearchFilters* searchFilters, Paginator* paginator)
    : PaginatedSearch(searchFilters, paginator)
    , model(model)
{
}

QString Company::getPath() const { return QStringLiteral("/corvane/v5/search/lista_imprese"); }

QMap<QString, QString> Company::getParameters() const
{
    QMap<QString, QString> parameters { { QStringLiteral("start"), requestedStart() } };
    const SearchFilters empty;
    const SearchFilters* filters = searchFilters ? searchFilters.data() : &empty;
    parameters.insert(QStringLiteral("ord"), filters->getSortKey());
    parameters.insert(QStringLiteral("dir"), filters->getSortDirection());
    parameters.insert(QStringLiteral("search_li_ragsoc"), filters->getCompanyName());
    parameters.insert(QStringLiteral("search_li_comune"), filters->getCity());
    parameters.insert(QStringLiteral("search_li_provincia"), filters->getProvince());
    parameters.insert(QStringLiteral("search_li_picf"), filters->getFiscalCode());
    return parameters;
}

void Company::useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows)
{
    logUse();
    readPageHeader(decodedReply);
    rows = dataRows;
    mergersPresent = decodedReply.value(QStringLiteral("fusioni_presenti")) == QLatin1String("S");
    model->setMergersPresent(mergersPresent);
    model->setTotalResults(this);
    if (paginator)
        paginator->updatePageDisplay(this);
    model->loadRows(this);
}

}
