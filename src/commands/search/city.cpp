#include "commands/search/city.h"

#include "commands/recordvalues.h"
#include "models/addresswrapper.h"

namespace Corvane::Command::Search {

City::City(Model::AddressWrapper* owner, const QString& value)
    : owner(owner)
    , parameters { { QStringLiteral("prov"), value } }
{
}

QString City::getPath() const { return QStringLiteral("/corvane/v5/search/comuni"); }

void City::useResponse(QMap<QString, QString>, QList<DataRow> dataRows)
{
    results = collectMap(metaObject()->className(), dataRows, true);
    owner->setCities(this);
}

}
