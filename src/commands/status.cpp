#include "commands/status.h"

#include "commands/recordvalues.h"
#include "models/status.h"

namespace Corvane::Command {

Status::Status(Model::Status* model)
    : LookUp(model, QStringLiteral("/corvane/v5/home/stati"))
{
}

void Status::useResponse(QMap<QString, QString>, QList<DataRow> dataRows)
{
    results = collectMap(metaObject()->className(), dataRows, false);
    accepter->setStatuses(this);
}

}
