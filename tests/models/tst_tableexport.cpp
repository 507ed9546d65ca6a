#include "models/tableexport.h"
#include "support/testenvironment.h"

#include <QtTest>

using namespace Corvane;
using Model::ExportColumn;
using Model::TableWriter;
using Kind = ExportColumn::Kind;

namespace {

/// Both files read back as JSON, the workbook by openpyxl and the CSV by the csv module.
const char* readBack = R"(
import csv, json, sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
sheet = book.active
rows = [[{"value": c.value, "type": type(c.value).__name__, "format": c.number_format,
          "bold": bool(c.font.b)} for c in row] for row in sheet.iter_rows()]
raw = open(sys.argv[2], "rb").read()
text = raw.decode("utf-8-sig")
lines = list(csv.reader(text.splitlines(keepends=True), delimiter=";"))
print(json.dumps({"sheets": book.sheetnames, "filter": sheet.auto_filter.ref, "rows": rows,
    "widths": [sheet.column_dimensions[openpyxl.utils.get_column_letter(i + 1)].width
               for i in range(sheet.max_column)],
    "bom": raw.startswith(b"\xef\xbb\xbf"), "crlf": b"\r\n" in raw, "csv": lines},
    default=str))
)";

/// A shown value and what is read back: type, value, format, CSV field (null: the text shown).
struct Case {
    const char* name;
    Kind kind;
    const char* value;
    const char* type;
    QVariant cell;
    const char* format;
    const char* csv;
};

const QList<Case>& cases()
{
    static const QList<Case> all {
        { "amount", Kind::Amount, "1.234.567,89", "float", 1234567.89, "#,##0.00", "1234567,89" },
        { "negative amount", Kind::Amount, "-7,50", "float", -7.5, "#,##0.00", "-7,50" },
        { "percentage", Kind::Percentage, "50,00", "float", 0.5, "0.00%", "50,00%" },
        { "date", Kind::Date, "31/10/2026", "datetime", QStringLiteral("2026-10-31 00:00:00"),
            "dd/mm/yyyy", nullptr },
        { "integer", Kind::Integer, "42", "int", 42, "0", nullptr },
        { "code keeps its zeros", Kind::Code, "03111", "str", {}, "@", nullptr },
        { "formula =", Kind::Text, "=1+2", "str", {}, "General", "'=1+2" },
        { "formula +", Kind::Text, "+39 055", "str", {}, "General", "'+39 055" },
        { "formula -", Kind::Text, "-2+3", "str", {}, "General", "'-2+3" },
        { "formula @", Kind::Text, "@SUM(A1)", "str", {}, "General", "'@SUM(A1)" },
        { "formula in an amount", Kind::Amount, "=HYPERLINK(\"x\")", "str", {}, "General",
            "'=HYPERLINK(\"x\")" },
        { "separator, quotes, line break", Kind::Text, "Rossi; \"Bianchi\"\nS.r.l. àè", "str", {},
            "General", nullptr },
        { "two-, three- and four-byte characters", Kind::Code, "Caffè € 𝄞", "str", {}, "@",
            nullptr },
        { "empty", Kind::Amount, "", "NoneType", {}, "General", nullptr },
    };
    return all;
}

}

class TestTableExport final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cells_data();
    void cells();
    void layout();
    void failedOrCancelledLeavesNothing_data();
    void failedOrCancelledLeavesNothing();
    void clipboard();

private:
    QJsonObject written;
};

void TestTableExport::initTestCase()
{
    Test::TestEnvironment::enterTemporaryWorkingDirectory();
    QList<ExportColumn> columns;
    QStringList values;
    for (const Case& c : cases()) {
        columns.append({ QString::fromUtf8(c.name), c.kind });
        values << QString::fromUtf8(c.value);
    }
    for (const char* file : { "table.xlsx", "table.csv" }) {
        const QString path = QString::fromLatin1(file);
        auto writer = TableWriter::create(TableWriter::formatOf(path), path,
            QStringLiteral("Posizioni: [tutte]"), columns, QStringLiteral("Piano LCR 0042"));
        QVERIFY(writer->open());
        writer->writeRow(values);
        writer->writeRow({ QStringLiteral("1,00") });
        QVERIFY2(writer->commit(), qPrintable(writer->errorString()));
    }
    // The system's interpreter, which the Debian package of openpyxl serves.
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
        { QStringLiteral("-c"), QString::fromUtf8(readBack), QStringLiteral("table.xlsx"),
            QStringLiteral("table.csv") });
    QVERIFY(python.waitForFinished(60000));
    QVERIFY2(python.exitCode() == 0, python.readAllStandardError().constData());
    written = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
    QVERIFY(!written.isEmpty());
}

void TestTableExport::cells_data()
{
    QTest::addColumn<int>("column");
    for (int i = 0; i < cases().size(); ++i)
        QTest::newRow(cases().at(i).name) << i;
}

void TestTableExport::cells()
{
    // Guards against numbers or dates as text, codes losing zeros, formulas run, CSV fields split.
    QFETCH(int, column);
    const Case& expected = cases().at(column);
    const QJsonObject cell = written.value(QLatin1String("rows"))[2][column].toObject();
    const QString shown = QString::fromUtf8(expected.value);
    QCOMPARE(cell[QLatin1String("type")].toString(), QString::fromLatin1(expected.type));
    const QJsonValue value = cell[QLatin1String("value")];
    QCOMPARE(value.isNull() ? QVariant() : value.toVariant(),
        expected.cell.isValid() || shown.isEmpty() ? expected.cell : QVariant(shown));
    QCOMPARE(cell[QLatin1String("format")].toString(), QString::fromLatin1(expected.format));
    QCOMPARE(written.value(QLatin1String("csv"))[1][column].toString(),
        expected.csv ? QString::fromUtf8(expected.csv) : shown);
}

void TestTableExport::layout()
{
    // Guards against a sheet without name, bold header, filter or width; a CSV without BOM, CRLF.
    QCOMPARE(written.value(QLatin1String("sheets")).toArray(),
        QJsonArray { QStringLiteral("Posizioni   tutte") });
    const QJsonArray rows = written.value(QLatin1String("rows")).toArray();
    QVERIFY(rows[1][0][QLatin1String("bold")].toBool());
    QVERIFY(!rows[2][0][QLatin1String("bold")].toBool());
    QCOMPARE(written.value(QLatin1String("filter")).toString(),
        QStringLiteral("A2:") + QChar(u'A' + cases().size() - 1) + QLatin1Char('4'));
    const QJsonArray widths = written.value(QLatin1String("widths")).toArray();
    for (int i = 0; i < cases().size(); ++i)
        QVERIFY2(widths[i].toDouble() > qstrlen(cases().at(i).name), cases().at(i).name);
    QVERIFY(widths[0].toDouble() >= QStringLiteral("1.234.567,89").size());

    QVERIFY(written.value(QLatin1String("bom")).toBool());
    QVERIFY(written.value(QLatin1String("crlf")).toBool());
}

void TestTableExport::failedOrCancelledLeavesNothing_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("cancelled");
    QTest::newRow("CSV cancelled") << QStringLiteral("cancelled.csv") << true;
    QTest::newRow("workbook in a missing folder") << QStringLiteral("missing/out.xlsx") << false;
    QTest::newRow("CSV in a missing folder") << QStringLiteral("missing/out.csv") << false;
}

void TestTableExport::failedOrCancelledLeavesNothing()
{
    // Guards against a cancelled or failed export leaving a file, or a failed one told as written.
    QFETCH(QString, path);
    QFETCH(bool, cancelled);
    const QStringList before = QDir::current().entryList(QDir::Files | QDir::Hidden);
    {
        auto writer = TableWriter::create(TableWriter::formatOf(path), path,
            QStringLiteral("Imprese"), { { QStringLiteral("Ragione sociale"), Kind::Text } });
        if (writer->open()) {
            writer->writeRow({ QStringLiteral("Rossi S.r.l.") });
            if (cancelled)
                writer->cancel();
            else
                QVERIFY(!writer->commit());
        } else {
            QVERIFY(!cancelled);
        }
        if (!cancelled)
            QVERIFY(!writer->errorString().isEmpty());
    }
    QVERIFY(!QFile::exists(path));
    QCOMPARE(QDir::current().entryList(QDir::Files | QDir::Hidden), before);
}

void TestTableExport::clipboard()
{
    // Guards against copied rows without header, split by a tab, or with a formula that runs.
    const QString text = Model::clipboardText({ { QStringLiteral("Ragione sociale"), Kind::Text },
                                                  { QStringLiteral("Importo"), Kind::Amount } },
        { { QStringLiteral("Rossi\tS.r.l."), QStringLiteral("-1.234,56") },
            { QStringLiteral("=1+2"), QStringLiteral("10,00") } });
    QCOMPARE(
        text, QStringLiteral("Ragione sociale\tImporto\nRossi S.r.l.\t-1.234,56\n'=1+2\t10,00\n"));
}

QTEST_GUILESS_MAIN(TestTableExport)
#include "tst_tableexport.moc"
