#include "commands/insertticket.h"
#include "commands/search/position.h"
#include "commands/search/report.h"
#include "commands/ticket.h"
#include "models/cellstyle.h"
#include "models/listexport.h"
#include "models/position.h"
#include "models/report.h"
#include "models/ticket.h"
#include "support/datarows.h"
#include "support/testclient.h"
#include "support/testcommands.h"
#include "support/testenvironment.h"
#include "support/testserver.h"
#include "ui/paginator.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

using namespace Corvane;
using namespace Corvane::Test;

Q_DECLARE_METATYPE(Corvane::Test::ScriptedReply)

namespace {

/// A position record; stato_colore and stato only unless told otherwise.
DataRow position(const QString& lcr, const QString& colour = QStringLiteral("C00000"))
{
    return { { QStringLiteral("num_delib_c"), lcr },
        { QStringLiteral("stato"), QStringLiteral("Attiva") },
        { QStringLiteral("stato_colore"), colour },
        { QStringLiteral("importo"), QStringLiteral("1.000,00") } };
}

/// Hands a page to the model the way a search reply does.
void loadPositions(Model::Position* model, const QList<DataRow>& records)
{
    auto* command = new Command::Search::Position(model, {}, 0);
    command->useResponse(
        { { QStringLiteral("risultati"), QString::number(records.size()) } }, records);
}

QMap<QString, QString> ticketElements(const QString& document)
{
    QMap<QString, QString> elements;
    QXmlStreamReader reader(document);
    while (reader.readNextStartElement() || !reader.atEnd()) {
        if (reader.isStartElement() && reader.name() != QLatin1String("dati_ticket")
            && reader.name() != QLatin1String("ticket"))
            elements.insert(reader.name().toString(), reader.readElementText());
    }
    return elements;
}

}

/// The list models, the paginator, the ticket document and a failing export, below end to end.
class TestTableModels final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void pageReplacesEveryRow();
    void cellPresentation_data();
    void cellPresentation();
    void stateColoursReadable_data();
    void stateColoursReadable();
    void paginatorButtons_data();
    void paginatorButtons();
    void ticketDocument_data();
    void ticketDocument();
    void failedExportPageWritesNothing_data();
    void failedExportPageWritesNothing();

private:
    std::unique_ptr<TestServer> server;
    std::unique_ptr<TestClient> client;
    std::unique_ptr<Model::Ticket> ticketModel;
};

void TestTableModels::initTestCase()
{
    TestEnvironment::enterTemporaryWorkingDirectory();
    server = std::make_unique<TestServer>();
    server->setXmlReply(QStringLiteral("/corvane/v5/home/ticket_mail_utente"),
        resultReply(QStringLiteral("0"),
            { { { QStringLiteral("email"), QStringLiteral("utente@example.it") } } }));
    client = std::make_unique<TestClient>(server->baseUrl());
    ticketModel = std::make_unique<Model::Ticket>(client->commandManager());
    // The model asks for the user's address once, as soon as it exists.
    QTRY_COMPARE(ticketModel->getUserEmail(), QStringLiteral("utente@example.it"));
}

void TestTableModels::pageReplacesEveryRow()
{
    // Guards against rows being merged, kept from the previous page or keeping old cells.
    Model::Position model(client->commandManager());
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy inserts(&model, &QAbstractItemModel::rowsInserted);

    DataRow withUnknownKey = position(QStringLiteral("C"));
    withUnknownKey.insert(QStringLiteral("non_una_colonna"), QStringLiteral("x"));
    loadPositions(
        &model, { position(QStringLiteral("A")), position(QStringLiteral("A")), withUnknownKey });
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.index(1, 0).data().toString(), QStringLiteral("A"));
    QCOMPARE(model.index(2, 0).data().toString(), QStringLiteral("C"));
    QCOMPARE(resets.count(), 1);

    DataRow lacking { { QStringLiteral("num_delib_c"), QStringLiteral("D") } };
    loadPositions(&model, { lacking });
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("D"));
    // The previous page's state does not survive under a key the new record lacks.
    QCOMPARE(
        model.index(0, model.getColumnIndex(QStringLiteral("stato"))).data().toString(), QString());
    QCOMPARE(resets.count(), 2);
    QCOMPARE(inserts.count(), 0);
    QCOMPARE(model.getTotalResults(), 1);

    loadPositions(&model, {});
    QCOMPARE(model.rowCount(), 0);
}

void TestTableModels::cellPresentation_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<DataRow>("record");
    QTest::addColumn<QString>("column");
    QTest::addColumn<int>("role");
    QTest::addColumn<QVariant>("expected");
    const auto row = [](const char* name, const char* kind, const DataRow& record,
                         const char* column, int role, const QVariant& expected) {
        QTest::newRow(name) << QString::fromLatin1(kind) << record << QString::fromLatin1(column)
                            << role << expected;
    };
    const DataRow red = position(QStringLiteral("1"));
    const int colour = Qt::ForegroundRole;
    const int alignment = Qt::TextAlignmentRole;
    const QVariant none;
    const QVariant centred = int(Qt::AlignCenter);
    row("position state in its colour", "position", red, "stato", colour, QColor(0xC0, 0, 0));
    row("position other column default colour", "position", red, "num_delib_c", colour, none);
    row("position state colour not a colour", "position",
        position(QStringLiteral("1"), QStringLiteral("nonsense")), "stato", colour, none);
    row("position amount right", "position", red, "importo", alignment,
        int(Qt::AlignRight | Qt::AlignVCenter));
    row("position state centred", "position", red, "stato", alignment, centred);
    row("position company no alignment", "position", red, "i_ragsoc", alignment, none);

    const DataRow report { { QStringLiteral("vuoto"), QString() } };
    row("report no flag", "report", report, "vuoto", Qt::DisplayRole, QStringLiteral("No"));
    row("report date centred", "report", report, "data_creazione_formattata", alignment, centred);

    const DataRow ticket { { QStringLiteral("stato_colore"), QStringLiteral("006400") },
        { QStringLiteral("oggetto"), QStringLiteral("Accesso") } };
    row("ticket colour on every column", "ticket", ticket, "oggetto", colour, QColor(0, 0x64, 0));
    row("ticket subject not centred", "ticket", ticket, "oggetto", alignment, none);
    row("ticket state centred", "ticket", ticket, "stato", alignment, centred);
}

void TestTableModels::cellPresentation()
{
    // Guards against a wrong colour, alignment or text in one of the lists' cells.
    QFETCH(QString, kind);
    QFETCH(DataRow, record);
    QFETCH(QString, column);
    QFETCH(int, role);
    QFETCH(QVariant, expected);

    Model::Position positions(client->commandManager());
    Model::Report reports(client->commandManager());
    Model::AbstractPaginatedTable* model = ticketModel.get();
    if (kind == QLatin1String("position")) {
        model = &positions;
        loadPositions(&positions, { record });
    } else if (kind == QLatin1String("report")) {
        model = &reports;
        auto* command = new Command::Search::Report(&reports, {});
        command->useResponse({}, { record });
    } else {
        auto* command = new Command::Ticket(ticketModel.get(), {});
        command->useResponse({}, { record });
    }
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const QModelIndex cell = model->index(0, model->getColumnIndex(column));
    QCOMPARE(cell.data(role), expected);
    // Past the last row or column nothing is shown.
    QCOMPARE(model->data(model->index(0, 0).sibling(1, 0), role), QVariant());
    QCOMPARE(model->headerData(-1, Qt::Horizontal).toString(), QString());
    QCOMPARE(model->headerData(0, Qt::Horizontal, Qt::DecorationRole), QVariant());
}

void TestTableModels::paginatorButtons_data()
{
    // The page the previous and next buttons ask for, -1 when disabled: odd counts only.
    addRows({ "current", "total", "start", "label", "previousPage", "nextPage" },
        { { "no pages", "0", "0", "0", "Pagina 0 di 0", "-1", "-1" },
            { "negative", "-2", "-1", "-5", "Pagina 0 di 0", "-1", "-1" },
            { "beyond int", "99999999999", "4294967297", "0", "Pagina 0 di 0", "-1", "-1" },
            { "start at int max", "2", "3", "2147483647", "Pagina 2 di 3", "2", "2" },
            { "start behind the page", "3", "5", "0", "Pagina 3 di 5", "0", "1" } });
}

void TestTableModels::paginatorButtons()
{
    // Guards against a page button leading nowhere or disabled wrongly, and counts that overflow.
    QFETCH(QString, current);
    QFETCH(QString, total);
    QFETCH(QString, start);
    QFETCH(QString, label);
    QFETCH(QString, previousPage);
    QFETCH(QString, nextPage);
    const int previous = previousPage.toInt();
    const int next = nextPage.toInt();

    Model::Position model(client->commandManager());
    Paginator paginator(&model);
    const auto reply = [&] {
        auto* command = new Command::Search::Position(&model, {}, 0);
        command->useResponse(
            { { QStringLiteral("cur_pag"), current }, { QStringLiteral("tot_pag"), total },
                { QStringLiteral("start"), start } },
            {});
    };
    reply();
    QCOMPARE(paginator.findChild<QLabel*>(QStringLiteral("pageLabel"))->text(), label);
    const auto press = [&](const char* name, int asked) {
        reply();
        auto* button = paginator.findChild<QPushButton*>(QLatin1String(name));
        QCOMPARE(button->isEnabled(), asked >= 0);
        if (asked >= 0) {
            button->click();
            // The page asked for goes out with the request; the counters move with the reply.
            const auto sent = model.findChildren<Command::Search::Position*>();
            QVERIFY(!sent.isEmpty());
            QCOMPARE(sent.last()->getParameters().value(QStringLiteral("start")),
                QString::number(asked));
        }
    };
    press("firstPage", previous < 0 ? -1 : 0);
    press("previousPage", previous);
    press("nextPage", next);
    press("lastPage", next < 0 ? -1 : total.toInt() - 1);
}

void TestTableModels::ticketDocument_data()
{
    QTest::addColumn<QString>("email");
    QTest::newRow("new ticket without address") << QString();
    QTest::newRow("new ticket with address") << QStringLiteral("utente@example.it");
}

void TestTableModels::ticketDocument()
{
    // Guards against a ticket field reaching the server in the wrong encoding or element.
    QFETCH(QString, email);
    const QString subject = QStringLiteral("Perché non vedo più l'attività?");
    const QString text = QStringLiteral("Città: Forlì\nriga due");
    Command::InsertTicket command(text, subject, email, ticketModel.get());
    const QString outer = command.getParameters().value(QStringLiteral("dati_t"));
    const QString document = QString::fromUtf8(QByteArray::fromBase64(outer.toLatin1()));
    QVERIFY(document.startsWith(QLatin1String("<?xml")));
    const QMap<QString, QString> elements = ticketElements(document);
    const auto decoded = [&elements](const char* name) {
        return QString::fromUtf8(
            QByteArray::fromBase64(elements.value(QLatin1String(name)).toLatin1()));
    };
    QVERIFY(elements.contains(QStringLiteral("ticket_id")));
    QCOMPARE(decoded("ticket_id"), QString());
    QCOMPARE(decoded("oggetto"), subject);
    QCOMPARE(decoded("testo"), text);
    QCOMPARE(elements.contains(QStringLiteral("email")), !email.isEmpty());
    QCOMPARE(decoded("email"), email);
}

void TestTableModels::stateColoursReadable_data()
{
    QTest::addColumn<QString>("code");
    // The demo's states; the last is dark enough already and must stay as sent.
    for (const char* code :
        { "D68910", "7F8C8D", "808080", "B9770E", "1E8449", "FF0000", "C00000" })
        QTest::newRow(code) << QString::fromLatin1(code);
}

void TestTableModels::stateColoursReadable()
{
    // Guards against a state written in a colour too light to read on the list's rows.
    QFETCH(QString, code);
    const QColor sent(QLatin1Char('#') + code);
    const QColor shown = Model::serverColour(code).value<QColor>();
    for (const QColor& row :
        { QColor(Qt::white), QColor(0xF7, 0xF7, 0xF7), QColor(0xEE, 0xEE, 0xEE) })
        QVERIFY2(Model::contrastRatio(shown, row) >= 4.5, qPrintable(shown.name()));
    QVERIFY(qAbs(shown.hslHue() - sent.hslHue()) <= 2);
    if (Model::contrastRatio(sent, QColor(0xEE, 0xEE, 0xEE)) >= 4.5)
        QCOMPARE(shown, sent);
}

void TestTableModels::failedExportPageWritesNothing_data()
{
    QTest::addColumn<ScriptedReply>("failure");
    const QByteArray xml = "text/xml";
    QTest::newRow("server error") << ScriptedReply { 200, xml, resultReply(QStringLiteral("999")) };
    QTest::newRow("refused session")
        << ScriptedReply { 200, xml, resultReply(QStringLiteral("313")) };
    QTest::newRow("connection dropped") << ScriptedReply { 200, xml, {}, 0, true };
}

void TestTableModels::failedExportPageWritesNothing()
{
    // Guards against an export past a failed page: a partial file, no end, or its page shown.
    QFETCH(ScriptedReply, failure);
    // The error boxes of the queue are not this test's; the program stays open.
    QTimer boxCloser;
    connect(&boxCloser, &QTimer::timeout, this, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->done(QMessageBox::No);
    });
    boxCloser.start(20);
    Model::Position model(client->commandManager());
    loadPositions(
        &model, { { { QStringLiteral("num_delib_c"), QStringLiteral("sullo schermo") } } });
    const auto answer = [this](const ScriptedReply& reply) {
        for (const char* path : { "/corvane/v5/search/pratiche", "/corvane/v5/search/pratiche/" })
            server->setReply(QString::fromLatin1(path), reply);
    };
    answer({ 200, "text/xml",
        xmlReply({ { QStringLiteral("esito_id"), QStringLiteral("0") },
                     { QStringLiteral("risultati"), QStringLiteral("60") },
                     { QStringLiteral("cur_pag"), QStringLiteral("1") },
                     { QStringLiteral("tot_pag"), QStringLiteral("3") } },
            { { { QStringLiteral("num_delib_c"), QStringLiteral("esportata") } } }) });
    const int requests = server->requestCount();
    const QString file = QDir::current().filePath(QStringLiteral("pratiche.csv"));
    Model::ListExport job(&model, { 0 },
        Model::TableWriter::create(Model::TableWriter::Format::Csv, file,
            QStringLiteral("Posizioni"),
            { { QStringLiteral("LCR"), Model::ExportColumn::Kind::Code } }));
    // The second page fails.
    connect(&job, &Model::ListExport::progressed, this, [&] { answer(failure); });
    QList<Model::ListExport::Outcome> outcomes;
    connect(&job, &Model::ListExport::finished, this,
        [&outcomes](Model::ListExport::Outcome outcome) { outcomes << outcome; });
    QVERIFY(job.start());
    QTRY_COMPARE_WITH_TIMEOUT(outcomes.size(), 1, 15000);
    (void)TestEnvironment::takeQuitRequest();
    QCOMPARE(outcomes.first(), Model::ListExport::Outcome::PageMissing);
    QCOMPARE(job.getRowsWritten(), 1);
    QCOMPARE(server->requestCount() - requests, 2);
    QCOMPARE(QDir::current().entryList({ QStringLiteral("pratiche*") }, QDir::Files | QDir::Hidden),
        QStringList());
    QCOMPARE(model.getValue(0, QStringLiteral("num_delib_c")), QStringLiteral("sullo schermo"));
}

QTEST_MAIN(TestTableModels)
#include "tst_tablemodels.moc"
