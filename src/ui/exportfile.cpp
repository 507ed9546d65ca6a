#include "ui/exportfile.h"

#include "ui/windowlayout.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace Corvane {

namespace {
    const QString workbookFilter = QStringLiteral("Cartella di lavoro Excel (*.xlsx)");
    const QString csvFilter = QStringLiteral("CSV, separato da punto e virgola (*.csv)");
}

QString askExportPath(QWidget* parent, const QString& title, const QString& proposedName)
{
    QFileDialog dialog(parent, title, WindowLayout::getLastFolder());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({ workbookFilter, csvFilter });
    dialog.setDefaultSuffix(QStringLiteral("xlsx"));
    // A name typed without suffix takes that of the format chosen.
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
            const bool csv = filter == csvFilter;
            dialog.setDefaultSuffix(csv ? QStringLiteral("csv") : QStringLiteral("xlsx"));
            const QString shown = QFileInfo(dialog.selectedFiles().value(0)).completeBaseName();
            if (!shown.isEmpty())
                dialog.selectFile(shown + (csv ? QStringLiteral(".csv") : QStringLiteral(".xlsx")));
        });
    dialog.selectFile(proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    QString path = dialog.selectedFiles().constFirst();
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("xlsx") && suffix != QLatin1String("csv"))
        path += dialog.selectedNameFilter() == csvFilter ? QStringLiteral(".csv")
                                                         : QStringLiteral(".xlsx");
    return path;
}

void showExportFailure(QWidget* parent, const QString& path)
{
    QMessageBox::warning(parent, QStringLiteral("Esportazione non riuscita"),
        path.isEmpty()
            ? QStringLiteral("L'esportazione si è interrotta: nessun file è stato scritto.")
            : QStringLiteral("Non è stato possibile scrivere il file %1. Scegli un'altra cartella "
                             "e riprova.")
                  .arg(QDir::toNativeSeparators(path)));
}

}
