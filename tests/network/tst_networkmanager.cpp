#include "network/networkmanager.h"
#include "support/messageboxanswerer.h"
#include "support/testenvironment.h"
#include "support/testserver.h"
#include "ui/prompts.h"

#include <QNetworkReply>
#include <QSslConfiguration>
#include <QtTest>

#include <cstdio>

using namespace Corvane;
using namespace Corvane::Test;

namespace {
const char* systemRootsChild = "--system-roots-child";
QStringList capturedMessages;
void captureMessage(QtMsgType, const QMessageLogContext&, const QString& message)
{
    capturedMessages << message;
}
}

class TestNetworkManager final : public QObject {
    Q_OBJECT
private slots:
    void caFileAddsToSystemRoots();
    void tlsFailureIsReportedOnce();
    void errorClassification_data();
    void errorClassification();
};

void TestNetworkManager::caFileAddsToSystemRoots()
{
    // Guards against a bad "ServerURL/CaCertificates" value changing the trusted list, and a good
    // one replacing the system roots instead of joining them. The system store is a folder
    // mounted over /etc/ssl/certs in a child's own mount namespace, holding the test CA as its
    // one root; the child trusts the self-signed certificate through the file and must reach
    // both servers.
    TestEnvironment::enterTemporaryWorkingDirectory();
    QFile notPem(QStringLiteral("not.pem"));
    QVERIFY(notPem.open(QIODevice::WriteOnly) && notPem.write("not a certificate") > 0);
    notPem.close();
    const QList<QSslCertificate> roots = QSslConfiguration::defaultConfiguration().caCertificates();
    QCOMPARE(NetworkManager::addTrustedCaCertificates(QStringLiteral("missing.pem")), 0);
    QCOMPARE(NetworkManager::addTrustedCaCertificates(notPem.fileName()), 0);
    QCOMPARE(QSslConfiguration::defaultConfiguration().caCertificates(), roots);

    const QString pki = TestEnvironment::pkiDirectory();
    QProcess hash;
    hash.start(QStringLiteral("openssl"),
        { QStringLiteral("x509"), QStringLiteral("-hash"), QStringLiteral("-noout"),
            QStringLiteral("-in"), pki + QStringLiteral("/ca.pem") });
    QVERIFY(hash.waitForFinished() && hash.exitCode() == 0);
    QDir().mkpath(QStringLiteral("store"));
    QVERIFY(QFile::copy(pki + QStringLiteral("/ca.pem"),
        QStringLiteral("store/") + QString::fromLatin1(hash.readAllStandardOutput().trimmed())
            + QStringLiteral(".0")));

    if (QProcess::execute(
            QStringLiteral("unshare"), { QStringLiteral("--mount"), QStringLiteral("true") })
        != 0)
        QSKIP("no private mount namespace here to stand in for the system store");
    TestServer signedByStoreRoot(TestServer::Mode::Https);
    TestServer selfSigned(TestServer::Mode::SelfSignedHttps);
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QStringLiteral("unshare"),
        { QStringLiteral("--mount"), QStringLiteral("sh"), QStringLiteral("-c"),
            QStringLiteral("mount --bind \"$1\" /etc/ssl/certs || exit 77; shift; exec \"$@\""),
            QStringLiteral("sh"), QDir::current().absoluteFilePath(QStringLiteral("store")),
            QCoreApplication::applicationFilePath(), QLatin1String(systemRootsChild),
            pki + QStringLiteral("/selfsigned.pem"), signedByStoreRoot.baseUrl(),
            selfSigned.baseUrl() });
    QVERIFY(child.waitForFinished(30000));
    if (child.exitCode() == 77)
        QSKIP("no private mount namespace here to stand in for the system store");
    QCOMPARE(child.exitCode(), 0);
}

void TestNetworkManager::tlsFailureIsReportedOnce()
{
    // Guards against a TLS failure being ignored, or reported a second time as a transfer error
    // once its own box has been shown.
    TestServer server(TestServer::Mode::SelfSignedHttps);
    NetworkManager manager;
    connect(&manager, &NetworkManager::fatalErrorOccurred, this, &Prompt::showNetworkError);
    QSignalSpy closeDialogs(&manager, &NetworkManager::closeProgressDialog);
    MessageBoxAnswerer answerer;
    answerer.expect(QStringLiteral("Errore SSL/TLS"), QStringLiteral("self-signed"),
        QMessageBox::Ok, MessageBoxAnswerer::Match::Contains);
    QNetworkRequest request(QUrl(server.baseUrl() + QStringLiteral("/")));
    request.setSslConfiguration(QSslConfiguration::defaultConfiguration());
    QNetworkReply* reply = manager.get(request);
    connect(reply, &QNetworkReply::errorOccurred, &manager, &NetworkManager::manageNetworkError);

    capturedMessages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(captureMessage);
    QTRY_VERIFY(reply->isFinished());
    qInstallMessageHandler(previous);

    QCOMPARE(answerer.getFailures(), QStringList());
    QVERIFY(answerer.allAnswered());
    QCOMPARE(closeDialogs.count(), 1);
    QVERIFY(TestEnvironment::takeQuitRequest());
    QVERIFY(!capturedMessages.filter(QStringLiteral("SSL error:")).isEmpty());
    QCOMPARE(capturedMessages.filter(QStringLiteral("Network error catched")), QStringList());
    QCOMPARE(server.requestCount(), 0);
}

void TestNetworkManager::errorClassification_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("settingsProblem");
    QTest::addColumn<QString>("boxTitle");
    QTest::addColumn<QString>("boxText");
    QTest::addColumn<bool>("sessionOpen");

    for (QNetworkReply::NetworkError code :
        { QNetworkReply::HostNotFoundError, QNetworkReply::TimeoutError,
            QNetworkReply::OperationCanceledError, QNetworkReply::UnknownNetworkError,
            QNetworkReply::ProxyNotFoundError, QNetworkReply::ProxyTimeoutError,
            QNetworkReply::UnknownProxyError, QNetworkReply::UnknownServerError })
        QTest::addRow("settings %d", int(code))
            << int(code) << true << QString() << QString() << false;
    QTest::newRow("forbidden is left to the reply")
        << int(QNetworkReply::ContentAccessDenied) << false << QString() << QString() << false;
    QTest::newRow("proxy credentials")
        << int(QNetworkReply::ProxyAuthenticationRequiredError) << false
        << QStringLiteral("Autenticazione Proxy necessaria")
        << QStringLiteral("Il proxy utilizzato per la connessione di rete richiede "
                          "l'autenticazione tramite username e password.\nSe non possiedi le "
                          "credenziali contatta il tuo amministratore di rete.")
        << false;
    const QString connection = QStringLiteral("Errore durante la connessione al server");
    const QString connectionText
        = QStringLiteral("La connessione ha restituito un errore. Questo potrebbe essere dovuto "
                         "ad un problema momentaneo.\nRiprova o contatta l'amministratore di "
                         "sistema.\nCODE: %1");
    QTest::newRow("connection refused") << int(QNetworkReply::ConnectionRefusedError) << false
                                        << connection << connectionText.arg(1) << false;
    // With the main window up the request alone fails, a time-out included.
    for (QNetworkReply::NetworkError code :
        { QNetworkReply::ConnectionRefusedError, QNetworkReply::RemoteHostClosedError,
            QNetworkReply::TimeoutError, QNetworkReply::OperationCanceledError })
        QTest::addRow("in session %d", int(code))
            << int(code) << false << connection << connectionText.arg(int(code)) << true;
    QTest::newRow("in session forbidden")
        << int(QNetworkReply::ContentAccessDenied) << false << QString() << QString() << true;
}

void TestNetworkManager::errorClassification()
{
    // Guards against a transfer error sending the user to the wrong place: the settings window,
    // an error box and the end of the program (never once the main window is up), or nothing at
    // all for a 403.
    QFETCH(int, code);
    QFETCH(bool, settingsProblem);
    QFETCH(QString, boxTitle);
    QFETCH(QString, boxText);
    QFETCH(bool, sessionOpen);
    NetworkManager manager;
    manager.setSessionOpen([sessionOpen] { return sessionOpen; });
    connect(&manager, &NetworkManager::fatalErrorOccurred, this, &Prompt::showNetworkError);
    QSignalSpy proxyErrors(&manager, &NetworkManager::proxyErrorDetected);
    MessageBoxAnswerer answerer;
    if (!boxTitle.isEmpty())
        answerer.expect(boxTitle, boxText, QMessageBox::Ok);

    manager.manageNetworkError(static_cast<QNetworkReply::NetworkError>(code));

    QCOMPARE(proxyErrors.count(), settingsProblem ? 1 : 0);
    QCOMPARE(answerer.getFailures(), QStringList());
    QVERIFY(answerer.allAnswered());
    QCOMPARE(TestEnvironment::takeQuitRequest(), !boxTitle.isEmpty() && !sessionOpen);
}

/// Child process: trusts the file's certificates, then fetches each address; exits 0 when every
/// one was reached over a verified connection (a 404 is fine).
int runSystemRootsChild(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    if (NetworkManager::addTrustedCaCertificates(QString::fromLocal8Bit(argv[2])) != 1)
        return 2;
    QNetworkAccessManager manager;
    int failures = 0;
    for (int index = 3; index < argc; ++index) {
        QNetworkRequest request(QUrl(QString::fromLocal8Bit(argv[index]) + QStringLiteral("/")));
        request.setSslConfiguration(QSslConfiguration::defaultConfiguration());
        QNetworkReply* reply = manager.get(request);
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        if (reply->error() != QNetworkReply::ContentNotFoundError) {
            std::fprintf(stderr, "%s: %s\n", argv[index], qPrintable(reply->errorString()));
            ++failures;
        }
        delete reply;
    }
    return failures == 0 ? 0 : 3;
}

int main(int argc, char* argv[])
{
    if (argc > 2 && qstrcmp(argv[1], systemRootsChild) == 0)
        return runSystemRootsChild(argc, argv);
    QApplication application(argc, argv);
    TestNetworkManager test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_networkmanager.moc"
