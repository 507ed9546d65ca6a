#include "ui/positiondetailwindow.h"

#include "core/logging.h"
#include "models/amortization.h"
#include "models/positiondetails.h"
#include "models/tableexport.h"
#include "ui/amortizationplot.h"
#include "ui/anagraphicwindow.h"
#include "ui/dialogsetup.h"
#include "ui/downloadoutcome.h"
#include "ui/exportfile.h"
#include "ui/servertextbox.h"
#include "ui/tablecolumns.h"
#include "ui/windowlayout.h"
#include "ui_positiondetailwindow.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollBar>
#include <QToolBar>

#include <tuple>

namespace Corvane {

namespace {
    const QString notAvailable = QStringLiteral("n.d.");
    const QString absent = QStringLiteral("NO");
}

PositionDetailWindow::PositionDetailWindow(AnagraphicWindow* anagraphicWindow,
    Model::Amortization* amortizationModel, Model::PositionDetails* positionDetailsModel,
    QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::PositionDetailWidow>())
    , anagraphicWindow(anagraphicWindow)
    , amortizationModel(amortizationModel)
    , positionDetailsModel(positionDetailsModel)
    , toolbar(new QToolBar(this))
{
    ui->setupUi(this);
    WindowLayout::remember(this);
    ui->companyLayout->setColumnStretch(1, 1);
    toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbar->setIconSize(QSize(32, 32));
    ui->toolbarLayout->addWidget(toolbar);
    connect(
        toolbar->addAction(QIcon(QStringLiteral(":/Images/home.png")), QStringLiteral("Chiudi")),
        &QAction::triggered, this, &PositionDetailWindow::onCloseButtonClicked);
    connect(
        toolbar->addAction(QIcon(QStringLiteral(":/Images/pdf.png")), QStringLiteral("Stampa PDF")),
        &QAction::triggered, this, &PositionDetailWindow::onPrintPdfButtonClicked);
    setKeyboardReachable(toolbar);

    QTableView* table = ui->ammortamentoTable;
    planColumns = new TableColumns(table, amortizationModel);
    planColumns->setHidden({ 0 }, true);
    planColumns->setStartWidths({ { 1, 50 }, { 2, 80 }, { 3, 80 }, { 4, 100 }, { 5, 80 },
        { 6, 110 }, { 7, 90 }, { 8, 80 }, { 9, 90 } });
    table->setAccessibleName(ui->ammortamentoGroup->title());
    table->hide();

    // The plan drawn sits where the table is; the table shows first and the button swaps them.
    // Without the chart module the plan shows as the table only.
    chart = AmortizationPlot::create(ui->ammortamentoGroup);
    if (chart) {
        QWidget* plot = chart->widget();
        plot->setObjectName(QStringLiteral("ammortamentoChart"));
        plot->setMinimumHeight(260);
        plot->hide();
        ui->ammortamentoLayout->addWidget(plot, 0, 0);
        connect(amortizationModel, &QAbstractItemModel::modelReset, plot, [this] {
            const QVector<Model::Instalment> plan = this->amortizationModel->getInstalments();
            chart->setInstalments(plan);
            qCDebug(corvaneLog) << "Amortization chart drawn with" << plan.size() << "instalments";
        });
    }
    chartSwitch = new QPushButton(ui->ammortamentoGroup);
    chartSwitch->setObjectName(QStringLiteral("ammortamentoSwitch"));
    chartSwitch->setCheckable(true);
    chartSwitch->hide();
    ui->ammortamentoLayout->addWidget(chartSwitch, 1, 0, Qt::AlignRight);
    connect(chartSwitch, &QPushButton::toggled, this, &PositionDetailWindow::showPlan);
    planExport = new QPushButton(QStringLiteral("Esporta piano…"), ui->ammortamentoGroup);
    planExport->setObjectName(QStringLiteral("ammortamentoExport"));
    planExport->setAutoDefault(false);
    planExport->hide();
    ui->ammortamentoLayout->addWidget(planExport, 1, 0, Qt::AlignLeft);
    connect(planExport, &QPushButton::clicked, this, &PositionDetailWindow::onExportPlanClicked);

    connect(ui->showAnagraphicWindow, &QPushButton::clicked, this,
        &PositionDetailWindow::onShowAnagraphicWindowClicked);
    connect(positionDetailsModel, &Model::PositionDetails::positionDetailUpdated, this,
        &PositionDetailWindow::setupPositionDetailUi);
    connect(positionDetailsModel, &Model::PositionDetails::positionDownloadComplete, this,
        &PositionDetailWindow::onPositionDownloadcomplete);
    connect(positionDetailsModel, &Model::PositionDetails::relatedFormsFound, this,
        [this](const QString& text) {
            showServerText(this, QMessageBox::Information,
                QStringLiteral("Trovate forme tecniche collegate"), text);
        });
    connect(amortizationModel, &QAbstractItemModel::modelReset, this,
        &PositionDetailWindow::onAmortizationModelReset);
}

PositionDetailWindow::~PositionDetailWindow() = default;

void PositionDetailWindow::showPosition(const QString& technicalFormId, const QString& lcr)
{
    qCDebug(corvaneLog) << "showPosition" << technicalFormId << lcr;
    // The plan is asked first, so that it is there when the position opens the window.
    chartSwitch->setChecked(false);
    amortizationModel->fetchPlan(technicalFormId, lcr);
    positionDetailsModel->fetch(technicalFormId, lcr);
}

QProgressDialog* PositionDetailWindow::getDownloadProgressDialog() const
{
    return downloadProgressDialog;
}

void PositionDetailWindow::setupPositionDetailUi()
{
    qCDebug(corvaneLog) << "setupPositionDetailUi"
                        << "SLOT triggered in" << metaObject()->className();
    const QList<QLabel*> values { ui->companyName, ui->address, ui->fiscalCode, ui->piva, ui->bank,
        ui->abiCab, ui->ftImporto, ui->ftDeliberata, ui->ftStato, ui->dcNumero, ui->dcData,
        ui->dcImporto, ui->dcGarNum, ui->dcGarPerc, ui->dcScadenza, ui->dbNumero, ui->dbData,
        ui->dbImporto, ui->dbLcr, ui->dbScadenza, ui->peNumero, ui->peData, ui->peImporto,
        ui->peScadenza, ui->esTipologia, ui->esEstinzione };
    // Every value is the server's text: never markup.
    for (QLabel* label : values) {
        label->setTextFormat(Qt::PlainText);
        label->setText(notAvailable);
    }
    ui->ftGroup->setTitle(notAvailable);
    for (QWidget* stage : { ui->esWidget, ui->peWidget, ui->dcWidget, ui->dbWidget })
        stage->setVisible(true);

    const Model::PositionDetails* model = positionDetailsModel;
    const auto value = [model](const char* key) { return model->getValue(QLatin1String(key)); };
    const QList<QPair<QLabel*, const char*>> fields { { ui->companyName, "impresa_rag_soc" },
        { ui->address, "indirizzo" }, { ui->fiscalCode, "cod_fiscale" },
        { ui->piva, "partita_iva" }, { ui->bank, "banca_denominazione" },
        { ui->abiCab, "sportello" }, { ui->ftStato, "stato" }, { ui->dcNumero, "DC_num" },
        { ui->dcData, "DC_data" }, { ui->dcImporto, "DC_importo" }, { ui->dcGarNum, "DC_gar_num" },
        { ui->dcGarPerc, "DC_gar_perc" }, { ui->dcScadenza, "DC_scadenza" },
        { ui->dbNumero, "DB_num" }, { ui->dbData, "DB_data" }, { ui->dbImporto, "DB_importo" },
        { ui->dbLcr, "DB_lcr" }, { ui->dbScadenza, "DB_scadenza" }, { ui->peNumero, "PE_numero" },
        { ui->peData, "PE_data_erog" }, { ui->peImporto, "PE_importo" },
        { ui->peScadenza, "PE_data_scad" }, { ui->esTipologia, "ES_tipo" },
        { ui->esEstinzione, "ES_data_conclusione" } };
    for (const auto& field : fields)
        field.first->setText(value(field.second));
    ui->ftImporto->setText(
        QStringLiteral("%1 garantito al %2").arg(value("importo"), value("gar_perc")));
    ui->ftDeliberata->setText(
        QStringLiteral("%1 del %2 perfezionata il %3")
            .arg(value("num_delib_c"), value("data_delib_c"), value("data_perf")));
    ui->ftGroup->setTitle(QStringLiteral("Forma tecnica: %1    Codice QRV: %2")
                              .arg(value("codice_ft"), value("codice_qrv")));

    // A stage is missing only when the server says exactly "NO".
    if (value("ES_presente") == absent)
        ui->esWidget->hide();
    const QList<std::tuple<const char*, QLabel*, QWidget*>> stages {
        { "PE_presente", ui->perfezionamentoPresenteLabel, ui->peWidget },
        { "DB_presente", ui->deliberaBancaPresenteLabel, ui->dbWidget },
        { "DC_presente", ui->deliberaConfidiPresenteLabel, ui->dcWidget },
    };
    for (const auto& [key, missingLabel, data] : stages) {
        const bool missing = value(key) == absent;
        missingLabel->setVisible(missing);
        data->setVisible(!missing);
    }
    open();
}

void PositionDetailWindow::onCloseButtonClicked()
{
    qCDebug(corvaneLog) << "onCloseButtonClicked"
                        << "SLOT triggered in" << metaObject()->className();
    close();
}

void PositionDetailWindow::onPrintPdfButtonClicked()
{
    qCDebug(corvaneLog) << "onPrintPdfButtonClicked"
                        << "SLOT triggered in" << metaObject()->className();
    const QString path = askSavePath(this, QStringLiteral("Salvataggio posizione"),
        QStringLiteral("Pratica-%1.pdf")
            .arg(positionDetailsModel->getValue(QStringLiteral("codice_qrv"))),
        QStringLiteral("Pratica.pdf"));
    if (path.isEmpty())
        return;
    pdfPath = path;

    if (!downloadProgressDialog) {
        downloadProgressDialog = new QProgressDialog(
            QStringLiteral("Download del file in corso..."), QStringLiteral("Annulla"), 0, 0, this);
        // Giving up withdraws the download: nothing is written. Closing the dialog at the end
        // also reports a cancel, which then finds nothing to withdraw.
        connect(downloadProgressDialog, &QProgressDialog::canceled, positionDetailsModel,
            &Model::PositionDetails::cancelDownload);
        connect(positionDetailsModel, &Model::PositionDetails::positionDownloadProgress,
            downloadProgressDialog, [dialog = downloadProgressDialog.data()](qint64 bytes) {
                dialog->setLabelText(downloadProgressText(bytes));
            });
        downloadProgressDialog->setWindowFlags(
            Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        downloadProgressDialog->setWindowTitle(QStringLiteral("Download posizione"));
        downloadProgressDialog->setWindowModality(Qt::WindowModal);
        downloadProgressDialog->reset();
    }
    downloadProgressDialog->setLabelText(QStringLiteral("Download del file in corso..."));
    downloadProgressDialog->show();
    positionDetailsModel->downloadPosition(
        pdfPath, positionDetailsModel->getTechnicalFormId(), positionDetailsModel->getLcr());
}

void PositionDetailWindow::onCommissionsButtonClicked()
{
    qCDebug(corvaneLog) << "onCommissionsButtonClicked"
                        << "SLOT triggered in" << metaObject()->className();
}

void PositionDetailWindow::onShowAnagraphicWindowClicked()
{
    qCDebug(corvaneLog) << "onShowAnagraphicWindowClicked"
                        << "SLOT triggered in" << metaObject()->className();
    if (anagraphicWindow)
        anagraphicWindow->showAnagraphic(
            positionDetailsModel->getValue(QStringLiteral("impresa_anagrafica_id")));
}

void PositionDetailWindow::onAmortizationModelReset()
{
    // Every column of the plan shows without scrolling sideways.
    QTableView* table = ui->ammortamentoTable;
    table->setMinimumWidth(table->horizontalHeader()->length() + 2 * table->frameWidth()
        + table->verticalScrollBar()->sizeHint().width());
    showPlan(chartSwitch->isChecked());
}

void PositionDetailWindow::showPlan(bool asChart)
{
    const bool plan = amortizationModel->getTotalResults() != 0;
    ui->ammortamentoTable->setVisible(plan && !asChart);
    if (chart)
        chart->widget()->setVisible(plan && asChart);
    chartSwitch->setVisible(plan && chart);
    planExport->setVisible(plan);
    chartSwitch->setText(
        asChart ? QStringLiteral("Mostra tabella") : QStringLiteral("Mostra grafico"));
}

void PositionDetailWindow::onPositionDownloadcomplete(bool success)
{
    qCDebug(corvaneLog) << "onPositionDownloadcomplete"
                        << "SLOT triggered in" << metaObject()->className() << success;
    if (downloadProgressDialog)
        downloadProgressDialog->close();
    openDownloadedFile(
        this, success, pdfPath, "Could not open the donwloaded position file with path", QString());
}

void PositionDetailWindow::onExportPlanClicked()
{
    qCDebug(corvaneLog) << "onExportPlanClicked"
                        << "SLOT triggered in" << metaObject()->className();
    const QString lcr = positionDetailsModel->getLcr();
    const QString proposed
        = proposedSavePath(QStringLiteral("Piano %1.xlsx").arg(lcr), QStringLiteral("Piano.xlsx"));
    const QString path = askExportPath(
        this, QStringLiteral("Esporta piano di ammortamento"), QFileInfo(proposed).fileName());
    if (path.isEmpty())
        return;
    // The plan comes whole: what the table holds is all there is.
    const QList<int> shown = planColumns->shownColumns();
    const auto writer = Model::TableWriter::create(Model::TableWriter::formatOf(path), path,
        QStringLiteral("Piano di ammortamento"), amortizationModel->getExportColumns(shown),
        QStringLiteral("Piano di ammortamento - LCR %1 - %2")
            .arg(lcr, positionDetailsModel->getValue(QStringLiteral("impresa_rag_soc"))));
    bool written = writer->open();
    for (int row = 0; written && row < amortizationModel->rowCount(); ++row) {
        QStringList values;
        for (int column : shown)
            values << amortizationModel->index(row, column).data().toString();
        writer->writeRow(values);
    }
    written = written && writer->commit();
    if (!written) {
        qCWarning(corvaneLog) << "The plan could not be exported:" << writer->errorString();
        writer->cancel();
        showExportFailure(this, path);
        return;
    }
    WindowLayout::setLastFolder(path);
}

}
