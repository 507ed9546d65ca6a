#include "protocol/xmlparser.h"
#include "support/testcommands.h"

#include <QtTest>

using Corvane::DataRow;
using Corvane::XmlParser;
using Corvane::Test::resultReply;
using Corvane::Test::xmlReply;

namespace {

QStringList loggedMessages;

void recordMessage(QtMsgType, const QMessageLogContext&, const QString& message)
{
    loggedMessages << message;
}

}

class TestXmlParser final : public QObject {
    Q_OBJECT
private slots:
    void headerAndBrokenInput_data();
    void headerAndBrokenInput();
    void records();
    void base64Coding();
    void declarationsAreRefused_data();
    void declarationsAreRefused();
};

void TestXmlParser::headerAndBrokenInput_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("rowCount");
    QTest::newRow("plain values, unknown field ignored")
        << QByteArray("<r><item_res><esito_id>0</esito_id><esito_descr>OK</esito_descr>"
                      "<sconosciuto>x</sconosciuto><tot_pag>7</tot_pag></item_res></r>")
        << QStringList { "esito_descr=OK", "esito_id=0", "tot_pag=7" } << 0;
    QTest::newRow("empty element skipped, not stored as empty")
        << QByteArray(
               "<r><item_res><esito_id>10</esito_id><n_result/><start></start></item_res></r>")
        << QStringList { "esito_id=10" } << 0;
    QTest::newRow("header values are not Base64-decoded")
        << QByteArray(
               "<r><item_res><esito_id>0</esito_id><esito_descr>T0s=</esito_descr></item_res></r>")
        << QStringList { "esito_descr=T0s=", "esito_id=0" } << 0;
    QTest::newRow("header at any depth, later duplicate wins") << QByteArray(
        "<a><b><item_res><esito_id>3</esito_id><esito_id>4</esito_id></item_res></b></a>")
                                                               << QStringList { "esito_id=4" } << 0;
    QTest::newRow("no item_res") << QByteArray("<r><item_dati/></r>") << QStringList {} << 0;
    QTest::newRow("empty body") << QByteArray() << QStringList {} << 0;
    QTest::newRow("not xml") << QByteArray("<html><body>Bad Gateway") << QStringList {} << 0;
    QTest::newRow("cut inside a record") << QByteArray(
        "<r><item_res><esito_id>0</esito_id></item_res><item_dati><cap>MjAxMDA=</cap><comu")
                                         << QStringList { "esito_id=0" } << 0;
    QTest::newRow("cut after a complete record") << QByteArray(
        "<r><item_res><esito_id>0</esito_id></item_res><item_dati><cap>MjAxMDA=</cap></"
        "item_dati><item") << QStringList { "esito_id=0" }
                                                 << 1;
    QTest::newRow("malformed header keeps what came before")
        << QByteArray("<r><item_res><esito_id>313</esito_id><esito_descr>a</b></item_res></r>")
        << QStringList { "esito_descr=a", "esito_id=313" } << 0;
}

void TestXmlParser::headerAndBrokenInput()
{
    // Guards against header values lost, mis-decoded or invented, and broken bodies hanging it.
    QFETCH(QByteArray, xml);
    QFETCH(QStringList, expected);
    QFETCH(int, rowCount);
    XmlParser parser;
    const QMap<QString, QString> header = parser.parse(xml);
    QStringList actual;
    for (auto it = header.cbegin(); it != header.cend(); ++it)
        actual << it.key() + '=' + it.value();
    QCOMPARE(actual, expected);
    QCOMPARE(parser.takeRows().size(), rowCount);
    // The parser is reusable after a broken body.
    QCOMPARE(parser.parse(resultReply("10")).value("esito_id"), "10");
}

void TestXmlParser::records()
{
    // Guards against records mis-decoded, mixed, logged (tokens), lost or returned twice.
    const auto base64Of1252 = [](const QByteArray& bytes) { return bytes.toBase64(); };
    XmlParser parser;
    parser.parse("<r><item_res><esito_id>0</esito_id></item_res><item_dati><ragione_sociale>"
        + base64Of1252("Citt\xe0 \x80 S.r.l.") + "</ragione_sociale><campo_ignoto>QUJD"
        + "</campo_ignoto><comune>" + base64Of1252("Forl\xec") + "</comune></item_dati>"
        + "<item_dati><comune>" + base64Of1252("Ivrea") + "</comune><cap>MTAwMTU=</cap><comune>"
        + base64Of1252("Aosta") + "</comune></item_dati></r>");
    QCOMPARE(parser.takeRows(),
        (QList<DataRow> { { { "ragione_sociale", "Città € S.r.l." }, { "comune", "Forlì" } },
            { { "comune", "Aosta" }, { "cap", "10015" } } }));

    const QByteArray lookup = xmlReply({ { "esito_id", "0" } },
        { { { "id", "MI" }, { "descr", "Milano" } }, { { "descr", "senza id" } },
            { { "id", "0" }, { "descr", "eyJ.segreto.firma" }, { "cap", "20100" } },
            { { "ignoto", "x" } } });
    loggedMessages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(recordMessage);
    parser.parse(lookup);
    qInstallMessageHandler(previous);
    QVERIFY(!loggedMessages.isEmpty());
    QCOMPARE(loggedMessages.filter("segreto"), QStringList());
    // Rows add up over replies until taken, then start again.
    parser.parse(resultReply("0", { { { "cap", "1" } } }));
    QCOMPARE(parser.takeRows(),
        (QList<DataRow> { { { "MI", "Milano" } },
            { { "0", "eyJ.segreto.firma" }, { "cap", "20100" } }, { { "cap", "1" } } }));
    QVERIFY(parser.takeRows().isEmpty());
    parser.parse(resultReply("0", { { { "cap", "2" } } }));
    QCOMPARE(parser.takeRows(), (QList<DataRow> { { { "cap", "2" } } }));
}

void TestXmlParser::base64Coding()
{
    // Guards against mixed-up codings (replies Windows-1252, requests UTF-8) and huge fields.
    QCOMPARE(XmlParser::decodeBase64("4A=="), "à");
    QCOMPARE(XmlParser::decodeBase64("4!A=\n="), "à");
    // Whole groups first, then a character outside the alphabet in the middle of one.
    QCOMPARE(XmlParser::decodeBase64("QUJDREVG R0g="), "ABCDEFGH");
    QCOMPARE(XmlParser::encodeBase64("à"), "w6A=");
    QCOMPARE(XmlParser::decodeBase64(XmlParser::encodeBase64("abc")), "abc");
    // Base64 text of just over 16 Mi decoded characters.
    const int overLongField = 16 * 1024 * 1024 / 3 * 4 + 8;
    QVERIFY(XmlParser::decodeBase64(QString(overLongField, 'A')).isEmpty());
}

void TestXmlParser::declarationsAreRefused_data()
{
    QTest::addColumn<QByteArray>("xml");
    // One Base64 entity of 4,000 characters used 2,000 times: 8 million characters once expanded.
    const QByteArray entity = "<!DOCTYPE r [<!ENTITY e \"" + QByteArray(4000, 'A') + "\">]>";
    const QByteArray uses = QByteArray("&e;").repeated(2000);
    const QByteArray head = "<r><item_res><esito_id>0</esito_id>";
    QTest::newRow("entity in a record field")
        << entity + head + "</item_res><item_dati><cap>" + uses + "</cap></item_dati></r>";
    QTest::newRow("entity in a header field")
        << entity + head + "<esito_descr>" + uses + "</esito_descr></item_res></r>";
    QTest::newRow("entity declared for a later reply")
        << "<!DOCTYPE r [<!ENTITY e \"MjAxMDA=\">]>" + head + "</item_res></r>";
    QTest::newRow("plain document type") << "<!DOCTYPE r>" + head + "</item_res></r>";
}

void TestXmlParser::declarationsAreRefused()
{
    // Guards against entity expansion, declarations outliving their reply, and a kept body.
    QFETCH(QByteArray, xml);
    XmlParser parser;
    QVERIFY(parser.parse(xml).isEmpty());
    QVERIFY(parser.takeRows().isEmpty());
    // A reply that uses an entity it does not declare has no row, whatever came before it.
    QByteArray next("<r><item_res><esito_id>0</esito_id></item_res><item_dati><cap>&e;</cap>"
                    "</item_dati><item_dati><comune>QW9zdGE=</comune></item_dati></r>");
    QCOMPARE(parser.parse(next).value("esito_id"), "0");
    QCOMPARE(parser.takeRows(), QList<DataRow>());
    QVERIFY(next.isDetached());
    parser.parse(resultReply("0", { { { "cap", "20100" } } }));
    QCOMPARE(parser.takeRows().value(0).value("cap"), "20100");
}

QTEST_GUILESS_MAIN(TestXmlParser)
#include "tst_xmlparser.moc"
