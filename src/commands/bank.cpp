#include "commands/bank.h"

#include "commands/recordvalues.h"
#include "models/bank.h"

namespace Corvane::Command {

Bank::Bank(Model::Bank* model)
    : LookUp(model, QStringLiteral("/corvane/v5/home/banche"))
{
}

void Bank::useResponse(QMap<QString, QString>, QList<DataRow> dataRows)
{
    results = collectMap(metaObject()->className(), dataRows, false);
    accepter->setBanks(this);
}

}
