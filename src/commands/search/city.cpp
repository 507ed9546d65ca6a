#include "commands/search/city.h"

#include "commands/recordvalues.h"
#include "models/addresswrapper.h"

namespace Corvane::Command::Search {

City::City(Model::AddressWrapper* model, const QString& value)
    : LookUp(
        model, QStringLiteral("/corvane/v5/search/comuni"), { { QStringLiteral("prov"), value } })
{
}

void City::useResponse(QMap<QString, QString>, QList<DataRow> dataRows)
{
    results = collectMap(metaObject()->className(), dataRows, true);
    accepter->setCities(this);
}

}
