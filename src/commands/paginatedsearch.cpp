#include "commands/paginatedsearch.h"

#include "core/logging.h"
#include "ui/paginator.h"
#include "ui/searchfilters.h"

namespace Corvane::Command {

PaginatedSearch::PaginatedSearch(SearchFilters* searchFilters, Paginator* paginator)
    : searchFilters(searchFilters)
    , paginator(paginator)
{
}

int PaginatedSearch::headerNumber(const QMap<QString, QString>& reply, const QString& key)
{
    return reply.value(key, QStringLiteral("0")).toInt();
}

void PaginatedSearch::readPageHeader(const QMap<QString, QString>& reply)
{
    currentPage = headerNumber(reply, QStringLiteral("cur_pag"));
    totalPages = headerNumber(reply, QStringLiteral("tot_pag"));
    start = headerNumber(reply, QStringLiteral("start"));
    resultCount = headerNumber(reply, QStringLiteral("risultati"));
}

QString PaginatedSearch::requestedStart() const
{
    return QString::number(paginator ? paginator->getStart() : 0);
}

void PaginatedSearch::logUse() const
{
    qCDebug(corvaneLog) << "useResponse"
                        << "Triggered in" << metaObject()->className();
}

}
