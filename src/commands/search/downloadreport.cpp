#include "commands/search/downloadreport.h"

#include "app/logging.h"
#include "models/report.h"

#include <QSaveFile>

namespace Corvane::Command::Search {

DownloadReport::DownloadReport(
    Model::Report* model, const QString& reportFileId, const QString& path)
    : destinationPath(path)
    , reportFileId(reportFileId)
    , model(model)
{
}

QString DownloadReport::getPath() const
{
    return QStringLiteral("/corvane/v5/search/download_report");
}

QMap<QString, QString> DownloadReport::getParameters() const
{
    return { { QStringLiteral("file"), reportFileId } };
}

void DownloadReport::useResponse(QMap<QString, QString>, QList<DataRow>)
{
    qCWarning(corvaneLog) << metaObject()->className()
                          << "command can't manage xml reply. It's just intended to manage file "
                             "stream";
    // The window waits for an outcome: an XML answer in place of the file is a failed download.
    model->onDownloadCompleted(this);
}

void DownloadReport::useResponse(QByteArray body)
{
    success = write(body);
    model->onDownloadCompleted(this);
}

bool DownloadReport::write(const QByteArray& body)
{
    if (body.isEmpty()) {
        qCDebug(corvaneLog) << "The file stream seems to be empty in"
                            << "useResponse" << metaObject()->className();
        return false;
    }
    // The file at the destination changes only once the new one is completely on disk.
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
