#include "commands/search/ftrelated.h"

#include "core/logging.h"
#include "models/positiondetails.h"

namespace Corvane::Command::Search {

FtRelated::FtRelated(
    Model::PositionDetails* model, const QString& technicalFormId, const QString& lcr)
    : model(model)
    , technicalFormId(technicalFormId)
    , lcr(lcr)
{
}

QString FtRelated::getPath() const { return QStringLiteral("/corvane/v5/search/ft_collegate"); }

QMap<QString, QString> FtRelated::getParameters() const
{
    return { { QStringLiteral("pratica_ft_id"), technicalFormId }, { QStringLiteral("lcr"), lcr } };
}

void FtRelated::useResponse(QMap<QString, QString>, QList<DataRow> dataRows)
{
    if (dataRows.isEmpty()) {
        qCDebug(corvaneLog) << "No search results in" << metaObject()->className();
        return;
    }
    rows = dataRows;
    model->showRelatedForms(this);
}

}
