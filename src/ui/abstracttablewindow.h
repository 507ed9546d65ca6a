#pragma once

#include <QDialog>
#include <QModelIndex>
#include <QPointer>

class QBoxLayout;
class QCheckBox;
class QDateEdit;
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
}

/// What the four list windows share: the search panel's two buttons ("Cerca" with the panel's
/// filters, "Mostra tutto" without), the table, the status bar with the count of results, the
/// progress dialog while a search runs, and the sort by a clicked header. Each concrete window
/// is created once by the flow manager with its model and lives as long as it.
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

protected:
    /// The filters and the order as the search panel and the header hold them now.
    virtual SearchFilters readSearchFilters() const = 0;
    virtual void clearSearchFields() = 0;

    /// Wires the form's common parts; called by each concrete constructor after its setupUi.
    void setUpTable(QTableView* dataTable, QPushButton* searchButton, QPushButton* fetchButton,
        QBoxLayout* statusBarLayout, bool sortable);
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
    void widenToTable();
    /// Ends the wait for a search that brought nothing: status, sort arrow and dialog as before.
    void endWait();
    /// The "Ordina per" menu of the columns the server can order by, at the given point.
    void showSortMenu(const QPoint& globalPosition);

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
};

}
