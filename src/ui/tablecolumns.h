#pragma once

#include <QHash>
#include <QList>
#include <QModelIndex>
#include <QObject>
#include <QPair>

class QAbstractItemModel;
class QTableView;

namespace Corvane {

class ShownColumns;

/// How a table lays out its model's columns so that every value can be read: the columns it
/// hides are left out of the view (so a screen reader does not announce them either), each shown
/// column starts as wide as its header and its widest value on the page and never narrower than
/// its start width, the user can widen or narrow any, and a value cut by the user's narrowing
/// shows whole in a tool tip. Owned by the table it lays out.
class TableColumns final : public QObject {
    Q_OBJECT
public:
    /// Puts model into table through the column filter.
    TableColumns(QTableView* table, QAbstractItemModel* model);
    ~TableColumns() override;

    /// The width each listed model column starts with when its values need less.
    void setStartWidths(const QList<QPair<int, int>>& widths);
    void setHidden(const QList<int>& columns, bool hidden);

    /// The table's section of a model column, -1 when the column is hidden.
    int toSection(int column) const;
    /// The model column of a table section, -1 when there is none.
    int toColumn(int section) const;
    /// The model's index of a cell the table reports (an index of the model itself passes).
    QModelIndex toModelIndex(const QModelIndex& index) const;

    /// Widens the shown columns to their header and their values.
    void fit();
    /// The model columns the table shows, in the order the user sees them.
    QList<int> shownColumns() const;
    /// Keeps the widths the columns have now, as if the user had chosen them: a layout put back
    /// from an earlier run.
    void keepCurrentWidths();

private:
    QTableView* table;
    ShownColumns* shown;
    QHash<int, int> startWidths;
    /// Widths the user chose by dragging; they win over the fitted ones.
    QHash<int, int> userWidths;
    bool fitting = false;
};

}
