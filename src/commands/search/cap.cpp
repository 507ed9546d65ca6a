#include "commands/search/cap.h"

#include "commands/recordvalues.h"
#include "models/addresswrapper.h"

namespace Corvane::Command::Search {

Cap::Cap(Model::AddressWrapper* model, const QString& municipalityId)
    : ReportingCommand(model, QStringLiteral("/corvane/v5/search/CAP"),
        { { QStringLiteral("comune_id"), municipalityId } })
{
}

void Cap::useResponse(QMap<QString, QString>, QList<DataRow> dataRows)
{
    cap = lastRecordValue(dataRows, QStringLiteral("cap"));
    accepter->setCap(this);
}

}
