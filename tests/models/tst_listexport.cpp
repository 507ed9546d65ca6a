#include "commands/search/position.h"
#include "models/listexport.h"
#include "models/position.h"
#include "support/testclient.h"
#include "support/testcommands.h"
#include "support/testenvironment.h"
#include "support/testserver.h"

#include <QMessageBox>
#include <QtTest>

using namespace Corvane;
using namespace Corvane::Test;

Q_DECLARE_METATYPE(Corvane::Test::ScriptedReply)

/// An export whose later page does not come, for each way a page can fail; the successful
/// export and the cancel are walked end to end.
class TestListExport final : public QObject {
    Q_OBJECT
private slots:
    void failedPageWritesNothing_data();
    void failedPageWritesNothing();
};

void TestListExport::failedPageWritesNothing_data()
{
    QTest::addColumn<ScriptedReply>("failure");
    const QByteArray xml = "text/xml";
    QTest::newRow("server error") << ScriptedReply { 200, xml, resultReply(QStringLiteral("999")) };
    QTest::newRow("refused session")
        << ScriptedReply { 200, xml, resultReply(QStringLiteral("313")) };
    QTest::newRow("connection dropped") << ScriptedReply { 200, xml, {}, 0, true };
}

void TestListExport::failedPageWritesNothing()
{
    // Guards against an export that writes a partial file, asks on past a page that did not
    // come, never ends, or puts an export page on screen.
    QFETCH(ScriptedReply, failure);
    TestEnvironment::enterTemporaryWorkingDirectory();
    TestServer server;
    TestClient client(server.baseUrl());
    // The error boxes of the queue are not this test's; the program stays open.
    QTimer boxCloser;
    connect(&boxCloser, &QTimer::timeout, this, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->done(QMessageBox::No);
    });
    boxCloser.start(20);
    Model::Position model(client.commandManager());
    auto* shown = new Command::Search::Position(&model, {}, 0);
    shown->useResponse({ { QStringLiteral("risultati"), QStringLiteral("1") } },
        { { { QStringLiteral("num_delib_c"), QStringLiteral("sullo schermo") } } });
    const auto answer = [&server](const ScriptedReply& reply) {
        for (const char* path : { "/corvane/v5/search/pratiche", "/corvane/v5/search/pratiche/" })
            server.setReply(QString::fromLatin1(path), reply);
    };
    answer({ 200, "text/xml",
        xmlReply({ { QStringLiteral("esito_id"), QStringLiteral("0") },
                     { QStringLiteral("risultati"), QStringLiteral("60") },
                     { QStringLiteral("cur_pag"), QStringLiteral("1") },
                     { QStringLiteral("tot_pag"), QStringLiteral("3") } },
            { { { QStringLiteral("num_delib_c"), QStringLiteral("esportata") } } }) });

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
    QCOMPARE(server.requestCount(), 2);
    QCOMPARE(QDir::current().entryList({ QStringLiteral("pratiche*") }, QDir::Files | QDir::Hidden),
        QStringList());
    QCOMPARE(model.getValue(0, QStringLiteral("num_delib_c")), QStringLiteral("sullo schermo"));
}

QTEST_MAIN(TestListExport)
#include "tst_listexport.moc"
