#include "commands/ticketdetail.h"
#include "models/ticket.h"
#include "paintwatch.h"
#include "support/testclient.h"
#include "support/testcommands.h"
#include "support/testenvironment.h"
#include "support/testserver.h"
#include "ui/ticketdetailwindow.h"

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QtTest>

#include <memory>

using namespace Corvane;

namespace {

constexpr int messageCount = 10000;

/// The request and count replies as the ticket detail reply decodes them, each message a few
/// lines long, as support answers are.
QList<DataRow> conversation(int count)
{
    QList<DataRow> records;
    records.reserve(count + 1);
    records.append({ { QStringLiteral("testo"), QStringLiteral("La richiesta del ticket.") },
        { QStringLiteral("utente_tipo"), QStringLiteral("utente") } });
    for (int i = 0; i < count; ++i) {
        records.append({ { QStringLiteral("testo"),
                             QStringLiteral("Messaggio %1: la pratica è stata presa in carico.\nLe "
                                            "faremo sapere appena il confidi avrà deliberato; "
                                            "nel frattempo non serve inviare altri documenti.")
                                 .arg(i) },
            { QStringLiteral("utente_tipo"),
                i % 2 ? QStringLiteral("assistenza") : QStringLiteral("utente") },
            { QStringLiteral("data_msg"),
                QStringLiteral("05/03/2024 14:%1:%2")
                    .arg(i / 60 % 60, 2, 10, QLatin1Char('0'))
                    .arg(i % 60, 2, 10, QLatin1Char('0')) } });
    }
    return records;
}

}

/// A ticket of 10,000 messages delivered to its open detail window, until the window has been
/// painted; the peak memory of the process is printed beside its level before the first fill.
class BenchTicketConversation final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void fillWindow();
    void cleanupTestCase();

private:
    std::unique_ptr<Test::TestServer> server;
    std::unique_ptr<Test::TestClient> client;
    QTemporaryDir directory;
    qint64 residentBefore = 0;
    qint64 fillNanoseconds = 0;
};

void BenchTicketConversation::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    QStandardPaths::setTestModeEnabled(true);
    QDir::setCurrent(directory.path());
    // The model asks for the user's e-mail address when it is made; nothing else goes out. A
    // plain-HTTP server reads no certificates, so the bench runs without the tests' folder.
    if (!qEnvironmentVariableIsSet("CORVANE_TEST_PKI_DIR"))
        qputenv("CORVANE_TEST_PKI_DIR", QFile::encodeName(directory.path()));
    server = std::make_unique<Test::TestServer>(Test::TestServer::Mode::PlainHttp);
    server->setXmlReply(QStringLiteral("/corvane/v5/home/ticket_mail_utente"),
        Test::resultReply(QStringLiteral("0")));
    client = std::make_unique<Test::TestClient>(server->baseUrl(), QStringLiteral("none"));
}

void BenchTicketConversation::fillWindow()
{
    Model::Ticket model(client->commandManager());
    TicketDetailWindow window(&model);
    window.resize(1000, 680);
    window.open();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QList<DataRow> records = conversation(messageCount);
    // QtTest runs a benchmark's function more than once: the first run finds the process as the
    // fill finds it.
    if (residentBefore == 0)
        residentBefore = Bench::ownStatusKib("VmRSS");
    QElapsedTimer timer;
    timer.start();
    int calls = 0;
    QBENCHMARK
    {
        auto* command = new Command::TicketDetail(&model, QStringLiteral("1"));
        command->useResponse({}, records);
        window.repaint();
        QCoreApplication::processEvents();
        ++calls;
    }
    fillNanoseconds = timer.nsecsElapsed() / qMax(1, calls);
    QCOMPARE(model.getTicketMessages().size(), messageCount);
}

void BenchTicketConversation::cleanupTestCase()
{
    client.reset();
    qInfo("fill with %d messages: %.1f ms", messageCount, double(fillNanoseconds) / 1e6);
    qInfo("resident before the fill: %lld kB; peak (VmHWM): %lld kB",
        static_cast<long long>(residentBefore),
        static_cast<long long>(Bench::ownStatusKib("VmHWM")));
}

QTEST_MAIN(BenchTicketConversation)
#include "bench_ticketconversation.moc"
