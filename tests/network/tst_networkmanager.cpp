#include "network/networkmanager.h"
#include "support/messageboxanswerer.h"
#include "support/testenvironment.h"
#include "support/testserver.h"

#include <QNetworkReply>
#include <QSslConfiguration>
#include <QtTest>

using namespace Corvane;
using namespace Corvane::Test;

namespace {
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
    // Guards against a bad "ServerURL/CaCertificates" value dropping the trusted roots, or a good
    // one not being trusted or replacing the system roots.
    TestEnvironment::enterTemporaryWorkingDirectory();
    QFile notPem(QStringLiteral("not.pem"));
    QVERIFY(notPem.open(QIODevice::WriteOnly) && notPem.write("not a certificate") > 0);
    notPem.close();
    const QList<QSslCertificate> roots = QSslConfiguration::defaultConfiguration().caCertificates();

    QCOMPARE(NetworkManager::addTrustedCaCertificates(QStringLiteral("missing.pem")), 0);
    QCOMPARE(NetworkManager::addTrustedCaCertificates(notPem.fileName()), 0);
    QCOMPARE(QSslConfiguration::defaultConfiguration().caCertificates(), roots);

    const QString pem = TestEnvironment::caCertificatesPath();
    QCOMPARE(NetworkManager::addTrustedCaCertificates(pem), 1);
    const QList<QSslCertificate> trusted
        = QSslConfiguration::defaultConfiguration().caCertificates();
    QVERIFY(trusted.contains(QSslCertificate::fromPath(pem).first()));
    const QList<QSslCertificate> system = QSslConfiguration::systemCaCertificates();
    for (const QSslCertificate& root : system)
        QVERIFY(trusted.contains(root));
}

void TestNetworkManager::tlsFailureIsReportedOnce()
{
    // Guards against a TLS failure being ignored, or reported a second time as a transfer error
    // once its own box has been shown.
    TestServer server(TestServer::Mode::SelfSignedHttps);
    NetworkManager manager;
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

    for (QNetworkReply::NetworkError code :
        { QNetworkReply::HostNotFoundError, QNetworkReply::TimeoutError,
            QNetworkReply::OperationCanceledError, QNetworkReply::UnknownNetworkError,
            QNetworkReply::ProxyNotFoundError, QNetworkReply::ProxyTimeoutError,
            QNetworkReply::UnknownProxyError, QNetworkReply::UnknownServerError })
        QTest::addRow("settings %d", int(code)) << int(code) << true << QString() << QString();
    QTest::newRow("forbidden is left to the reply")
        << int(QNetworkReply::ContentAccessDenied) << false << QString() << QString();
    QTest::newRow("proxy credentials")
        << int(QNetworkReply::ProxyAuthenticationRequiredError) << false
        << QStringLiteral("Autenticazione Proxy necessaria")
        << QStringLiteral("Il proxy utilizzato per la connessione di rete richiede "
                          "l'autenticazione tramite username e password.\nSe non possiedi le "
                          "credenziali contatta il tuo amministratore di rete.");
    QTest::newRow("connection refused")
        << int(QNetworkReply::ConnectionRefusedError) << false
        << QStringLiteral("Errore durante la connessione al server")
        << QStringLiteral("La connessione ha restituito un errore. Questo potrebbe essere dovuto "
                          "ad un problema momentaneo.\nRiprova o contatta l'amministratore di "
                          "sistema.\nCODE: 1");
}

void TestNetworkManager::errorClassification()
{
    // Guards against a transfer error sending the user to the wrong place: the settings window,
    // an error box and the end of the program, or nothing at all for a 403.
    QFETCH(int, code);
    QFETCH(bool, settingsProblem);
    QFETCH(QString, boxTitle);
    QFETCH(QString, boxText);
    NetworkManager manager;
    QSignalSpy proxyErrors(&manager, &NetworkManager::proxyErrorDetected);
    MessageBoxAnswerer answerer;
    if (!boxTitle.isEmpty())
        answerer.expect(boxTitle, boxText, QMessageBox::Ok);

    manager.manageNetworkError(static_cast<QNetworkReply::NetworkError>(code));

    QCOMPARE(proxyErrors.count(), settingsProblem ? 1 : 0);
    QCOMPARE(answerer.getFailures(), QStringList());
    QVERIFY(answerer.allAnswered());
    QCOMPARE(TestEnvironment::takeQuitRequest(), !boxTitle.isEmpty());
}

QTEST_MAIN(TestNetworkManager)
#include "tst_networkmanager.moc"
