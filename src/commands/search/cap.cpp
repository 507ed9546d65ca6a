#include "commands/search/cap.h"

#include "commands/recordvalues.h"
#include "models/addresswrapper.h"

namespace Corvane::Command::Search {

Cap::Cap(Model::AddressWrapper* owner, const QString& municipalityId)
    : owner(owner)
    , parameters { { QStringLiteral("comune_id"), municipalityId } }
{
}

QString Cap::getPath() const { return QStringLiteral("/corvane/v5/search/CAP"); }

void Cap::useResponse(QMap<QString, QString>, QList<DataRow> dataRows)
{
    cap = lastRecordValue(dataRows, QStringLiteral("cap"));
    owner->setCap(this);
}

}
