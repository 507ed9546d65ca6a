#include "commands/checkversion.h"

#include "commands/recordvalues.h"
#include "commands/systemparameters.h"
#include "core/logging.h"

#include <QRegularExpression>

namespace Corvane::Command {

CheckVersion::CheckVersion(
    Interface::CheckVersionAccepterInterface* accepter, const QString& currentVersion)
    : accepter(accepter)
    , parameters(systemParameters())
    , currentVersion(currentVersion)
{
}

QString CheckVersion::getPath() const { return QStringLiteral("/corvane/v5/home/version_check"); }

std::optional<std::array<qulonglong, 4>> CheckVersion::parseVersion(const QString& version)
{
    static const QRegularExpression dotted(
        QStringLiteral("^([0-9]{1,9})\\.([0-9]{1,9})\\.([0-9]{1,9})\\.([0-9]{1,9})$"));
    const QRegularExpressionMatch match = dotted.match(version);
    if (!match.hasMatch())
        return std::nullopt;
    std::array<qulonglong, 4> numbers {};
    for (int i = 0; i < 4; ++i)
        numbers[static_cast<size_t>(i)] = match.captured(i + 1).toULongLong();
    return numbers;
}

void CheckVersion::useResponse(QMap<QString, QString>, QList<DataRow> dataRows)
{
    lastVersion = lastRecordValue(dataRows, QStringLiteral("1"));
    md5 = lastRecordValue(dataRows, QStringLiteral("0"));
    signature = lastRecordValue(dataRows, QStringLiteral("2"));
    // Only a newer release is taken: the server could otherwise push an older one with known
    // faults, or anything at all under a name that is no version.
    const auto last = parseVersion(lastVersion);
    const auto current = parseVersion(currentVersion);
    if (!last || !current) {
        if (lastVersion != currentVersion)
            qCWarning(corvaneLog) << "The remote last version" << lastVersion.left(64)
                                  << "is not a version number: ignored";
        accepter->onVersionUpToDate(this);
        return;
    }
    if (*last <= *current) {
        if (*last < *current)
            qCWarning(corvaneLog) << "The remote last version" << lastVersion
                                  << "is older than the current one" << currentVersion
                                  << ": ignored";
        accepter->onVersionUpToDate(this);
        return;
    }
    qCDebug(corvaneLog) << "The remote last version is different from the current one ("
                        << lastVersion << "<> current:" << currentVersion << ")";
    updateNeeded = true;
    accepter->onUpdateAvailable(this);
}

}
