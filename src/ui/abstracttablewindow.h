#pragma once

#include <QDialog>
#include <QModelIndex>
#include <QPointer>

class QBoxLayout;
class QCheckBox;
class QDateEdit;
class QMenu;
class QProgressDialog;
class QPushButton;
class QStatusBar;
class QTableView;

namespace Corvane {

class HeaderToolbar;
class Paginator;
struct SearchFilters;
class TableColumns;

namespace Model {
    class AbstractPaginatedTable;
    class ListExport;
}

/// What the four list windows share: the search panel's two buttons ("Cerca" with the panel's
/// filters, "Mostra tutto" without), the table, the status bar with the count of results, the
/// progress dialog while a search runs, the sort by a clicked header, the export of every result
/// to a file, the copy of the selected rows, and the layout kept between runs. Each concrete
/// window is created once by the flow manager with its model and lives as long as it.
class AbstractTableWindow : public QDialog {
    Q_OBJECT
public:
    AbstractTableWindow(HeaderToolbar* headerToolbar, Model::AbstractPaginatedTable* model,
        QWidget* parent = nullptr);
    ~AbstractTableWindow() override;

    QStatusBar* getStatusBar() const { return statusBar; }
    /// The page navigation of a list that has pages; null for one that comes whole.
    Paginator* getPaginator() const { return paginator; }
    QProgressDialog* getProgressDialog() const;

public slots:
    virtual void onCellDoubleClicked(const QModelIndex& index) = 0;
    virtual void updateInterfaceDetails() = 0;
    void onFetchButtonClicked();
    void onSearchButtonClicked();
    void onSortChanged(int section, Qt::SortOrder order);
    void showFetchProgressDialog();
    /// Ends the wait; a search that brought no page leaves the window as it was before it.
    void onSearchEnded(bool accepted);
    /// Writes every result of the last search, in its order, to a file the user chooses.
    void exportList();
    /// Puts the selected rows, with the header line, on the clipboard.
    void copySelection();

protected:
    /// The filters and the order as the search panel and the header hold them now.
    virtual SearchFilters readSearchFilters() const = 0;
    virtual void clearSearchFields() = 0;

    /// Wires the form's common parts; called by each concrete constructor after its setupUi.
    /// listName names the exported file and its sheet.
    void setUpTable(QTableView* dataTable, QPushButton* searchButton, QPushButton* fetchButton,
        QBoxLayout* statusBarLayout, bool sortable, const QString& listName);
    /// Sets the start widths of the listed columns and hides the others named.
    void setColumns(
        QTableView* table, const QList<QPair<int, int>>& widths, const QList<int>& hidden);
    /// The panel's date range, as "dd/MM/yyyy", when its switch is on.
    static void readDateRange(SearchFilters& filters, const QCheckBox* enabled,
        const QDateEdit* from, const QDateEdit* to);
    void showColumn(int column);
    /// The date range of a search panel is switched on and off as a whole.
    static void setAllEnabled(const QList<QWidget*>& widgets, bool enabled);
    /// Gives the list its page navigation, laid out in layout.
    void addPaginator(QBoxLayout* layout);
    /// Starts a new search with the filters the panel holds now.
    void search();
    /// Puts the shared header tool bar at the top of this window.
    void takeHeaderToolbar(QBoxLayout* headerLayout);
    /// The status bar text and the end of the progress dialog after a reply.
    void showResultCount(const QString& text);
    QProgressDialog* ensureProgressDialog();
    int getSortColumn() const { return sortColumn; }
    QString getSortDirection() const { return sortDirection; }

    QPointer<HeaderToolbar> headerToolbar;
    QPointer<Model::AbstractPaginatedTable> model;

private:
    /// Puts the header's sort arrow back on the order the list really has.
    void restoreSortIndicator();
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    /// Puts back the size and the columns of the last run, once the concrete window has laid
    /// out its columns; a remembered order is the one the first search asks for.
    void restoreLayout();
    /// "Esporta…" beside the button that shows every result.
    void addExportButton(QPushButton* fetchButton);
    /// The table's menu: "Copia", and the orders when the list can be sorted.
    void showTableMenu(const QPoint& globalPosition);
    void widenToTable();
    /// Ends the wait for a search that brought nothing: status, sort arrow and dialog as before.
    void endWait();
    /// The "Ordina per" menu of the columns the server can order by, at the given point.
    /// withCopy puts "Copia" first, for the table's own menu.
    void showSortMenu(const QPoint& globalPosition, bool withCopy = false);
    void addCopyEntry(QMenu* menu);

    QTableView* table = nullptr;
    TableColumns* columns = nullptr;
    bool sortable = false;
    QStatusBar* statusBar;
    QPointer<QProgressDialog> progressDialog;
    Paginator* paginator = nullptr;
    int sortColumn = 0;
    QString sortDirection = QStringLiteral("0");
    /// The order and the status text of the rows on screen, kept while a search runs.
    int shownSortColumn = 0;
    QString shownSortDirection = QStringLiteral("0");
    QString statusBeforeSearch;
    QString listName;
    QPushButton* exportButton = nullptr;
    QPointer<Model::ListExport> runningExport;
    bool layoutRestored = false;
};

}
