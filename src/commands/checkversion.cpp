#include "commands/checkversion.h"

#include "core/logging.h"
#include "commands/recordvalues.h"
#include "commands/systemparameters.h"

namespace Corvane::Command {

CheckVersion::CheckVersion(
    Interface::CheckVersionAccepterInterface* accepter, const QString& currentVersion)
    : accepter(accepter)
    , parameters(systemParameters())
    , currentVersion(currentVersion)
{
}

QString CheckVersion::getPath() const { return QStringLiteral("/corvane/v5/home/version_check"); }

void CheckVersion::useResponse(QMap<QString, QString>, QList<DataRow> dataRows)
{
    lastVersion = lastRecordValue(dataRows, QStringLiteral("1"));
    md5 = lastRecordValue(dataRows, QStringLiteral("0"));
    if (lastVersion == currentVersion) {
        accepter->onVersionUpToDate(this);
        return;
    }
    qCDebug(corvaneLog) << "The remote last version is different from the current one ("
                        << lastVersion << "<> current:" << currentVersion << ")";
    updateNeeded = true;
    accepter->onUpdateAvailable(this);
}

}
