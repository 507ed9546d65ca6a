#pragma once

#include "protocol/datarow.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QSet>
#include <QStringList>

namespace Corvane {

class CommandManager;
class Paginator;
class SearchFilters;

namespace Interface {
    class PaginatedCommandInterface;
}

namespace Model {

    /// The base of every list the server delivers one page at a time: the rows of the page on
    /// screen, the column layout (record key, header label, order key per column), the server's
    /// count of all matches, and the two companions of a search, the filters and the paginator.
    /// A concrete model is created by the flow manager with its list window and owns its paginator.
    class AbstractPaginatedTable : public QAbstractTableModel {
        Q_OBJECT
    public:
        explicit AbstractPaginatedTable(CommandManager* commandManager, QObject* parent = nullptr);
        ~AbstractPaginatedTable() override;

        int rowCount(const QModelIndex& parent = QModelIndex()) const override;
        int columnCount(const QModelIndex& parent = QModelIndex()) const override;
        QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
        bool setData(
            const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
        QVariant headerData(
            int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

        /// Starts a new search with the current filters, from the first page.
        virtual void fetch() = 0;
        /// Asks for the page at the paginator's start, keeping the filters.
        virtual void fetchPage() = 0;

        QString getColumnName(int index) const;
        /// The "ord" value of a column; empty when the server cannot sort by it.
        QString getOrderKey(int index) const;
        /// The column showing the record key, or -1.
        int getColumnIndex(const QString& name) const;

        void setTotalResults(const Interface::PaginatedCommandInterface* command);
        /// Replaces the rows with the command's page, one row per record in reply order.
        void loadRows(Interface::PaginatedCommandInterface* command);

        int getTotalResults() const { return totalResults; }
        Paginator* getPaginator() const;
        void setSearchFilters(SearchFilters* filters);
        SearchFilters* getSearchFilters() const;
        /// The value of a record key in a row; empty when the row or the key is missing.
        QString getValue(int row, const QString& key) const;

    protected:
        /// Whether the index names a cell of the page on screen.
        bool isCell(const QModelIndex& index) const;
        void addColumn(const QString& key, const QString& header, const QString& orderKey = {});
        /// Forgets the count and the paginator's counters before a new search.
        void clearForNewSearch();
        /// Empties the table and its count at once, in one reset.
        void clearRows();
        /// Hands a command of this model to the command manager.
        void execute(QObject* command);
        /// Frees a command whose result came back. One the queue ends without a result is freed
        /// when the queue says it has ended.
        static void release(QObject* command);

        CommandManager* commandManager;

    private:
        QStringList columnKeys;
        QSet<QString> columnKeySet;
        QStringList headerLabels;
        QStringList orderKeys;
        QList<DataRow> rows;
        int totalResults = 0;
        QPointer<Paginator> paginator;
        QPointer<SearchFilters> searchFilters;
        SearchFilters* ownFilters;
    };

}
}
