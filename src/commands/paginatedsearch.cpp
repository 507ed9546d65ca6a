#include "commands/paginatedsearch.h"

#include "models/abstractpaginatedtable.h"

namespace Corvane::Command {

PaginatedSearch::PaginatedSearch(Model::AbstractPaginatedTable* model, const QString& path,
    const QMap<QString, QString>& parameters, const QString& countKey)
    : FormCommand(path, parameters)
    , model(model)
    , countKey(countKey)
{
}

int PaginatedSearch::headerNumber(const QMap<QString, QString>& reply, const QString& key)
{
    bool ok = false;
    const int value = reply.value(key).toInt(&ok);
    return ok && value > 0 ? value : 0;
}

void PaginatedSearch::useResponse(QMap<QString, QString> decodedReply, QList<DataRow> dataRows)
{
    logUse();
    // A list that comes whole has no page values: they stay 0.
    currentPage = headerNumber(decodedReply, QStringLiteral("cur_pag"));
    totalPages = headerNumber(decodedReply, QStringLiteral("tot_pag"));
    start = headerNumber(decodedReply, QStringLiteral("start"));
    resultCount = headerNumber(decodedReply, countKey);
    readExtras(decodedReply);
    rows = dataRows;
    model->acceptPage(this);
}

void PaginatedSearch::readExtras(const QMap<QString, QString>&) { }

}
