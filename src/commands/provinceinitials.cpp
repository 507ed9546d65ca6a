#include "commands/provinceinitials.h"

#include "commands/recordvalues.h"
#include "models/addresswrapper.h"

namespace Corvane::Command {

ProvinceInitials::ProvinceInitials(Model::AddressWrapper* model)
    : LookUp(model, QStringLiteral("/corvane/v5/home/province_sigla"))
{
}

void ProvinceInitials::useResponse(QMap<QString, QString>, QList<DataRow> dataRows)
{
    results = collectValues(metaObject()->className(), dataRows);
    accepter->setProvinceInitials(this);
}

}
