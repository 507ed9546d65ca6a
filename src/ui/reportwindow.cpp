#include "ui/reportwindow.h"

#include "core/logging.h"
#include "models/report.h"
#include "models/searchfilters.h"
#include "ui/downloadoutcome.h"
#include "ui/windowrequestinterface.h"
#include "ui_reportwindow.h"

#include <QProgressDialog>

namespace Corvane {

ReportWindow::ReportWindow(Interface::WindowRequestInterface* applicationManager,
    HeaderToolbar* headerToolbar, Model::Report* model, QWidget* parent)
    : AbstractTableWindow(headerToolbar, model, parent)
    , ui(std::make_unique<Ui::ReportWindow>())
    , applicationManager(applicationManager)
    , reportModel(model)
{
    ui->setupUi(this);
    setUpTable(ui->dataTable, ui->searchButton, ui->fetchButton, ui->statusBarLayout, false,
        QStringLiteral("Report"));
    setColumns(
        ui->dataTable, { { 3, 210 }, { 4, 450 }, { 5, 90 }, { 7, 70 }, { 8, 1 } }, { 0, 1, 2, 6 });
    const QDate today = QDate::currentDate();
    ui->toDate->setDate(today);
    const QDate twoMonthsBack = today.addMonths(-2);
    ui->fromDate->setDate(QDate(twoMonthsBack.year(), twoMonthsBack.month(), 1));
    connect(ui->dateFilterEnabled, &QCheckBox::toggled, this, &ReportWindow::onDateFilterToggle);
    connect(model, &Model::Report::reportDownloadComplete, this,
        &ReportWindow::onReportDownloadComplete);
    // A download shows what has arrived; "Annulla" withdraws it and nothing is written.
    connect(model, &Model::Report::reportDownloadProgress, this, [this](qint64 bytes) {
        ensureProgressDialog()->setLabelText(downloadProgressText(bytes));
    });
}

ReportWindow::~ReportWindow() = default;

void ReportWindow::open()
{
    takeHeaderToolbar(ui->headerLayout);
    setWindowTitle(QStringLiteral("Lista dei report: ") + applicationManager->getBank());
    QDialog::open();
}

SearchFilters ReportWindow::readSearchFilters() const
{
    SearchFilters filters;
    readDateRange(filters, ui->dateFilterEnabled, ui->fromDate, ui->toDate);
    return filters;
}

void ReportWindow::clearSearchFields() { ui->dateFilterEnabled->setChecked(false); }

void ReportWindow::onCellDoubleClicked(const QModelIndex& index)
{
    qCDebug(corvaneLog) << "onCellDoubleClicked"
                        << "SLOT triggered";
    const int row = index.row();
    qCDebug(corvaneLog) << "file report id"
                        << model->getValue(row, QStringLiteral("report_file_id"));
    const QString path = askSavePath(this, QStringLiteral("Salvataggio report"),
        model->getValue(row, QStringLiteral("filename")), QStringLiteral("report.csv"));
    if (path.isEmpty())
        return;
    reportPath = path;
    reportEmpty = model->getValue(row, QStringLiteral("vuoto")) == QLatin1String("1");

    QProgressDialog* progress = ensureProgressDialog();
    connect(progress, &QProgressDialog::canceled, this, &ReportWindow::onDownloadCanceled,
        Qt::UniqueConnection);
    progress->setWindowTitle(QStringLiteral("Download report"));
    progress->setLabelText(QStringLiteral("Download del file in corso..."));
    qCDebug(corvaneLog) << "Showing download progress dialog";
    progress->show();
    reportModel->downloadReport(row, reportPath);
}

void ReportWindow::onDownloadCanceled()
{
    // Also reported when the dialog closes after a search or a download: then nothing runs.
    reportModel->cancelDownload();
    QProgressDialog* progress = ensureProgressDialog();
    progress->setWindowTitle(QStringLiteral("Lista report"));
    progress->setLabelText(QStringLiteral("Ricerca dei risultati in corso..."));
}

void ReportWindow::onReportDownloadComplete(bool success)
{
    QProgressDialog* progress = ensureProgressDialog();
    progress->setWindowTitle(QStringLiteral("Lista report"));
    progress->setLabelText(QStringLiteral("Ricerca dei risultati in corso..."));
    progress->close();
    openDownloadedFile(this, success, reportPath, "Could not open the report file at path",
        reportEmpty ? QStringLiteral("Il report selezionato è vuoto.") : QString());
}

void ReportWindow::updateInterfaceDetails()
{
    showResultCount(QStringLiteral("Trovati %1 report"));
}

void ReportWindow::onDateFilterToggle(bool isEnabled)
{
    setAllEnabled({ ui->fromDateLabel, ui->fromDate, ui->toDateLabel, ui->toDate }, isEnabled);
}

}
