#include "ui/companywindow.h"

#include "core/logging.h"
#include "models/company.h"
#include "models/searchfilters.h"
#include "ui/anagraphicwindow.h"
#include "ui/paginator.h"
#include "ui/windowrequestinterface.h"
#include "ui_companywindow.h"

#include <QStringListModel>

namespace Corvane {

CompanyWindow::CompanyWindow(Interface::WindowRequestInterface* applicationManager,
    HeaderToolbar* headerToolbar, Model::Company* model, QWidget* parent)
    : AbstractTableWindow(headerToolbar, model, parent)
    , ui(std::make_unique<Ui::CompanyWindow>())
    , applicationManager(applicationManager)
    , companyModel(model)
{
    ui->setupUi(this);
    setUpTable(ui->dataTable, ui->searchButton, ui->fetchButton, ui->statusBarLayout, true,
        QStringLiteral("Imprese"));
    setColumns(
        ui->dataTable, { { 1, 330 }, { 2, 150 }, { 3, 130 }, { 4, 150 }, { 5, 150 } }, { 0, 6 });
    addPaginator(ui->paginatorLayout);
    ui->province->setModel(model->getProvinceModel());
    connect(model->getProvinceModel(), &QAbstractItemModel::modelReset, this,
        &CompanyWindow::onProvinceModelReset);
    connect(model, &QAbstractItemModel::modelReset, this, &CompanyWindow::onModelReset);
}

CompanyWindow::~CompanyWindow() = default;

void CompanyWindow::open()
{
    takeHeaderToolbar(ui->headerLayout);
    companyModel->fetchProvinces();
    setWindowTitle(QStringLiteral("Anagrafica Imprese: ") + applicationManager->getBank());
    QDialog::open();
}

SearchFilters CompanyWindow::readSearchFilters() const
{
    SearchFilters filters;
    filters.companyName = ui->companyName->text();
    filters.fiscalCode = ui->fiscalCode->text();
    filters.city = ui->city->text();
    filters.province = companyModel->getProvinceKey(ui->province->currentText());
    filters.sortKey = model->getOrderKey(getSortColumn());
    filters.sortDirection = getSortDirection();
    return filters;
}

void CompanyWindow::clearSearchFields()
{
    ui->companyName->clear();
    ui->fiscalCode->clear();
    ui->city->clear();
    ui->province->setCurrentIndex(0);
}

void CompanyWindow::onCellDoubleClicked(const QModelIndex& index)
{
    qCDebug(corvaneLog) << "onCellDoubleClicked"
                        << "SLOT triggered in" << metaObject()->className();
    applicationManager->showAnagraphic(model->getValue(index.row(), QStringLiteral("anag_id")));
}

void CompanyWindow::updateInterfaceDetails()
{
    showResultCount(QStringLiteral("Trovate %1 imprese"));
}

void CompanyWindow::onModelReset()
{
    // The "Confidi" column goes with the mergers: shown for a list that has them, hidden again
    // for one that has not.
    if (!companyModel->isMergersPresent()) {
        setColumns(ui->dataTable, {}, { 6 });
        return;
    }
    showColumn(6);
    setColumns(ui->dataTable, { { 1, 240 }, { 2, 140 }, { 3, 140 }, { 4, 140 }, { 5, 100 } }, {});
}

void CompanyWindow::onProvinceModelReset()
{
    ui->province->insertItem(0, QString());
    ui->province->setCurrentIndex(0);
}

}
