#include "ui/tablecolumns.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QSet>
#include <QSortFilterProxyModel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTextDocument>
#include <QToolTip>

namespace Corvane {

/// The model as the table shows it: the same rows in the same order, without the hidden
/// columns.
class ShownColumns final : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void setHidden(const QList<int>& columns, bool hide)
    {
        for (int column : columns) {
            if (hide)
                hidden.insert(column);
            else
                hidden.remove(column);
        }
        invalidateFilter();
    }
    bool isHidden(int column) const { return hidden.contains(column); }

protected:
    bool filterAcceptsColumn(int column, const QModelIndex& /*parent*/) const override
    {
        return !hidden.contains(column);
    }

private:
    QSet<int> hidden;
};

namespace {
    /// Shows a cell's whole value as a tool tip when its column is too narrow for it.
    class WholeValueDelegate final : public QStyledItemDelegate {
    public:
        using QStyledItemDelegate::QStyledItemDelegate;

        bool helpEvent(QHelpEvent* event, QAbstractItemView* view,
            const QStyleOptionViewItem& option, const QModelIndex& index) override
        {
            if (event->type() == QEvent::ToolTip && index.isValid()
                && !index.data(Qt::ToolTipRole).isValid()) {
                if (sizeHint(option, index).width() > option.rect.width()) {
                    // A value from the server is shown as plain text, never as markup.
                    const QString value = index.data().toString();
                    QToolTip::showText(event->globalPos(),
                        Qt::mightBeRichText(value)
                            ? QStringLiteral("<p>%1</p>").arg(value.toHtmlEscaped())
                            : value,
                        view, option.rect);
                } else {
                    QToolTip::hideText();
                }
                return true;
            }
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        }
    };
}

TableColumns::TableColumns(QTableView* table, QAbstractItemModel* model)
    : QObject(table)
    , table(table)
    , shown(new ShownColumns(this))
{
    shown->setSourceModel(model);
    table->setModel(shown);
    table->setItemDelegate(new WholeValueDelegate(table));
    // Tab leaves the table; the arrow keys move between its cells.
    table->setTabKeyNavigation(false);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    table->horizontalHeader()->setTextElideMode(Qt::ElideNone);
    connect(shown, &QAbstractItemModel::modelReset, this, &TableColumns::fit);
    connect(shown, &QAbstractItemModel::rowsInserted, this, &TableColumns::fit);
    connect(shown, &QAbstractItemModel::columnsInserted, this, &TableColumns::fit);
    connect(shown, &QAbstractItemModel::dataChanged, this, &TableColumns::fit);
    connect(table->horizontalHeader(), &QHeaderView::sectionResized, this,
        [this](int section, int /*oldSize*/, int newSize) {
            // Only a drag of the header is the user's choice; the stretched last section and
            // the fitting resize it too.
            if (!fitting && QGuiApplication::mouseButtons().testFlag(Qt::LeftButton))
                userWidths.insert(toColumn(section), newSize);
        });
}

TableColumns::~TableColumns() = default;

void TableColumns::setStartWidths(const QList<QPair<int, int>>& widths)
{
    for (const auto& width : widths)
        startWidths.insert(width.first, width.second);
    fit();
}

void TableColumns::setHidden(const QList<int>& columns, bool hidden)
{
    shown->setHidden(columns, hidden);
    fit();
}

int TableColumns::toSection(int column) const
{
    if (column < 0 || shown->isHidden(column))
        return -1;
    int section = 0;
    for (int before = 0; before < column; ++before) {
        if (!shown->isHidden(before))
            ++section;
    }
    return section;
}

int TableColumns::toColumn(int section) const
{
    const QAbstractItemModel* model = shown->sourceModel();
    for (int column = 0, seen = -1; model && column < model->columnCount(); ++column) {
        if (!shown->isHidden(column) && ++seen == section)
            return column;
    }
    return -1;
}

QModelIndex TableColumns::toModelIndex(const QModelIndex& index) const
{
    return index.model() == shown ? shown->mapToSource(index) : index;
}

QList<int> TableColumns::shownColumns() const
{
    const QHeaderView* header = table->horizontalHeader();
    QList<int> shownInOrder;
    for (int visual = 0; visual < header->count(); ++visual) {
        const int section = header->logicalIndex(visual);
        const int column = toColumn(section);
        if (column >= 0 && !header->isSectionHidden(section))
            shownInOrder << column;
    }
    return shownInOrder;
}

void TableColumns::keepCurrentWidths()
{
    const QHeaderView* header = table->horizontalHeader();
    for (int section = 0; section < header->count(); ++section)
        userWidths.insert(toColumn(section), header->sectionSize(section));
}

void TableColumns::fit()
{
    QHeaderView* header = table->horizontalHeader();
    table->ensurePolished();
    QStyleOptionViewItem option;
    option.initFrom(table->viewport());
    option.font = table->font();
    option.fontMetrics = table->fontMetrics();
    option.widget = table;
    const int grid = table->showGrid() ? 1 : 0;
    fitting = true;
    for (int section = 0; section < shown->columnCount(); ++section) {
        const int column = toColumn(section);
        int width = qMax(startWidths.value(column), header->sectionSizeHint(section));
        for (int row = 0; row < shown->rowCount(); ++row) {
            const QModelIndex index = shown->index(row, section);
            width = qMax(width, table->itemDelegate(index)->sizeHint(option, index).width() + grid);
        }
        table->setColumnWidth(section, userWidths.value(column, width));
    }
    fitting = false;
}

}
