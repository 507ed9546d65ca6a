#include "models/abstractpaginatedtable.h"

#include "core/logging.h"
#include "models/commandrelease.h"
#include "protocol/commandinterface.h"
#include "protocol/commandmanager.h"

#include <algorithm>

namespace Corvane::Model {

AbstractPaginatedTable::AbstractPaginatedTable(CommandManager* commandManager, QObject* parent)
    : QAbstractTableModel(parent)
    , commandManager(commandManager)
{
    if (commandManager) {
        releaseEndedCommands(commandManager, this);
        // A search that leaves the queue without its page delivered was refused or failed.
        connect(commandManager, &CommandManager::executionEnded, this, [this](QObject* command) {
            endSearch(command, false);
            endExportPage(command);
        });
    }
}

int AbstractPaginatedTable::rowCount(const QModelIndex& parent) const
{
    // A cell has no rows below it: views and proxies walk the table as a tree.
    return parent.isValid() ? 0 : rows.size();
}

int AbstractPaginatedTable::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : columnKeys.size();
}

bool AbstractPaginatedTable::isCell(const QModelIndex& index) const
{
    return index.row() >= 0 && index.row() < rows.size() && index.column() >= 0
        && index.column() < columnKeys.size();
}

QVariant AbstractPaginatedTable::data(const QModelIndex& index, int role) const
{
    if (!isCell(index) || role != Qt::DisplayRole)
        return {};
    return displayValue(rows.at(index.row()), index.column());
}

QString AbstractPaginatedTable::displayValue(const DataRow& record, int column) const
{
    return record.value(columnKeys.value(column));
}

bool AbstractPaginatedTable::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || index.row() < 0 || index.row() > rows.size() || index.column() < 0
        || index.column() >= columnKeys.size())
        return false;
    const QString key = columnKeys.at(index.column());
    if (index.row() == rows.size()) {
        beginInsertRows(QModelIndex(), index.row(), index.row());
        rows.append(DataRow { { key, value.toString() } });
        endInsertRows();
        return true;
    }
    rows[index.row()].insert(key, value.toString());
    emit dataChanged(index, index, {});
    return true;
}

QVariant AbstractPaginatedTable::headerData(int section, Qt::Orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    return section >= 0 && section < headerLabels.size() ? headerLabels.at(section) : QString();
}

QString AbstractPaginatedTable::getColumnName(int index) const
{
    if (index >= 0 && index < columnKeys.size())
        return columnKeys.at(index);
    qCDebug(corvaneLog) << "No column name for index" << index;
    return {};
}

QString AbstractPaginatedTable::getOrderKey(int index) const
{
    if (index >= 0 && index < orderKeys.size())
        return orderKeys.at(index);
    qCWarning(corvaneLog) << "Requested an out of bound order column key";
    return {};
}

int AbstractPaginatedTable::getColumnIndex(const QString& name) const
{
    const int index = columnKeys.indexOf(name);
    if (index < 0)
        qCDebug(corvaneLog) << "No column index for name" << name;
    return index;
}

ExportColumn::Kind AbstractPaginatedTable::getColumnKind(int index) const
{
    return columnKinds.value(index, ExportColumn::Kind::Text);
}

QList<ExportColumn> AbstractPaginatedTable::getExportColumns(const QList<int>& columns) const
{
    QList<ExportColumn> described;
    for (int column : columns)
        described << ExportColumn { headerLabels.value(column), getColumnKind(column) };
    return described;
}

void AbstractPaginatedTable::setColumnKinds(
    std::initializer_list<std::pair<const char*, ExportColumn::Kind>> kinds)
{
    for (const auto& [key, kind] : kinds) {
        const int column = columnKeys.indexOf(QLatin1String(key));
        if (column < 0)
            continue;
        while (columnKinds.size() <= column)
            columnKinds << ExportColumn::Kind::Text;
        columnKinds[column] = kind;
    }
}

QString AbstractPaginatedTable::getValue(int row, const QString& key) const
{
    return row >= 0 && row < rows.size() ? rows.at(row).value(key) : QString();
}

bool AbstractPaginatedTable::fetch()
{
    QObject* command = createSearch(searchFilters, 0);
    if (!command)
        return false;
    qCDebug(corvaneLog) << newSearchLog;
    // Rows, count and pages on screen stay until the reply replaces them in one reset: a search
    // that fails leaves the list as it was.
    return startSearch(command);
}

bool AbstractPaginatedTable::fetchPage(int start)
{
    QObject* command = createSearch(searchFilters, start);
    if (!command) {
        qCWarning(corvaneLog) << metaObject()->className() << "Does not support pagination";
        return false;
    }
    qCDebug(corvaneLog) << pageLog << start;
    return startSearch(command);
}

bool AbstractPaginatedTable::startSearch(QObject* command)
{
    runningSearch = command;
    connect(command, &QObject::destroyed, this,
        [this](QObject* destroyed) { endSearch(destroyed, false); });
    execute(command);
    emit searchStarted();
    return true;
}

void AbstractPaginatedTable::endSearch(QObject* command, bool accepted)
{
    if (!command || command != runningSearch)
        return;
    runningSearch = nullptr;
    emit searchEnded(accepted);
}

void AbstractPaginatedTable::cancelSearch()
{
    QObject* command = runningSearch;
    if (!command)
        return;
    qCDebug(corvaneLog) << metaObject()->className() << "Search withdrawn";
    withdrawCommand(commandManager, command);
    endSearch(command, false);
}

QObject* AbstractPaginatedTable::fetchExportPage(int start)
{
    QObject* command = createSearch(searchFilters, start);
    if (!command)
        return nullptr;
    qCDebug(corvaneLog) << metaObject()->className() << "Export page" << start;
    exportSearches.insert(command);
    // A command freed while it waits (the queue cleared at logout) ends the export as well.
    connect(command, &QObject::destroyed, this,
        [this](QObject* destroyed) { endExportPage(destroyed); });
    execute(command);
    return command;
}

void AbstractPaginatedTable::cancelExportPage(QObject* command)
{
    if (!exportSearches.remove(command))
        return;
    withdrawCommand(commandManager, command);
}

void AbstractPaginatedTable::endExportPage(QObject* command)
{
    if (exportSearches.remove(command))
        emit exportPageFailed(command);
}

QObject* AbstractPaginatedTable::createSearch(const SearchFilters&, int) { return nullptr; }

void AbstractPaginatedTable::setSearchLogLines(const char* newSearch, const char* page)
{
    newSearchLog = newSearch;
    pageLog = page;
}

void AbstractPaginatedTable::acceptPage(Interface::PaginatedCommandInterface* command)
{
    auto* object = dynamic_cast<QObject*>(command);
    if (object && exportSearches.remove(object)) {
        // A page of an export: the list on screen, its counters and its wait stay as they are.
        emit exportPageArrived(
            object, command->getRows(), command->getResultCount(), command->getTotalPages());
        release(object);
        return;
    }
    // No longer waited for: the views' reaction to the reset must not see it as running.
    const bool awaited = object && object == runningSearch;
    if (awaited)
        runningSearch = nullptr;
    totalResults = command->getResultCount();
    pages = { command->getCurrentPage(), command->getTotalPages(), command->getStart() };
    emit pagesChanged();
    QList<DataRow> page = command->getRows();
    // A record whose keys are all columns is kept as it came, shared with the reply (no copy);
    // only a record with keys of no column is copied without them, so a cell shows only what
    // its own record carries.
    QSet<QString> unknownKeys;
    for (int i = 0; i < page.size(); ++i) {
        const DataRow& record = page.at(i);
        const bool known = std::all_of(record.keyBegin(), record.keyEnd(),
            [this](const QString& key) { return columnKeySet.contains(key); });
        if (known)
            continue;
        DataRow& own = page[i];
        for (auto it = own.begin(); it != own.end();) {
            if (columnKeySet.contains(it.key())) {
                ++it;
                continue;
            }
            unknownKeys.insert(it.key());
            it = own.erase(it);
        }
    }
    for (const QString& key : qAsConst(unknownKeys))
        qCDebug(corvaneLog) << "No column index for name" << key;

    beginResetModel();
    rows = page;
    endResetModel();
    if (awaited)
        emit searchEnded(true);
    release(object);
}

void AbstractPaginatedTable::addColumn(
    const QString& key, const QString& header, const QString& orderKey)
{
    columnKeys << key;
    columnKeySet.insert(key);
    headerLabels << header;
    orderKeys << orderKey;
}

void AbstractPaginatedTable::addColumns(
    std::initializer_list<std::pair<const char*, const char*>> columns)
{
    for (const auto& column : columns)
        addColumn(QString::fromLatin1(column.first), QString::fromUtf8(column.second));
}

void AbstractPaginatedTable::clearRows()
{
    beginResetModel();
    rows.clear();
    totalResults = 0;
    endResetModel();
}

void AbstractPaginatedTable::execute(QObject* command)
{
    // A command whose reply never comes back (a refused session, a broken connection) stays a
    // child of the model and goes with it.
    queueOwned(commandManager, this, command);
}

void AbstractPaginatedTable::release(QObject* command)
{
    if (command)
        command->deleteLater();
}

}
