#include "commands/provinceinitials.h"

#include "commands/recordvalues.h"
#include "models/addresswrapper.h"

namespace Corvane::Command {

ProvinceInitials::ProvinceInitials(Model::AddressWrapper* owner)
    : owner(owner)
{
}

QString ProvinceInitials::getPath() const
{
    return QStringLiteral("/corvane/v5/home/province_sigla");
}

void ProvinceInitials::useResponse(QMap<QString, QString>, QList<DataRow> dataRows)
{
    results = collectValues(metaObject()->className(), dataRows);
    owner->setProvinceInitials(this);
}

}
