#include "ui/abstracttablewindow.h"

#include "core/logging.h"
#include "models/abstractpaginatedtable.h"
#include "models/searchfilters.h"
#include "ui/headertoolbar.h"
#include "ui/paginator.h"
#include "ui/tablecolumns.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
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
    columns = new TableColumns(table, model);
    this->sortable = sortable;
    table->setAccessibleName(windowTitle());
    // A list the server cannot order shows no arrow and takes no clicks on its header.
    table->horizontalHeader()->setSortIndicatorShown(sortable);
    table->horizontalHeader()->setSectionsClickable(sortable);
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    statusBarLayout->addWidget(statusBar);
    statusBarLayout->setSpacing(0);
    statusBarLayout->setContentsMargins(0, 0, 0, 0);

    // The wait is shown only for a search that really went out, and ends with it whatever its
    // outcome.
    connect(model, &Model::AbstractPaginatedTable::searchStarted, this,
        &AbstractTableWindow::showFetchProgressDialog);
    connect(model, &Model::AbstractPaginatedTable::searchEnded, this,
        &AbstractTableWindow::onSearchEnded);
    connect(fetchButton, &QPushButton::clicked, this, &AbstractTableWindow::onFetchButtonClicked);
    connect(searchButton, &QPushButton::clicked, this, &AbstractTableWindow::onSearchButtonClicked);
    connect(table, &QTableView::doubleClicked, this,
        [this](const QModelIndex& index) { onCellDoubleClicked(columns->toModelIndex(index)); });
    // Enter on a row opens it; Enter in a search field searches.
    table->installEventFilter(this);
    searchButton->setDefault(true);
    connect(
        model, &QAbstractItemModel::modelReset, this, &AbstractTableWindow::updateInterfaceDetails);
    connect(model, &QAbstractItemModel::modelReset, this, &AbstractTableWindow::widenToTable);
    if (sortable) {
        restoreSortIndicator();
        connect(table->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this,
            [this](int section, Qt::SortOrder order) {
                onSortChanged(columns->toColumn(section), order);
            });
        for (QWidget* widget :
            { static_cast<QWidget*>(table), static_cast<QWidget*>(table->horizontalHeader()) }) {
            widget->setContextMenuPolicy(Qt::CustomContextMenu);
            connect(widget, &QWidget::customContextMenuRequested, this,
                [this, widget](
                    const QPoint& position) { showSortMenu(widget->mapToGlobal(position)); });
        }
    }
}

bool AbstractTableWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != table || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        if (table->currentIndex().isValid())
            onCellDoubleClicked(columns->toModelIndex(table->currentIndex()));
        return true;
    }
    if (sortable && key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier) {
        const QRect cell = table->visualRect(table->currentIndex());
        showSortMenu(table->viewport()->mapToGlobal(cell.isValid() ? cell.center() : QPoint()));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void AbstractTableWindow::readDateRange(
    SearchFilters& filters, const QCheckBox* enabled, const QDateEdit* from, const QDateEdit* to)
{
    if (!enabled->isChecked())
        return;
    filters.dateFrom = from->date().toString(QStringLiteral("dd/MM/yyyy"));
    filters.dateTo = to->date().toString(QStringLiteral("dd/MM/yyyy"));
}

void AbstractTableWindow::widenToTable()
{
    // Every column in view without scrolling sideways, as far as the screen allows.
    const int missing = table->horizontalHeader()->length() + table->verticalHeader()->width()
        + 2 * table->frameWidth() + table->verticalScrollBar()->sizeHint().width() - table->width();
    if (missing <= 0)
        return;
    const QScreen* screen = this->screen();
    const int available = screen ? screen->availableGeometry().width() : width() + missing;
    resize(qMax(width(), qMin(width() + missing, available)), height());
}

void AbstractTableWindow::showSortMenu(const QPoint& globalPosition)
{
    auto* menu = new QMenu(QStringLiteral("Ordina per"), this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addSection(QStringLiteral("Ordina per"));
    QHeaderView* header = table->horizontalHeader();
    for (int section = 0; section < header->count(); ++section) {
        if (model->getOrderKey(columns->toColumn(section)).isEmpty())
            continue;
        const QString name
            = model->headerData(columns->toColumn(section), Qt::Horizontal).toString();
        for (const auto& [order, text] :
            { qMakePair(Qt::AscendingOrder, QStringLiteral("crescente")),
                qMakePair(Qt::DescendingOrder, QStringLiteral("decrescente")) }) {
            QAction* action = menu->addAction(QStringLiteral("%1 (%2)").arg(name, text));
            connect(action, &QAction::triggered, header,
                [header, section, order = order] { header->setSortIndicator(section, order); });
        }
    }
    menu->popup(globalPosition);
}

void AbstractTableWindow::setColumns(
    QTableView* /*table*/, const QList<QPair<int, int>>& widths, const QList<int>& hidden)
{
    columns->setHidden(hidden, true);
    columns->setStartWidths(widths);
}

void AbstractTableWindow::showColumn(int column) { columns->setHidden({ column }, false); }

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
}

void AbstractTableWindow::search()
{
    const SearchFilters filters = readSearchFilters();
    const QString format = QStringLiteral("dd/MM/yyyy");
    const QDate from = QDate::fromString(filters.dateFrom, format);
    const QDate to = QDate::fromString(filters.dateTo, format);
    if (from.isValid() && to.isValid() && from > to) {
        // The server answers such a period with an empty list and no word.
        qCWarning(corvaneLog) << "Search refused: the period starts after its end";
        endWait();
        QMessageBox::warning(this, QStringLiteral("Periodo non valido"),
            QStringLiteral("La data iniziale del periodo è successiva alla data finale."));
        return;
    }
    model->setSearchFilters(filters);
    if (!model->fetch())
        endWait();
}

void AbstractTableWindow::onSearchEnded(bool accepted)
{
    if (accepted) {
        shownSortColumn = sortColumn;
        shownSortDirection = sortDirection;
        return;
    }
    // Nothing came: the count, the sort arrow and the pages stay those of the rows on screen.
    endWait();
}

void AbstractTableWindow::endWait()
{
    sortColumn = shownSortColumn;
    sortDirection = shownSortDirection;
    restoreSortIndicator();
    // Only a search from the panel's buttons announced itself in the status bar.
    if (statusBar->currentMessage() == QLatin1String("Ricerca in corso..."))
        statusBar->showMessage(statusBeforeSearch);
    if (progressDialog)
        progressDialog->close();
}

void AbstractTableWindow::onSearchButtonClicked()
{
    qCDebug(corvaneLog) << "onSearchButtonClicked"
                        << "SLOT triggered in" << metaObject()->className();
    statusBeforeSearch = statusBar->currentMessage();
    statusBar->showMessage(QStringLiteral("Ricerca in corso..."));
    search();
}

void AbstractTableWindow::onFetchButtonClicked()
{
    qCDebug(corvaneLog) << "onFetchButtonClicked"
                        << "SLOT triggered in" << metaObject()->className();
    clearSearchFields();
    statusBeforeSearch = statusBar->currentMessage();
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
        return;
    }
    if (model->getOrderKey(section).isEmpty()) {
        // The server cannot order by this column: asking would only return the same order.
        qCWarning(corvaneLog) << "The column" << section << "cannot be sorted";
        restoreSortIndicator();
        return;
    }
    sortColumn = section;
    sortDirection = order == Qt::AscendingOrder ? QStringLiteral("1") : QStringLiteral("0");
    search();
}

void AbstractTableWindow::restoreSortIndicator()
{
    const QSignalBlocker blocker(table->horizontalHeader());
    table->horizontalHeader()->setSortIndicator(columns->toSection(sortColumn),
        sortDirection == QLatin1String("1") ? Qt::AscendingOrder : Qt::DescendingOrder);
}

QProgressDialog* AbstractTableWindow::ensureProgressDialog()
{
    if (!progressDialog) {
        progressDialog = new QProgressDialog(QStringLiteral("Ricerca dei risultati in corso..."),
            QStringLiteral("Annulla"), 0, 0, this);
        // Giving up withdraws the search; the list stays as it was. Closing the dialog once the
        // search has ended also reports a cancel, which then finds nothing to withdraw.
        connect(progressDialog, &QProgressDialog::canceled, model,
            &Model::AbstractPaginatedTable::cancelSearch);
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
    // A page of an earlier search ends no wait for a later one.
    if (progressDialog && !model->isSearching())
        progressDialog->close();
}

}
