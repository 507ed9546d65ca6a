#include "commands/search/downloadreport.h"

#include "models/report.h"

namespace Corvane::Command::Search {

DownloadReport::DownloadReport(
    Model::Report* model, const QString& reportFileId, const QString& path)
    : FileDownload(QStringLiteral("/corvane/v5/search/download_report"),
        { { QStringLiteral("file"), reportFileId } }, path,
        { QStringLiteral("text/csv"), QStringLiteral("application/vnd.ms-excel"),
            QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"),
            QStringLiteral("application/pdf") })
    , model(model)
{
}

void DownloadReport::finished() { model->onDownloadCompleted(this); }

}
