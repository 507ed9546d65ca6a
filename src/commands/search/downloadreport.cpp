#include "commands/search/downloadreport.h"

#include "models/report.h"

namespace Corvane::Command::Search {

DownloadReport::DownloadReport(
    Model::Report* model, const QString& reportFileId, const QString& path)
    : FileDownload(QStringLiteral("/corvane/v5/search/download_report"),
        { { QStringLiteral("file"), reportFileId } }, path)
    , model(model)
{
}

void DownloadReport::finished() { model->onDownloadCompleted(this); }

}
