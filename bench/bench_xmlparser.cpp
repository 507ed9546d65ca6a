#include "heapcounter.h"
#include "protocol/xmlparser.h"
#include "support/testcommands.h"

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QtTest>

using Corvane::XmlParser;
namespace HeapCounter = Corvane::Bench::HeapCounter;

namespace {

const char* const fields[] = { "ragione_sociale", "comune", "provincia", "cod_fiscale",
    "partita_iva", "indirizzo", "telefono", "fax", "email", "data_costituzione", "cciaa", "sae",
    "rae", "albo_ruolo", "impresa_tipo", "impresa_settore_merceologico", "impresa_attivita", "cap",
    "anag_id", "data_sostituzione" };

/// A reply of 10,000 records of 20 known fields, Base64 of Windows-1252 text, as a search sends.
QByteArray generatedReply()
{
    QList<Corvane::DataRow> records;
    for (int record = 0; record < 10000; ++record) {
        Corvane::DataRow row;
        int index = 0;
        for (const char* field : fields) {
            row.insert(QLatin1String(field),
                QStringLiteral("Società %1 di Forlì-Cesena, via dell'Università %2")
                    .arg(record)
                    .arg(index++));
        }
        records.append(row);
    }
    return Corvane::Test::xmlReply({ { QStringLiteral("esito_id"), QStringLiteral("0") },
                                       { QStringLiteral("risultati"), QStringLiteral("10000") } },
        records);
}

double megabytesPerSecond(qint64 bytes, qint64 nanoseconds)
{
    return (double(bytes) / (1024.0 * 1024.0)) / (double(nanoseconds) / 1e9);
}

}

/// Throughput of the reply parser beside a bare streaming pass over the same body.
class BenchXmlParser final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void bareReader();
    void parseAndTakeRows();
    void peakMemory();
    void cleanupTestCase();

private:
    QByteArray body;
    qint64 bareNanoseconds = 0;
    qint64 parserNanoseconds = 0;
    qint64 peakBytes = -1;
    qint64 rowBytes = -1;
};

void BenchXmlParser::initTestCase()
{
    // The parser logs every reply; a benchmark measures decoding, not the console.
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    body = generatedReply();
    qInfo("reply size: %.1f MB", double(body.size()) / (1024.0 * 1024.0));
}

void BenchXmlParser::bareReader()
{
    QElapsedTimer timer;
    timer.start();
    int calls = 0;
    qint64 characters = 0;
    QBENCHMARK
    {
        QXmlStreamReader reader(body);
        while (!reader.atEnd()) {
            reader.readNext();
            characters += reader.text().size();
        }
        ++calls;
    }
    bareNanoseconds = timer.nsecsElapsed() / qMax(1, calls);
    QVERIFY(characters > 0);
}

void BenchXmlParser::parseAndTakeRows()
{
    XmlParser parser;
    QElapsedTimer timer;
    timer.start();
    int calls = 0;
    int rows = 0;
    QBENCHMARK
    {
        parser.parse(body);
        rows = parser.takeRows().size();
        ++calls;
    }
    parserNanoseconds = timer.nsecsElapsed() / qMax(1, calls);
    QCOMPARE(rows, 10000);
}

void BenchXmlParser::peakMemory()
{
    if (!HeapCounter::available())
        QSKIP("The heap is counted only in builds without sanitizers");
    XmlParser parser;
    QList<Corvane::DataRow> rows;
    // Everything one parse holds at its highest, its rows included; the body was there before.
    HeapCounter::start();
    parser.parse(body);
    rows = parser.takeRows();
    HeapCounter::stop();
    peakBytes = HeapCounter::peak();
    rowBytes = HeapCounter::live();
    QCOMPARE(rows.size(), 10000);
}

void BenchXmlParser::cleanupTestCase()
{
    if (peakBytes >= 0) {
        const double megabyte = 1024.0 * 1024.0;
        qInfo("peak memory of one parse, rows included: %.1f MB, %.2f times the reply (target: at "
              "most 2.0); the rows alone: %.1f MB, %.2f times",
            double(peakBytes) / megabyte, double(peakBytes) / double(body.size()),
            double(rowBytes) / megabyte, double(rowBytes) / double(body.size()));
    }
    if (bareNanoseconds == 0 || parserNanoseconds == 0)
        return;
    const double bare = megabytesPerSecond(body.size(), bareNanoseconds);
    const double parsed = megabytesPerSecond(body.size(), parserNanoseconds);
    qInfo("bare QXmlStreamReader: %.1f MB/s", bare);
    qInfo("XmlParser::parse + takeRows: %.1f MB/s", parsed);
    qInfo("ratio (bare / parser): %.2f (target: at most 1.5)", bare / parsed);
}

QTEST_GUILESS_MAIN(BenchXmlParser)
#include "bench_xmlparser.moc"
