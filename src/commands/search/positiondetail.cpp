#include "commands/search/positiondetail.h"

#include "commands/search/detailrecord.h"
#include "core/logging.h"
#include "models/positiondetails.h"

namespace Corvane::Command::Search {

PositionDetail::PositionDetail(
    Model::PositionDetails* model, const QString& technicalFormId, const QString& lcr)
    : ReportingCommand(model, QStringLiteral("/corvane/v5/search/dett_pratica"),
        positionFields(technicalFormId, lcr))
{
}

void PositionDetail::useResponse(QMap<QString, QString>, QList<DataRow> dataRows)
{
    logUse();
    if (dataRows.isEmpty())
        qCDebug(corvaneLog) << "No search results in" << metaObject()->className();
    else
        qCDebug(corvaneLog) << dataRows.constFirst();
    values = firstRecordValues(dataRows, Model::PositionDetails::getKeys());
    accepter->update(this);
}

}
