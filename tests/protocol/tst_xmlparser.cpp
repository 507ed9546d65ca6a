#include "protocol/xmlparser.h"
#include "support/testcommands.h"

#include <QTextCodec>
#include <QtTest>

using Corvane::DataRow;
using Corvane::XmlParser;

namespace {
QString base64Of1252(const QByteArray& windows1252Bytes)
{
    return QString::fromLatin1(windows1252Bytes.toBase64());
}
}

class TestXmlParser final : public QObject {
    Q_OBJECT
private slots:
    void headerFields_data();
    void headerFields();
    void recordFields();
    void idDescrRecords();
    void rowsAccumulateUntilTaken();
    void brokenInput_data();
    void brokenInput();
    void base64Coding();
    void declarationsAreRefused_data();
    void declarationsAreRefused();
};

void TestXmlParser::headerFields_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("plain values, unknown field ignored")
        << QByteArray("<r><item_res><esito_id>0</esito_id><esito_descr>OK</esito_descr>"
                      "<sconosciuto>x</sconosciuto><tot_pag>7</tot_pag></item_res></r>")
        << QStringList { "esito_descr=OK", "esito_id=0", "tot_pag=7" };
    QTest::newRow("empty element skipped, not stored as empty") << QByteArray(
        "<r><item_res><esito_id>10</esito_id><n_result/><start></start></item_res></r>")
                                                                << QStringList { "esito_id=10" };
    QTest::newRow("header values are not Base64-decoded")
        << QByteArray(
               "<r><item_res><esito_id>0</esito_id><esito_descr>T0s=</esito_descr></item_res></r>")
        << QStringList { "esito_descr=T0s=", "esito_id=0" };
    QTest::newRow("header at any depth, later duplicate wins") << QByteArray(
        "<a><b><item_res><esito_id>3</esito_id><esito_id>4</esito_id></item_res></b></a>")
                                                               << QStringList { "esito_id=4" };
    QTest::newRow("no item_res") << QByteArray("<r><item_dati/></r>") << QStringList {};
}

void TestXmlParser::headerFields()
{
    // Guards against header values lost, decoded by mistake or taken from unknown fields.
    QFETCH(QByteArray, xml);
    QFETCH(QStringList, expected);
    XmlParser parser;
    const QMap<QString, QString> header = parser.parse(xml);
    QStringList actual;
    for (auto it = header.cbegin(); it != header.cend(); ++it)
        actual << it.key() + QLatin1Char('=') + it.value();
    QCOMPARE(actual, expected);
}

void TestXmlParser::recordFields()
{
    // Guards against wrong text decoding of records, unknown fields leaking into rows, and a
    // field given twice keeping its first value.
    XmlParser parser;
    const QByteArray xml = "<r><item_res><esito_id>0</esito_id></item_res>"
                           "<item_dati><ragione_sociale>"
        + base64Of1252("Citt\xe0 \x80 S.r.l.").toLatin1()
        + "</ragione_sociale>"
          "<campo_ignoto>QUJD</campo_ignoto>"
          "<comune>"
        + base64Of1252("Forl\xec").toLatin1()
        + "</comune></item_dati>"
          "<item_dati><comune>"
        + base64Of1252("Ivrea").toLatin1() + "</comune><cap>MTAwMTU=</cap><comune>"
        + base64Of1252("Aosta").toLatin1() + "</comune></item_dati></r>";
    parser.parse(xml);
    const QList<DataRow> rows = parser.takeRows();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].value(QStringLiteral("ragione_sociale")), QStringLiteral("Città € S.r.l."));
    QCOMPARE(rows[0].value(QStringLiteral("comune")), QStringLiteral("Forlì"));
    QVERIFY(!rows[0].contains(QStringLiteral("campo_ignoto")));
    QCOMPARE(rows[0].size(), 2);
    QCOMPARE(rows[1],
        (DataRow { { QStringLiteral("comune"), QStringLiteral("Aosta") },
            { QStringLiteral("cap"), QStringLiteral("10015") } }));
}

namespace {
QStringList loggedMessages;
void recordMessage(QtMsgType, const QMessageLogContext&, const QString& message)
{
    loggedMessages << message;
}
}

void TestXmlParser::idDescrRecords()
{
    // Guards against lookup lists ("id"/"descr" records) losing their entries or mixing records,
    // and against the tokens that travel as such records reaching the log.
    XmlParser parser;
    const QByteArray xml
        = Corvane::Test::xmlReply({ { QStringLiteral("esito_id"), QStringLiteral("0") } },
            { { { QStringLiteral("id"), QStringLiteral("MI") },
                  { QStringLiteral("descr"), QStringLiteral("Milano") } },
                { { QStringLiteral("descr"), QStringLiteral("senza id") } },
                { { QStringLiteral("id"), QStringLiteral("0") },
                    { QStringLiteral("descr"), QStringLiteral("eyJ.segreto.firma") },
                    { QStringLiteral("cap"), QStringLiteral("20100") } },
                { { QStringLiteral("ignoto"), QStringLiteral("x") } } });
    loggedMessages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(recordMessage);
    parser.parse(xml);
    qInstallMessageHandler(previous);
    const QList<DataRow> rows = parser.takeRows();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0], (DataRow { { QStringLiteral("MI"), QStringLiteral("Milano") } }));
    QCOMPARE(rows[1],
        (DataRow { { QStringLiteral("0"), QStringLiteral("eyJ.segreto.firma") },
            { QStringLiteral("cap"), QStringLiteral("20100") } }));
    QVERIFY(!loggedMessages.isEmpty());
    QCOMPARE(loggedMessages.filter(QStringLiteral("segreto")), QStringList());
}

void TestXmlParser::rowsAccumulateUntilTaken()
{
    // Guards against rows of one reply vanishing or being returned twice.
    XmlParser parser;
    const QByteArray one
        = Corvane::Test::xmlReply({ { QStringLiteral("esito_id"), QStringLiteral("0") } },
            { { { QStringLiteral("cap"), QStringLiteral("1") } } });
    const QByteArray two
        = Corvane::Test::xmlReply({ { QStringLiteral("esito_id"), QStringLiteral("0") } },
            { { { QStringLiteral("cap"), QStringLiteral("2") } } });
    parser.parse(one);
    parser.parse(two);
    QCOMPARE(parser.takeRows().size(), 2);
    QVERIFY(parser.takeRows().isEmpty());
    parser.parse(one);
    QCOMPARE(parser.takeRows().value(0).value(QStringLiteral("cap")), QStringLiteral("1"));
}

void TestXmlParser::brokenInput_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("esitoId");
    QTest::addColumn<int>("rowCount");

    QTest::newRow("empty body") << QByteArray() << QString() << 0;
    QTest::newRow("not xml") << QByteArray("<html><body>Bad Gateway") << QString() << 0;
    QTest::newRow("cut inside a record") << QByteArray(
        "<r><item_res><esito_id>0</esito_id></item_res><item_dati><cap>MjAxMDA=</cap><comu")
                                         << QStringLiteral("0") << 0;
    QTest::newRow("cut after a complete record") << QByteArray(
        "<r><item_res><esito_id>0</esito_id></item_res><item_dati><cap>MjAxMDA=</cap></"
        "item_dati><item") << QStringLiteral("0") << 1;
    QTest::newRow("malformed header keeps what came before")
        << QByteArray("<r><item_res><esito_id>313</esito_id><esito_descr>a</b></item_res></r>")
        << QStringLiteral("313") << 0;
}

void TestXmlParser::brokenInput()
{
    // Guards against a truncated or malformed body hanging the parser or inventing data.
    QFETCH(QByteArray, xml);
    QFETCH(QString, esitoId);
    QFETCH(int, rowCount);
    XmlParser parser;
    const QMap<QString, QString> header = parser.parse(xml);
    QCOMPARE(header.value(QStringLiteral("esito_id")), esitoId);
    QCOMPARE(parser.takeRows().size(), rowCount);
    // The parser is reusable after a broken body.
    QCOMPARE(parser.parse("<r><item_res><esito_id>10</esito_id></item_res></r>")
                 .value(QStringLiteral("esito_id")),
        QStringLiteral("10"));
}

void TestXmlParser::base64Coding()
{
    // Guards against the asymmetric codings (replies in Windows-1252, requests in UTF-8), and
    // against a field too long to decode being decoded anyway.
    QCOMPARE(XmlParser::decodeBase64(QStringLiteral("4A==")), QStringLiteral("à"));
    QCOMPARE(XmlParser::decodeBase64(QStringLiteral("4!A=\n=")), QStringLiteral("à"));
    // Whole groups first, then a character outside the alphabet in the middle of one.
    QCOMPARE(XmlParser::decodeBase64(QStringLiteral("QUJDREVG R0g=")), QStringLiteral("ABCDEFGH"));
    QCOMPARE(XmlParser::encodeBase64(QStringLiteral("à")), QStringLiteral("w6A="));
    QCOMPARE(XmlParser::decodeBase64(XmlParser::encodeBase64(QStringLiteral("abc"))),
        QStringLiteral("abc"));
    // Base64 text of just over 16 Mi decoded characters.
    const int overLongField = 16 * 1024 * 1024 / 3 * 4 + 8;
    QVERIFY(XmlParser::decodeBase64(QString(overLongField, QLatin1Char('A'))).isEmpty());
}

void TestXmlParser::declarationsAreRefused_data()
{
    QTest::addColumn<QByteArray>("xml");

    // One Base64 entity of 4,000 characters used 2,000 times: 8 million characters once expanded.
    const QByteArray entity = "<!DOCTYPE r [<!ENTITY e \"" + QByteArray(4000, 'A') + "\">]>";
    QByteArray uses;
    for (int i = 0; i < 2000; ++i)
        uses += "&e;";
    QTest::newRow("entity in a record field") << entity
            + "<r><item_res><esito_id>0</esito_id></item_res><item_dati><cap>" + uses
            + "</cap></item_dati></r>";
    QTest::newRow("entity in a header field") << entity
            + "<r><item_res><esito_id>0</esito_id><esito_descr>" + uses
            + "</esito_descr></item_res></r>";
    QTest::newRow("entity declared for a later reply")
        << QByteArray("<!DOCTYPE r [<!ENTITY e \"MjAxMDA=\">]><r><item_res><esito_id>0</esito_id>"
                      "</item_res></r>");
    QTest::newRow("plain document type")
        << QByteArray("<!DOCTYPE r><r><item_res><esito_id>0</esito_id></item_res></r>");
}

void TestXmlParser::declarationsAreRefused()
{
    // Guards against entity expansion blowing a small reply up (heap overflow, memory), against a
    // declaration of one reply changing how the next one decodes, and against the parser keeping
    // the body alive after its parse.
    QFETCH(QByteArray, xml);
    XmlParser parser;
    QVERIFY(parser.parse(xml).isEmpty());
    QVERIFY(parser.takeRows().isEmpty());

    // A reply that uses an entity it does not declare has no row, whatever came before it.
    QByteArray next("<r><item_res><esito_id>0</esito_id></item_res><item_dati><cap>&e;</cap>"
                    "</item_dati><item_dati><comune>QW9zdGE=</comune></item_dati></r>");
    QCOMPARE(parser.parse(next).value(QStringLiteral("esito_id")), QStringLiteral("0"));
    QCOMPARE(parser.takeRows(), QList<DataRow>());
    QVERIFY(next.isDetached());

    const QByteArray plain = Corvane::Test::resultReply(
        QStringLiteral("0"), { { { QStringLiteral("cap"), QStringLiteral("20100") } } });
    parser.parse(plain);
    QCOMPARE(parser.takeRows().value(0).value(QStringLiteral("cap")), QStringLiteral("20100"));
}

QTEST_GUILESS_MAIN(TestXmlParser)
#include "tst_xmlparser.moc"
