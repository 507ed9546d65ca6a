#include "ui/positionwindow.h"

#include "core/logging.h"
#include "models/position.h"
#include "models/searchfilters.h"
#include "models/status.h"
#include "ui/paginator.h"
#include "ui/positiondetailwindow.h"
#include "ui/windowrequestinterface.h"
#include "ui_positionwindow.h"

namespace Corvane {

PositionWindow::PositionWindow(Interface::WindowRequestInterface* applicationManager,
    HeaderToolbar* headerToolbar, Model::Position* model, Model::Status* statusModel,
    QWidget* parent)
    : AbstractTableWindow(headerToolbar, model, parent)
    , ui(std::make_unique<Ui::PositionWindow>())
    , applicationManager(applicationManager)
    , statusModel(statusModel)
{
    ui->setupUi(this);
    setUpTable(ui->dataTable, ui->searchButton, ui->fetchButton, ui->statusBarLayout, true,
        QStringLiteral("Posizioni"));
    setColumns(ui->dataTable,
        { { 0, 90 }, { 1, 230 }, { 2, 110 }, { 3, 90 }, { 4, 80 }, { 5, 70 }, { 6, 90 }, { 7, 100 },
            { 8, 70 }, { 9, 1 } },
        { 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24 });
    addPaginator(ui->paginatorLayout);
    const QDate today = QDate::currentDate();
    ui->toDate->setDate(today);
    ui->fromDate->setDate(today.addMonths(-4));
    ui->status->setModel(statusModel);
    connect(
        statusModel, &QAbstractItemModel::modelReset, this, &PositionWindow::onStatusModelReset);
    connect(ui->dateFilterEnabled, &QCheckBox::toggled, this, &PositionWindow::onDateFilterToggle);
}

PositionWindow::~PositionWindow() = default;

void PositionWindow::open()
{
    takeHeaderToolbar(ui->headerLayout);
    statusModel->fetch();
    setWindowTitle(QStringLiteral("Elenco posizioni: ") + applicationManager->getBank());
    QDialog::open();
}

SearchFilters PositionWindow::readSearchFilters() const
{
    SearchFilters filters;
    filters.companyName = ui->companyName->text();
    filters.lcr = ui->lcr->text();
    filters.loanNumber = ui->loanNumber->text();
    filters.positionStatus = statusModel->getStatusKey(ui->status->currentText());
    readDateRange(filters, ui->dateFilterEnabled, ui->fromDate, ui->toDate);
    filters.sortKey = model->getOrderKey(getSortColumn());
    filters.sortDirection = getSortDirection();
    return filters;
}

void PositionWindow::clearSearchFields()
{
    ui->status->setCurrentIndex(0);
    ui->companyName->clear();
    ui->lcr->clear();
    ui->loanNumber->clear();
    ui->dateFilterEnabled->setChecked(false);
}

void PositionWindow::onCellDoubleClicked(const QModelIndex& index)
{
    qCDebug(corvaneLog) << "onCellDoubleClicked"
                        << "SLOT triggered in" << metaObject()->className();
    if (!qobject_cast<Model::Position*>(model)) {
        qCWarning(corvaneLog) << "Model in PositionWindow could not be casted into Model::Position";
        return;
    }
    applicationManager->showPosition(
        model->getValue(index.row(), QStringLiteral("pratica_forma_tecnica_id")),
        model->getValue(index.row(), QStringLiteral("num_delib_c")));
}

void PositionWindow::updateInterfaceDetails()
{
    showResultCount(QStringLiteral("Trovate %1 posizioni"));
}

void PositionWindow::onDateFilterToggle(bool isEnable)
{
    setAllEnabled({ ui->fromDateLabel, ui->fromDate, ui->toDateLabel, ui->toDate }, isEnable);
}

void PositionWindow::onStatusModelReset()
{
    ui->status->insertItem(0, QString());
    ui->status->setCurrentIndex(0);
}

}
