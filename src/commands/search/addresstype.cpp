#include "commands/search/addresstype.h"

#include "commands/recordvalues.h"
#include "models/addresswrapper.h"

namespace Corvane::Command::Search {

AddressType::AddressType(Model::AddressWrapper* model)
    : LookUp(model, QStringLiteral("/corvane/v5/search/tipo_indirizzo"))
{
}

void AddressType::useResponse(QMap<QString, QString>, QList<DataRow> dataRows)
{
    results = collectValues(metaObject()->className(), dataRows);
    accepter->setAddressTypes(this);
}

}
