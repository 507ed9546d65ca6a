#include "commands/search/downloadreport.h"

#include "core/logging.h"
#include "commands/search/downloadedfile.h"
#include "models/report.h"

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
    success = saveDownloadedFile(body, destinationPath, metaObject()->className());
    model->onDownloadCompleted(this);
}

}
