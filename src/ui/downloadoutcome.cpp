#include "ui/downloadoutcome.h"

#include "core/logging.h"

#include <QDesktopServices>
#include <QFile>
#include <QMessageBox>
#include <QUrl>

namespace Corvane {

void openDownloadedFile(QWidget* parent, bool success, const QString& path, const char* missingLog)
{
    if (!success) {
        QMessageBox::information(parent, QStringLiteral("Errore durante il download"),
            QStringLiteral("Il file del report richiesto non è stato scaricato correttamente. "
                           "Riprova."));
        return;
    }
    if (!QFile::exists(path)) {
        qCCritical(corvaneLog) << missingLog << path;
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

}
