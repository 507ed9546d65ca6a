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

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <memory>
#include <sys/resource.h>

using namespace Corvane;
using namespace Corvane::Test;

namespace {

/// What the front answers every request with: head (status line and headers, without the blank
/// line), then start and filler bytes up to total body bytes, piece by piece every intervalMs.
struct Script {
    QByteArray head;
    QByteArray start;
    qint64 total = 0;
    int piece = 256 * 1024;
    int intervalMs = 0;
};

/// A TLS front on 127.0.0.1, served from a thread of its own, that answers as its script says
/// and never holds more than a little unsent.
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
        socket->setLocalCertificate(pki + QStringLiteral("/localhost.pem"));
        QFile key(pki + QStringLiteral("/localhost.key"));
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
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

/// The peak resident size of this process since resetPeak, in KiB.
qint64 peakKib()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

const qint64 mib = 1024 * 1024;

}

/// A server that announces or sends too much, trickles, or is given up on mid-download.
class TestHostileServer final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void hostileReplies_data();
    void hostileReplies();
    void memoryStaysBounded_data();
    void memoryStaysBounded();

private:
    CommandManager* commandManager() const { return client->commandManager(); }
    /// Whether a plain request goes through and is answered.
    bool answered();

    QThread thread;
    HostileFront* front = nullptr;
    std::unique_ptr<TestClient> client;
    QString folder;
};

void TestHostileServer::initTestCase()
{
    TestEnvironment::enterTemporaryWorkingDirectory();
    QCoreApplication::setApplicationName(QStringLiteral("Corvane"));
    QCoreApplication::setApplicationVersion(QStringLiteral("5.2.0.0"));
    front = new HostileFront;
    front->moveToThread(&thread);
    thread.start();
    bool listening = false;
    QMetaObject::invokeMethod(
        front, [this, &listening] { listening = front->listen(QHostAddress::LocalHost); },
        Qt::BlockingQueuedConnection);
    QVERIFY(listening);
    client = std::make_unique<TestClient>(
        QStringLiteral("https://127.0.0.1:%1").arg(front->serverPort()));
    client->application()->getAccount()->setBank(QStringLiteral("01234 - Banca di Prova"));
    // As with the main window up: a failed transfer is told and ends its request.
    client->application()->getNetworkManager()->setSessionOpen([] { return true; });
    folder = QDir::current().absoluteFilePath(QStringLiteral("downloads"));
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

void TestHostileServer::init()
{
    ReplyLimits limits;
    limits.replyBytes = mib;
    limits.downloadBytes = 4 * mib;
    limits.replyDeadline = 1500;
    limits.downloadDeadline = 1500;
    commandManager()->setReplyLimits(limits);
}

bool TestHostileServer::answered()
{
    front->setScript({ head("text/xml"), resultReply(QStringLiteral("0")) });
    HomeCommand command(QStringLiteral("/corvane/v5/home/status"));
    commandManager()->exec(&command);
    return QTest::qWaitFor([&command] { return command.useCount == 1; }, 10000);
}

void TestHostileServer::hostileReplies_data()
{
    QTest::addColumn<QByteArray>("replyHead");
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<int>("intervalMs");
    QTest::addColumn<bool>("download");
    QTest::addColumn<bool>("cancel");
    /// The box's title, or none.
    QTest::addColumn<QString>("box");
    /// Bytes any file of the process may grow to (a full disk), or 0 for no limit.
    QTest::addColumn<qint64>("fileRoom");

    const QString generic = QStringLiteral("Errore nella risposta del server");
    const QString connection = QStringLiteral("Errore durante la connessione al server");
    const QByteArray xml = resultReply(QStringLiteral("0"));
    QTest::newRow("page announcing 20 GB") << head("text/xml", 20000 * mib) << xml << 20000 * mib
                                           << 50 << false << false << generic << qint64(0);
    QTest::newRow("page past the limit without length")
        << head("text/xml") << xml << 3 * mib << 0 << false << false << generic << qint64(0);
    QTest::newRow("page trickling") << head("text/xml") << xml.left(10) << qint64(1000000) << 40
                                    << false << false << connection << qint64(0);
    QTest::newRow("download announcing past the limit")
        << head("text/csv", 20000 * mib) << QByteArray("Report;x\n") << 20000 * mib << 50 << true
        << false << QString() << qint64(0);
    QTest::newRow("download past the limit without length")
        << head("text/csv") << QByteArray("Report;x\n") << 6 * mib << 0 << true << false
        << QString() << qint64(0);
    QTest::newRow("download trickling")
        << head("text/csv") << QByteArray("Report;x\n") << qint64(1000000) << 40 << true << false
        << connection << qint64(0);
    QTest::newRow("download given up") << head("text/csv") << QByteArray("Report;x\n") << 3 * mib
                                       << 100 << true << true << QString() << qint64(0);
    QTest::newRow("page in place of the file")
        << head("text/plain") << QByteArray("<html>Sessione scaduta</html>") << qint64(30) << 0
        << true << false << QString() << qint64(0);
    QTest::newRow("download onto a full disk")
        << head("text/csv") << QByteArray("Report;x\n") << 3 * mib << 0 << true << false
        << QString() << 2 * mib;
}

void TestHostileServer::hostileReplies()
{
    // Guards against a reply filling the memory or the user's file, holding the queue for ever,
    // failing without a word, or leaving the client unable to send the next request.
    QFETCH(QByteArray, replyHead);
    QFETCH(QByteArray, start);
    QFETCH(qint64, total);
    QFETCH(int, intervalMs);
    QFETCH(bool, download);
    QFETCH(bool, cancel);
    QFETCH(QString, box);
    QFETCH(qint64, fileRoom);
    // A trickle is a few bytes at a time; a flood as much as the socket takes.
    front->setScript({ replyHead, start, total, intervalMs > 0 ? 16 : 64 * 1024, intervalMs });
    MessageBoxAnswerer answerer;
    if (box == QLatin1String("Errore durante la connessione al server")) {
        // A time-out ends as the transfer's own cancellation.
        answerer.expect(
            box, QStringLiteral("CODE: 5"), QMessageBox::Ok, MessageBoxAnswerer::Match::Contains);
    } else if (!box.isEmpty()) {
        // The generic failure, and the program goes on.
        answerer.expect(box, QStringLiteral("Errore durante l'esecuzione della richiesta."),
            QMessageBox::No, MessageBoxAnswerer::Match::Contains);
    }
    const QString path = folder + QStringLiteral("/report.csv");
    QFile::remove(path);
    QFile user(path);
    QVERIFY(user.open(QIODevice::WriteOnly) && user.write("the user's own file") > 0);
    user.close();

    Model::Report* model = client->application()->getReportModel();
    QSignalSpy completed(model, &Model::Report::reportDownloadComplete);
    QSignalSpy progress(model, &Model::Report::reportDownloadProgress);
    // A write past the room fails as it would on a full disk.
    rlimit unlimited {};
    getrlimit(RLIMIT_FSIZE, &unlimited);
    if (fileRoom) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit room { rlim_t(fileRoom), unlimited.rlim_max };
        QVERIFY(setrlimit(RLIMIT_FSIZE, &room) == 0);
    }
    HomeCommand page(QStringLiteral("/corvane/v5/home/status"));
    if (download) {
        if (cancel) {
            connect(model, &Model::Report::reportDownloadProgress, model,
                &Model::Report::cancelDownload, Qt::QueuedConnection);
        }
        model->downloadReport(0, path);
    } else {
        commandManager()->exec(&page);
    }
    QTRY_VERIFY_WITH_TIMEOUT(!commandManager()->isBusy(), 10000);
    setrlimit(RLIMIT_FSIZE, &unlimited);
    disconnect(model, &Model::Report::reportDownloadProgress, model, nullptr);

    QCOMPARE(answerer.getFailures(), QStringList());
    QVERIFY(answerer.allAnswered());
    QCOMPARE(page.useCount, 0);
    QVERIFY(!TestEnvironment::takeQuitRequest());
    if (download) {
        // Told as a failure, or not at all when given up; nothing of it reaches the folder.
        QCOMPARE(completed.count(), cancel ? 0 : 1);
        if (!cancel)
            QCOMPARE(completed.first().first().toBool(), false);
        QTRY_COMPARE(
            QDir(folder).entryList(QDir::Files), QStringList { QStringLiteral("report.csv") });
        QVERIFY(user.open(QIODevice::ReadOnly));
        QCOMPARE(user.readAll(), QByteArray("the user's own file"));
        if (cancel)
            QVERIFY(!progress.isEmpty());
    }
    QVERIFY(answered());
}

void TestHostileServer::memoryStaysBounded_data()
{
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<bool>("download");
    // CORVANE_HOSTILE_MIB sets the size sent, for a measurement by hand.
    const qint64 size = qEnvironmentVariableIntValue("CORVANE_HOSTILE_MIB") * mib;
    QTest::addColumn<qint64>("total");
    QTest::newRow("streamed download")
        << QByteArray("text/csv") << true << (size ? size : 64 * mib);
    QTest::newRow("page past the limit")
        << QByteArray("text/xml") << false << (size ? size : 64 * mib);
}

void TestHostileServer::memoryStaysBounded()
{
    // Guards against a download held whole in memory on its way to the file, and a page read
    // on past its limit.
    QFETCH(QByteArray, type);
    QFETCH(bool, download);
    QFETCH(qint64, total);
    ReplyLimits limits;
    limits.replyBytes = 8 * mib;
    commandManager()->setReplyLimits(limits);
    front->setScript({ head(type), "Report;x\n", total, 256 * 1024, 0 });
    const QString path = folder + QStringLiteral("/large.csv");
    Model::Report* model = client->application()->getReportModel();
    QSignalSpy completed(model, &Model::Report::reportDownloadComplete);
    MessageBoxAnswerer answerer;
    if (!download) {
        answerer.expect(QStringLiteral("Errore nella risposta del server"),
            QStringLiteral("Errore durante l'esecuzione della richiesta."), QMessageBox::No,
            MessageBoxAnswerer::Match::Contains);
    }
    HomeCommand page(QStringLiteral("/corvane/v5/home/status"));
    resetPeak();
    const qint64 before = peakKib();
    if (download)
        model->downloadReport(0, path);
    else
        commandManager()->exec(&page);
    QTRY_VERIFY_WITH_TIMEOUT(!commandManager()->isBusy(), 240000);
    const qint64 grown = peakKib() - before;
    std::printf("Peak memory grew by %lld KiB for %lld MiB sent\n", grown, total / mib);
    QCOMPARE(answerer.getFailures(), QStringList());
    QVERIFY(answerer.allAnswered());
    if (download) {
        QCOMPARE(completed.count(), 1);
        QVERIFY(completed.first().first().toBool());
        QCOMPARE(QFileInfo(path).size(), total);
    }
    QVERIFY2(grown * 1024 < 24 * mib, qPrintable(QString::number(grown)));
    QFile::remove(path);
}

QTEST_MAIN(TestHostileServer)
#include "tst_hostileserver.moc"
