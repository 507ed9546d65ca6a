#include "app/account.h"
#include "app/applicationmanager.h"
#include "models/report.h"
#include "network/networkmanager.h"
#include "protocol/commandmanager.h"
#include "protocol/commandrequestmanager.h"
#include "support/messageboxanswerer.h"
#include "support/testclient.h"
#include "support/testcommands.h"
#include "support/testenvironment.h"

#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <memory>
#include <sys/resource.h>

using namespace Corvane;
using namespace Corvane::Test;

namespace {

/// The answer to every request: head (no blank line), start, then filler up to total bytes.
struct Script {
    QByteArray head;
    QByteArray start;
    qint64 total = 0;
    int piece = 256 * 1024;
    int intervalMs = 0;
};

/// A TLS front on 127.0.0.1, on a thread of its own, answering by its script with little unsent.
class HostileFront final : public QTcpServer {
public:
    void setScript(const Script& next)
    {
        QMutexLocker lock(&mutex);
        script = next;
    }

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto* socket = new QSslSocket(this);
        socket->setSocketDescriptor(descriptor);
        const QString pki = TestEnvironment::pkiDirectory();
        socket->setLocalCertificate(pki + "/localhost.pem");
        QFile key(pki + "/localhost.key");
        key.open(QIODevice::ReadOnly);
        socket->setPrivateKey(QSslKey(key.readAll(), QSsl::Rsa));
        connect(socket, &QSslSocket::readyRead, socket, [this, socket] { onRequest(socket); });
        connect(socket, &QSslSocket::disconnected, socket, &QObject::deleteLater);
        socket->startServerEncryption();
    }

private:
    void onRequest(QSslSocket* socket)
    {
        QByteArray request = socket->property("request").toByteArray() + socket->readAll();
        socket->setProperty("request", request);
        const int end = request.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QByteArray headers = request.left(end).toLower();
        const int field = headers.indexOf("content-length:");
        const int length = field < 0 ? 0 : headers.mid(field + 15).split('\r').first().toInt();
        if (request.size() < end + 4 + length)
            return;
        socket->setProperty("request", QByteArray());
        Script reply;
        {
            QMutexLocker lock(&mutex);
            reply = script;
        }
        socket->write(reply.head + "\r\n\r\n" + reply.start);
        auto sent = std::make_shared<qint64>(reply.start.size());
        const QByteArray filler(reply.piece, 'x');
        auto* pump = new QTimer(socket);
        connect(pump, &QTimer::timeout, socket, [socket, pump, sent, reply, filler] {
            if (socket->encryptedBytesToWrite() + socket->bytesToWrite() > 1024 * 1024)
                return;
            const qint64 size = qMin<qint64>(filler.size(), reply.total - *sent);
            if (size > 0) {
                socket->write(filler.constData(), size);
                *sent += size;
            }
            if (*sent >= reply.total) {
                pump->stop();
                socket->disconnectFromHost();
            }
        });
        pump->start(reply.intervalMs);
    }

    QMutex mutex;
    Script script;
};

QByteArray head(const QByteArray& type, qint64 length = -1)
{
    QByteArray text = "HTTP/1.1 200 OK\r\nContent-Type: " + type;
    if (length >= 0)
        text += "\r\nContent-Length: " + QByteArray::number(length);
    return text + "\r\nConnection: close";
}

/// Starts the count of the peak resident size afresh from the current size.
void resetPeak()
{
    QFile clear("/proc/self/clear_refs");
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

/// The peak resident size of this process since resetPeak, in KiB.
qint64 peakKib()
{
    QFile status("/proc/self/status");
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

const qint64 mib = 1024 * 1024;

/// A hostile reply: type, announced length (-1: none), bytes sent, pause between pieces; what asks
/// ("page", "download", "cancel" or "stream"), the box it brings, room for the file (0: any).
struct Hostile {
    QByteArray type {};
    qint64 length = -1;
    qint64 total = 0;
    int intervalMs = 0;
    QString kind {};
    QString box {};
    qint64 fileRoom = 0;
};

}

Q_DECLARE_METATYPE(Hostile)

/// A server that announces or sends too much, trickles, or is given up on mid-download.
class TestHostileServer final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void hostileReplies_data();
    void hostileReplies();

private:
    CommandManager* commandManager() const { return client->commandManager(); }
    Model::Report* model() const { return client->application()->getReportModel(); }
    /// Downloads the report into path or asks for a page, until the queue is idle again.
    bool fetch(bool download, const QString& path, HomeCommand& page, int timeout);

    QThread thread;
    HostileFront* front = nullptr;
    std::unique_ptr<TestClient> client;
    QString folder;
};

void TestHostileServer::initTestCase()
{
    TestEnvironment::enterTemporaryWorkingDirectory();
    QCoreApplication::setApplicationName("Corvane");
    QCoreApplication::setApplicationVersion("5.2.0.0");
    front = new HostileFront;
    front->moveToThread(&thread);
    thread.start();
    bool listening = false;
    QMetaObject::invokeMethod(
        front, [this, &listening] { listening = front->listen(QHostAddress::LocalHost); },
        Qt::BlockingQueuedConnection);
    QVERIFY(listening);
    client = std::make_unique<TestClient>(QString("https://127.0.0.1:%1").arg(front->serverPort()));
    client->application()->getAccount()->setBank("01234 - Banca di Prova");
    // As with the main window up: a failed transfer is told and ends its request.
    client->application()->getNetworkManager()->setSessionOpen([] { return true; });
    folder = QDir::current().absoluteFilePath("downloads");
    QVERIFY(QDir().mkpath(folder));
}

void TestHostileServer::cleanupTestCase()
{
    client.reset();
    QMetaObject::invokeMethod(
        front, [this] { delete front; }, Qt::BlockingQueuedConnection);
    thread.quit();
    thread.wait();
}

bool TestHostileServer::fetch(bool download, const QString& path, HomeCommand& page, int timeout)
{
    if (download)
        model()->downloadReport(0, path);
    else
        commandManager()->exec(&page);
    return QTest::qWaitFor([this] { return !commandManager()->isBusy(); }, timeout);
}

void TestHostileServer::hostileReplies_data()
{
    QTest::addColumn<Hostile>("reply");
    const QString generic = "Errore nella risposta del server";
    const QString connection = "Errore durante la connessione al server";
    QTest::newRow("page announcing 20 GB")
        << Hostile { "text/xml", 20000 * mib, 20000 * mib, 50, "page", generic };
    QTest::newRow("page past the limit without length")
        << Hostile { "text/xml", -1, 3 * mib, 0, "page", generic };
    QTest::newRow("page trickling") << Hostile { "text/xml", -1, 1000000, 40, "page", connection };
    QTest::newRow("download announcing past the limit")
        << Hostile { "text/csv", 20000 * mib, 20000 * mib, 50, "download" };
    QTest::newRow("download past the limit without length")
        << Hostile { "text/csv", -1, 6 * mib, 0, "download" };
    QTest::newRow("download trickling")
        << Hostile { "text/csv", -1, 1000000, 40, "download", connection };
    QTest::newRow("download given up") << Hostile { "text/csv", -1, 3 * mib, 100, "cancel" };
    QTest::newRow("page in place of the file") << Hostile { "text/plain", -1, 30, 0, "download" };
    QTest::newRow("download onto a full disk")
        << Hostile { "text/csv", -1, 3 * mib, 0, "download", {}, 2 * mib };
    // CORVANE_HOSTILE_MIB sets the size of the streamed download, for a measurement by hand.
    const int sent = qEnvironmentVariableIntValue("CORVANE_HOSTILE_MIB");
    QTest::newRow("streamed download")
        << Hostile { "text/csv", -1, (sent ? sent : 64) * mib, 0, "stream" };
    QTest::newRow("page far past the limit")
        << Hostile { "text/xml", -1, 64 * mib, 0, "page", generic };
}

void TestHostileServer::hostileReplies()
{
    // Guards against a reply filling memory or the user's file, holding the queue, failing
    // silently, or leaving the client unable to send the next request.
    QFETCH(Hostile, reply);
    const QString& kind = reply.kind;
    // A large download streams under the usual limits of the rest; the rest meet tight ones.
    ReplyLimits limits;
    limits.replyBytes = kind == "stream" ? 8 * mib : mib;
    if (kind != "stream") {
        limits.downloadBytes = 4 * mib;
        limits.replyDeadline = 1500;
        limits.downloadDeadline = 1500;
    }
    commandManager()->setReplyLimits(limits);
    const QByteArray start = reply.type == "text/xml" ? resultReply("0")
        : reply.type == "text/csv"                    ? QByteArray("Report;x\n")
                                                      : QByteArray("<html>Sessione scaduta</html>");
    // A trickle is a few bytes at a time; a flood 256 KiB whenever the socket has room.
    front->setScript({ head(reply.type, reply.length), start, reply.total,
        reply.intervalMs > 0 ? 16 : 256 * 1024, reply.intervalMs });
    MessageBoxAnswerer answerer;
    // A time-out ends as the transfer's own cancellation; other failures are generic.
    if (reply.box == "Errore durante la connessione al server")
        answerer.expect(reply.box, "CODE: 5", QMessageBox::Ok, MessageBoxAnswerer::Match::Contains);
    else if (!reply.box.isEmpty())
        answerer.expect(reply.box, "Errore durante l'esecuzione della richiesta.", QMessageBox::No,
            MessageBoxAnswerer::Match::Contains);
    const QString path = folder + "/report.csv";
    QFile::remove(path);
    QFile user(path);
    QVERIFY(user.open(QIODevice::WriteOnly) && user.write("the user's own file") > 0);
    user.close();

    QSignalSpy completed(model(), &Model::Report::reportDownloadComplete);
    QSignalSpy progress(model(), &Model::Report::reportDownloadProgress);
    // A write past the room fails as it would on a full disk.
    rlimit unlimited {};
    getrlimit(RLIMIT_FSIZE, &unlimited);
    if (reply.fileRoom) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit room { rlim_t(reply.fileRoom), unlimited.rlim_max };
        QVERIFY(setrlimit(RLIMIT_FSIZE, &room) == 0);
    }
    if (kind == "cancel")
        connect(model(), &Model::Report::reportDownloadProgress, model(),
            &Model::Report::cancelDownload, Qt::QueuedConnection);
    HomeCommand page("/corvane/v5/home/status");
    resetPeak();
    const qint64 before = peakKib();
    const bool idle = fetch(kind != "page", path, page, kind == "stream" ? 240000 : 10000);
    const qint64 grown = peakKib() - before;
    std::printf("Peak memory grew by %lld KiB for %lld MiB sent\n", grown, reply.total / mib);
    setrlimit(RLIMIT_FSIZE, &unlimited);
    disconnect(model(), &Model::Report::reportDownloadProgress, model(), nullptr);

    QVERIFY(idle);
    QVERIFY2(answerer.problems().isEmpty(), qPrintable(answerer.problems()));
    QCOMPARE(page.useCount, 0);
    QVERIFY(!TestEnvironment::takeQuitRequest());
    QVERIFY2(grown * 1024 < 24 * mib, qPrintable(QString::number(grown)));
    if (kind == "stream") {
        QCOMPARE(completed.count(), 1);
        QVERIFY(completed.first().first().toBool());
        QCOMPARE(QFileInfo(path).size(), reply.total);
    } else if (kind != "page") {
        // Told as a failure, or not at all when given up; nothing of it reaches the folder.
        QCOMPARE(completed.count(), kind == "cancel" ? 0 : 1);
        if (kind != "cancel")
            QCOMPARE(completed.first().first().toBool(), false);
        QTRY_COMPARE(QDir(folder).entryList(QDir::Files), QStringList { "report.csv" });
        QVERIFY(user.open(QIODevice::ReadOnly));
        QCOMPARE(user.readAll(), QByteArray("the user's own file"));
        QVERIFY2(kind != "cancel" || !progress.isEmpty(), "given up before any progress");
    }
    // The next request goes through and is answered.
    front->setScript({ head("text/xml"), resultReply("0") });
    HomeCommand next("/corvane/v5/home/status");
    QVERIFY(fetch(false, {}, next, 10000));
    QCOMPARE(next.useCount, 1);
}

QTEST_MAIN(TestHostileServer)
#include "tst_hostileserver.moc"
