#include "commands/downloadupdate.h"

#include "core/logging.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSaveFile>

namespace Corvane::Command {

DownloadUpdate::DownloadUpdate(Interface::DownloadUpdateResponseAccepterInterface* accepter,
    const QString& md5, const QString& version)
    : accepter(accepter)
    , parameters { { QStringLiteral("file"), QStringLiteral("CorvaneWin") },
        { QStringLiteral("vers"), version } }
    , md5(md5)
{
}

QString DownloadUpdate::getPath() const { return QStringLiteral("/corvane/v5/home/download_upd"); }

void DownloadUpdate::useResponse(QMap<QString, QString>, QList<DataRow>)
{
    qCWarning(corvaneLog)
        << metaObject()->className()
        << "command can't manage xml reply. It's just intended to manage file stream";
}

void DownloadUpdate::useResponse(QByteArray body)
{
    const QString downloaded
        = QString::fromLatin1(QCryptographicHash::hash(body, QCryptographicHash::Md5).toHex());
    qCDebug(corvaneLog) << "Comparing downloaded file md5: " << downloaded << "with:" << md5;
    if (downloaded != md5) {
        qCWarning(corvaneLog) << "Downloaded file is corrupted.";
        accepter->manageDownloadUpdateResult(this);
        return;
    }

    const QString name = QString::fromLatin1(archiveName);
    if (QFile::exists(name))
        qCDebug(corvaneLog) << "The update file" << name
                            << "already exists. It will be overwrited.";
    // The archive replaces the old one only once it is complete on disk.
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly)) {
        qCCritical(corvaneLog) << "Error while trying to open" << name;
        accepter->manageDownloadUpdateResult(this);
        return;
    }
    file.write(body);
    if (!file.commit()) {
        qCCritical(corvaneLog) << "Error while trying to open" << name << file.errorString();
        accepter->manageDownloadUpdateResult(this);
        return;
    }
    success = true;
    accepter->manageDownloadUpdateResult(this);
}

}
