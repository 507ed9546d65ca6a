#include "app/account.h"
#include "app/applicationmanager.h"
#include "commands/accountcommands.h"
#include "commands/search/city.h"
#include "models/addresswrapper.h"
#include "network/networkmanager.h"
#include "protocol/commandmanager.h"
#include "protocol/commandrequestmanager.h"
#include "support/datarows.h"
#include "support/messageboxanswerer.h"
#include "support/testclient.h"
#include "support/testcommands.h"
#include "support/testenvironment.h"
#include "support/testserver.h"

#include <QEventLoop>
#include <QSettings>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <memory>

using namespace Corvane;
using namespace Corvane::Test;

namespace {

QString home(const char* verb) { return QString("/corvane/v5/home/") + verb; }

/// An OK reply sent after delayMs, carrying one record whose "cap" is cap.
ScriptedReply delayedReply(int delayMs, const QString& cap = QString())
{
    ScriptedReply delayed;
    delayed.body = cap.isNull() ? resultReply("0") : resultReply("0", { { { "cap", cap } } });
    delayed.delayMs = delayMs;
    return delayed;
}

QString logText()
{
    QFile log("corvane2.log");
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
}

}

class TestCommandManager final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void requestCarriesProtocolFields();
    void emptyTokenHeadersAreSent();
    void tokenFilesReachHeadersOnlyWhenClean_data();
    void tokenFilesReachHeadersOnlyWhenClean();
    void oneRequestInFlightResultsInOrderOnce();
    void resultChecks_data();
    void resultChecks();
    void refusedSessionGoesToFlowManagerAfterQueueAdvances();
    void unknownOrMissingCodeShowsGenericError_data();
    void unknownOrMissingCodeShowsGenericError();
    void quittingAfterServerError();
    void timeoutAndDroppedConnectionDoNotStallQueue();
    void commandQueuedAgainInsideItsDelivery_data();
    void commandQueuedAgainInsideItsDelivery();
    void withdrawnAndDestroyedCommandsLeaveTheQueue_data();
    void withdrawnAndDestroyedCommandsLeaveTheQueue();
    void replyIsTakenFromTheTransferThatFinished();
    void flowCommandsAreFreedOnceEnded_data();
    void flowCommandsAreFreedOnceEnded();

private:
    CommandManager* commandManager() { return application->getCommandManager(); }
    /// Queues the commands and waits until the last one has been used.
    void runAll(std::initializer_list<RecordingCommand*> commands)
    {
        for (RecordingCommand* command : commands)
            commandManager()->exec(command);
        QTRY_COMPARE_WITH_TIMEOUT((*std::rbegin(commands))->useCount, 1, 15000);
    }

    std::unique_ptr<TestServer> server;
    std::unique_ptr<TestClient> client;
    ApplicationManager* application = nullptr;
};

void TestCommandManager::initTestCase()
{
    TestEnvironment::enterTemporaryWorkingDirectory();
    QCoreApplication::setApplicationName("Corvane");
    QCoreApplication::setApplicationVersion("5.2.0.0");
    server = std::make_unique<TestServer>();
    // A path of its own in the base URL must be replaced, not extended.
    client = std::make_unique<TestClient>(server->baseUrl() + "/ignored/path");
    application = client->application();
    application->getAccount()->setBank(" 01234 - Banca di Prova - Filiale");
    server->setXmlReply(home("init"), resultReply("0"));
}

void TestCommandManager::init()
{
    ApplicationManager::removeSessionFile("auth.txt");
    ApplicationManager::removeSessionFile("twofa.txt");
    QVERIFY(!commandManager()->isBusy());
}

void TestCommandManager::cleanupTestCase() { client.reset(); }

void TestCommandManager::requestCarriesProtocolFields()
{
    // Guards against a missing "cmd", "vers" or bank, ambiguous values, a debug switch ignored.
    server->setXmlReply("/corvane/v5/search/lista_imprese/01234", resultReply("0"));
    server->setXmlReply(home("province"), resultReply("0"));
    HomeCommand init(home("init"), { { "b", "2" }, { "a", "1" } });
    SearchCommand search("/corvane/v5/search/lista_imprese", { { "vers", "1.0" } });
    const QMap<QString, QString> values { { "plus", "a+b++" }, { "cf +&=%", "x&y=z&" },
        { "percent", "100% %41 %zz" }, { "blanks", " due  parole " }, { "accents", "àèéìòù €" },
        { "base64", "PD94bWw+Pz4/Lz8+Kw==" }, { "reserved", "#?/;:@$,[]!'()*~" } };
    PublicHomeCommand lookup(home("province"), values);
    const int before = server->requestCount();
    runAll({ &init, &search, &lookup });

    const QList<RecordedRequest> requests = server->requests().mid(before);
    QCOMPARE(requests.size(), 3);
    QCOMPARE(requests[0].method, "POST");
    QCOMPARE(requests[0].path, home("init"));
    QVERIFY2(requests[0].body.startsWith("a=1&b=2&cmd="), requests[0].body.constData());
    QCOMPARE(requests[0].form.value("cmd"), home("init"));
    QCOMPARE(requests[0].form.value("vers"), "5.2.0.0");
    QCOMPARE(requests[0].headers.value("content-type"), "application/x-www-form-urlencoded");
    QCOMPARE(requests[1].path, "/corvane/v5/search/lista_imprese/01234");
    QCOMPARE(requests[1].form.value("vers"), "5.2.0.0");
    QCOMPARE(requests[2].path, home("province"));
    QVERIFY(!requests[2].form.contains("vers"));
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        QCOMPARE(requests[2].form.value(it.key()), it.value());
    QVERIFY(!requests[2].form.contains("XDEBUG_SESSION"));

    QSettings("config.ini", QSettings::IniFormat).setValue("Debug/Enable", 0);
    TestClient debug(server->baseUrl());
    QSettings("config.ini", QSettings::IniFormat).remove("Debug");
    debug.commandManager()->exec(&lookup);
    QTRY_COMPARE(lookup.useCount, 2);
    QCOMPARE(server->requests().constLast().form.value("XDEBUG_SESSION"), "qzv");
}

void TestCommandManager::emptyTokenHeadersAreSent()
{
    // Guards against the token headers disappearing from the request when there is no token.
    QTcpServer raw;
    QVERIFY(raw.listen(QHostAddress::LocalHost));
    QByteArray received;
    connect(&raw, &QTcpServer::newConnection, &raw, [&] {
        QTcpSocket* socket = raw.nextPendingConnection();
        connect(socket, &QTcpSocket::readyRead, socket, [&received, socket] {
            received += socket->readAll();
            if (!received.contains("\r\n\r\n") || !received.contains("cmd="))
                return;
            const QByteArray body = resultReply("0");
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: "
                + QByteArray::number(body.size()) + "\r\n\r\n" + body);
            socket->disconnectFromHost();
        });
    });
    TestClient plain(QString("http://127.0.0.1:%1").arg(raw.serverPort()));
    HomeCommand init(home("init"));
    plain.commandManager()->exec(&init);
    QTRY_COMPARE(init.useCount, 1);
    QVERIFY2(received.contains("\r\nauth: \r\n") && received.contains("\r\ntwoFa: \r\n"),
        received.constData());
}

void TestCommandManager::tokenFilesReachHeadersOnlyWhenClean_data()
{
    QTest::addColumn<QString>("authText");
    QTest::addColumn<QString>("twoFaText");
    QTest::addColumn<QString>("authHeader");
    QTest::addColumn<QString>("twoFaHeader");
    const QString auth = "eyJhbGciOi.auth-token-secret.sig";
    const QString twoFa = "eyJhbGciOi.twofa-token-secret.sig";
    QTest::newRow("clean tokens") << auth << twoFa << auth << twoFa;
    QTest::newRow("line break injecting a header")
        << auth + "\r\nX-Injected: 1" << twoFa << QString() << twoFa;
    QTest::newRow("trailing line feed") << auth << twoFa + '\n' << auth << QString();
    QTest::newRow("NUL") << auth + QChar(0) + "x" << twoFa << QString() << twoFa;
    QTest::newRow("no files") << QString() << QString() << QString() << QString();
}

void TestCommandManager::tokenFilesReachHeadersOnlyWhenClean()
{
    // Guards against header injection from a token file, stale tokens sent and tokens logged.
    QFETCH(QString, authText);
    QFETCH(QString, twoFaText);
    QFETCH(QString, authHeader);
    QFETCH(QString, twoFaHeader);
    ApplicationManager::writeSessionFile("auth.txt", authText);
    ApplicationManager::writeSessionFile("twofa.txt", twoFaText);
    const int logStart = logText().size();
    HomeCommand init(home("init"));
    runAll({ &init });
    const RecordedRequest last = server->requests().constLast();
    QCOMPARE(last.headers.value("auth"), authHeader);
    QCOMPARE(last.headers.value("twofa"), twoFaHeader);
    QVERIFY(!last.headers.contains("x-injected"));
    const QString log = logText().mid(logStart);
    QVERIFY2(!log.contains("token-secret"), qPrintable(log));
    QCOMPARE(log.contains("holds a control character"),
        authHeader != authText || twoFaHeader != twoFaText);
}

void TestCommandManager::oneRequestInFlightResultsInOrderOnce()
{
    // Guards against a request leaving before the last result was used, or a duplicate sent twice.
    server->setReply(home("slow"), delayedReply(300, "lento"));
    server->setReply(home("fast"), delayedReply(0, "veloce"));
    const int before = server->requestCount();
    HomeCommand first(home("slow")), second(home("fast")), third(home("slow"));
    QList<HomeCommand*> order;
    QList<int> requestsSeenAtUse;
    for (HomeCommand* command : { &first, &second, &third }) {
        command->onUse = [&, command] {
            order << command;
            requestsSeenAtUse << server->requestCount() - before;
        };
        commandManager()->exec(command);
    }
    const int logStart = logText().size();
    commandManager()->exec(&second);
    QVERIFY(logText().mid(logStart).contains("Warning: \"/corvane/v5/home/fast\""));
    QTRY_VERIFY(!commandManager()->isBusy());
    QCOMPARE(order, (QList<HomeCommand*> { &first, &second, &third }));
    QCOMPARE(requestsSeenAtUse, (QList<int> { 1, 2, 3 }));
    QCOMPARE(first.dataRows.value(0).value("cap"), "lento");
    QCOMPARE(second.dataRows.value(0).value("cap"), "veloce");
}

void TestCommandManager::resultChecks_data()
{
    addRows({ "kind", "esitoId", "used", "httpStatus" },
        { { "authenticated OK", "home", "0", "used", "200" },
            { "authenticated empty search", "search", "10", "used", "200" },
            { "authenticated token missing", "home", "300", "", "200" },
            { "search with bad token", "search", "313", "", "403" },
            { "login failure reaches the command", "public", "9", "used", "200" },
            { "rate limited, answered with 403", "public", "201", "used", "403" } });
}

void TestCommandManager::resultChecks()
{
    // Guards against the session check stopping good replies, passing bad ones, losing a 403's.
    QFETCH(QString, kind);
    QFETCH(QString, esitoId);
    QFETCH(QString, used);
    QFETCH(QString, httpStatus);
    ScriptedReply scripted;
    scripted.status = httpStatus.toInt();
    scripted.body = resultReply(esitoId);
    server->setReply(home("checked"), scripted);
    server->setReply("/corvane/v5/search/checked/01234", scripted);
    std::unique_ptr<RecordingCommand> command;
    if (kind == "home")
        command = std::make_unique<HomeCommand>(home("checked"));
    else if (kind == "public")
        command = std::make_unique<PublicHomeCommand>(home("checked"));
    else
        command = std::make_unique<SearchCommand>("/corvane/v5/search/checked");
    commandManager()->exec(command.get());
    QTRY_VERIFY(!commandManager()->isBusy());
    QCOMPARE(command->useCount, used.isEmpty() ? 0 : 1);
    QCOMPARE(command->decodedReply.value("esito_id"), used.isEmpty() ? QString() : esitoId);
}

void TestCommandManager::refusedSessionGoesToFlowManagerAfterQueueAdvances()
{
    // Guards against the flow manager told before the refused command left the queue, or a stall.
    server->setXmlReply(home("refused"), resultReply("313", { idRecord("0", "auth") }));
    const int logStart = logText().size();
    HomeCommand refused(home("refused"));
    HomeCommand next(home("init"));
    runAll({ &refused, &next });
    QCOMPARE(refused.useCount, 0);
    QCOMPARE(commandManager()->getDecodedReply().value("esito_id"), "0");

    const QString log = logText().mid(logStart);
    const int completed = log.indexOf("\"/corvane/v5/home/refused\" Command execution completed");
    const int dispatched = log.indexOf("ManageResponse ResultID: 313");
    const int nextSent
        = log.indexOf("Executing the POST request with URL  \"https://127.0.0.1", completed);
    // The flow manager sees the refused reply, not an emptied one, though the next request is out.
    QVERIFY2(completed >= 0 && nextSent > completed && dispatched > nextSent, qPrintable(log));
}

void TestCommandManager::unknownOrMissingCodeShowsGenericError_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("message");
    const QString head
        = "Errore durante l'esecuzione della richiesta.\nComando: /corvane/v5/home/broken";
    QTest::newRow("no item_res") << QByteArray("<risposta><item_dati/></risposta>") << head;
    QTest::newRow("unknown code with description")
        << xmlReply({ { "esito_id", "999" }, { "esito_descr", "Guasto" } })
        << head + "\nErrore: 999\nDescrizione: Guasto";
    QTest::newRow("unknown code without description")
        << resultReply("306") << head + "\nErrore: 306\nDescrizione: Non definita";
    QTest::newRow("not xml") << QByteArray("Service Unavailable") << head;
}

void TestCommandManager::unknownOrMissingCodeShowsGenericError()
{
    // Guards against an unreadable reply reaching the command, or the user being told nothing.
    QFETCH(QByteArray, body);
    QFETCH(QString, message);
    server->setXmlReply(home("broken"), body);
    MessageBoxAnswerer answerer;
    answerer.expect("Errore nella risposta del server", message + "\n\nVuoi chiudere Corvane?",
        QMessageBox::No);
    HomeCommand broken(home("broken"));
    HomeCommand next(home("init"));
    runAll({ &broken, &next });
    QVERIFY2(answerer.problems().isEmpty(), qPrintable(answerer.problems()));
    QCOMPARE(broken.useCount, 0);
    QCOMPARE(commandManager()->getLastErrorMessage(), message);
}

void TestCommandManager::quittingAfterServerError()
{
    // Guards against "Yes" in the server-error box not ending the program with exit code 1.
    server->setXmlReply(home("broken"), resultReply("999"));
    MessageBoxAnswerer answerer;
    answerer.expect("Errore nella risposta del server", "Errore: 999", QMessageBox::Yes,
        MessageBoxAnswerer::Match::Contains);
    HomeCommand broken(home("broken"));
    commandManager()->exec(&broken);
    QEventLoop loop;
    QTimer::singleShot(20000, &loop, [&loop] { loop.exit(-2); });
    QCOMPARE(loop.exec(), 1);
    QVERIFY(TestEnvironment::takeQuitRequest());
    QVERIFY(answerer.allAnswered());
    QCOMPARE(broken.useCount, 0);
}

void TestCommandManager::timeoutAndDroppedConnectionDoNotStallQueue()
{
    // Guards against a failed or endless transfer holding the queue, or an error page used.
    QSignalSpy proxyErrors(application->getNetworkManager(), &NetworkManager::proxyErrorDetected);
    server->setReply(home("silent"), delayedReply(5000));
    ScriptedReply dropped;
    dropped.dropConnection = true;
    server->setReply(home("dropped"), dropped);
    commandManager()->setTransferTimeout(300);
    MessageBoxAnswerer answerer;
    // The first server error ends the program; later boxes are never reached.
    answerer.expect("Errore durante la connessione al server", "CODE: ", QMessageBox::Ok,
        MessageBoxAnswerer::Match::Contains);
    HomeCommand timedOut(home("silent"));
    HomeCommand droppedCommand(home("dropped"));
    HomeCommand missing(home("nowhere"));
    HomeCommand next(home("init"));
    runAll({ &timedOut, &droppedCommand, &missing, &next });
    commandManager()->setTransferTimeout(CommandRequestManager::defaultTransferTimeout);
    QCOMPARE(timedOut.useCount + droppedCommand.useCount + missing.useCount, 0);
    // The time-out is a network set-up problem (settings window), the drop a server one.
    QCOMPARE(proxyErrors.count(), 1);
    QVERIFY2(answerer.problems().isEmpty(), qPrintable(answerer.problems()));
    QVERIFY(TestEnvironment::takeQuitRequest());
}

void TestCommandManager::commandQueuedAgainInsideItsDelivery_data()
{
    QTest::addColumn<bool>("replaced");
    QTest::newRow("same object") << false;
    QTest::newRow("new object at the same address") << true;
}

void TestCommandManager::commandQueuedAgainInsideItsDelivery()
{
    // Guards against a command re-queued inside its own delivery refused as a duplicate.
    QFETCH(bool, replaced);
    const int before = server->requestCount();
    alignas(HomeCommand) unsigned char storage[sizeof(HomeCommand)];
    auto* command = new (storage) HomeCommand(home("init"));
    int results = 0;
    // Like an owner that deletes its command and creates the next one inside useResponse.
    std::function<void()> requeue = [&] {
        if (++results > 1)
            return;
        if (replaced) {
            command->~HomeCommand();
            command = new (storage) HomeCommand(home("init"));
            command->onUse = [&] { requeue(); };
        }
        commandManager()->exec(command);
    };
    command->onUse = [&] { requeue(); };
    commandManager()->exec(command);
    QTRY_COMPARE(results, 2);
    QTRY_VERIFY(!commandManager()->isBusy());
    QCOMPARE(server->requestCount() - before, 2);
    command->~HomeCommand();
}

void TestCommandManager::withdrawnAndDestroyedCommandsLeaveTheQueue_data()
{
    addRows({ "target", "end" },
        { { "waiting, withdrawn", "waiting", "withdrawn" },
            { "waiting, destroyed", "waiting", "destroyed" },
            { "running, withdrawn", "running", "withdrawn" },
            { "running, destroyed", "running", "destroyed" } });
}

void TestCommandManager::withdrawnAndDestroyedCommandsLeaveTheQueue()
{
    // Guards against use after free, withdrawn commands answered, aborts reported, a stall.
    QFETCH(QString, target);
    QFETCH(QString, end);
    const bool running = target == "running";
    const bool destroyed = end == "destroyed";
    std::unique_ptr<HomeCommand> commands[2];
    for (int i = 0; i < 2; ++i) {
        const QString path = home(i == 0 ? "first" : "second");
        server->setReply(path, delayedReply(400, path));
        commands[i] = std::make_unique<HomeCommand>(path);
    }
    MessageBoxAnswerer answerer;
    const int before = server->requestCount();
    HomeCommand last(home("init"));
    for (const auto& command : commands)
        commandManager()->exec(command.get());
    commandManager()->exec(&last);
    QTRY_COMPARE(server->requestCount() - before, 1);

    const int gone = running ? 0 : 1;
    if (destroyed)
        commands[gone].reset();
    else
        commandManager()->withdraw(commands[gone].get());
    QTRY_COMPARE(last.useCount, 1);
    QTRY_VERIFY(!commandManager()->isBusy());
    const HomeCommand& other = *commands[1 - gone];
    QCOMPARE(other.useCount, 1);
    QCOMPARE(other.dataRows.value(0).value("cap"), other.path);
    if (!destroyed)
        QCOMPARE(commands[gone]->useCount, 0);
    QCOMPARE(server->requestCount() - before, running ? 3 : 2);
    QCOMPARE(answerer.getSeenTexts(), QStringList());
}

void TestCommandManager::replyIsTakenFromTheTransferThatFinished()
{
    // Guards against the transport taking its last transfer's reply, not the finished one's.
    server->setReply(home("early"), delayedReply(50, "vecchia"));
    server->setReply(home("late"), delayedReply(600, "attuale"));
    server->setReply(home("held"), delayedReply(2000));
    MessageBoxAnswerer answerer;
    HomeCommand waiting(home("held"));
    commandManager()->exec(&waiting);
    // A second transport of the same manager, with two transfers under way.
    CommandRequestManager transport(
        application->getNetworkManager(), nullptr, commandManager(), server->baseUrl());
    for (const char* verb : { "early", "late" }) {
        transport.configurePostRequest({}, home(verb));
        transport.executePostRequest();
    }
    QTRY_COMPARE(waiting.useCount, 1);
    QCOMPARE(waiting.dataRows.value(0).value("cap"), "attuale");
    QCOMPARE(answerer.getSeenTexts(), QStringList());
}

void TestCommandManager::flowCommandsAreFreedOnceEnded_data()
{
    // The result code, or none for a dropped connection; the box, if any, and its button.
    addRows({ "owner", "esitoId", "title", "text", "button" },
        { { "accepted, the user is told", "flow", "0", "Richiesta nuova password",
              "La richiesta è stata inviata. Controllare la mail.", "Ok" },
            { "session refused", "flow", "9", "", "", "" },
            { "unknown result code", "flow", "999", "Errore nella risposta del server",
                "Errore: 999", "No" },
            { "connection dropped", "flow", "", "Errore durante la connessione al server",
                "CODE: ", "Ok" },
            { "failed city look-up", "address", "999", "Errore nella risposta del server",
                "Errore: 999", "No" } });
}

void TestCommandManager::flowCommandsAreFreedOnceEnded()
{
    // Guards against refused and failed flow commands, or look-ups, living as long as their owner.
    QFETCH(QString, owner);
    QFETCH(QString, esitoId);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(QString, button);
    ScriptedReply scripted;
    scripted.dropConnection = esitoId.isEmpty();
    scripted.body = scripted.dropConnection ? QByteArray() : resultReply(esitoId);
    server->setReply(home("richiesta_password"), scripted);
    server->setReply("/corvane/v5/search/comuni/01234", scripted);
    MessageBoxAnswerer answerer;
    if (!title.isEmpty())
        answerer.expect(title, text, button == "Ok" ? QMessageBox::Ok : QMessageBox::No,
            MessageBoxAnswerer::Match::Contains);
    Model::AddressWrapper wrapper(commandManager());
    const auto alive = [&] {
        return application->findChildren<Command::RequestPassword*>().size()
            + wrapper.findChildren<Command::Search::City*>().size();
    };
    if (owner == "address")
        wrapper.fetchCities("RM");
    else
        application->requestPassword();
    QCOMPARE(alive(), 1);
    QTRY_VERIFY(!commandManager()->isBusy());
    QTRY_COMPARE(alive(), 0);
    QVERIFY2(answerer.problems().isEmpty(), qPrintable(answerer.problems()));
    QCOMPARE(TestEnvironment::takeQuitRequest(), scripted.dropConnection);
}

QTEST_MAIN(TestCommandManager)
#include "tst_commandmanager.moc"
