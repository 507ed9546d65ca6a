#include "app/account.h"
#include "app/applicationmanager.h"
#include "commands/accountcommands.h"
#include "commands/search/city.h"
#include "models/addresswrapper.h"
#include "network/networkmanager.h"
#include "protocol/commandmanager.h"
#include "protocol/commandrequestmanager.h"
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

const QString okReply = QStringLiteral("0");

QString homePath(const char* verb)
{
    return QStringLiteral("/corvane/v5/home/") + QLatin1String(verb);
}

QByteArray reply(const QString& esitoId, const QList<DataRow>& rows = {})
{
    return resultReply(esitoId, rows);
}

/// An OK reply sent after delayMs, carrying one record whose "cap" is cap.
ScriptedReply delayedReply(int delayMs, const QString& cap = QString())
{
    ScriptedReply delayed;
    delayed.body
        = cap.isNull() ? reply(okReply) : reply(okReply, { { { QStringLiteral("cap"), cap } } });
    delayed.delayMs = delayMs;
    return delayed;
}

QString seenBoxes(const MessageBoxAnswerer& answerer)
{
    return answerer.getSeenTexts().join(QLatin1Char('\n'));
}

QString logText()
{
    QFile log(QStringLiteral("corvane2.log"));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(log.readAll());
}

void removeTokenFiles()
{
    ApplicationManager::removeSessionFile(QStringLiteral("auth.txt"));
    ApplicationManager::removeSessionFile(QStringLiteral("twofa.txt"));
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
    void debugSwitchAddsDebuggerSession();
    void valuesArriveUnchanged_data();
    void valuesArriveUnchanged();
    void oneRequestInFlightResultsInOrder();
    void duplicateExecIsRefused();
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
    void failedLookUpsAreFreed();

private:
    CommandManager* commandManager() { return application->getCommandManager(); }

    std::unique_ptr<TestServer> server;
    std::unique_ptr<TestClient> client;
    ApplicationManager* application = nullptr;
};

void TestCommandManager::initTestCase()
{
    TestEnvironment::enterTemporaryWorkingDirectory();
    QCoreApplication::setApplicationName(QStringLiteral("Corvane"));
    QCoreApplication::setApplicationVersion(QStringLiteral("5.2.0.0"));
    server = std::make_unique<TestServer>();
    // A path of its own in the base URL must be replaced, not extended.
    client = std::make_unique<TestClient>(server->baseUrl() + QStringLiteral("/ignored/path"));
    application = client->application();
    application->getAccount()->setBank(QStringLiteral(" 01234 - Banca di Prova - Filiale"));
}

void TestCommandManager::init()
{
    removeTokenFiles();
    QVERIFY(!commandManager()->isBusy());
}

void TestCommandManager::cleanupTestCase() { client.reset(); }

void TestCommandManager::requestCarriesProtocolFields()
{
    // Guards against requests missing "cmd", "vers", the bank code or the token headers.
    server->setXmlReply(homePath("init"), reply(okReply));
    server->setXmlReply(QStringLiteral("/corvane/v5/search/lista_imprese/01234"), reply(okReply));
    server->setXmlReply(homePath("province"), reply(okReply));

    HomeCommand home(homePath("init"),
        { { QStringLiteral("b"), QStringLiteral("2") },
            { QStringLiteral("a"), QStringLiteral("1") } });
    SearchCommand search(QStringLiteral("/corvane/v5/search/lista_imprese"),
        { { QStringLiteral("vers"), QStringLiteral("1.0") } });
    PublicHomeCommand lookup(homePath("province"));
    const int before = server->requestCount();
    commandManager()->exec(&home);
    commandManager()->exec(&search);
    commandManager()->exec(&lookup);
    QTRY_COMPARE(lookup.useCount, 1);

    const QList<RecordedRequest> requests = server->requests().mid(before);
    QCOMPARE(requests.size(), 3);

    const RecordedRequest& first = requests[0];
    QCOMPARE(first.method, QStringLiteral("POST"));
    QCOMPARE(first.path, homePath("init"));
    QVERIFY2(first.body.startsWith("a=1&b=2&cmd="), first.body.constData());
    QCOMPARE(first.form.value(QStringLiteral("cmd")), homePath("init"));
    QCOMPARE(first.form.value(QStringLiteral("vers")), QStringLiteral("5.2.0.0"));
    QCOMPARE(first.headers.value(QStringLiteral("content-type")),
        QStringLiteral("application/x-www-form-urlencoded"));

    QCOMPARE(requests[1].path, QStringLiteral("/corvane/v5/search/lista_imprese/01234"));
    QCOMPARE(requests[1].form.value(QStringLiteral("vers")), QStringLiteral("5.2.0.0"));

    QCOMPARE(requests[2].path, homePath("province"));
    QVERIFY(!requests[2].form.contains(QStringLiteral("vers")));
    QVERIFY(!requests[2].form.contains(QStringLiteral("XDEBUG_SESSION")));
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
            const QByteArray body = reply(okReply);
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: "
                + QByteArray::number(body.size()) + "\r\n\r\n" + body);
            socket->disconnectFromHost();
        });
    });
    TestClient plain(QStringLiteral("http://127.0.0.1:%1").arg(raw.serverPort()));
    HomeCommand init(homePath("init"));
    plain.commandManager()->exec(&init);
    QTRY_COMPARE(init.useCount, 1);
    QVERIFY2(received.contains("\r\nauth: \r\n"), received.constData());
    QVERIFY2(received.contains("\r\ntwoFa: \r\n"), received.constData());
}

void TestCommandManager::tokenFilesReachHeadersOnlyWhenClean_data()
{
    QTest::addColumn<QString>("authText");
    QTest::addColumn<QString>("twoFaText");
    QTest::addColumn<QString>("authHeader");
    QTest::addColumn<QString>("twoFaHeader");

    const QString auth = QStringLiteral("eyJhbGciOi.auth-token-secret.sig");
    const QString twoFa = QStringLiteral("eyJhbGciOi.twofa-token-secret.sig");
    QTest::newRow("clean tokens") << auth << twoFa << auth << twoFa;
    QTest::newRow("line break injecting a header")
        << auth + QStringLiteral("\r\nX-Injected: 1") << twoFa << QString() << twoFa;
    QTest::newRow("trailing line feed") << auth << twoFa + QLatin1Char('\n') << auth << QString();
    QTest::newRow("NUL") << auth + QChar(0) + QStringLiteral("x") << twoFa << QString() << twoFa;
    QTest::newRow("no files") << QString() << QString() << QString() << QString();
}

void TestCommandManager::tokenFilesReachHeadersOnlyWhenClean()
{
    // Guards against a token file's control characters reaching a header line (header
    // injection), stale tokens being sent, and bearer tokens being written to the log.
    QFETCH(QString, authText);
    QFETCH(QString, twoFaText);
    QFETCH(QString, authHeader);
    QFETCH(QString, twoFaHeader);
    ApplicationManager::writeSessionFile(QStringLiteral("auth.txt"), authText);
    ApplicationManager::writeSessionFile(QStringLiteral("twofa.txt"), twoFaText);
    server->setXmlReply(homePath("init"), reply(okReply));
    const int logStart = logText().size();

    HomeCommand init(homePath("init"));
    commandManager()->exec(&init);
    QTRY_COMPARE(init.useCount, 1);
    const RecordedRequest last = server->requests().constLast();
    QCOMPARE(last.headers.value(QStringLiteral("auth")), authHeader);
    QCOMPARE(last.headers.value(QStringLiteral("twofa")), twoFaHeader);
    QVERIFY(!last.headers.contains(QStringLiteral("x-injected")));

    const QString log = logText().mid(logStart);
    QVERIFY2(!log.contains(QStringLiteral("token-secret")), qPrintable(log));
    QCOMPARE(log.contains(QStringLiteral("holds a control character")),
        authHeader != authText || twoFaHeader != twoFaText);
}

void TestCommandManager::debugSwitchAddsDebuggerSession()
{
    // Guards against the debug switch of "config.ini" being ignored.
    QSettings(QStringLiteral("config.ini"), QSettings::IniFormat)
        .setValue(QStringLiteral("Debug/Enable"), 0);
    TestClient debug(server->baseUrl());
    QSettings(QStringLiteral("config.ini"), QSettings::IniFormat).remove(QStringLiteral("Debug"));
    server->setXmlReply(homePath("province"), reply(okReply));
    PublicHomeCommand lookup(homePath("province"));
    debug.commandManager()->exec(&lookup);
    QTRY_COMPARE(lookup.useCount, 1);
    QCOMPARE(server->requests().constLast().form.value(QStringLiteral("XDEBUG_SESSION")),
        QStringLiteral("qzv"));
}

void TestCommandManager::valuesArriveUnchanged_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("plus") << QStringLiteral("a+b++");
    QTest::newRow("ampersand and equals") << QStringLiteral("x&y=z&");
    QTest::newRow("percent") << QStringLiteral("100% %41 %zz");
    QTest::newRow("blanks") << QStringLiteral(" due  parole ");
    QTest::newRow("accented and euro") << QStringLiteral("àèéìòù €");
    QTest::newRow("base64") << QStringLiteral("PD94bWw+Pz4/Lz8+Kw==");
    QTest::newRow("reserved") << QStringLiteral("#?/;:@$,[]!'()*~");
}

void TestCommandManager::valuesArriveUnchanged()
{
    // Guards against form encoding that a server decodes differently ("+" read as a blank).
    QFETCH(QString, value);
    server->setXmlReply(homePath("login_account"), reply(QStringLiteral("9")));
    PublicHomeCommand login(homePath("login_account"),
        { { QStringLiteral("password"), value }, { QStringLiteral("cf +&=%"), value } });
    commandManager()->exec(&login);
    QTRY_COMPARE(login.useCount, 1);
    const RecordedRequest last = server->requests().constLast();
    QCOMPARE(last.form.value(QStringLiteral("password")), value);
    QCOMPARE(last.form.value(QStringLiteral("cf +&=%")), value);
}

void TestCommandManager::oneRequestInFlightResultsInOrder()
{
    // Guards against a second request leaving before the first one's result has been used.
    server->setReply(homePath("slow"), delayedReply(300, QStringLiteral("lento")));
    server->setXmlReply(homePath("fast"),
        reply(okReply, { { { QStringLiteral("cap"), QStringLiteral("veloce") } } }));

    const int before = server->requestCount();
    QStringList order;
    QList<int> requestsSeenAtUse;
    HomeCommand first(homePath("slow"));
    HomeCommand second(homePath("fast"));
    HomeCommand third(homePath("slow"));
    auto record = [&](const QString& name) {
        order << name;
        requestsSeenAtUse << server->requestCount() - before;
    };
    first.onUse = [&] { record(QStringLiteral("first")); };
    second.onUse = [&] { record(QStringLiteral("second")); };
    third.onUse = [&] { record(QStringLiteral("third")); };

    commandManager()->exec(&first);
    commandManager()->exec(&second);
    commandManager()->exec(&third);
    QTRY_COMPARE(order.size(), 3);
    QCOMPARE(order, (QStringList { "first", "second", "third" }));
    QCOMPARE(requestsSeenAtUse, (QList<int> { 1, 2, 3 }));
    QCOMPARE(first.dataRows.value(0).value(QStringLiteral("cap")), QStringLiteral("lento"));
    QCOMPARE(second.dataRows.value(0).value(QStringLiteral("cap")), QStringLiteral("veloce"));
}

void TestCommandManager::duplicateExecIsRefused()
{
    // Guards against a command queued twice being sent twice.
    server->setReply(homePath("slow"), delayedReply(200));
    const int before = server->requestCount();
    HomeCommand running(homePath("slow"));
    HomeCommand waiting(homePath("slow"));
    commandManager()->exec(&running);
    commandManager()->exec(&waiting);
    const int logStart = logText().size();
    commandManager()->exec(&waiting);
    QVERIFY(logText().mid(logStart).contains(QStringLiteral("Warning: \"/corvane/v5/home/slow\"")));
    QTRY_VERIFY(!commandManager()->isBusy());
    QCOMPARE(waiting.useCount, 1);
    QCOMPARE(server->requestCount() - before, 2);
}

void TestCommandManager::resultChecks_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("esitoId");
    QTest::addColumn<bool>("used");
    QTest::addColumn<int>("httpStatus");
    enum { Home, Public, Search };
    QTest::newRow("authenticated OK") << int(Home) << "0" << true << 200;
    QTest::newRow("authenticated empty search") << int(Search) << "10" << true << 200;
    QTest::newRow("authenticated token missing") << int(Home) << "300" << false << 200;
    QTest::newRow("search with bad token") << int(Search) << "313" << false << 403;
    QTest::newRow("login failure reaches the command") << int(Public) << "9" << true << 200;
    QTest::newRow("rate limited, answered with 403") << int(Public) << "201" << true << 403;
}

void TestCommandManager::resultChecks()
{
    // Guards against the session check stopping replies it must pass, or passing ones it must
    // stop, and against the result code of a 403 being lost.
    QFETCH(int, kind);
    QFETCH(QString, esitoId);
    QFETCH(bool, used);
    QFETCH(int, httpStatus);
    const QString path = homePath("checked");
    const QString searchPath = QStringLiteral("/corvane/v5/search/checked");
    ScriptedReply scripted;
    scripted.status = httpStatus;
    scripted.body = reply(esitoId);
    server->setReply(path, scripted);
    server->setReply(searchPath + QStringLiteral("/01234"), scripted);
    std::unique_ptr<RecordingCommand> command;
    if (kind == 0)
        command = std::make_unique<HomeCommand>(path);
    else if (kind == 1)
        command = std::make_unique<PublicHomeCommand>(path);
    else
        command = std::make_unique<SearchCommand>(searchPath);
    commandManager()->exec(command.get());
    QTRY_VERIFY(!commandManager()->isBusy());
    QCOMPARE(command->useCount, used ? 1 : 0);
    if (used)
        QCOMPARE(command->decodedReply.value(QStringLiteral("esito_id")), esitoId);
}

void TestCommandManager::refusedSessionGoesToFlowManagerAfterQueueAdvances()
{
    // Guards against the flow manager reacting before the refused command has left the queue,
    // and against the commands behind it being stuck.
    server->setXmlReply(homePath("refused"),
        reply(QStringLiteral("313"),
            { { { QStringLiteral("id"), QStringLiteral("0") },
                { QStringLiteral("descr"), QStringLiteral("auth") } } }));
    server->setXmlReply(homePath("init"), reply(okReply));
    const int logStart = logText().size();
    HomeCommand refused(homePath("refused"));
    HomeCommand next(homePath("init"));
    commandManager()->exec(&refused);
    commandManager()->exec(&next);
    QTRY_COMPARE(next.useCount, 1);
    QCOMPARE(refused.useCount, 0);
    QCOMPARE(commandManager()->getDecodedReply().value(QStringLiteral("esito_id")), okReply);

    const QString log = logText().mid(logStart);
    const int completed
        = log.indexOf(QStringLiteral("\"/corvane/v5/home/refused\" Command execution completed"));
    const int dispatched = log.indexOf(QStringLiteral("ManageResponse ResultID: 313"));
    const int nextSent = log.indexOf(
        QStringLiteral("Executing the POST request with URL  \"https://127.0.0.1"), completed);
    QVERIFY(completed >= 0);
    QVERIFY(nextSent > completed);
    // The flow manager sees the refused reply, not an emptied one, though the next request is out.
    QVERIFY2(dispatched > nextSent, qPrintable(log));
}

void TestCommandManager::unknownOrMissingCodeShowsGenericError_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("message");
    const QString head = QStringLiteral(
        "Errore durante l'esecuzione della richiesta.\nComando: /corvane/v5/home/broken");
    QTest::newRow("no item_res") << QByteArray("<risposta><item_dati/></risposta>") << head;
    QTest::newRow("unknown code with description")
        << xmlReply({ { QStringLiteral("esito_id"), QStringLiteral("999") },
               { QStringLiteral("esito_descr"), QStringLiteral("Guasto") } })
        << head + QStringLiteral("\nErrore: 999\nDescrizione: Guasto");
    QTest::newRow("unknown code without description") << reply(
        QStringLiteral("306")) << head + QStringLiteral("\nErrore: 306\nDescrizione: Non definita");
    QTest::newRow("not xml") << QByteArray("Service Unavailable") << head;
}

void TestCommandManager::unknownOrMissingCodeShowsGenericError()
{
    // Guards against a reply the client cannot understand reaching the command, or the user
    // being told nothing.
    QFETCH(QByteArray, body);
    QFETCH(QString, message);
    server->setXmlReply(homePath("broken"), body);
    server->setXmlReply(homePath("init"), reply(okReply));
    MessageBoxAnswerer answerer;
    answerer.expect(QStringLiteral("Errore nella risposta del server"),
        message + QStringLiteral("\n\nVuoi chiudere Corvane?"), QMessageBox::No);
    HomeCommand broken(homePath("broken"));
    HomeCommand next(homePath("init"));
    commandManager()->exec(&broken);
    commandManager()->exec(&next);
    QTRY_COMPARE(next.useCount, 1);
    QVERIFY2(answerer.problems().isEmpty(), qPrintable(answerer.problems()));
    QCOMPARE(broken.useCount, 0);
    QCOMPARE(commandManager()->getLastErrorMessage(), message);
}

void TestCommandManager::quittingAfterServerError()
{
    // Guards against "Yes" in the server-error box not ending the program with exit code 1.
    server->setXmlReply(homePath("broken"), reply(QStringLiteral("999")));
    MessageBoxAnswerer answerer;
    answerer.expect(QStringLiteral("Errore nella risposta del server"),
        QStringLiteral("Errore: 999"), QMessageBox::Yes, MessageBoxAnswerer::Match::Contains);
    HomeCommand broken(homePath("broken"));
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
    // Guards against a transfer that fails or never completes holding every later command for
    // ever, and against an HTTP error page reaching a command.
    QSignalSpy proxyErrors(application->getNetworkManager(), &NetworkManager::proxyErrorDetected);
    ScriptedReply silent;
    silent.body = reply(okReply);
    silent.delayMs = 5000;
    server->setReply(homePath("silent"), silent);
    ScriptedReply dropped;
    dropped.dropConnection = true;
    server->setReply(homePath("dropped"), dropped);
    server->setXmlReply(homePath("init"), reply(okReply));

    commandManager()->setTransferTimeout(300);
    MessageBoxAnswerer answerer;
    answerer.expect(QStringLiteral("Errore durante la connessione al server"),
        QStringLiteral("CODE: "), QMessageBox::Ok, MessageBoxAnswerer::Match::Contains);
    // The first server error ends the program; later boxes are never reached.
    HomeCommand timedOut(homePath("silent"));
    HomeCommand droppedCommand(homePath("dropped"));
    HomeCommand missing(homePath("nowhere"));
    HomeCommand next(homePath("init"));
    commandManager()->exec(&timedOut);
    commandManager()->exec(&droppedCommand);
    commandManager()->exec(&missing);
    commandManager()->exec(&next);
    QTRY_COMPARE_WITH_TIMEOUT(next.useCount, 1, 15000);
    commandManager()->setTransferTimeout(CommandRequestManager::defaultTransferTimeout);

    QCOMPARE(timedOut.useCount, 0);
    QCOMPARE(droppedCommand.useCount, 0);
    QCOMPARE(missing.useCount, 0);
    // The time-out is a network set-up problem (settings window), the dropped connection a server
    // one.
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
    // Guards against a command queued from inside the delivery of the one it replaces being
    // refused as a duplicate of the head and then dropped with it.
    QFETCH(bool, replaced);
    const QString path = homePath("init");
    server->setXmlReply(path, reply(okReply));
    const int before = server->requestCount();
    alignas(HomeCommand) unsigned char storage[sizeof(HomeCommand)];
    auto* command = new (storage) HomeCommand(path);
    int results = 0;
    // Like an owner that deletes its command and creates the next one inside useResponse.
    std::function<void()> requeue = [&] {
        if (++results > 1)
            return;
        if (replaced) {
            command->~HomeCommand();
            command = new (storage) HomeCommand(path);
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
    QTest::addColumn<bool>("running");
    QTest::addColumn<bool>("destroyed");
    QTest::newRow("waiting, withdrawn") << false << false;
    QTest::newRow("waiting, destroyed") << false << true;
    QTest::newRow("running, withdrawn") << true << false;
    QTest::newRow("running, destroyed") << true << true;
}

void TestCommandManager::withdrawnAndDestroyedCommandsLeaveTheQueue()
{
    // Guards against a reply delivered to a command that is gone (use after free), a withdrawn
    // command still sent or answered, an aborted transfer reported as a network failure, and
    // the queue stuck behind a command that left it.
    QFETCH(bool, running);
    QFETCH(bool, destroyed);
    const QString paths[] { homePath("first"), homePath("second") };
    std::unique_ptr<HomeCommand> commands[2];
    for (int i = 0; i < 2; ++i) {
        server->setReply(paths[i], delayedReply(400, paths[i]));
        commands[i] = std::make_unique<HomeCommand>(paths[i]);
    }
    server->setXmlReply(homePath("init"), reply(okReply));
    MessageBoxAnswerer answerer;
    const int before = server->requestCount();
    HomeCommand last(homePath("init"));
    for (const auto& command : commands)
        commandManager()->exec(command.get());
    commandManager()->exec(&last);
    QTRY_COMPARE(server->requestCount() - before, 1);

    const int target = running ? 0 : 1;
    if (destroyed)
        commands[target].reset();
    else
        commandManager()->withdraw(commands[target].get());
    QTRY_COMPARE(last.useCount, 1);
    QTRY_VERIFY(!commandManager()->isBusy());
    const HomeCommand& other = *commands[1 - target];
    QCOMPARE(other.useCount, 1);
    QCOMPARE(other.dataRows.value(0).value(QStringLiteral("cap")), other.path);
    if (!destroyed)
        QCOMPARE(commands[target]->useCount, 0);
    QCOMPARE(server->requestCount() - before, running ? 3 : 2);
    QVERIFY2(answerer.getSeenTexts().isEmpty(), qPrintable(seenBoxes(answerer)));
}

void TestCommandManager::replyIsTakenFromTheTransferThatFinished()
{
    // Guards against the transport reading the reply it posted last instead of the one that
    // finished: an earlier transfer ending first would hand over, and delete, the current one.
    server->setReply(homePath("early"), delayedReply(50, QStringLiteral("vecchia")));
    server->setReply(homePath("late"), delayedReply(600, QStringLiteral("attuale")));
    server->setReply(homePath("held"), delayedReply(2000));
    MessageBoxAnswerer answerer;
    HomeCommand waiting(homePath("held"));
    commandManager()->exec(&waiting);
    // A second transport of the same manager, with two transfers under way.
    CommandRequestManager transport(
        application->getNetworkManager(), nullptr, commandManager(), server->baseUrl());
    for (const char* path : { "/corvane/v5/home/early", "/corvane/v5/home/late" }) {
        transport.configurePostRequest({}, QString::fromLatin1(path));
        transport.executePostRequest();
    }
    QTRY_COMPARE(waiting.useCount, 1);
    QCOMPARE(waiting.dataRows.value(0).value(QStringLiteral("cap")), QStringLiteral("attuale"));
    QVERIFY2(answerer.getSeenTexts().isEmpty(), qPrintable(seenBoxes(answerer)));
}

void TestCommandManager::flowCommandsAreFreedOnceEnded_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("dropped");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("button");
    QTest::newRow("accepted, the user is told")
        << reply(okReply) << false << "Richiesta nuova password"
        << "La richiesta è stata inviata. Controllare la mail." << int(QMessageBox::Ok);
    QTest::newRow("session refused")
        << reply(QStringLiteral("9")) << false << QString() << QString() << 0;
    QTest::newRow("unknown result code") << reply(QStringLiteral("999")) << false
                                         << QStringLiteral("Errore nella risposta del server")
                                         << QStringLiteral("Errore: 999") << int(QMessageBox::No);
    QTest::newRow("connection dropped")
        << QByteArray() << true << QStringLiteral("Errore durante la connessione al server")
        << QStringLiteral("CODE: ") << int(QMessageBox::Ok);
}

void TestCommandManager::flowCommandsAreFreedOnceEnded()
{
    // Guards against the flow's refused and failed commands living as long as the process (one
    // more for every wrong code or password).
    QFETCH(QByteArray, body);
    QFETCH(bool, dropped);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(int, button);
    ScriptedReply scripted;
    scripted.body = body;
    scripted.dropConnection = dropped;
    server->setReply(homePath("richiesta_password"), scripted);
    MessageBoxAnswerer answerer;
    if (!title.isEmpty())
        answerer.expect(
            title, text, QMessageBox::StandardButton(button), MessageBoxAnswerer::Match::Contains);

    application->requestPassword();
    QCOMPARE(application->findChildren<Command::RequestPassword*>().size(), 1);
    QTRY_VERIFY(!commandManager()->isBusy());
    QTRY_VERIFY(application->findChildren<Command::RequestPassword*>().isEmpty());
    QVERIFY2(answerer.problems().isEmpty(), qPrintable(answerer.problems()));
    QCOMPARE(TestEnvironment::takeQuitRequest(), dropped);
}

void TestCommandManager::failedLookUpsAreFreed()
{
    // Guards against an address look-up without a result living as long as the wrapper (one more
    // for every province chosen).
    server->setXmlReply(QStringLiteral("/corvane/v5/search/comuni"), reply(QStringLiteral("999")));
    MessageBoxAnswerer answerer;
    answerer.expect(QStringLiteral("Errore nella risposta del server"),
        QStringLiteral("Errore: 999"), QMessageBox::No, MessageBoxAnswerer::Match::Contains);
    Model::AddressWrapper wrapper(commandManager());
    wrapper.fetchCities(QStringLiteral("RM"));
    QTRY_VERIFY(!commandManager()->isBusy());
    QTRY_VERIFY(wrapper.findChildren<Command::Search::City*>().isEmpty());
    QVERIFY(answerer.allAnswered());
}

QTEST_MAIN(TestCommandManager)
#include "tst_commandmanager.moc"
