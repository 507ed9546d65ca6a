#include "commands/search/downloadposition.h"

#include "models/positiondetails.h"

namespace Corvane::Command::Search {

DownloadPosition::DownloadPosition(Model::PositionDetails* model, const QString& path,
    const QString& technicalFormId, const QString& lcr)
    : FileDownload(QStringLiteral("/corvane/v5/search/download_posizione"),
        { { QStringLiteral("pft_id"), technicalFormId }, { QStringLiteral("lcr"), lcr } }, path,
        { QStringLiteral("application/pdf") }, QByteArrayLiteral("%PDF-"))
    , model(model)
{
}

void DownloadPosition::finished() { model->onDownloadCompleted(this); }

}
