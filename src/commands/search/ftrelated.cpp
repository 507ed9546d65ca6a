#include "commands/search/ftrelated.h"

#include "commands/search/detailrecord.h"
#include "core/logging.h"
#include "models/positiondetails.h"

namespace Corvane::Command::Search {

FtRelated::FtRelated(
    Model::PositionDetails* model, const QString& technicalFormId, const QString& lcr)
    : ReportingCommand(model, QStringLiteral("/corvane/v5/search/ft_collegate"),
        positionFields(technicalFormId, lcr))
{
}

void FtRelated::useResponse(QMap<QString, QString>, QList<DataRow> dataRows)
{
    if (dataRows.isEmpty()) {
        qCDebug(corvaneLog) << "No search results in" << metaObject()->className();
        return;
    }
    rows = dataRows;
    accepter->showRelatedForms(this);
}

}
