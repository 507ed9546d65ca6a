#include "app/applicationmanager.h"
#include "app/updatewindow.h"
#include "e2esession.h"
#include "support/messageboxanswerer.h"
#include "support/testenvironment.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

using namespace Corvane;
using namespace Corvane::Test;
using namespace Corvane::Test::E2e;

namespace {

/// The process running the executable at path, or 0.
pid_t processRunning(const QString& path)
{
    const QString wanted = QFileInfo(path).absoluteFilePath();
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs)) {
        if (QFile::symLinkTarget("/proc/" + entry + "/exe") == wanted)
            return entry.toInt();
    }
    return 0;
}

}

/// A published release replaces the real client installed in the working directory.
class TestSelfUpdate final : public E2eTest {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(startServer());
        QDir().mkdir("tmp");
        qputenv("TMPDIR", QFile::encodeName(QDir::current().filePath("tmp")));
    }
    void cleanupTestCase()
    {
        // A new program left running by a failed check is this test's own.
        if (const pid_t left = processRunning("corvane"))
            ::kill(left, SIGTERM);
        E2eTest::cleanupTestCase();
    }
    void publishedReleaseReplacesTheRunningProgram();
};

void TestSelfUpdate::publishedReleaseReplacesTheRunningProgram()
{
    // Guards against a newer release never reaching the user or its new program not starting.
    // A stored session, so that the version check passes at start-up.
    QVERIFY(session->signInReadyUser());
    session->stopClient();
    int exitCode = -1;
    server->runTool(
        { "publish-update", "--version", "5.3.0.0", "--executable", CORVANE_NEXT_PATH }, &exitCode);
    QCOMPARE(exitCode, 0);
    const QByteArray previous = readAll(CORVANE_PATH);
    const QByteArray next = readAll(CORVANE_NEXT_PATH);
    QVERIFY(!next.isEmpty() && previous != next);
    QVERIFY(QFile::copy(CORVANE_PATH, "corvane"));
    for (const char* name : { "corvane.bak", "NetProbe.exe", "CorvaneWin.old" }) {
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("earlier release") > 0);
    }

    MessageBoxAnswerer answerer;
    answerer.expect("Aggiornamento Corvane",
        "E' disponibile una nuova versione Corvane.\nVerrà ora avviata la procedura automatica "
        "di aggiornamento.\n\nVersione corrente: 5.2.0.0\nUltima versione: 5.3.0.0",
        QMessageBox::Ok);
    session->startClient();
    UpdateWindow* window = session->application()->getUpdateWindow();
    auto* restart = window->findChild<QPushButton*>("restartButton");
    QTRY_VERIFY_WITH_TIMEOUT(window->isVisible() && restart->isEnabled(), 60000);
    QVERIFY2(answerer.problems().isEmpty(), qPrintable(answerer.problems()));
    QCOMPARE(
        window->findChild<QLabel*>("step3Label")->text().trimmed(), "Aggiornamento completato.");

    // Unpacked for this user alone; the archive and the earlier backup are gone.
    const QStringList unpacked
        = QDir(QDir::tempPath()).entryList({ "corvane-update-*" }, QDir::Dirs);
    QCOMPARE(unpacked.size(), 1);
    const QString folder = QDir::tempPath() + '/' + unpacked.first();
    QCOMPARE(QFile::permissions(folder) & 0x0077, QFileDevice::Permissions());
    QCOMPARE(readAll(folder + "/corvane-update"), next);
    QVERIFY(!QFile::exists("CorvaneWin.zip") && !QFile::exists("corvane.bak"));

    // The processes started from here write their standard error (their versions) into a file.
    const int savedError = ::dup(STDERR_FILENO);
    const int processes = ::open("processes.txt", O_WRONLY | O_CREAT | O_APPEND, 0600);
    ::dup2(processes, STDERR_FILENO);
    restart->click();
    ::dup2(savedError, STDERR_FILENO);
    ::close(processes);
    ::close(savedError);
    QVERIFY(TestEnvironment::takeQuitRequest());
    session->stopClient();

    // The unpacked update program (5.3), the previous one finishing the swap (5.2), the new one.
    pid_t updated = 0;
    QTRY_VERIFY_WITH_TIMEOUT((updated = processRunning("corvane"))
            && readAll("processes.txt").count("Current Corvane version: 5.3.0.0") == 2,
        60000);
    QCOMPARE(readAll("processes.txt").count("Current Corvane version: 5.2.0.0"), 1);
    QCOMPARE(readAll("corvane2.log").count("Application started with argument -update"), 2);
    QCOMPARE(readAll("corvane"), next);
    QCOMPARE(readAll("corvane.bak"), previous);
    QVERIFY(!QFile::exists("corvane-previous") && !QFile::exists("corvane-update"));
    QCOMPARE(readAll("old/NetProbe.exe") + readAll("old/CorvaneWin.old"),
        QByteArray("earlier releaseearlier release"));
    QVERIFY(!QFile::exists(folder));
    QCOMPARE(::kill(updated, SIGTERM), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!processRunning("corvane"), 20000);

    // Now there is nothing to finish: another update run changes nothing and ends cleanly.
    QProcess again;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // The program never frees its flow manager, by design: no leak to report.
    environment.insert("ASAN_OPTIONS", "detect_leaks=0");
    again.setProcessEnvironment(environment);
    again.start("./corvane", { "update" });
    QVERIFY(again.waitForFinished(60000));
    QCOMPARE(again.exitCode(), 0);
    QCOMPARE(readAll("corvane"), next);
    QStringList programs = QDir().entryList({ "corvane*" }, QDir::Files);
    programs.sort();
    QCOMPARE(programs, QStringList({ "corvane", "corvane.bak", "corvane2.log" }));
}

QTEST_MAIN(TestSelfUpdate)
#include "tst_selfupdate.moc"
