#include "commands/search/position.h"

#include "models/position.h"
#include "ui/paginator.h"
#include "ui/searchfilters.h"

namespace Corvane::Command::Search {

Position::Position(Model::Position* model, SearchFilters* searchFilters, Paginator* paginator)
    : PaginatedSearch(searchFilters, paginator)
    , model(model)
{
}

QString Position::getPath() const { return QStringLiteral("/corvane/v5/search/pratiche"); }

QMap<QString, QString> Position::getParameters() const
{
    QMap<QString, QString> parameters { { QStringLiteral("start"), requestedStart() } };
    const SearchFilters empty;
    const SearchFilters* filters = searchFilters ? searchFilters.data() : &empty;
    parameters.insert(QStringLiteral("ord"), filters->getSortKey());
    parameters.insert(QStringLiteral("dir"), filters->getSortDirection());
    parameters.insert(QStringLiteral("search_lp_impr"), filters->getCompanyName());
    parameters.insert(QStringLiteral("search_lp_numero"), filters->getLcr());
    parameters.insert(QStringLiteral("search_lp_delibc_dal"), filters->getDateFrom());
    parameters.insert(QStringLiteral("search_lp_delibc_al"), filters->getDateTo());
    parameters.insert(QStringLiteral("search_lp_fin"), filters->getLoanNumber());
    parameters.insert(QStringLiteral("search_lp_banca"), filters->getBank());
    parameters.insert(QStringLiteral("search_lp_stato"), filters->getPositionStatus());
    return parameters;
}

void Position::useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows)
{
    logUse();
    readPageHeader(decodedReply);
    positionsSinceLastAccess
        = headerNumber(decodedReply, QStringLiteral("pratiche_da_ultimo_accesso"));
    rows = dataRows;
    model->setPositionsSinceLastAccess(positionsSinceLastAccess);
    model->setTotalResults(this);
    if (paginator)
        paginator->updatePageDisplay(this);
    model->loadRows(this);
}

}
