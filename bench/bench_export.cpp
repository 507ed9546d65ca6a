#include "models/tableexport.h"
#include "protocol/xmlparser.h"
#include "support/testcommands.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QtTest>

#include <malloc.h>

using namespace Corvane;
using Model::ExportColumn;
using Model::TableWriter;
using Kind = ExportColumn::Kind;

namespace {

/// The ten columns the position list shows, as the export writes them.
const QList<QPair<QString, Kind>>& positionColumns()
{
    static const QList<QPair<QString, Kind>> columns {
        { QStringLiteral("num_delib_c"), Kind::Code },
        { QStringLiteral("i_ragsoc"), Kind::Text },
        { QStringLiteral("b_ragsoc"), Kind::Text },
        { QStringLiteral("data_delib_c"), Kind::Date },
        { QStringLiteral("codice_ft"), Kind::Code },
        { QStringLiteral("importo"), Kind::Amount },
        { QStringLiteral("data_perf"), Kind::Date },
        { QStringLiteral("gar_num"), Kind::Code },
        { QStringLiteral("gar_perc"), Kind::Percentage },
        { QStringLiteral("stato"), Kind::Text },
    };
    return columns;
}

/// A position list reply of count records with the fields the list shows.
QByteArray positionReply(int count)
{
    QList<DataRow> records;
    records.reserve(count);
    for (int i = 0; i < count; ++i) {
        records.append({ { QStringLiteral("num_delib_c"),
                             QStringLiteral("%1").arg(i, 8, 10, QLatin1Char('0')) },
            { QStringLiteral("i_ragsoc"), QStringLiteral("Impresa Artigiana %1 S.r.l.").arg(i) },
            { QStringLiteral("b_ragsoc"), QStringLiteral("Banca Popolare di Forlì") },
            { QStringLiteral("data_delib_c"),
                QStringLiteral("%1/03/2025").arg(1 + i % 28, 2, 10, QLatin1Char('0')) },
            { QStringLiteral("codice_ft"), QStringLiteral("CHI%1").arg(i % 9) },
            { QStringLiteral("importo"), QStringLiteral("%L1").arg(1000.0 + i * 37.5, 0, 'f', 2) },
            { QStringLiteral("data_perf"), QStringLiteral("15/04/2025") },
            { QStringLiteral("gar_num"), QString::number(500000 + i) },
            { QStringLiteral("gar_perc"), QStringLiteral("50,00") },
            { QStringLiteral("stato"), QStringLiteral("Perfezionata") } });
    }
    return Test::xmlReply({ { QStringLiteral("esito_id"), QStringLiteral("0") },
                              { QStringLiteral("risultati"), QString::number(count) } },
        records);
}

/// The process's resident memory now and its peak, in KiB (Linux).
QPair<qint64, qint64> residentMemory()
{
    QFile status(QStringLiteral("/proc/self/status"));
    qint64 now = 0;
    qint64 peak = 0;
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (fields.value(0) == "VmRSS:")
                now = fields.value(1).toLongLong();
            else if (fields.value(0) == "VmHWM:")
                peak = fields.value(1).toLongLong();
        }
    }
    return { now, peak };
}

}

/// Exporting positions already fetched, as a workbook and as CSV, beside decoding the same rows
/// from their reply; 10,000 and 40,000 rows; and the workbook writer's peak memory.
class BenchExport final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void decode_data();
    void decode();
    void writeFile_data();
    void writeFile();
    void workbookMemory_data();
    void workbookMemory();
    void cleanupTestCase();

private:
    void sizes();
    qint64 write(TableWriter::Format format, int count, const QString& path);

    QMap<int, QByteArray> bodies;
    QMap<int, QList<DataRow>> rows;
    QMap<QString, qint64> nanoseconds;
    QMap<int, qint64> peakGrowth;
    QTemporaryDir folder;
};

void BenchExport::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    for (int count : { 10000, 40000 }) {
        bodies.insert(count, positionReply(count));
        XmlParser parser;
        parser.parse(bodies.value(count));
        rows.insert(count, parser.takeRows());
        QCOMPARE(rows.value(count).size(), count);
    }
}

void BenchExport::sizes()
{
    QTest::addColumn<int>("count");
    QTest::newRow("10000") << 10000;
    QTest::newRow("40000") << 40000;
}

void BenchExport::decode_data() { sizes(); }

void BenchExport::decode()
{
    QFETCH(int, count);
    const QByteArray& body = bodies[count];
    XmlParser parser;
    QElapsedTimer timer;
    timer.start();
    int calls = 0;
    QBENCHMARK
    {
        parser.parse(body);
        QCOMPARE(parser.takeRows().size(), count);
        ++calls;
    }
    nanoseconds.insert(
        QStringLiteral("decode %1").arg(count), timer.nsecsElapsed() / qMax(1, calls));
}

qint64 BenchExport::write(TableWriter::Format format, int count, const QString& path)
{
    QList<ExportColumn> columns;
    for (const auto& column : positionColumns())
        columns.append({ column.first, column.second });
    auto writer = TableWriter::create(format, path, QStringLiteral("Posizioni"), columns);
    if (!writer->open())
        return -1;
    QStringList values;
    for (const DataRow& row : rows[count]) {
        values.clear();
        for (const auto& column : positionColumns())
            values << row.value(column.first);
        writer->writeRow(values);
    }
    return writer->commit() ? QFileInfo(path).size() : -1;
}

void BenchExport::writeFile_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("count");
    for (const int count : { 10000, 40000 }) {
        QTest::addRow("workbook %d", count) << int(TableWriter::Format::Workbook) << count;
        QTest::addRow("csv %d", count) << int(TableWriter::Format::Csv) << count;
    }
}

void BenchExport::writeFile()
{
    QFETCH(int, format);
    QFETCH(int, count);
    const bool workbook = format == int(TableWriter::Format::Workbook);
    const QString path = folder.filePath(
        workbook ? QStringLiteral("positions.xlsx") : QStringLiteral("positions.csv"));
    QElapsedTimer timer;
    timer.start();
    int calls = 0;
    QBENCHMARK
    {
        QVERIFY(write(TableWriter::Format(format), count, path) > 0);
        ++calls;
    }
    nanoseconds.insert(
        QString::fromLatin1(QTest::currentDataTag()), timer.nsecsElapsed() / qMax(1, calls));
}

void BenchExport::workbookMemory_data() { sizes(); }

void BenchExport::workbookMemory()
{
    // Free heap goes back to the system and the peak is reset ("5" to clear_refs), so that the
    // peak above the start is this export's own working memory.
    QFETCH(int, count);
    malloc_trim(0);
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (!clear.open(QIODevice::WriteOnly) || clear.write("5") != 1)
        QSKIP("the peak resident memory cannot be reset here");
    clear.close();
    const qint64 before = residentMemory().first;
    QVERIFY(
        write(TableWriter::Format::Workbook, count, folder.filePath(QStringLiteral("memory.xlsx")))
        > 0);
    peakGrowth.insert(count, residentMemory().second - before);
}

void BenchExport::cleanupTestCase()
{
    const auto ms = [this](const QString& key) { return double(nanoseconds.value(key)) / 1e6; };
    for (int count : { 10000, 40000 }) {
        const double decode = ms(QStringLiteral("decode %1").arg(count));
        if (decode <= 0.0)
            continue;
        qInfo("%d positions: decode %.1f ms, workbook %.1f ms (ratio %.2f, target at most 1.0), "
              "CSV %.1f ms (ratio %.2f, target at most 0.3)",
            count, decode, ms(QStringLiteral("workbook %1").arg(count)),
            ms(QStringLiteral("workbook %1").arg(count)) / decode,
            ms(QStringLiteral("csv %1").arg(count)),
            ms(QStringLiteral("csv %1").arg(count)) / decode);
    }
    for (const char* kind : { "decode", "workbook", "csv" }) {
        const double small = ms(QStringLiteral("%1 10000").arg(QLatin1String(kind)));
        if (small > 0.0)
            qInfo("%s 40,000 / 10,000: %.2f (target at most 4.5)", kind,
                ms(QStringLiteral("%1 40000").arg(QLatin1String(kind))) / small);
    }
    if (peakGrowth.size() == 2)
        qInfo("workbook writer peak memory above its start: 10,000 rows %lld KiB, 40,000 rows "
              "%lld KiB",
            peakGrowth.value(10000), peakGrowth.value(40000));
}

QTEST_GUILESS_MAIN(BenchExport)
#include "bench_export.moc"
