#include "ui/downloadoutcome.h"

#include "commands/search/filedownload.h"
#include "core/logging.h"
#include "ui/servertextbox.h"
#include "ui/windowlayout.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>
#include <QUrl>

namespace Corvane {

QString proposedSavePath(const QString& suggested, const QString& fallback)
{
    const QString folder = WindowLayout::getLastFolder();
    QDir().mkpath(folder);
    return QDir(folder).filePath(Command::Search::safeFileName(suggested, fallback));
}

QString askSavePath(
    QWidget* parent, const QString& title, const QString& suggested, const QString& fallback)
{
    const QString proposed = proposedSavePath(suggested, fallback);
    QFileDialog dialog(parent, title, QFileInfo(proposed).path());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.selectFile(QFileInfo(proposed).fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString path = dialog.selectedFiles().constFirst();
    return checkSaveFolder(parent, path) ? path : QString();
}

QString downloadProgressText(qint64 bytes)
{
    const QLocale italian(QLocale::Italian, QLocale::Italy);
    // Qt names sizes below a kilobyte in English.
    const QString size = bytes < 1024
        ? QStringLiteral("%1 byte").arg(bytes)
        : italian.formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
    return QStringLiteral("Download del file in corso...\nRicevuti %1").arg(size);
}

bool checkSaveFolder(QWidget* parent, const QString& path)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (QFileInfo(folder).isDir() && QFileInfo(folder).isWritable())
        return true;
    // The folder's name is the user's: shown as it is written.
    showServerText(parent, QMessageBox::Warning, QStringLiteral("Errore durante il download"),
        QStringLiteral("Non è possibile scrivere nella cartella %1. Scegli un'altra cartella.")
            .arg(QDir::toNativeSeparators(folder)));
    return false;
}

void openDownloadedFile(QWidget* parent, bool success, const QString& path, const char* missingLog,
    const QString& failure)
{
    if (!success) {
        QMessageBox::information(parent, QStringLiteral("Errore durante il download"),
            failure.isEmpty() ? QStringLiteral("Il file del report richiesto non è stato scaricato "
                                               "correttamente. Riprova.")
                              : failure);
        return;
    }
    if (!QFile::exists(path)) {
        qCCritical(corvaneLog) << missingLog << path;
        return;
    }
    WindowLayout::setLastFolder(path);
    // Only the types the lists offer go to the desktop's program; anything else could be run.
    static const QStringList opened { QStringLiteral("pdf"), QStringLiteral("csv"),
        QStringLiteral("xls"), QStringLiteral("xlsx") };
    const QFileInfo saved(path);
    if (opened.contains(saved.suffix().toLower()))
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    else
        QDesktopServices::openUrl(QUrl::fromLocalFile(saved.absolutePath()));
}

}
