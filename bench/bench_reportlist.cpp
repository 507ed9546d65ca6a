#include "commands/search/report.h"
#include "models/report.h"
#include "models/searchfilters.h"
#include "protocol/xmlparser.h"
#include "support/testcommands.h"

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QtTest>

using namespace Corvane;

namespace {

/// A report list reply of count records with the nine fields the list shows.
QByteArray reportReply(int count)
{
    QList<DataRow> records;
    records.reserve(count);
    for (int i = 0; i < count; ++i) {
        records.append({ { QStringLiteral("report_file_id"), QString::number(100000 + i) },
            { QStringLiteral("report_id"), QString::number(i % 40) },
            { QStringLiteral("banca_abi_id"), QStringLiteral("03111") },
            { QStringLiteral("ragione_sociale"), QStringLiteral("Banca Popolare di Forlì") },
            { QStringLiteral("nome_report"),
                QStringLiteral("Posizioni deliberate nel mese %1").arg(i) },
            { QStringLiteral("data_report_formattata"), QStringLiteral("31/10/2026") },
            { QStringLiteral("filename"), QStringLiteral("report_%1.csv").arg(i) },
            { QStringLiteral("vuoto"), QString::number(i % 2) },
            { QStringLiteral("data_creazione_formattata"),
                QStringLiteral("01/11/2026 08:30:00") } });
    }
    return Test::xmlReply({ { QStringLiteral("esito_id"), QStringLiteral("0") },
                              { QStringLiteral("risultati"), QString::number(count) } },
        records);
}

/// Hands decoded rows to the report model as the search reply does.
void load(Model::Report* model, const QMap<QString, QString>& header, const QList<DataRow>& rows)
{
    auto* command = new Command::Search::Report(model, {});
    command->useResponse(header, rows);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}

/// The report list: decoding a reply beside decoding and loading it into the model, and the
/// loading alone at two sizes.
class BenchReportList final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void parseOnly();
    void parseAndLoad();
    void loadOnly_data();
    void loadOnly();
    void cleanupTestCase();

private:
    QByteArray body;
    qint64 parseNanoseconds = 0;
    qint64 parseAndLoadNanoseconds = 0;
    QMap<int, qint64> loadNanoseconds;
};

void BenchReportList::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    body = reportReply(10000);
}

void BenchReportList::parseOnly()
{
    XmlParser parser;
    QElapsedTimer timer;
    timer.start();
    int calls = 0;
    QBENCHMARK
    {
        parser.parse(body);
        QCOMPARE(parser.takeRows().size(), 10000);
        ++calls;
    }
    parseNanoseconds = timer.nsecsElapsed() / qMax(1, calls);
}

void BenchReportList::parseAndLoad()
{
    XmlParser parser;
    Model::Report model(nullptr);
    QElapsedTimer timer;
    timer.start();
    int calls = 0;
    QBENCHMARK
    {
        const QMap<QString, QString> header = parser.parse(body);
        load(&model, header, parser.takeRows());
        ++calls;
    }
    parseAndLoadNanoseconds = timer.nsecsElapsed() / qMax(1, calls);
    QCOMPARE(model.rowCount(), 10000);
}

void BenchReportList::loadOnly_data()
{
    QTest::addColumn<int>("count");
    QTest::newRow("10000") << 10000;
    QTest::newRow("40000") << 40000;
}

void BenchReportList::loadOnly()
{
    QFETCH(int, count);
    XmlParser parser;
    const QMap<QString, QString> header = parser.parse(reportReply(count));
    const QList<DataRow> rows = parser.takeRows();
    Model::Report model(nullptr);
    QElapsedTimer timer;
    timer.start();
    int calls = 0;
    QBENCHMARK
    {
        // Fresh copies: the model must not get away with sharing the list it was given.
        QList<DataRow> page = rows;
        page.detach();
        load(&model, header, page);
        ++calls;
    }
    loadNanoseconds.insert(count, timer.nsecsElapsed() / qMax(1, calls));
    QCOMPARE(model.rowCount(), count);
}

void BenchReportList::cleanupTestCase()
{
    if (parseNanoseconds > 0 && parseAndLoadNanoseconds > 0) {
        qInfo("parse + takeRows, 10,000 records: %.1f ms", double(parseNanoseconds) / 1e6);
        qInfo("parse + takeRows + load, 10,000 records: %.1f ms",
            double(parseAndLoadNanoseconds) / 1e6);
        qInfo("ratio: %.2f (target: at most 1.3)",
            double(parseAndLoadNanoseconds) / double(parseNanoseconds));
    }
    if (loadNanoseconds.value(10000) > 0 && loadNanoseconds.value(40000) > 0) {
        qInfo("load, 10,000 records: %.2f ms; 40,000 records: %.2f ms",
            double(loadNanoseconds.value(10000)) / 1e6, double(loadNanoseconds.value(40000)) / 1e6);
        qInfo("ratio 40,000 / 10,000: %.2f (target: at most 4.5)",
            double(loadNanoseconds.value(40000)) / double(loadNanoseconds.value(10000)));
    }
}

QTEST_MAIN(BenchReportList)
#include "bench_reportlist.moc"
