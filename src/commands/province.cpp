#include "commands/province.h"

#include "commands/recordvalues.h"
#include "models/addresswrapper.h"

namespace Corvane::Command {

Province::Province(Model::AddressWrapper* model)
    : LookUp(model, QStringLiteral("/corvane/v5/home/province"))
{
}

void Province::useResponse(QMap<QString, QString>, QList<DataRow> dataRows)
{
    results = collectMap(metaObject()->className(), dataRows, true);
    accepter->setProvinces(this);
}

}
