#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace Corvane::Model {

/// One column of an exported table: its header and how its values, text as the lists show it
/// ("1.234,56", "31/10/2026"), are written.
struct ExportColumn {
    enum class Kind {
        Text,
        /// Fiscal codes, VAT numbers, LCR, ticket codes: always text, so no leading zero is lost.
        Code,
        /// Euro amounts: numbers shown "#.##0,00".
        Amount,
        /// "50,00" meaning 50 %: numbers shown as percentages.
        Percentage,
        /// "dd/MM/yyyy": real dates shown dd/mm/yyyy.
        Date,
        Integer,
    };
    QString title;
    Kind kind = Kind::Text;
};

/// Writes one table to a file, row by row as the rows arrive: `open`, `writeRow` for each row in
/// order, then `commit`. The file appears only at `commit`; a writer cancelled, failed or
/// destroyed before leaves nothing behind. A value that does not read as its column's kind, and
/// every text, is written as text; text that would start a formula ("=", "+", "-", "@") never
/// becomes one. Created per export by whoever exports.
class TableWriter {
public:
    enum class Format {
        /// An .xlsx workbook of one sheet: header bold and frozen, auto-filter, fitted widths.
        Workbook,
        /// UTF-8 with BOM, ";" between fields, "," as decimal mark, quoted as RFC 4180 says.
        Csv,
    };

    /// A writer for path; `sheetName` names the workbook's sheet, `title` (when not empty) is a
    /// row of its own above the header.
    static std::unique_ptr<TableWriter> create(Format format, const QString& path,
        const QString& sheetName, const QList<ExportColumn>& columns,
        const QString& title = QString());
    /// The format a chosen file name asks for: CSV for ".csv", otherwise the workbook.
    static Format formatOf(const QString& path);

    virtual ~TableWriter();
    TableWriter(const TableWriter&) = delete;
    TableWriter& operator=(const TableWriter&) = delete;

    virtual bool open() = 0;
    /// The values of one row, one per column.
    virtual void writeRow(const QStringList& values) = 0;
    /// Finishes the file and puts it in place; false (and no file) when anything failed.
    virtual bool commit() = 0;
    /// Drops what was written.
    virtual void cancel() = 0;
    QString errorString() const { return error; }

protected:
    TableWriter(const QString& path, const QList<ExportColumn>& columns);

    QString path;
    QList<ExportColumn> columns;
    QString error;
};

/// Rows for the clipboard: the header line and then each row, fields separated by tabs, lines
/// by "\n", as spreadsheets paste them, values as the list shows them. Tabs and line breaks
/// inside a value become blanks; text that would start a formula gets a leading apostrophe.
QString clipboardText(const QList<ExportColumn>& columns, const QList<QStringList>& rows);

}
