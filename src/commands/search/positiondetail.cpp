#include "commands/search/positiondetail.h"

#include "commands/search/detailrecord.h"
#include "core/logging.h"
#include "models/positiondetails.h"

namespace Corvane::Command::Search {

PositionRequest::PositionRequest(Model::PositionDetails* model, const QString& path,
    const QString& technicalFormId, const QString& lcr)
    : ReportingCommand(model, path, positionFields(technicalFormId, lcr))
{
}

bool PositionRequest::isEmptyReply(const QList<DataRow>& dataRows) const
{
    if (!dataRows.isEmpty())
        return false;
    qCDebug(corvaneLog) << "No search results in" << metaObject()->className();
    return true;
}

PositionDetail::PositionDetail(
    Model::PositionDetails* model, const QString& technicalFormId, const QString& lcr)
    : PositionRequest(
        model, QStringLiteral("/corvane/v5/search/dett_pratica"), technicalFormId, lcr)
{
}

void PositionDetail::useResponse(QMap<QString, QString>, QList<DataRow> dataRows)
{
    logUse();
    if (!isEmptyReply(dataRows))
        qCDebug(corvaneLog) << dataRows.constFirst();
    values = firstRecordValues(dataRows, Model::PositionDetails::getKeys());
    accepter->update(this);
}

FtRelated::FtRelated(
    Model::PositionDetails* model, const QString& technicalFormId, const QString& lcr)
    : PositionRequest(
        model, QStringLiteral("/corvane/v5/search/ft_collegate"), technicalFormId, lcr)
{
}

void FtRelated::useResponse(QMap<QString, QString>, QList<DataRow> dataRows)
{
    if (isEmptyReply(dataRows))
        return;
    rows = dataRows;
    accepter->showRelatedForms(this);
}

}
