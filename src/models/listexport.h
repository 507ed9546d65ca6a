#pragma once

#include "models/tableexport.h"
#include "protocol/datarow.h"

#include <QObject>
#include <QPointer>

#include <memory>

namespace Corvane::Model {

class AbstractPaginatedTable;

/// Writes every result of a list's last search, in its order, to a file: the pages are asked
/// one after another through the list's own search and written as they come, without touching
/// the page on screen. The file appears only when the last page is written; a page that does not
/// come, or a cancel, leaves nothing. Created per export by the window that exports; one use.
class ListExport final : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        Written,
        Cancelled,
        /// A page was refused or did not come.
        PageMissing,
        /// The file could not be written.
        FileFailed,
    };
    Q_ENUM(Outcome)

    /// columns are the list's model columns in the order they are written; the writer's columns
    /// describe them.
    ListExport(AbstractPaginatedTable* model, const QList<int>& columns,
        std::unique_ptr<TableWriter> writer, QObject* parent = nullptr);
    ~ListExport() override;

    /// Opens the file and asks for the first page; false (finished not emitted) when the file
    /// cannot be opened.
    bool start();
    /// Withdraws the page on its way and drops what was written; finished follows.
    void cancel();
    int getRowsWritten() const { return rowsWritten; }

signals:
    /// Rows written so far out of the count the server gave.
    void progressed(int written, int total);
    /// The export has ended; only Written leaves a file.
    void finished(Outcome outcome);

private:
    void onPageArrived(QObject* command, const QList<DataRow>& records, int total, int pages);
    void onPageFailed(QObject* command);
    void end(Outcome outcome);

    QPointer<AbstractPaginatedTable> model;
    QList<int> columns;
    std::unique_ptr<TableWriter> writer;
    QObject* pending = nullptr;
    int nextPage = 0;
    int rowsWritten = 0;
    bool ended = false;
};

}
