#include "commands/search/downloadedfile.h"

#include "core/logging.h"

#include <QSaveFile>

namespace Corvane::Command::Search {

bool saveDownloadedFile(const QByteArray& body, const QString& path, const char* className)
{
    if (body.isEmpty()) {
        qCDebug(corvaneLog) << "The file stream seems to be empty in"
                            << "useResponse" << className;
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        qCDebug(corvaneLog) << "Error while trying to open the file" << path;
        return false;
    }
    file.write(body);
    if (!file.commit()) {
        qCCritical(corvaneLog) << "Error while trying to write the file" << path;
        return false;
    }
    return true;
}

}
