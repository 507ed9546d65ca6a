#include "app/applicationmanager.h"
#include "app/resources.h"
#include "app/updatewindow.h"
#include "serverprocess.h"
#include "serviceclient.h"
#include "support/messageboxanswerer.h"
#include "support/testclient.h"
#include "support/testenvironment.h"

#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

using namespace Corvane;
using namespace Corvane::Test;

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

/// The process running the executable at path, or 0.
pid_t processRunning(const QString& path)
{
    const QString wanted = QFileInfo(path).absoluteFilePath();
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool number = false;
        const pid_t pid = entry.toInt(&number);
        if (number && QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(pid)) == wanted)
            return pid;
    }
    return 0;
}

/// While it lives, standard error (and so that of every process started meanwhile) goes to a
/// file.
class StandardErrorCapture final {
public:
    explicit StandardErrorCapture(const QString& path)
        : saved(::dup(STDERR_FILENO))
    {
        const int file
            = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        ::dup2(file, STDERR_FILENO);
        ::close(file);
    }
    ~StandardErrorCapture()
    {
        ::dup2(saved, STDERR_FILENO);
        ::close(saved);
    }
    StandardErrorCapture(const StandardErrorCapture&) = delete;
    StandardErrorCapture& operator=(const StandardErrorCapture&) = delete;

private:
    int saved;
};

}

/// A release published with tessaro-server replaces the running client: the download, the
/// unpacking, the update run's three processes and the files they leave, with the real
/// executables in a scratch installation folder.
class TestSelfUpdate final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void publishedReleaseReplacesTheRunningProgram();

private:
    std::unique_ptr<ServerProcess> server;
};

void TestSelfUpdate::initTestCase()
{
    TestEnvironment::enterTemporaryWorkingDirectory();
    // The unpacked folder is looked for in a temporary folder of the test's own.
    QDir().mkdir(QStringLiteral("tmp"));
    qputenv("TMPDIR", QFile::encodeName(QDir::current().filePath(QStringLiteral("tmp"))));
    initResources();
    QCoreApplication::setApplicationName(QStringLiteral("Corvane"));
    QCoreApplication::setApplicationVersion(QStringLiteral("5.2.0.0"));
    server = std::make_unique<ServerProcess>(QStringLiteral(TESSARO_SERVER_PATH));
    QString error;
    QVERIFY2(server->start(QStringLiteral("demo"), error), qPrintable(error));
}

void TestSelfUpdate::cleanupTestCase()
{
    // A new program left running by a failed check is this test's own.
    if (const pid_t left = processRunning(QStringLiteral("corvane")))
        ::kill(left, SIGTERM);
    if (server)
        QCOMPARE(server->stop(), 0);
}

void TestSelfUpdate::publishedReleaseReplacesTheRunningProgram()
{
    // Guards against a newer release never reaching the user: a broken download, unpacking,
    // hand-over to the update run or swap, or a new program that does not start.
    int exitCode = -1;
    server->runTool(
        { "publish-update", "--version", "5.3.0.0", "--executable", CORVANE_NEXT_PATH }, &exitCode);
    QCOMPARE(exitCode, 0);

    // The installation: the 5.2.0.0 program, an earlier backup and files of older releases.
    const QByteArray previous = readAll(QStringLiteral(CORVANE_PATH));
    const QByteArray next = readAll(QStringLiteral(CORVANE_NEXT_PATH));
    QVERIFY(!previous.isEmpty() && !next.isEmpty() && previous != next);
    QVERIFY(QFile::copy(QStringLiteral(CORVANE_PATH), QStringLiteral("corvane")));
    for (const char* name : { "corvane.bak", "NetProbe.exe", "CorvaneWin.old" }) {
        QFile file(QString::fromLatin1(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("earlier release");
    }

    // A stored session, so that the version check passes at start-up.
    QString user;
    const QMap<QString, QString> accounts = server->getAccounts();
    for (auto it = accounts.cbegin(); it != accounts.cend(); ++it) {
        if (it.key().contains(QStringLiteral("two-factor active")))
            user = it.value();
    }
    QVERIFY(!user.isEmpty());
    ServiceClient service(QStringLiteral("localhost"), server->getPort(), server->getCaPath());
    const QString auth
        = service
              .post("/corvane/v5/home/login_account",
                  { { "cf_utente", user }, { "cf_confidi", server->getConsortiumOf(user) },
                      { "password", "Corvane.Demo.2024" } })
              .value("0");
    const QString code = QString::fromLatin1(server->runTool({ "totp", user }).trimmed());
    const QString twoFa
        = service.post("/corvane/v5/home/autenticazione_two_fa", { { "twofa_token", code } }, auth)
              .value("0");
    QVERIFY(!auth.isEmpty() && !twoFa.isEmpty());
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QVERIFY(QDir().mkpath(data));
    for (const auto& [name, token] :
        { std::pair { "auth.txt", auth }, std::pair { "twofa.txt", twoFa } }) {
        QFile file(data + QLatin1Char('/') + QLatin1String(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(token.toUtf8());
    }

    MessageBoxAnswerer answerer;
    answerer.expect(QStringLiteral("Aggiornamento Corvane"),
        QStringLiteral("E' disponibile una nuova versione Corvane.\nVerrà ora avviata la procedura "
                       "automatica di aggiornamento.\n\nVersione corrente: 5.2.0.0\nUltima "
                       "versione: 5.3.0.0"),
        QMessageBox::Ok);
    auto client = std::make_unique<TestClient>(
        QStringLiteral("https://localhost:%1").arg(server->getPort()), server->getCaPath());
    ApplicationManager* application = client->application();
    application->start();

    UpdateWindow* window = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((window = application->getUpdateWindow()) && window->isVisible()
            && window->findChild<QLabel*>("step3Label")->isVisibleTo(window),
        60000);
    QVERIFY(answerer.getFailures().isEmpty());
    QVERIFY(answerer.allAnswered());
    QCOMPARE(window->findChild<QLabel*>("step3Label")->text().trimmed(),
        QStringLiteral("Aggiornamento completato."));
    QCOMPARE(window->findChild<QLabel*>("step1Label")->text(),
        QStringLiteral("Download file di aggiornamento completato."));
    auto* restart = window->findChild<QPushButton*>("restartButton");
    QVERIFY(restart->isEnabled());

    // Unpacked into a folder that only this user can enter; the archive and the earlier backup
    // are gone.
    const QStringList unpacked
        = QDir(QDir::tempPath()).entryList({ QStringLiteral("corvane-update-*") }, QDir::Dirs);
    QCOMPARE(unpacked.size(), 1);
    const QString folder = QDir(QDir::tempPath()).filePath(unpacked.first());
    QCOMPARE(QFile::permissions(folder)
            & ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser),
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(readAll(folder + QStringLiteral("/corvane-update")), next);
    QVERIFY(!QFile::exists(QStringLiteral("CorvaneWin.zip")));
    QVERIFY(!QFile::exists(QStringLiteral("corvane.bak")));

    {
        const StandardErrorCapture capture(QStringLiteral("processes.txt"));
        restart->click();
        QVERIFY(TestEnvironment::takeQuitRequest());
    }
    client.reset();

    // The unpacked update program, the previous program finishing the swap, the new program.
    pid_t updated = 0;
    QTRY_VERIFY_WITH_TIMEOUT((updated = processRunning(QStringLiteral("corvane"))) > 0
            && readAll(QStringLiteral("processes.txt")).count("Current Corvane version: 5.3.0.0")
                == 2,
        60000);
    const QByteArray processes = readAll(QStringLiteral("processes.txt"));
    QCOMPARE(processes.count("Current Corvane version: 5.2.0.0"), 1);
    QVERIFY(processes.indexOf("Current Corvane version: 5.2.0.0")
        < processes.lastIndexOf("Current Corvane version: 5.3.0.0"));
    QCOMPARE(
        readAll(QStringLiteral("corvane2.log")).count("Application started with argument -update"),
        2);

    QCOMPARE(readAll(QStringLiteral("corvane")), next);
    QCOMPARE(readAll(QStringLiteral("corvane.bak")), previous);
    QVERIFY(!QFile::exists(QStringLiteral("corvane-previous")));
    QVERIFY(!QFile::exists(QStringLiteral("corvane-update")));
    QCOMPARE(readAll(QStringLiteral("old/NetProbe.exe")), QByteArray("earlier release"));
    QCOMPARE(readAll(QStringLiteral("old/CorvaneWin.old")), QByteArray("earlier release"));
    QVERIFY(!QFile::exists(folder));

    QCOMPARE(::kill(updated, SIGTERM), 0);
    QTRY_VERIFY_WITH_TIMEOUT(processRunning(QStringLiteral("corvane")) == 0, 20000);
}

QTEST_MAIN(TestSelfUpdate)
#include "tst_selfupdate.moc"
