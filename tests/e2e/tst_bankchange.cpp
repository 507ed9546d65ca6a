#include "app/applicationmanager.h"
#include "app/singleinstanceguard.h"
#include "e2esession.h"
#include "support/testenvironment.h"
#include "ui/mainwindow.h"

#include <QAction>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <vector>

using namespace Corvane;
using namespace Corvane::Test;
using namespace Corvane::Test::E2e;

/// "Cambia banca" restarts the program, which must pass the guard this instance held.
class TestBankChange final : public E2eTest {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void newInstanceReachesTheBankChoice();

private:
    QTemporaryDir directory;
    qint64 restarted = 0;
};

void TestBankChange::initTestCase()
{
    // The new process shares this one's session files and log: same home, same working folder.
    QVERIFY(directory.isValid());
    const QString home = directory.filePath(QStringLiteral("home"));
    QDir().mkpath(home);
    qputenv("HOME", QFile::encodeName(home));
    qunsetenv("XDG_DATA_HOME");
    QDir::setCurrent(directory.path());
    QString error;
    server = startDemoServer(QStringLiteral(TESSARO_SERVER_PATH), error);
    QVERIFY2(server, qPrintable(error));
    session = std::make_unique<E2eSession>(server.get());
}

void TestBankChange::cleanupTestCase()
{
    if (restarted > 0) {
        ::kill(static_cast<pid_t>(restarted), SIGTERM);
        QTRY_VERIFY_WITH_TIMEOUT(::kill(static_cast<pid_t>(restarted), 0) != 0, 20000);
    }
    E2eTest::cleanupTestCase();
}

void TestBankChange::newInstanceReachesTheBankChoice()
{
    // Guards against the restarted program being refused by the guard of the ending one.
    SingleInstanceGuard guard;
    QVERIFY(guard.tryAcquire());
    QVERIFY(session->signInReadyUser());
    session->application()->getMainWindow()->findChild<QAction*>("actionBanca")->trigger();
    QVERIFY(TestEnvironment::takeQuitRequest());
    session->stopClient();

    const auto log = [] { return QString::fromUtf8(readAll(QStringLiteral("corvane2.log"))); };
    const QRegularExpression started(
        QStringLiteral("Restarted for a bank change as process (\\d+)"));
    QTRY_VERIFY_WITH_TIMEOUT(started.match(log()).hasMatch(), 20000);
    const QRegularExpressionMatch match = started.match(log());
    restarted = match.captured(1).toLongLong();
    QVERIFY(restarted > 0);
    // The new process lists the user's banks: its bank choice is on screen.
    QTRY_VERIFY_WITH_TIMEOUT(
        log().mid(match.capturedEnd()).contains(QStringLiteral("into results map")), 30000);
}

int main(int argc, char* argv[])
{
    // "Cambia banca" starts the program named by the first argument: here, the real client.
    QByteArray program(CORVANE_PATH);
    std::vector<char*> arguments { program.data() };
    int count = 1;
    QApplication application(count, arguments.data());
    TestBankChange test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_bankchange.moc"
