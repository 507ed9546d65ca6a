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
}

class TestNetworkManager final : public QObject {
    Q_OBJECT
private slots:
    void caFileAddsToSystemRoots();
    void errorClassification_data();
    void errorClassification();
};

void TestNetworkManager::caFileAddsToSystemRoots()
{
    // Guards against a bad CA file changing the trusted list, or a good one replacing the system
    // roots (a child sees the test CA alone in /etc/ssl/certs and adds the self-signed one).
    TestEnvironment::enterTemporaryWorkingDirectory();
    QFile notPem("not.pem");
    QVERIFY(notPem.open(QIODevice::WriteOnly) && notPem.write("not a certificate") > 0);
    notPem.close();
    const QList<QSslCertificate> roots = QSslConfiguration::defaultConfiguration().caCertificates();
    QCOMPARE(NetworkManager::addTrustedCaCertificates("missing.pem"), 0);
    QCOMPARE(NetworkManager::addTrustedCaCertificates(notPem.fileName()), 0);
    QCOMPARE(QSslConfiguration::defaultConfiguration().caCertificates(), roots);

    const QString pki = TestEnvironment::pkiDirectory();
    QProcess hash;
    hash.start("openssl", { "x509", "-hash", "-noout", "-in", pki + "/ca.pem" });
    QVERIFY(hash.waitForFinished() && hash.exitCode() == 0);
    QDir().mkpath("store");
    QVERIFY(QFile::copy(pki + "/ca.pem", "store/" + hash.readAllStandardOutput().trimmed() + ".0"));

    const char* noNamespace = "no private mount namespace here to stand in for the system store";
    if (QProcess::execute("unshare", { "--mount", "true" }) != 0)
        QSKIP(noNamespace);
    TestServer signedByStoreRoot(TestServer::Mode::Https);
    TestServer selfSigned(TestServer::Mode::SelfSignedHttps);
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start("unshare",
        { "--mount", "sh", "-c",
            "mount --bind \"$1\" /etc/ssl/certs || exit 77; shift; exec \"$@\"", "sh",
            QDir::current().absoluteFilePath("store"), QCoreApplication::applicationFilePath(),
            systemRootsChild, pki + "/selfsigned.pem", signedByStoreRoot.baseUrl(),
            selfSigned.baseUrl() });
    QVERIFY(child.waitForFinished(30000));
    if (child.exitCode() == 77)
        QSKIP(noNamespace);
    QCOMPARE(child.exitCode(), 0);
}

void TestNetworkManager::errorClassification_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("settingsProblem");
    QTest::addColumn<QString>("boxTitle");
    QTest::addColumn<QString>("boxText");
    QTest::addColumn<bool>("sessionOpen");
    const auto row = [](const QByteArray& name, QNetworkReply::NetworkError code, bool settings,
                         bool session, const QString& title = {}, const QString& text = {}) {
        QTest::newRow(name + ' ' + QByteArray::number(code))
            << int(code) << settings << title << text << session;
    };
    using E = QNetworkReply::NetworkError;
    for (E code : { E::HostNotFoundError, E::TimeoutError, E::OperationCanceledError,
             E::UnknownNetworkError, E::ProxyNotFoundError, E::ProxyTimeoutError,
             E::UnknownProxyError, E::UnknownServerError })
        row("settings", code, true, false);
    row("forbidden is left to the reply", E::ContentAccessDenied, false, false);
    const QString connection = "Errore durante la connessione al server";
    const QString connectionText
        = "La connessione ha restituito un errore. Questo potrebbe essere dovuto ad un problema "
          "momentaneo.\nRiprova o contatta l'amministratore di sistema.\nCODE: %1";
    // With the main window up the request alone fails, a time-out included.
    for (E code : { E::ConnectionRefusedError, E::RemoteHostClosedError, E::TimeoutError,
             E::OperationCanceledError })
        row("in session", code, false, true, connection, connectionText.arg(int(code)));
    row("in session forbidden", E::ContentAccessDenied, false, true);
}

void TestNetworkManager::errorClassification()
{
    // Guards against a transfer error leading to the wrong place: settings, box and end, nothing.
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
        QNetworkRequest request(QUrl(QString::fromLocal8Bit(argv[index]) + "/"));
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
