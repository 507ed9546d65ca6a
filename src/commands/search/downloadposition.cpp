#include "commands/search/downloadposition.h"

#include "core/logging.h"
#include "commands/search/downloadedfile.h"
#include "models/positiondetails.h"

namespace Corvane::Command::Search {

DownloadPosition::DownloadPosition(Model::PositionDetails* model, const QString& path,
    const QString& technicalFormId, const QString& lcr)
    : destinationPath(path)
    , technicalFormId(technicalFormId)
    , lcr(lcr)
    , model(model)
{
}

QString DownloadPosition::getPath() const
{
    return QStringLiteral("/corvane/v5/search/download_posizione");
}

QMap<QString, QString> DownloadPosition::getParameters() const
{
    return { { QStringLiteral("pft_id"), technicalFormId }, { QStringLiteral("lcr"), lcr } };
}

void DownloadPosition::useResponse(QMap<QString, QString>, QList<DataRow>)
{
    qCWarning(corvaneLog) << metaObject()->className()
                          << "command can't manage xml reply. It's just intended to manage file "
                             "stream";
    // The window waits for an outcome: an XML answer in place of the file is a failed download.
    model->onDownloadCompleted(this);
}

void DownloadPosition::useResponse(QByteArray body)
{
    success = saveDownloadedFile(body, destinationPath, metaObject()->className());
    model->onDownloadCompleted(this);
}

}
