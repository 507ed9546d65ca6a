#include "commands/paginatedsearch.h"

#include "models/abstractpaginatedtable.h"

namespace Corvane::Command {

PaginatedSearch::PaginatedSearch(Model::AbstractPaginatedTable* model, const QString& path,
    const QMap<QString, QString>& parameters)
    : FormCommand(path, parameters)
    , model(model)
{
}

int PaginatedSearch::headerNumber(const QMap<QString, QString>& reply, const QString& key)
{
    bool ok = false;
    const int value = reply.value(key).toInt(&ok);
    return ok && value > 0 ? value : 0;
}

void PaginatedSearch::readPageHeader(const QMap<QString, QString>& reply)
{
    currentPage = headerNumber(reply, QStringLiteral("cur_pag"));
    totalPages = headerNumber(reply, QStringLiteral("tot_pag"));
    start = headerNumber(reply, QStringLiteral("start"));
    resultCount = headerNumber(reply, QStringLiteral("risultati"));
}

void PaginatedSearch::deliver(const QList<DataRow>& dataRows)
{
    rows = dataRows;
    model->acceptPage(this);
}

}
