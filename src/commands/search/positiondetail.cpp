#include "commands/search/positiondetail.h"

#include "core/logging.h"
#include "commands/search/detailrecord.h"
#include "models/positiondetails.h"

namespace Corvane::Command::Search {

PositionDetail::PositionDetail(
    Model::PositionDetails* model, const QString& technicalFormId, const QString& lcr)
    : model(model)
    , technicalFormId(technicalFormId)
    , lcr(lcr)
{
}

QString PositionDetail::getPath() const
{
    return QStringLiteral("/corvane/v5/search/dett_pratica");
}

QMap<QString, QString> PositionDetail::getParameters() const
{
    return { { QStringLiteral("pratica_ft_id"), technicalFormId }, { QStringLiteral("lcr"), lcr } };
}

void PositionDetail::useResponse(QMap<QString, QString>, QList<DataRow> dataRows)
{
    qCDebug(corvaneLog) << "useResponse"
                        << "Triggered in" << metaObject()->className();
    if (dataRows.isEmpty())
        qCDebug(corvaneLog) << "No search results in" << metaObject()->className();
    else
        qCDebug(corvaneLog) << dataRows.constFirst();
    values = firstRecordValues(dataRows, Model::PositionDetails::getKeys());
    model->update(this);
}

}
