#pragma once

#include "models/pages.h"
#include "models/searchfilters.h"
#include "models/tableexport.h"
#include "protocol/datarow.h"

#include <QAbstractTableModel>
#include <QSet>
#include <QStringList>

#include <initializer_list>
#include <utility>

namespace Corvane {

class CommandManager;

namespace Interface {
    class PaginatedCommandInterface;
}

namespace Model {

    /// The base of every list the server delivers one page at a time: the rows of the page on
    /// screen, the column layout (record key, header label, order key per column), the server's
    /// count of all matches, the filters of the search and its page counters. Every page comes
    /// through one path: the search factory makes the command, acceptPage takes its reply.
    /// A concrete model is created by the flow manager with its list window.
    class AbstractPaginatedTable : public QAbstractTableModel {
        Q_OBJECT
    public:
        explicit AbstractPaginatedTable(CommandManager* commandManager, QObject* parent = nullptr);

        int rowCount(const QModelIndex& parent = QModelIndex()) const override;
        int columnCount(const QModelIndex& parent = QModelIndex()) const override;
        QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
        bool setData(
            const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
        QVariant headerData(
            int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

        /// Starts a new search with the filters last set, from the first page. False when this
        /// list has no search to start.
        bool fetch();
        /// Asks for the page at index start (counted from 0), keeping the filters.
        bool fetchPage(int start);
        /// Withdraws the search still waiting for its page; the list keeps what it shows.
        void cancelSearch();
        bool isSearching() const { return runningSearch != nullptr; }

        QString getColumnName(int index) const;
        /// The "ord" value of a column; empty when the server cannot sort by it.
        QString getOrderKey(int index) const;
        /// The column showing the record key, or -1.
        int getColumnIndex(const QString& name) const;
        /// How a column's values are written to a file: text unless the model says otherwise.
        ExportColumn::Kind getColumnKind(int index) const;
        /// The text a record shows in a column, as the list shows it.
        virtual QString displayValue(const DataRow& record, int column) const;
        /// The header and kind of each of the columns, for a file or the clipboard.
        QList<ExportColumn> getExportColumns(const QList<int>& columns) const;

        /// Asks for one page of the search last started (its filters and order) for an export:
        /// the page comes back through exportPageArrived and never replaces the rows on screen.
        /// Null when this list has no search.
        QObject* fetchExportPage(int start);
        /// Withdraws an export page still on its way; nothing is reported for it.
        void cancelExportPage(QObject* command);

        /// Takes a search reply: the count, the page counters, and the rows of the page, one row
        /// per record in reply order. Frees the command.
        void acceptPage(Interface::PaginatedCommandInterface* command);

        int getTotalResults() const { return totalResults; }
        const Pages& getPages() const { return pages; }
        void setSearchFilters(const SearchFilters& filters) { searchFilters = filters; }
        const SearchFilters& getSearchFilters() const { return searchFilters; }
        /// The value of a record key in a row; empty when the row or the key is missing.
        QString getValue(int row, const QString& key) const;

    signals:
        /// A search reply has set the page counters.
        void pagesChanged();
        /// The last search started has ended: with its page taken, or without a page (refused,
        /// failed, withdrawn or destroyed) and the list as it was before it.
        void searchEnded(bool accepted);
        /// A search has gone to the server; searchEnded follows whatever its outcome.
        void searchStarted();
        /// The export page command asked for has come, with its records and the counters of the
        /// whole search.
        void exportPageArrived(
            QObject* command, const QList<DataRow>& records, int totalResults, int totalPages);
        /// The export page command asked for ended without its page: refused, failed or lost.
        void exportPageFailed(QObject* command);

    protected:
        /// The search command for one page of the list, or none for a list that does not search
        /// page by page. The one place a list's search is made.
        virtual QObject* createSearch(const SearchFilters& filters, int start);
        /// The debug lines of a new search and of a page request.
        void setSearchLogLines(const char* newSearch, const char* page);
        /// Whether the index names a cell of the page on screen.
        bool isCell(const QModelIndex& index) const;
        void addColumn(const QString& key, const QString& header, const QString& orderKey = {});
        /// Columns the server cannot sort by: record key and header label (UTF-8) each.
        void addColumns(std::initializer_list<std::pair<const char*, const char*>> columns);
        /// The kinds of the columns whose values are not plain text, by record key.
        void setColumnKinds(
            std::initializer_list<std::pair<const char*, ExportColumn::Kind>> kinds);
        /// Empties the table and its count at once, in one reset.
        void clearRows();
        /// Hands a command of this model to the command manager.
        void execute(QObject* command);
        /// Frees a command whose result came back. One the queue ends without a result is freed
        /// when the queue says it has ended.
        static void release(QObject* command);

        CommandManager* commandManager;

    private:
        bool startSearch(QObject* command);
        void endSearch(QObject* command, bool accepted);
        void endExportPage(QObject* command);

        /// The search whose page the list waits for; not owned by this pointer.
        QObject* runningSearch = nullptr;
        QStringList columnKeys;
        QSet<QString> columnKeySet;
        QStringList headerLabels;
        QStringList orderKeys;
        QList<ExportColumn::Kind> columnKinds;
        /// Export pages asked for and not yet come; not owned by this set.
        QSet<QObject*> exportSearches;
        QList<DataRow> rows;
        int totalResults = 0;
        Pages pages;
        SearchFilters searchFilters;
        const char* newSearchLog = "";
        const char* pageLog = "";
    };

}
}
