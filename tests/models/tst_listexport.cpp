#include "commands/search/position.h"
#include "models/listexport.h"
#include "models/position.h"
#include "support/testclient.h"
#include "support/testcommands.h"
#include "support/testenvironment.h"
#include "support/testserver.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QtTest>

#include <memory>

using namespace Corvane;
using namespace Corvane::Test;
using Outcome = Model::ListExport::Outcome;

Q_DECLARE_METATYPE(Corvane::Test::ScriptedReply)

/// An export whose later page does not come, for each way a page can fail; the successful
/// export and the cancel are walked end to end.
class TestListExport final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void failedPageWritesNothing_data();
    void failedPageWritesNothing();

private:
    std::unique_ptr<TestServer> server;
    std::unique_ptr<TestClient> client;
    QTimer boxCloser;
};

void TestListExport::initTestCase()
{
    TestEnvironment::enterTemporaryWorkingDirectory();
    server = std::make_unique<TestServer>();
    client = std::make_unique<TestClient>(server->baseUrl());
    // The error boxes of the queue are not this test's; the program stays open.
    connect(&boxCloser, &QTimer::timeout, this, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->done(QMessageBox::No);
    });
    boxCloser.start(20);
}

void TestListExport::cleanupTestCase()
{
    boxCloser.stop();
    client.reset();
}

void TestListExport::failedPageWritesNothing_data()
{
    QTest::addColumn<ScriptedReply>("failure");
    ScriptedReply serverError;
    serverError.body = resultReply(QStringLiteral("999"));
    QTest::newRow("server error") << serverError;
    ScriptedReply refused;
    refused.body = resultReply(QStringLiteral("313"));
    QTest::newRow("refused session") << refused;
    ScriptedReply dropped;
    dropped.dropConnection = true;
    QTest::newRow("connection dropped") << dropped;
}

void TestListExport::failedPageWritesNothing()
{
    // Guards against an export that writes a partial file, asks on past a page that did not
    // come, never ends, or puts an export page on screen.
    QFETCH(ScriptedReply, failure);
    Model::Position model(client->commandManager());
    auto* shown = new Command::Search::Position(&model, {}, 0);
    shown->useResponse({ { QStringLiteral("risultati"), QStringLiteral("1") } },
        { { { QStringLiteral("num_delib_c"), QStringLiteral("sullo schermo") } } });

    const QByteArray firstPage = xmlReply({ { QStringLiteral("esito_id"), QStringLiteral("0") },
                                              { QStringLiteral("risultati"), QStringLiteral("60") },
                                              { QStringLiteral("cur_pag"), QStringLiteral("1") },
                                              { QStringLiteral("tot_pag"), QStringLiteral("3") } },
        { { { QStringLiteral("num_delib_c"), QStringLiteral("esportata") } } });
    const QStringList paths { QStringLiteral("/corvane/v5/search/pratiche"),
        QStringLiteral("/corvane/v5/search/pratiche/") };
    for (const QString& path : paths)
        server->setXmlReply(path, firstPage);
    const int before = server->requestCount();

    const QString file = QDir::current().filePath(QStringLiteral("pratiche.csv"));
    Model::ListExport job(&model, { 0 },
        Model::TableWriter::create(Model::TableWriter::Format::Csv, file,
            QStringLiteral("Posizioni"),
            { { QStringLiteral("LCR"), Model::ExportColumn::Kind::Code } }));
    // The second page fails.
    connect(&job, &Model::ListExport::progressed, this, [&] {
        for (const QString& path : paths)
            server->setReply(path, failure);
    });
    QList<Outcome> outcomes;
    connect(&job, &Model::ListExport::finished, this,
        [&outcomes](Outcome outcome) { outcomes << outcome; });
    QVERIFY(job.start());
    QTRY_COMPARE_WITH_TIMEOUT(outcomes.size(), 1, 15000);
    (void)TestEnvironment::takeQuitRequest();
    QCOMPARE(outcomes.first(), Outcome::PageMissing);
    QCOMPARE(job.getRowsWritten(), 1);
    QCOMPARE(server->requestCount() - before, 2);
    QVERIFY(!QFile::exists(file));
    QCOMPARE(QDir::current().entryList({ QStringLiteral("pratiche*") }, QDir::Files | QDir::Hidden),
        QStringList());
    QCOMPARE(model.getValue(0, QStringLiteral("num_delib_c")), QStringLiteral("sullo schermo"));
}

QTEST_MAIN(TestListExport)
#include "tst_listexport.moc"
