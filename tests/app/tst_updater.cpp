#include "app/applicationmanager.h"
#include "app/updateflow.h"
#include "app/updater.h"
#include "app/updatewindow.h"
#include "commands/checkversion.h"
#include "protocol/commandmanager.h"
#include "support/datarows.h"
#include "support/messageboxanswerer.h"
#include "support/releasesigning.h"
#include "support/testclient.h"
#include "support/testcommands.h"
#include "support/testenvironment.h"
#include "support/testserver.h"

#include <QCryptographicHash>
#include <QLabel>
#include <QPushButton>
#include <QtTest>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

#include <fcntl.h>
#include <functional>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

using namespace Corvane;
using namespace Corvane::Test;

namespace {

/// A ZIP archive of (name, content) entries; a content starting with "->" makes a link to the rest.
QByteArray zipOf(const QList<QPair<QString, QByteArray>>& entries)
{
    QTemporaryDir folder;
    QuaZip zip(folder.filePath("a.zip"));
    zip.open(QuaZip::mdCreate);
    for (const auto& [name, content] : entries) {
        QuaZipNewInfo info(name);
        info.externalAttr = (content.startsWith("->") ? 0120777u : 0100755u) << 16;
        QuaZipFile file(&zip);
        file.open(QIODevice::WriteOnly, info);
        file.write(content.startsWith("->") ? content.mid(2) : content);
        file.close();
    }
    zip.close();
    QFile archive(folder.filePath("a.zip"));
    return archive.open(QIODevice::ReadOnly) ? archive.readAll() : QByteArray();
}

/// The archive with the first entry's size in the central directory replaced by size.
QByteArray announcing(QByteArray archive, quint32 size)
{
    const int entry = archive.indexOf("PK\x01\x02");
    for (int i = 0; i < 4; ++i)
        archive[entry + 24 + i] = static_cast<char>((size >> (8 * i)) & 0xff);
    return archive;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

/// A program that appends its tag and its parameter to "started.txt" in its working folder.
void writeProgram(const QString& path, const QByteArray& tag)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("#!/bin/sh\necho \"" + tag + " $1\" >> started.txt\n");
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
}

bool setImmutable(const QString& path, bool immutable)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
    int flags = 0;
    bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = immutable ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0)
        ::close(fd);
    return done;
}

/// Makes path unchangeable (write bit, for root the immutable flag); the result undoes it, or null.
std::function<void()> makeUnchangeable(const QString& path)
{
    const QFile::Permissions permissions = QFile::permissions(path);
    QFile::setPermissions(path, permissions & ~QFileDevice::Permissions(0x2222));
    if (!QFileInfo(path).isWritable())
        return [path, permissions] { QFile::setPermissions(path, permissions); };
    QFile::setPermissions(path, permissions);
    if (setImmutable(path, true))
        return [path] { setImmutable(path, false); };
    return nullptr;
}

/// Runs in a fresh folder named after the data row, and comes back.
auto enterRowFolder(const QString& root)
{
    const QString folder = root + '/' + QTest::currentDataTag();
    QDir().mkpath(folder);
    QDir::setCurrent(folder);
    return qScopeGuard([root] { QDir::setCurrent(root); });
}

}

/// Records which answer the version check gave.
class VersionAccepter final : public Interface::CheckVersionAccepterInterface {
public:
    void onVersionUpToDate(Command::CheckVersion*) override { answer = "current"; }
    void onUpdateAvailable(Command::CheckVersion*) override { answer = "update"; }
    QString answer;
};

/// What the end-to-end update cannot reach: version comparison, failed downloads, failed renames.
class TestUpdater final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void onlyANewerVersionIsAnUpdate_data();
    void onlyANewerVersionIsAnUpdate();
    void failedUpdateShowsTheErrorState_data();
    void failedUpdateShowsTheErrorState();
    void updateRunKeepsAProgram_data();
    void updateRunKeepsAProgram();

private:
    std::unique_ptr<TestServer> server;
    QString root;
};

void TestUpdater::initTestCase()
{
    TestEnvironment::enterTemporaryWorkingDirectory();
    root = QDir::currentPath();
    QDir().mkdir("tmp");
    qputenv("TMPDIR", QFile::encodeName(root + "/tmp"));
    QCoreApplication::setApplicationVersion("5.2.0.0");
    server = std::make_unique<TestServer>();
}

void TestUpdater::onlyANewerVersionIsAnUpdate_data()
{
    addRows({ "current", "remote", "answer" },
        { { "newer in number, older in text", "5.2.0.0", "5.10.0.0", "update" },
            { "same", "5.2.0.0", "5.2.0.0", "current" },
            { "older", "5.2.0.0", "5.1.9.9", "current" },
            { "older in number, newer in text", "5.10.0.0", "5.9.0.0", "current" },
            { "no version", "5.2.0.0", "", "current" },
            { "three numbers", "5.2.0.0", "5.3.0", "current" },
            { "five numbers", "5.2.0.0", "5.3.0.0.1", "current" },
            { "trailing text", "5.2.0.0", "5.3.0.0 beta", "current" },
            { "other digits", "5.2.0.0", "٥.3.0.0", "current" },
            { "overflowing number", "5.2.0.0", "99999999999999999999.0.0.0", "current" } });
}

void TestUpdater::onlyANewerVersionIsAnUpdate()
{
    // Guards against an older, malformed or missing version starting an update.
    QFETCH(QString, current);
    QFETCH(QString, remote);
    QFETCH(QString, answer);
    VersionAccepter accepter;
    Command::CheckVersion check(&accepter, current);
    check.useResponse({ { "esito_id", "0" } },
        { { { "0", "0123456789abcdef0123456789abcdef" } }, { { "1", remote } } });
    QCOMPARE(accepter.answer, answer);
    QCOMPARE(check.isUpdateNeeded(), answer == "update");
}

void TestUpdater::failedUpdateShowsTheErrorState_data()
{
    // fault: the reply's type or status, the check's checksum or signature, or the installation.
    QTest::addColumn<QByteArray>("archive");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("box");
    const auto row = [](const char* name, const QByteArray& archive, const char* fault = "",
                         const char* box = "") {
        QTest::newRow(name) << archive << QString(fault) << QString(box);
    };
    const QByteArray update = zipOf({ { "corvane-update", "#!/bin/sh\n" } });
    const char* connection = "Errore durante la connessione al server";
    row("checksum mismatch", update, "checksum");
    row("no signature", update, "no signature");
    row("wrong signature", update, "wrong signature");
    row("HTML page", update, "html", "Errore nella risposta del server");
    row("text reply", update, "text");
    row("connection dropped", update, "drop", connection);
    row("server error", update, "500", connection);
    row("not an archive", QByteArray("PK\x03\x04 troncato"));
    row("entry leaving the folder",
        zipOf({ { "corvane-update", "#!/bin/sh\n" }, { "../evaso", "x" } }));
    row("absolute entry",
        zipOf({ { "corvane-update", "#!/bin/sh\n" }, { QDir::tempPath() + "/evaso", "x" } }));
    row("link entry", zipOf({ { "corvane-update", "->/bin/sh" } }));
    row("compressed past the ratio", zipOf({ { "corvane-update", QByteArray(20 << 20, '\0') } }));
    row("announced past the size limit", announcing(update, 600u << 20));
    row("larger than announced",
        announcing(zipOf({ { "corvane-update", QByteArray(5000, 'a') } }), 100));
    row("no update program", zipOf({ { "leggimi.txt", "5.3" } }));
    row("read-only installation folder", update, "read-only");
    row("program outside the working directory", update, "no program");
}

void TestUpdater::failedUpdateShowsTheErrorState()
{
    // Guards against a bad download, hostile archive or locked installation updating anyway.
    QFETCH(QByteArray, archive);
    QFETCH(QString, fault);
    QFETCH(QString, box);
    const bool downloads = fault != "read-only" && fault != "no program";
    const auto back = enterRowFolder(root);
    if (fault != "no program")
        writeProgram("corvane", "old");
    // What an earlier update left: only a good download may remove it.
    writeProgram("corvane-update", "earlier");
    writeProgram("corvane.bak", "older");
    auto client = std::make_unique<TestClient>(server->baseUrl());
    ApplicationManager* application = client->application();
    std::function<void()> restore = [] {};
    if (fault == "read-only" && !(restore = makeUnchangeable(QDir::currentPath())))
        QSKIP("this file system cannot make a folder unchangeable for this user");
    const auto giveBack = qScopeGuard([&restore] { restore(); });

    const QByteArray md5 = fault == "checksum"
        ? QByteArray("0123456789abcdef0123456789abcdef")
        : QCryptographicHash::hash(archive, QCryptographicHash::Md5).toHex();
    const QString signature = fault == "no signature" ? QString()
        : fault == "wrong signature"                  ? signRelease(archive + "altro")
                                                      : signRelease(archive);
    QVERIFY(fault == "no signature" || !signature.isEmpty());
    server->setXmlReply("/corvane/v5/home/version_check",
        resultReply(
            "0", { idRecord("0", md5), idRecord("1", "5.3.0.0"), idRecord("2", signature) }));
    // The version box is answered before the download's reply comes.
    ScriptedReply download { fault == "500" ? 500 : 200, "application/zip", archive, 300,
        fault == "drop" };
    if (fault == "html")
        download = { 200, "text/html", "<html><body>Non trovato</body></html>", 300 };
    else if (fault == "text")
        download = { 200, "text/plain", "Aggiornamento non disponibile", 300 };
    server->setReply("/corvane/v5/home/download_upd", download);
    const int requestsBefore = server->requestCount();
    MessageBoxAnswerer answerer;
    if (downloads)
        answerer.expect("Aggiornamento Corvane",
            "Versione corrente: 5.2.0.0\nUltima versione: 5.3.0.0", QMessageBox::Ok,
            MessageBoxAnswerer::Match::Contains);
    if (!box.isEmpty())
        answerer.expect(box, "", box.startsWith("Errore nella") ? QMessageBox::No : QMessageBox::Ok,
            MessageBoxAnswerer::Match::Contains);
    // Half the rows leave the error state with Esc, half with its button.
    const bool escape = QTest::currentDataTag()[0] % 2;

    // Read and closed from the program's own loop, which closing the last window must end.
    QStringList seen;
    QTimer closer;
    connect(&closer, &QTimer::timeout, &closer, [&] {
        UpdateWindow* window = application->getUpdateWindow();
        auto* button = window->findChild<QPushButton*>("restartButton");
        if (!window->isVisible() || !button->isEnabled())
            return;
        closer.stop();
        for (const char* name : { "step1Label", "step1Tick", "errorLabel", "step3Label" }) {
            auto* label = window->findChild<QLabel*>(name);
            seen << (label->isVisibleTo(window) ? label->text() : QString());
        }
        seen << button->text();
        // Only the error state's button is pressed: the other one starts the update run.
        if (button->text() == "Chiudi Corvane" && escape)
            QTest::keyClick(window, Qt::Key_Escape);
        else if (button->text() == "Chiudi Corvane")
            button->click();
        else
            QCoreApplication::exit(2);
    });
    closer.start(20);
    QTimer::singleShot(20000, &closer, [] { QCoreApplication::exit(1); });
    application->getCommandManager()->exec(
        new Command::CheckVersion(application->getUpdateFlow(), "5.2.0.0"));
    QCOMPARE(QCoreApplication::exec(), 0);

    QVERIFY2(answerer.problems().isEmpty(), qPrintable(answerer.problems()));
    const QString folder
        = fault == "read-only" ? QDir::currentPath() : QCoreApplication::applicationDirPath();
    QCOMPARE(seen.mid(0, 2), QStringList({ "Errore durante l'aggiornamento.", "✖" }));
    // Without a download the line names the folder and the way out.
    QCOMPARE(
        seen.at(2).contains(folder) && seen.at(2).contains("gestore dei pacchetti"), !downloads);
    QCOMPARE(seen.mid(3), QStringList({ QString(), "Chiudi Corvane" }));

    QTRY_VERIFY(!application->getCommandManager()->isBusy());
    const QList<RecordedRequest> requests = server->requests().mid(requestsBefore);
    QCOMPARE(
        std::any_of(requests.cbegin(), requests.cend(),
            [](const RecordedRequest& request) { return request.path.endsWith("/download_upd"); }),
        downloads);
    const bool leftoversKept = !downloads || !fault.isEmpty();
    QCOMPARE(readAll("corvane-update").contains("earlier"), leftoversKept);
    QCOMPARE(readAll("corvane.bak").contains("older"), leftoversKept);
    QCOMPARE(QDir(QDir::tempPath()).entryList({ "corvane-update-*" }, QDir::Dirs), QStringList());
    QVERIFY(!QFile::exists(QDir::tempPath() + "/evaso"));
}

void TestUpdater::updateRunKeepsAProgram_data()
{
    // "name=tag": a program of that tag; "name": a plain file; "name/": a folder.
    addRows({ "before", "after", "started" },
        { { "old folder already there", "corvane=new corvane-previous=old serial.dat old/",
              "corvane.bak=old corvane=new old/ serial.dat", "new " },
            { "previous program cannot be moved aside",
                "corvane=old corvane-update=new corvane-previous=stale",
                "corvane-previous=stale corvane-update=new corvane=old", "old " },
            { "new program cannot be put in place", "corvane=old corvane-update=locked",
                "corvane-update=locked corvane=old", "old " } });
}

void TestUpdater::updateRunKeepsAProgram()
{
    // Guards against a failed rename leaving no program, or none running; a folder made twice.
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QString, started);
    const auto back = enterRowFolder(root);
    std::function<void()> restore = [] {};
    for (const QString& file : before.split(' ')) {
        const QString name = file.section('=', 0, 0);
        if (name.endsWith('/'))
            QDir().mkdir(name);
        else if (file.contains('='))
            writeProgram(name, file.section('=', 1).toLatin1());
        else
            QFile(name).open(QIODevice::WriteOnly);
        // A locked update program cannot be renamed, so the previous one must come back.
        if (file.endsWith("=locked") && !(restore = makeUnchangeable(name)))
            QSKIP("this file system cannot lock a single file for this user");
    }
    const auto giveBack = qScopeGuard([&restore] { restore(); });
    const QString running = QFile::exists("corvane-update") ? "corvane" : "corvane-previous";

    Updater::finishUpdate(QDir::current().filePath(running));
    QTRY_COMPARE(readAll("started.txt"), started.toUtf8() + '\n');
    restore();
    restore = [] {};
    QStringList found;
    QDirIterator entries(
        ".", QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (entries.hasNext()) {
        const QString path = entries.next().mid(2);
        const QByteArray content = readAll(path);
        if (entries.fileInfo().isDir())
            found << path + '/';
        else if (content.startsWith("#!"))
            found << path + '=' + content.mid(content.indexOf('"') + 1).split(' ').value(0);
        else if (path != "started.txt")
            found << path;
    }
    found.sort();
    QStringList expected = after.split(' ');
    expected.sort();
    QCOMPARE(found, expected);
}

QTEST_MAIN(TestUpdater)
#include "tst_updater.moc"
