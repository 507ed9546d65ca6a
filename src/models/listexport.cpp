#include "models/listexport.h"

#include "core/logging.h"
#include "models/abstractpaginatedtable.h"

namespace Corvane::Model {

ListExport::ListExport(AbstractPaginatedTable* model, const QList<int>& columns,
    std::unique_ptr<TableWriter> writer, QObject* parent)
    : QObject(parent)
    , model(model)
    , columns(columns)
    , writer(std::move(writer))
{
    connect(model, &AbstractPaginatedTable::exportPageArrived, this, &ListExport::onPageArrived);
    connect(model, &AbstractPaginatedTable::exportPageFailed, this, &ListExport::onPageFailed);
}

ListExport::~ListExport()
{
    if (ended)
        return;
    // Gone with its window: nobody is told any more.
    if (model && pending)
        model->cancelExportPage(pending);
    writer->cancel();
}

bool ListExport::start()
{
    if (!writer->open()) {
        qCWarning(corvaneLog) << "The export file cannot be opened:" << writer->errorString();
        ended = true;
        return false;
    }
    pending = model->fetchExportPage(nextPage);
    if (!pending) {
        writer->cancel();
        ended = true;
        return false;
    }
    return true;
}

void ListExport::cancel()
{
    if (ended)
        return;
    qCDebug(corvaneLog) << "Export cancelled after" << rowsWritten << "rows";
    if (model && pending)
        model->cancelExportPage(pending);
    pending = nullptr;
    end(Outcome::Cancelled);
}

void ListExport::onPageArrived(
    QObject* command, const QList<DataRow>& records, int total, int pages)
{
    if (command != pending || ended)
        return;
    pending = nullptr;
    QStringList values;
    for (const DataRow& record : records) {
        values.clear();
        for (int column : qAsConst(columns))
            values << model->displayValue(record, column);
        writer->writeRow(values);
    }
    rowsWritten += records.size();
    // The progress shown may run the events, a cancel among them.
    emit progressed(rowsWritten, total);
    if (ended)
        return;
    // A list that comes whole has no page counters.
    if (++nextPage < pages) {
        pending = model->fetchExportPage(nextPage);
        if (pending)
            return;
    }
    if (!writer->commit()) {
        qCWarning(corvaneLog) << "The export file could not be written:" << writer->errorString();
        end(Outcome::FileFailed);
        return;
    }
    qCDebug(corvaneLog) << "Export written:" << rowsWritten << "rows";
    end(Outcome::Written);
}

void ListExport::onPageFailed(QObject* command)
{
    if (command != pending || ended)
        return;
    pending = nullptr;
    qCWarning(corvaneLog) << "Export page" << nextPage << "did not come: nothing is written";
    end(Outcome::PageMissing);
}

void ListExport::end(Outcome outcome)
{
    if (outcome != Outcome::Written)
        writer->cancel();
    ended = true;
    emit finished(outcome);
}

}
