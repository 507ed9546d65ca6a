#include "commands/search/filedownload.h"

#include "core/logging.h"

#include <QSaveFile>

namespace Corvane::Command::Search {

FileDownload::FileDownload(
    const QString& path, const QMap<QString, QString>& parameters, const QString& destinationPath)
    : path(path)
    , parameters(parameters)
    , destinationPath(destinationPath)
{
}

void FileDownload::useResponse(QMap<QString, QString>, QList<DataRow>)
{
    qCWarning(corvaneLog) << metaObject()->className()
                          << "command can't manage xml reply. It's just intended to manage file "
                             "stream";
    // The window waits for an outcome: an XML answer in place of the file is a failed download.
    success = false;
    finished();
}

void FileDownload::useResponse(QByteArray body)
{
    success = save(body);
    finished();
}

bool FileDownload::save(const QByteArray& body) const
{
    if (body.isEmpty()) {
        qCDebug(corvaneLog) << "The file stream seems to be empty in"
                            << "useResponse" << metaObject()->className();
        return false;
    }
    QSaveFile file(destinationPath);
    if (!file.open(QIODevice::WriteOnly)) {
        qCDebug(corvaneLog) << "Error while trying to open the file" << destinationPath;
        return false;
    }
    file.write(body);
    if (!file.commit()) {
        qCCritical(corvaneLog) << "Error while trying to write the file" << destinationPath;
        return false;
    }
    return true;
}

}
