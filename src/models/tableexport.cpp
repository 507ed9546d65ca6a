#include "models/tableexport.h"

#include "core/logging.h"
#include "models/xlsxlibrary.h"

#include <QDate>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QVector>

#include <algorithm>
#include <charconv>

namespace Corvane::Model {

namespace {
    using Kind = ExportColumn::Kind;

    /// A value read as its column's kind; `text` is the value as the list shows it.
    struct Cell {
        enum class Type { Empty, Text, Number, Date } type = Type::Empty;
        QString text;
        double number = 0.0;
        QDate date;
    };

    bool startsFormula(const QString& text)
    {
        return !text.isEmpty()
            && (text.front() == QLatin1Char('=') || text.front() == QLatin1Char('+')
                || text.front() == QLatin1Char('-') || text.front() == QLatin1Char('@'));
    }

    /// Text never opens as a formula where a spreadsheet reads plain text: the leading
    /// apostrophe marks it as text.
    QString asText(const Cell& cell, const QString& shown)
    {
        return cell.type == Cell::Type::Text && startsFormula(shown) ? QLatin1Char('\'') + shown
                                                                     : shown;
    }

    /// A number written the Italian way ("-1.234.567,89", "42"), read without a locale: the
    /// export reads every cell of every row.
    bool readItalianNumber(QStringView text, double* value)
    {
        char digits[64];
        int length = 0;
        bool decimals = false;
        bool anyDigit = false;
        for (int i = 0; i < text.size(); ++i) {
            const char16_t c = text.at(i).unicode();
            if (length >= int(sizeof digits) - 1)
                return false;
            if (c >= u'0' && c <= u'9') {
                digits[length++] = char(c);
                anyDigit = true;
            } else if (c == u'-' && i == 0) {
                digits[length++] = '-';
            } else if (c == u',' && !decimals) {
                digits[length++] = '.';
                decimals = true;
            } else if (c != u'.' || decimals || !anyDigit) {
                return false;
            }
        }
        return anyDigit && std::from_chars(digits, digits + length, *value).ec == std::errc();
    }

    /// "dd/MM/yyyy".
    QDate readDate(const QString& text)
    {
        if (text.size() != 10 || text.at(2) != QLatin1Char('/') || text.at(5) != QLatin1Char('/'))
            return QDate();
        int parts[3] = { 0, 0, 0 };
        int part = 0;
        for (int i = 0; i < 10; ++i) {
            if (i == 2 || i == 5) {
                ++part;
                continue;
            }
            const char16_t c = text.at(i).unicode();
            if (c < u'0' || c > u'9')
                return QDate();
            parts[part] = parts[part] * 10 + (c - u'0');
        }
        return QDate(parts[2], parts[1], parts[0]);
    }

    Cell readCell(const QString& value, Kind kind)
    {
        Cell cell;
        cell.text = value;
        if (value.isEmpty())
            return cell;
        bool number = false;
        switch (kind) {
        case Kind::Amount:
        case Kind::Integer:
            number = readItalianNumber(value, &cell.number);
            break;
        case Kind::Percentage: {
            QStringView digits(value);
            if (digits.endsWith(QLatin1Char('%')))
                digits.chop(1);
            number = readItalianNumber(digits.trimmed(), &cell.number);
            cell.number /= 100.0;
            break;
        }
        case Kind::Date:
            cell.date = readDate(value);
            if (cell.date.isValid()) {
                cell.type = Cell::Type::Date;
                return cell;
            }
            break;
        case Kind::Text:
        case Kind::Code:
            break;
        }
        cell.type = number ? Cell::Type::Number : Cell::Type::Text;
        return cell;
    }

    /// The CSV field: numbers without thousands separators, "," as decimal mark, percentages
    /// with their sign; text never a formula.
    QString csvField(const Cell& cell, Kind kind)
    {
        if (cell.type != Cell::Type::Number)
            return asText(cell, cell.text);
        QString field = cell.text.trimmed();
        field.remove(QLatin1Char('.'));
        if (kind == Kind::Percentage && !field.endsWith(QLatin1Char('%')))
            field += QLatin1Char('%');
        return field;
    }

    class CsvWriter final : public TableWriter {
    public:
        CsvWriter(const QString& path, const QList<ExportColumn>& columns)
            : TableWriter(path, columns)
            , file(path)
        {
        }

        bool open() override
        {
            if (!file.open(QIODevice::WriteOnly)) {
                error = file.errorString();
                return false;
            }
            file.write("\xEF\xBB\xBF");
            QStringList titles;
            for (const ExportColumn& column : columns)
                titles << column.title;
            writeLine(titles);
            return true;
        }

        void writeRow(const QStringList& values) override
        {
            QStringList fields;
            fields.reserve(columns.size());
            for (int i = 0; i < columns.size(); ++i) {
                const Kind kind = columns.at(i).kind;
                const Cell cell = readCell(values.value(i), kind);
                fields << csvField(cell, kind);
            }
            writeLine(fields);
        }

        bool commit() override
        {
            if (!file.commit()) {
                error = file.errorString();
                return false;
            }
            return true;
        }

        void cancel() override { file.cancelWriting(); }

    private:
        void writeLine(const QStringList& fields)
        {
            QString line;
            for (int i = 0; i < fields.size(); ++i) {
                const QString& field = fields.at(i);
                if (i > 0)
                    line += QLatin1Char(';');
                const bool quoted = std::any_of(field.begin(), field.end(), [](QChar c) {
                    return c == QLatin1Char(';') || c == QLatin1Char('"') || c == QLatin1Char('\n')
                        || c == QLatin1Char('\r');
                });
                if (quoted) {
                    QString escaped = field;
                    escaped.replace(QLatin1Char('"'), QLatin1String("\"\""));
                    line += QLatin1Char('"') + escaped + QLatin1Char('"');
                } else {
                    line += field;
                }
            }
            line += QLatin1String("\r\n");
            file.write(line.toUtf8());
        }

        QSaveFile file;
    };

    /// libxlsxwriter writes the workbook into a scratch folder, rows streamed to disk as they
    /// come (constant memory); the finished file is then copied through a QSaveFile.
    class WorkbookWriter final : public TableWriter {
    public:
        WorkbookWriter(const QString& path, const QList<ExportColumn>& columns,
            const QString& sheetName, const QString& title)
            : TableWriter(path, columns)
            , sheetName(sheetName)
            , title(title)
            , widths(columns.size(), 0)
        {
        }
        ~WorkbookWriter() override { cancel(); }

        bool open() override
        {
            if (!xlsx) {
                error = QStringLiteral("libxlsxwriter cannot be loaded");
                return false;
            }
            scratch = std::make_unique<QTemporaryDir>();
            if (!scratch->isValid()) {
                error = scratch->errorString();
                return false;
            }
            scratchPath = QFile::encodeName(scratch->path());
            lxw_workbook_options options {};
            options.constant_memory = LXW_TRUE;
            options.tmpdir = scratchPath.data();
            workbook = xlsx->workbookNew(QFile::encodeName(workbookPath()).constData(), &options);
            if (!workbook) {
                error = QStringLiteral("cannot create the workbook");
                return false;
            }
            sheet = xlsx->addWorksheet(workbook, validSheetName().toUtf8().constData());
            bold = xlsx->addFormat(workbook);
            xlsx->setBold(bold);
            const auto numberFormat = [this](const char* pattern) {
                lxw_format* format = xlsx->addFormat(workbook);
                xlsx->setNumberFormat(format, pattern);
                return format;
            };
            // Stored the way the file format wants; an Italian spreadsheet shows "#.##0,00".
            amountFormat = numberFormat("#,##0.00");
            percentageFormat = numberFormat("0.00%");
            dateFormat = numberFormat("dd/mm/yyyy");
            integerFormat = numberFormat("0");
            textFormat = numberFormat("@");
            if (!sheet || !bold) {
                error = QStringLiteral("cannot create the sheet");
                return false;
            }

            if (!title.isEmpty()) {
                lxw_format* titleFormat = xlsx->addFormat(workbook);
                xlsx->setBold(titleFormat);
                xlsx->setFontSize(titleFormat, 12);
                check(xlsx->writeString(sheet, 0, 0, title.toUtf8().constData(), titleFormat));
                headerRow = 1;
            }
            for (int i = 0; i < columns.size(); ++i) {
                check(xlsx->writeString(sheet, headerRow, lxw_col_t(i),
                    columns.at(i).title.toUtf8().constData(), bold));
                // Room for the bold text and the filter button.
                widths[i] = columns.at(i).title.size() + 4;
            }
            xlsx->freezePanes(sheet, headerRow + 1, 0);
            row = headerRow;
            return error.isEmpty();
        }

        void writeRow(const QStringList& values) override
        {
            if (!workbook || !error.isEmpty())
                return;
            if (row + 1 >= LXW_ROW_MAX) {
                error = QStringLiteral("more rows than a sheet holds");
                return;
            }
            ++row;
            for (int i = 0; i < columns.size(); ++i) {
                const Kind kind = columns.at(i).kind;
                const Cell cell = readCell(values.value(i), kind);
                const auto column = lxw_col_t(i);
                switch (cell.type) {
                case Cell::Type::Empty:
                    continue;
                case Cell::Type::Text:
                    // A string cell: a formula start stays text.
                    check(xlsx->writeString(sheet, row, column, utf8(cell.text),
                        kind == Kind::Code ? textFormat : nullptr));
                    break;
                case Cell::Type::Number:
                    check(xlsx->writeNumber(sheet, row, column, cell.number,
                        kind == Kind::Amount           ? amountFormat
                            : kind == Kind::Percentage ? percentageFormat
                                                       : integerFormat));
                    break;
                case Cell::Type::Date: {
                    lxw_datetime date { cell.date.year(), cell.date.month(), cell.date.day(), 0, 0,
                        0.0 };
                    check(xlsx->writeDatetime(sheet, row, column, &date, dateFormat));
                    break;
                }
                }
                // The list's text is already what the spreadsheet shows, near enough.
                widths[i] = std::max(widths.at(i), int(cell.text.size()) + 2);
            }
        }

        bool commit() override
        {
            if (!workbook)
                return false;
            for (int i = 0; i < columns.size(); ++i)
                xlsx->setColumn(
                    sheet, lxw_col_t(i), lxw_col_t(i), std::min(widths.at(i), 80), nullptr);
            if (!columns.isEmpty())
                xlsx->autofilter(sheet, headerRow, 0, row, lxw_col_t(columns.size() - 1));
            const lxw_error closed = xlsx->close(workbook);
            workbook = nullptr;
            if (error.isEmpty() && closed != LXW_NO_ERROR)
                error = QString::fromUtf8(xlsx->errorText(closed));
            const bool written = error.isEmpty() && copyIntoPlace();
            scratch.reset();
            return written;
        }

        void cancel() override
        {
            if (workbook)
                xlsx->free(workbook);
            workbook = nullptr;
            scratch.reset();
        }

    private:
        QString workbookPath() const { return scratch->filePath(QStringLiteral("export.xlsx")); }

        /// What a sheet name may hold: 31 characters, none of []:*?/\.
        QString validSheetName() const
        {
            QString name = sheetName;
            for (const QChar forbidden : QStringLiteral("[]:*?/\\"))
                name.replace(forbidden, QLatin1Char(' '));
            name = name.trimmed().left(31);
            return name.isEmpty() ? QStringLiteral("Foglio1") : name;
        }

        /// The text as UTF-8 in a buffer kept from cell to cell: no allocation per cell.
        const char* utf8(const QString& text)
        {
            buffer.resize(text.size() * 3 + 1);
            char* out = buffer.data();
            for (const QChar c : text) {
                const char16_t u = c.unicode();
                if (u < 0x80) {
                    *out++ = char(u);
                } else if (u < 0x800) {
                    *out++ = char(0xC0 | (u >> 6));
                    *out++ = char(0x80 | (u & 0x3F));
                } else if (c.isSurrogate()) {
                    // Rare enough to go the long way.
                    buffer = text.toUtf8();
                    return buffer.constData();
                } else {
                    *out++ = char(0xE0 | (u >> 12));
                    *out++ = char(0x80 | ((u >> 6) & 0x3F));
                    *out++ = char(0x80 | (u & 0x3F));
                }
            }
            *out = '\0';
            return buffer.constData();
        }

        void check(lxw_error result)
        {
            if (result != LXW_NO_ERROR && error.isEmpty())
                error = QString::fromUtf8(xlsx->errorText(result));
        }

        bool copyIntoPlace()
        {
            QFile workbookFile(workbookPath());
            QSaveFile target(path);
            if (!workbookFile.open(QIODevice::ReadOnly) || !target.open(QIODevice::WriteOnly)) {
                error = workbookFile.isOpen() ? target.errorString() : workbookFile.errorString();
                return false;
            }
            while (!workbookFile.atEnd()) {
                const QByteArray chunk = workbookFile.read(64 * 1024);
                if (chunk.isEmpty() || target.write(chunk) != chunk.size()) {
                    error = target.errorString();
                    target.cancelWriting();
                    return false;
                }
            }
            if (!target.commit()) {
                error = target.errorString();
                return false;
            }
            return true;
        }

        const Xlsx* xlsx = Xlsx::get();
        QString sheetName;
        QString title;
        QVector<int> widths;
        QByteArray buffer;
        std::unique_ptr<QTemporaryDir> scratch;
        QByteArray scratchPath;
        lxw_workbook* workbook = nullptr;
        lxw_worksheet* sheet = nullptr;
        lxw_format* bold = nullptr;
        lxw_format* amountFormat = nullptr;
        lxw_format* percentageFormat = nullptr;
        lxw_format* dateFormat = nullptr;
        lxw_format* integerFormat = nullptr;
        lxw_format* textFormat = nullptr;
        lxw_row_t headerRow = 0;
        lxw_row_t row = 0;
    };
}

TableWriter::TableWriter(const QString& path, const QList<ExportColumn>& columns)
    : path(path)
    , columns(columns)
{
}

TableWriter::~TableWriter() = default;

std::unique_ptr<TableWriter> TableWriter::create(Format format, const QString& path,
    const QString& sheetName, const QList<ExportColumn>& columns, const QString& title)
{
    if (format == Format::Csv)
        return std::make_unique<CsvWriter>(path, columns);
    return std::make_unique<WorkbookWriter>(path, columns, sheetName, title);
}

TableWriter::Format TableWriter::formatOf(const QString& path)
{
    return path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive) ? Format::Csv
                                                                     : Format::Workbook;
}

QString clipboardText(const QList<ExportColumn>& columns, const QList<QStringList>& rows)
{
    const auto line = [&columns](const QStringList& fields, bool header) -> QString {
        QStringList cleaned;
        for (int i = 0; i < fields.size(); ++i) {
            QString field = fields.at(i);
            if (!header)
                field = asText(readCell(field, columns.value(i).kind), field);
            field.replace(QLatin1Char('\t'), QLatin1Char(' '));
            field.replace(QLatin1Char('\r'), QLatin1Char(' '));
            field.replace(QLatin1Char('\n'), QLatin1Char(' '));
            cleaned << field;
        }
        return cleaned.join(QLatin1Char('\t')) + QLatin1Char('\n');
    };
    QStringList titles;
    for (const ExportColumn& column : columns)
        titles << column.title;
    QString text = line(titles, true);
    for (const QStringList& row : rows)
        text += line(row, false);
    return text;
}

}
