#include "ui/abstracttablewindow.h"

#include "core/logging.h"
#include "models/abstractpaginatedtable.h"
#include "models/searchfilters.h"
#include "ui/headertoolbar.h"
#include "ui/paginator.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QProgressDialog>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>

namespace Corvane {

AbstractTableWindow::AbstractTableWindow(
    HeaderToolbar* headerToolbar, Model::AbstractPaginatedTable* model, QWidget* parent)
    : QDialog(parent)
    , headerToolbar(headerToolbar)
    , model(model)
    , statusBar(new QStatusBar(this))
{
    statusBar->setSizeGripEnabled(false);
}

AbstractTableWindow::~AbstractTableWindow() = default;

void AbstractTableWindow::setUpTable(QTableView* dataTable, QPushButton* searchButton,
    QPushButton* fetchButton, QBoxLayout* statusBarLayout, bool sortable)
{
    table = dataTable;
    table->setModel(model);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->horizontalHeader()->setSortIndicatorShown(true);
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    statusBarLayout->addWidget(statusBar);
    statusBarLayout->setSpacing(0);
    statusBarLayout->setContentsMargins(0, 0, 0, 0);

    connect(
        searchButton, &QPushButton::clicked, this, &AbstractTableWindow::showFetchProgressDialog);
    connect(
        fetchButton, &QPushButton::clicked, this, &AbstractTableWindow::showFetchProgressDialog);
    connect(fetchButton, &QPushButton::clicked, this, &AbstractTableWindow::onFetchButtonClicked);
    connect(searchButton, &QPushButton::clicked, this, &AbstractTableWindow::onSearchButtonClicked);
    connect(table, &QTableView::doubleClicked, this, &AbstractTableWindow::onCellDoubleClicked);
    connect(
        model, &QAbstractItemModel::modelReset, this, &AbstractTableWindow::updateInterfaceDetails);
    if (sortable) {
        table->horizontalHeader()->setSectionsClickable(true);
        restoreSortIndicator();
        connect(table->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this,
            &AbstractTableWindow::showFetchProgressDialog);
        connect(table->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this,
            &AbstractTableWindow::onSortChanged);
    }
}

void AbstractTableWindow::setColumns(
    QTableView* table, const QList<QPair<int, int>>& widths, const QList<int>& hidden)
{
    for (const auto& width : widths)
        table->setColumnWidth(width.first, width.second);
    for (int column : hidden)
        table->setColumnHidden(column, true);
}

void AbstractTableWindow::readDateRange(
    SearchFilters& filters, const QCheckBox* enabled, const QDateEdit* from, const QDateEdit* to)
{
    if (!enabled->isChecked())
        return;
    filters.dateFrom = from->date().toString(QStringLiteral("dd/MM/yyyy"));
    filters.dateTo = to->date().toString(QStringLiteral("dd/MM/yyyy"));
}

void AbstractTableWindow::setAllEnabled(const QList<QWidget*>& widgets, bool enabled)
{
    for (QWidget* widget : widgets)
        widget->setEnabled(enabled);
}

void AbstractTableWindow::takeHeaderToolbar(QBoxLayout* headerLayout)
{
    if (headerToolbar && headerToolbar->parentWidget() != this)
        headerLayout->addWidget(headerToolbar);
}

QProgressDialog* AbstractTableWindow::getProgressDialog() const { return progressDialog; }

void AbstractTableWindow::addPaginator(QBoxLayout* layout)
{
    paginator = new Paginator(model, this);
    layout->addWidget(paginator);
    connect(paginator, &Paginator::pageButtonCliked, this,
        &AbstractTableWindow::showFetchProgressDialog);
}

void AbstractTableWindow::search()
{
    model->setSearchFilters(readSearchFilters());
    model->fetch();
}

void AbstractTableWindow::onSearchButtonClicked()
{
    qCDebug(corvaneLog) << "onSearchButtonClicked"
                        << "SLOT triggered in" << metaObject()->className();
    statusBar->showMessage(QStringLiteral("Ricerca in corso..."));
    search();
}

void AbstractTableWindow::onFetchButtonClicked()
{
    qCDebug(corvaneLog) << "onFetchButtonClicked"
                        << "SLOT triggered in" << metaObject()->className();
    clearSearchFields();
    statusBar->showMessage(QStringLiteral("Ricerca in corso..."));
    search();
}

void AbstractTableWindow::onSortChanged(int section, Qt::SortOrder order)
{
    qCDebug(corvaneLog) << "onSortChanged"
                        << "SLOT triggered in" << metaObject()->className() << section;
    if (model->getTotalResults() < 2) {
        qCWarning(corvaneLog) << "There is no enought results to be sorted";
        restoreSortIndicator();
        if (progressDialog)
            progressDialog->close();
        return;
    }
    if (model->getOrderKey(section).isEmpty()) {
        // The server cannot order by this column: asking would only return the same order.
        qCWarning(corvaneLog) << "The column" << section << "cannot be sorted";
        restoreSortIndicator();
        if (progressDialog)
            progressDialog->close();
        return;
    }
    sortColumn = section;
    sortDirection = order == Qt::AscendingOrder ? QStringLiteral("1") : QStringLiteral("0");
    search();
}

void AbstractTableWindow::restoreSortIndicator()
{
    const QSignalBlocker blocker(table->horizontalHeader());
    table->horizontalHeader()->setSortIndicator(
        sortColumn, sortDirection == QLatin1String("1") ? Qt::AscendingOrder : Qt::DescendingOrder);
}

QProgressDialog* AbstractTableWindow::ensureProgressDialog()
{
    if (!progressDialog) {
        progressDialog = new QProgressDialog(
            QStringLiteral("Ricerca dei risultati in corso..."), QString(), 0, 0, this);
        progressDialog->setCancelButton(nullptr);
        progressDialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        progressDialog->setWindowTitle(QStringLiteral("Filtra risultati"));
        progressDialog->setWindowModality(Qt::WindowModal);
        progressDialog->reset();
    }
    return progressDialog;
}

void AbstractTableWindow::showFetchProgressDialog()
{
    qCDebug(corvaneLog) << "showFetchProgressDialog"
                        << "SLOT triggered in" << metaObject()->className();
    ensureProgressDialog()->show();
}

void AbstractTableWindow::showResultCount(const QString& text)
{
    qCDebug(corvaneLog) << "updateInterfaceDetails"
                        << "SLOT triggered in" << metaObject()->className();
    statusBar->showMessage(text.arg(model->getTotalResults()));
    if (progressDialog)
        progressDialog->close();
}

}
