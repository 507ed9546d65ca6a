#include "app/applicationmanager.h"
#include "app/updater.h"
#include "app/updatewindow.h"
#include "commands/checkversion.h"
#include "protocol/commandmanager.h"
#include "support/messageboxanswerer.h"
#include "support/testclient.h"
#include "support/testcommands.h"
#include "support/testenvironment.h"
#include "support/testserver.h"

#include <QCryptographicHash>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QtTest>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

#include <fcntl.h>
#include <functional>
#include <linux/fs.h>
#include <memory>
#include <sys/ioctl.h>
#include <unistd.h>

using namespace Corvane;
using namespace Corvane::Test;

namespace {

struct ZipEntry {
    QString name;
    QByteArray content;
    bool link = false;
};

QByteArray zipOf(const QList<ZipEntry>& entries)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("a.zip"));
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdCreate))
        return {};
    for (const ZipEntry& entry : entries) {
        QuaZipNewInfo info(entry.name);
        // Unix mode in the high half: a link whose content is its target, or an executable.
        info.externalAttr = (entry.link ? 0120777u : 0100755u) << 16;
        QuaZipFile file(&zip);
        if (!file.open(QIODevice::WriteOnly, info))
            return {};
        file.write(entry.content);
        file.close();
    }
    zip.close();
    QFile archive(path);
    return archive.open(QIODevice::ReadOnly) ? archive.readAll() : QByteArray();
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
}

/// Sets or clears the immutable flag, which stops even the superuser from changing an entry.
bool setImmutable(const QString& path, bool immutable)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = immutable ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return done;
}

/// Takes away this user's right to change path: its write permission, or where that does not
/// bind (the superuser), the immutable flag. The returned call gives it back; null when neither
/// works here.
std::function<void()> makeUnchangeable(const QString& path)
{
    const QFile::Permissions permissions = QFile::permissions(path);
    QFile::setPermissions(path,
        permissions
            & ~(QFileDevice::WriteOwner | QFileDevice::WriteUser | QFileDevice::WriteGroup
                | QFileDevice::WriteOther));
    if (!QFileInfo(path).isWritable())
        return [path, permissions] { QFile::setPermissions(path, permissions); };
    QFile::setPermissions(path, permissions);
    if (setImmutable(path, true))
        return [path] { setImmutable(path, false); };
    return nullptr;
}

/// A program that appends its version tag and parameter to "started.txt" in its working folder.
QByteArray fakeProgram(const char* tag)
{
    return QByteArray("#!/bin/sh\necho \"") + tag + " $1\" >> started.txt\n";
}

QString unpackedFolders()
{
    return QDir(QDir::tempPath())
        .entryList({ QStringLiteral("corvane-update-*") }, QDir::Dirs)
        .join(QLatin1Char(' '));
}

}

/// The self-update's file work and its failures, through the flow manager against a scripted
/// server; the whole update with the real executables is the end-to-end test's.
class TestUpdater final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void failedUpdateShowsTheErrorState_data();
    void failedUpdateShowsTheErrorState();
    void updateRunSwapsThePrograms_data();
    void updateRunSwapsThePrograms();
    void updateRunWithNothingToFinishExitsCleanly();

private:
    std::unique_ptr<TestServer> server;
    std::unique_ptr<TestClient> client;
    QString root;
};

void TestUpdater::initTestCase()
{
    TestEnvironment::enterTemporaryWorkingDirectory();
    root = QDir::currentPath();
    // A temporary folder of the test's own, where the unpacked folders can be counted.
    QDir().mkdir(QStringLiteral("tmp"));
    qputenv("TMPDIR", QFile::encodeName(root + QStringLiteral("/tmp")));
    QCoreApplication::setApplicationVersion(QStringLiteral("5.2.0.0"));
    server = std::make_unique<TestServer>();
}

void TestUpdater::cleanupTestCase()
{
    client.reset();
    server.reset();
}

void TestUpdater::failedUpdateShowsTheErrorState_data()
{
    QTest::addColumn<QByteArray>("archive");
    QTest::addColumn<bool>("checksumMatches");
    QTest::addColumn<QString>("installation");
    QTest::addColumn<bool>("downloaded");
    QTest::addColumn<bool>("leftoversKept");

    const QByteArray program = fakeProgram("new");
    QTest::newRow("checksum mismatch") << zipOf({ { QStringLiteral("corvane-update"), program } })
                                       << false << QStringLiteral("writable") << true << true;
    QTest::newRow("not an archive")
        << QByteArray("PK\x03\x04 troncato") << true << QStringLiteral("writable") << true << false;
    QTest::newRow("entry leaving the folder") << zipOf(
        { { QStringLiteral("corvane-update"), program }, { QStringLiteral("../evaso"), program } })
                                              << true << QStringLiteral("writable") << true
                                              << false;
    QTest::newRow("absolute entry") << zipOf({ { QStringLiteral("corvane-update"), program },
        { QDir::tempPath() + QStringLiteral("/evaso"), program } })
                                    << true << QStringLiteral("writable") << true << false;
    QTest::newRow("link entry") << zipOf(
        { { QStringLiteral("corvane-update"), QByteArray("/bin/sh"), true } })
                                << true << QStringLiteral("writable") << true << false;
    QTest::newRow("no update program")
        << zipOf({ { QStringLiteral("leggimi.txt"), QByteArray("5.3") } }) << true
        << QStringLiteral("writable") << true << false;
    QTest::newRow("read-only installation folder")
        << zipOf({ { QStringLiteral("corvane-update"), program } }) << true
        << QStringLiteral("read-only") << false << true;
    QTest::newRow("program outside the working directory")
        << zipOf({ { QStringLiteral("corvane-update"), program } }) << true
        << QStringLiteral("no program") << false << true;
}

void TestUpdater::failedUpdateShowsTheErrorState()
{
    // Guards against a bad download, a hostile archive or an installation this user cannot
    // change running an update anyway, touching files it must not, or leaving no way out.
    QFETCH(QByteArray, archive);
    QFETCH(bool, checksumMatches);
    QFETCH(QString, installation);
    QFETCH(bool, downloaded);
    QFETCH(bool, leftoversKept);
    QVERIFY(!archive.isEmpty());

    const QString folder = root + QLatin1Char('/') + QString::fromLatin1(QTest::currentDataTag());
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(QDir::setCurrent(folder));
    const auto back = qScopeGuard([this] { QDir::setCurrent(root); });
    if (installation != QLatin1String("no program"))
        writeFile(QStringLiteral("corvane"), fakeProgram("old"));
    // What an earlier update left: only a good download may remove it.
    writeFile(QStringLiteral("corvane-update"), fakeProgram("earlier"));
    writeFile(QStringLiteral("corvane.bak"), fakeProgram("older"));
    client = std::make_unique<TestClient>(server->baseUrl());
    ApplicationManager* application = client->application();
    std::function<void()> restore;
    if (installation == QLatin1String("read-only")) {
        restore = makeUnchangeable(folder);
        if (!restore)
            QSKIP("this file system cannot make a folder unchangeable for this user");
    }
    const auto giveBack = qScopeGuard([this, &restore] {
        if (restore)
            restore();
        client.reset();
    });

    const QString md5 = checksumMatches
        ? QString::fromLatin1(QCryptographicHash::hash(archive, QCryptographicHash::Md5).toHex())
        : QStringLiteral("0123456789abcdef0123456789abcdef");
    server->setXmlReply(QStringLiteral("/corvane/v5/home/version_check"),
        resultReply(QStringLiteral("0"),
            { idRecord(QStringLiteral("0"), md5),
                idRecord(QStringLiteral("1"), QStringLiteral("5.3.0.0")) }));
    ScriptedReply download;
    download.contentType = "application/zip";
    download.body = archive;
    server->setReply(QStringLiteral("/corvane/v5/home/download_upd"), download);
    const int requestsBefore = server->requestCount();

    MessageBoxAnswerer answerer;
    if (downloaded)
        answerer.expect(QStringLiteral("Aggiornamento Corvane"),
            QStringLiteral("Versione corrente: 5.2.0.0\nUltima versione: 5.3.0.0"), QMessageBox::Ok,
            MessageBoxAnswerer::Match::Contains);
    // The error state of a bad checksum is modal: it is read and closed from the event loop.
    QStringList seen;
    QTimer closer;
    connect(&closer, &QTimer::timeout, &closer, [&] {
        UpdateWindow* window = application->getUpdateWindow();
        auto* button = window->findChild<QPushButton*>(QStringLiteral("restartButton"));
        if (!window->isVisible() || !button->isEnabled())
            return;
        for (const char* name : { "step1Label", "step1Tick", "errorLabel", "step3Label" }) {
            auto* label = window->findChild<QLabel*>(QString::fromLatin1(name));
            seen << (label->isVisibleTo(window) ? label->text() : QString());
        }
        seen << button->text();
        closer.stop();
        // Only the error state's button is pressed: the other one would start the update run.
        if (button->text() == QLatin1String("Chiudi Corvane"))
            button->click();
        else
            QCoreApplication::exit(2);
    });
    closer.start(20);

    // The program's own event loop: closing the last window ends it, and nothing else may.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, &watchdog, [] { QCoreApplication::exit(1); });
    watchdog.start(20000);
    application->getCommandManager()->exec(
        new Command::CheckVersion(application, QStringLiteral("5.2.0.0")));
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(!seen.isEmpty());
    QVERIFY2(answerer.getFailures().isEmpty(), qPrintable(answerer.getFailures().join('\n')));
    QVERIFY(answerer.allAnswered());

    QCOMPARE(seen.value(0), QStringLiteral("Errore durante l'aggiornamento."));
    QCOMPARE(seen.value(1), QStringLiteral("✖"));
    if (downloaded) {
        QCOMPARE(seen.value(2), QString());
    } else {
        // The line names the folder and the way out.
        const QString expected = installation == QLatin1String("read-only")
            ? folder
            : QCoreApplication::applicationDirPath();
        QVERIFY2(seen.value(2).contains(expected), qPrintable(seen.value(2)));
        QVERIFY(seen.value(2).contains(QStringLiteral("gestore dei pacchetti")));
    }
    QCOMPARE(seen.value(3), QString());
    QCOMPARE(seen.value(4), QStringLiteral("Chiudi Corvane"));
    QVERIFY(!application->getUpdateWindow()->isVisible());

    QTRY_VERIFY(!application->getCommandManager()->isBusy());
    const QList<RecordedRequest> requests = server->requests().mid(requestsBefore);
    const bool downloadAsked = std::any_of(requests.cbegin(), requests.cend(),
        [](const RecordedRequest& request) { return request.path.endsWith("/download_upd"); });
    QCOMPARE(downloadAsked, downloaded);
    QCOMPARE(readAll(QStringLiteral("corvane-update")) == fakeProgram("earlier"), leftoversKept);
    QCOMPARE(readAll(QStringLiteral("corvane.bak")) == fakeProgram("older"), leftoversKept);
    if (installation != QLatin1String("no program"))
        QCOMPARE(readAll(QStringLiteral("corvane")), fakeProgram("old"));
    QCOMPARE(unpackedFolders(), QString());
    QVERIFY(!QFile::exists(QDir::tempPath() + QStringLiteral("/evaso")));
    QVERIFY(!QFile::exists(root + QStringLiteral("/evaso")));
}

void TestUpdater::updateRunSwapsThePrograms_data()
{
    QTest::addColumn<QString>("running");
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QString>("started");

    // Files as "name=tag" (a fake program of that version), "name" (a plain file) or "name/".
    QTest::newRow("first stage, started from the unpacked folder")
        << QStringLiteral("unpacked") << QStringList { QStringLiteral("corvane=old") }
        << QStringList { QStringLiteral("corvane=new"), QStringLiteral("corvane-previous=old") }
        << QStringLiteral("old update");
    QTest::newRow("first stage") << QStringLiteral("corvane")
                                 << QStringList { QStringLiteral("corvane=old"),
                                        QStringLiteral("corvane-update=new") }
                                 << QStringList { QStringLiteral("corvane=new"),
                                        QStringLiteral("corvane-previous=old") }
                                 << QStringLiteral("old update");
    QTest::newRow("second stage") << QStringLiteral("corvane-previous")
                                  << QStringList { QStringLiteral("corvane=new"),
                                         QStringLiteral("corvane-previous=old"),
                                         QStringLiteral("serial.dat"),
                                         QStringLiteral("NetProbe.exe") }
                                  << QStringList { QStringLiteral("corvane=new"),
                                         QStringLiteral("corvane.bak=old"), QStringLiteral("old/"),
                                         QStringLiteral("old/serial.dat"),
                                         QStringLiteral("old/NetProbe.exe") }
                                  << QStringLiteral("new ");
    QTest::newRow("second stage, old folder already there")
        << QStringLiteral("corvane-previous")
        << QStringList { QStringLiteral("corvane=new"), QStringLiteral("corvane-previous=old"),
               QStringLiteral("serial.dat"), QStringLiteral("old/") }
        << QStringList { QStringLiteral("corvane=new"), QStringLiteral("corvane.bak=old"),
               QStringLiteral("serial.dat"), QStringLiteral("old/") }
        << QStringLiteral("new ");
    QTest::newRow("previous program cannot be moved aside")
        << QStringLiteral("corvane")
        << QStringList { QStringLiteral("corvane=old"), QStringLiteral("corvane-update=new"),
               QStringLiteral("corvane-previous=stale") }
        << QStringList { QStringLiteral("corvane=old"), QStringLiteral("corvane-update=new"),
               QStringLiteral("corvane-previous=stale") }
        << QStringLiteral("old ");
    QTest::newRow("new program cannot be put in place")
        << QStringLiteral("corvane")
        << QStringList { QStringLiteral("corvane=old"), QStringLiteral("corvane-update=locked") }
        << QStringList { QStringLiteral("corvane=old"), QStringLiteral("corvane-update=locked") }
        << QStringLiteral("old ");
}

void TestUpdater::updateRunSwapsThePrograms()
{
    // Guards against a swap that loses the program, starts the wrong one or its parameter, or
    // moves legacy files twice.
    QFETCH(QString, running);
    QFETCH(QStringList, before);
    QFETCH(QStringList, after);
    QFETCH(QString, started);

    const QString folder = root + QStringLiteral("/swap ") + QLatin1String(QTest::currentDataTag());
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(QDir::setCurrent(folder));
    const auto back = qScopeGuard([this] { QDir::setCurrent(root); });
    std::function<void()> restore;
    const auto giveBack = qScopeGuard([&restore] {
        if (restore)
            restore();
    });
    for (const QString& file : qAsConst(before)) {
        const QString name = file.section(QLatin1Char('='), 0, 0);
        if (name.endsWith(QLatin1Char('/')))
            QVERIFY(QDir().mkdir(name));
        else
            writeFile(name,
                file.contains('=') ? fakeProgram(qPrintable(file.section('=', 1))) : "legacy");
        // A locked update program cannot be renamed, so the swap must bring the previous back.
        if (file.endsWith(QLatin1String("=locked")) && !(restore = makeUnchangeable(name)))
            QSKIP("this file system cannot lock a single file here");
    }

    QString program = folder + QLatin1Char('/') + running;
    QString unpacked;
    if (running == QLatin1String("unpacked")) {
        unpacked = QDir::tempPath() + QStringLiteral("/corvane-update-swap");
        QVERIFY(QDir().mkpath(unpacked));
        program = unpacked + QStringLiteral("/corvane-update");
        writeFile(program, fakeProgram("new"));
    }
    Updater::finishUpdate(program);

    QTRY_COMPARE(
        QString::fromLatin1(readAll(QStringLiteral("started.txt"))).trimmed(), started.trimmed());
    if (restore) {
        restore();
        restore = nullptr;
    }
    QStringList found;
    QDirIterator entries(
        folder, QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (entries.hasNext()) {
        const QString path = QDir(folder).relativeFilePath(entries.next());
        if (path == QLatin1String("started.txt"))
            continue;
        const QByteArray content = readAll(path);
        const QByteArray tag = content.mid(content.indexOf('"') + 1).split(' ').value(0);
        found << (entries.fileInfo().isDir() ? path + QLatin1Char('/')
                : content.startsWith("#!")   ? path + QLatin1Char('=') + QString::fromLatin1(tag)
                                             : path);
    }
    found.sort();
    after.sort();
    QCOMPARE(found, after);
    if (!unpacked.isEmpty())
        QVERIFY2(!QFileInfo::exists(unpacked), "the unpacked folder outlived the update run");
}

void TestUpdater::updateRunWithNothingToFinishExitsCleanly()
{
    // Guards against a stray "update" start changing an installation or failing.
    const QString folder = root + QStringLiteral("/nothing");
    QVERIFY(QDir().mkpath(folder));
    QProcess program;
    program.setWorkingDirectory(folder);
    // The flow manager is never freed, by design: its memory is no leak to report here.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(CORVANE_PATH), { QStringLiteral("update") });
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
        QStringList { QStringLiteral("corvane2.log") });
}

QTEST_MAIN(TestUpdater)
#include "tst_updater.moc"
