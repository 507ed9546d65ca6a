#include "ui/abstracttablewindow.h"

#include "core/logging.h"
#include "models/abstractpaginatedtable.h"
#include "models/listexport.h"
#include "models/searchfilters.h"
#include "ui/exportfile.h"
#include "ui/headertoolbar.h"
#include "ui/paginator.h"
#include "ui/tablecolumns.h"
#include "ui/windowlayout.h"

#include <QAction>
#include <QBoxLayout>
#include <QCheckBox>
#include <QClipboard>
#include <QDateEdit>
#include <QGridLayout>
#include <QGuiApplication>
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
    QPushButton* fetchButton, QBoxLayout* statusBarLayout, bool sortable, const QString& listName)
{
    table = dataTable;
    columns = new TableColumns(table, model);
    this->sortable = sortable;
    this->listName = listName;
    addExportButton(fetchButton);
    // Several rows can be copied at once; Enter and a double click open the current one.
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
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
    table->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(table, &QWidget::customContextMenuRequested, this, [this](const QPoint& position) {
        showTableMenu(table->viewport()->mapToGlobal(position));
    });
    if (sortable) {
        restoreSortIndicator();
        connect(table->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this,
            [this](int section, Qt::SortOrder order) {
                onSortChanged(columns->toColumn(section), order);
            });
        QHeaderView* header = table->horizontalHeader();
        header->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(header, &QWidget::customContextMenuRequested, this,
            [this, header](
                const QPoint& position) { showSortMenu(header->mapToGlobal(position)); });
    }
}

void AbstractTableWindow::addExportButton(QPushButton* fetchButton)
{
    exportButton = new QPushButton(QStringLiteral("Esporta…"), this);
    exportButton->setObjectName(QStringLiteral("exportButton"));
    exportButton->setToolTip(QStringLiteral("Esporta tutti i risultati in un file (Ctrl+E)"));
    exportButton->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    exportButton->setAutoDefault(false);
    connect(exportButton, &QPushButton::clicked, this, &AbstractTableWindow::exportList);
    // Beside "Mostra tutto", in the search panel's grid.
    QGridLayout* grid = nullptr;
    for (QGridLayout* candidate : fetchButton->parentWidget()->findChildren<QGridLayout*>()) {
        if (candidate->indexOf(fetchButton) >= 0)
            grid = candidate;
    }
    if (!grid) {
        statusBar->addPermanentWidget(exportButton);
        return;
    }
    int row = 0;
    int column = 0;
    int rowSpan = 0;
    int columnSpan = 0;
    grid->getItemPosition(grid->indexOf(fetchButton), &row, &column, &rowSpan, &columnSpan);
    int free = column + columnSpan;
    while (grid->itemAtPosition(row, free))
        ++free;
    grid->addWidget(exportButton, row, free);
}

bool AbstractTableWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != table || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    // The view's own copy takes only the current cell.
    if (key->matches(QKeySequence::Copy)) {
        copySelection();
        return true;
    }
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        if (table->currentIndex().isValid())
            onCellDoubleClicked(columns->toModelIndex(table->currentIndex()));
        return true;
    }
    if ((key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier)
        || key->key() == Qt::Key_Menu) {
        const QRect cell = table->visualRect(table->currentIndex());
        showTableMenu(table->viewport()->mapToGlobal(cell.isValid() ? cell.center() : QPoint()));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void AbstractTableWindow::showEvent(QShowEvent* event)
{
    restoreLayout();
    QDialog::showEvent(event);
}

void AbstractTableWindow::restoreLayout()
{
    if (layoutRestored)
        return;
    layoutRestored = true;
    QHeaderView* header = table->horizontalHeader();
    {
        // The arrow put back is no click of the user: no search goes out for it.
        const QSignalBlocker blocker(header);
        if (!WindowLayout::remember(this, header))
            return;
    }
    columns->keepCurrentWidths();
    if (!sortable)
        return;
    const int column = columns->toColumn(header->sortIndicatorSection());
    if (!model->getOrderKey(column).isEmpty()) {
        sortColumn = shownSortColumn = column;
        sortDirection = shownSortDirection = header->sortIndicatorOrder() == Qt::AscendingOrder
            ? QStringLiteral("1")
            : QStringLiteral("0");
    }
    restoreSortIndicator();
}

void AbstractTableWindow::exportList()
{
    qCDebug(corvaneLog) << "exportList"
                        << "SLOT triggered in" << metaObject()->className();
    if (runningExport)
        return;
    // From the main window's menu the list may be closed: the dialogs go over the main window.
    QWidget* owner = isVisible() || !parentWidget() ? this : parentWidget();
    if (model->getTotalResults() == 0 || model->rowCount() == 0) {
        QMessageBox::information(owner, QStringLiteral("Esporta"),
            QStringLiteral("Nessun risultato da esportare: esegui prima una ricerca."));
        return;
    }
    const QString path = askExportPath(
        owner, QStringLiteral("Esporta %1").arg(listName), listName + QStringLiteral(".xlsx"));
    if (path.isEmpty())
        return;
    const QList<int> shown = columns->shownColumns();
    auto* job = new Model::ListExport(model, shown,
        Model::TableWriter::create(
            Model::TableWriter::formatOf(path), path, listName, model->getExportColumns(shown)),
        this);
    runningExport = job;
    if (!job->start()) {
        delete job;
        showExportFailure(owner, path);
        return;
    }
    auto* progress = new QProgressDialog(QStringLiteral("Esportazione in corso..."),
        QStringLiteral("Annulla"), 0, model->getTotalResults(), owner);
    progress->setObjectName(QStringLiteral("exportProgress"));
    progress->setWindowTitle(QStringLiteral("Esporta %1").arg(listName));
    progress->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    progress->setWindowModality(Qt::WindowModal);
    progress->setAutoReset(false);
    progress->setAutoClose(false);
    progress->setAttribute(Qt::WA_DeleteOnClose);
    progress->setValue(0);
    // Giving up withdraws the page on its way and writes nothing; closing the dialog at the end
    // also reports a cancel, which then finds the export over.
    connect(progress, &QProgressDialog::canceled, job, &Model::ListExport::cancel);
    connect(job, &Model::ListExport::progressed, progress, [progress](int written, int total) {
        progress->setMaximum(qMax(total, written));
        progress->setValue(written);
    });
    connect(job, &Model::ListExport::finished, this,
        [job, progress, owner, path](Model::ListExport::Outcome outcome) {
            job->deleteLater();
            if (progress)
                progress->close();
            if (outcome == Model::ListExport::Outcome::Written)
                WindowLayout::setLastFolder(path);
            else if (outcome == Model::ListExport::Outcome::FileFailed)
                showExportFailure(owner, path);
            else if (outcome == Model::ListExport::Outcome::PageMissing)
                showExportFailure(owner, QString());
        });
    progress->show();
}

void AbstractTableWindow::copySelection()
{
    const QItemSelectionModel* selection = table->selectionModel();
    if (!selection || !selection->hasSelection())
        return;
    QList<int> rows;
    for (const QModelIndex& index : selection->selectedIndexes())
        rows << columns->toModelIndex(index).row();
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    const QList<int> shown = columns->shownColumns();
    QList<QStringList> values;
    for (int row : qAsConst(rows)) {
        QStringList line;
        for (int column : shown)
            line << model->index(row, column).data().toString();
        values << line;
    }
    QGuiApplication::clipboard()->setText(
        Model::clipboardText(model->getExportColumns(shown), values));
    qCDebug(corvaneLog) << "Copied" << rows.size() << "rows";
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

void AbstractTableWindow::showTableMenu(const QPoint& globalPosition)
{
    if (!sortable) {
        auto* menu = new QMenu(this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        addCopyEntry(menu);
        menu->popup(globalPosition);
        return;
    }
    showSortMenu(globalPosition, true);
}

void AbstractTableWindow::addCopyEntry(QMenu* menu)
{
    QAction* copy = menu->addAction(QStringLiteral("Copia"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(table->selectionModel() && table->selectionModel()->hasSelection());
    connect(copy, &QAction::triggered, this, &AbstractTableWindow::copySelection);
}

void AbstractTableWindow::showSortMenu(const QPoint& globalPosition, bool withCopy)
{
    auto* menu = new QMenu(QStringLiteral("Ordina per"), this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (withCopy)
        addCopyEntry(menu);
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
