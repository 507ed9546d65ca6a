#include "network/networkmanager.h"
#include "support/messageboxanswerer.h"
#include "support/testenvironment.h"
#include "support/testserver.h"

#include <QNetworkReply>
#include <QSslConfiguration>
#include <QtTest>

using namespace Corvane;
using namespace Corvane::Test;

class TestNetworkManager final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void privateAuthorityIsUntrustedByDefault();
    void unreadableCaFileChangesNothing();
    void trustedPrivateAuthorityConnects();
    void selfSignedServerEndsInTlsBox();
    void errorClassification_data();
    void errorClassification();
    void serverErrorReplyShowsItsCode();

private:
    /// GETs the URL through the manager the way the program's senders do.
    QNetworkReply* get(NetworkManager& manager, const QString& url);
    void verifyAnswered(const MessageBoxAnswerer& answerer);
};

void TestNetworkManager::initTestCase() { TestEnvironment::enterTemporaryWorkingDirectory(); }

QNetworkReply* TestNetworkManager::get(NetworkManager& manager, const QString& url)
{
    QNetworkRequest request { QUrl(url) };
    request.setSslConfiguration(QSslConfiguration::defaultConfiguration());
    QNetworkReply* reply = manager.get(request);
    connect(reply, &QNetworkReply::errorOccurred, &manager, &NetworkManager::manageNetworkError);
    return reply;
}

void TestNetworkManager::verifyAnswered(const MessageBoxAnswerer& answerer)
{
    QVERIFY2(answerer.getFailures().isEmpty(),
        qPrintable(answerer.getFailures().join(QLatin1Char('\n'))));
    QVERIFY(answerer.allAnswered());
}

void TestNetworkManager::privateAuthorityIsUntrustedByDefault()
{
    // Guards against TLS verification being off: a server of an unknown authority is refused.
    TestServer server;
    server.setReply(QStringLiteral("/"), ScriptedReply {});
    NetworkManager manager;
    MessageBoxAnswerer answerer;
    answerer.expect(QStringLiteral("Errore SSL/TLS"), QStringLiteral("issuer certificate"),
        QMessageBox::Ok, MessageBoxAnswerer::Match::Contains);
    QNetworkReply* reply = get(manager, server.baseUrl() + QStringLiteral("/"));
    QTRY_VERIFY(reply->isFinished());
    verifyAnswered(answerer);
    QVERIFY(TestEnvironment::takeQuitRequest());
    QCOMPARE(server.requestCount(), 0);
}

void TestNetworkManager::unreadableCaFileChangesNothing()
{
    // Guards against a bad "ServerURL/CaCertificates" value dropping the trusted roots.
    const QList<QSslCertificate> before
        = QSslConfiguration::defaultConfiguration().caCertificates();
    QCOMPARE(NetworkManager::addTrustedCaCertificates(QStringLiteral("missing.pem")), 0);
    QFile notPem(QStringLiteral("not.pem"));
    QVERIFY(notPem.open(QIODevice::WriteOnly));
    notPem.write("not a certificate");
    notPem.close();
    QCOMPARE(NetworkManager::addTrustedCaCertificates(QStringLiteral("not.pem")), 0);
    QCOMPARE(NetworkManager::addTrustedCaCertificates(QString()), 0);
    QCOMPARE(QSslConfiguration::defaultConfiguration().caCertificates(), before);
}

void TestNetworkManager::trustedPrivateAuthorityConnects()
{
    // Guards against the configured CA file not being trusted, or replacing the system roots.
    QCOMPARE(NetworkManager::addTrustedCaCertificates(TestEnvironment::caCertificatesPath()), 1);
    const QList<QSslCertificate> authorities
        = QSslConfiguration::defaultConfiguration().caCertificates();
    const QList<QSslCertificate> system = QSslConfiguration::systemCaCertificates();
    QVERIFY(authorities.size() >= system.size() + 1);
    if (!system.isEmpty())
        QVERIFY(authorities.contains(system.first()));

    TestServer server;
    ScriptedReply page;
    page.body = "ok";
    server.setReply(QStringLiteral("/"), page);
    NetworkManager manager;
    MessageBoxAnswerer answerer;
    QSignalSpy proxyErrors(&manager, &NetworkManager::proxyErrorDetected);
    QNetworkReply* reply = get(manager, server.baseUrl() + QStringLiteral("/"));
    QTRY_VERIFY(reply->isFinished());
    QCOMPARE(reply->error(), QNetworkReply::NoError);
    QCOMPARE(reply->readAll(), QByteArray("ok"));
    QCOMPARE(proxyErrors.count(), 0);
    verifyAnswered(answerer);
    QVERIFY(!TestEnvironment::takeQuitRequest());
}

void TestNetworkManager::selfSignedServerEndsInTlsBox()
{
    // Guards against a TLS failure being ignored, reported twice, or leaving a progress dialog
    // open.
    TestServer server(TestServer::Mode::SelfSignedHttps);
    NetworkManager manager;
    QSignalSpy closeDialogs(&manager, &NetworkManager::closeProgressDialog);
    QSignalSpy proxyErrors(&manager, &NetworkManager::proxyErrorDetected);
    MessageBoxAnswerer answerer;
    answerer.expect(QStringLiteral("Errore SSL/TLS"), QStringLiteral("self-signed"),
        QMessageBox::Ok, MessageBoxAnswerer::Match::Contains);
    QNetworkReply* reply = get(manager, server.baseUrl() + QStringLiteral("/"));
    QTRY_VERIFY(reply->isFinished());
    QCOMPARE(closeDialogs.count(), 1);
    QCOMPARE(proxyErrors.count(), 0);
    verifyAnswered(answerer);
    QVERIFY(TestEnvironment::takeQuitRequest());
}

void TestNetworkManager::errorClassification_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("settingsProblem");
    QTest::addColumn<QString>("boxTitle");
    QTest::addColumn<QString>("boxText");

    const QString serverTitle = QStringLiteral("Errore durante la connessione al server");
    const QString serverText
        = QStringLiteral("La connessione ha restituito un errore. Questo potrebbe essere dovuto ad "
                         "un problema momentaneo.\nRiprova o contatta l'amministratore di "
                         "sistema.\nCODE: ");
    const QList<QNetworkReply::NetworkError> settingsProblems { QNetworkReply::HostNotFoundError,
        QNetworkReply::TimeoutError, QNetworkReply::OperationCanceledError,
        QNetworkReply::UnknownNetworkError, QNetworkReply::ProxyNotFoundError,
        QNetworkReply::ProxyTimeoutError, QNetworkReply::UnknownProxyError,
        QNetworkReply::UnknownServerError };
    for (QNetworkReply::NetworkError code : settingsProblems)
        QTest::addRow("settings %d", int(code)) << int(code) << true << QString() << QString();
    QTest::newRow("forbidden is left to the reply")
        << int(QNetworkReply::ContentAccessDenied) << false << QString() << QString();
    QTest::newRow("proxy credentials")
        << int(QNetworkReply::ProxyAuthenticationRequiredError) << false
        << QStringLiteral("Autenticazione Proxy necessaria")
        << QStringLiteral(
               "Il proxy utilizzato per la connessione di rete richiede l'autenticazione tramite "
               "username e password.\nSe non possiedi le credenziali contatta il tuo "
               "amministratore "
               "di rete.");
    QTest::newRow("connection refused") << int(QNetworkReply::ConnectionRefusedError) << false
                                        << serverTitle << serverText + QStringLiteral("1");
    QTest::newRow("not found") << int(QNetworkReply::ContentNotFoundError) << false << serverTitle
                               << serverText + QStringLiteral("203");
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
    verifyAnswered(answerer);
    QCOMPARE(TestEnvironment::takeQuitRequest(), !boxTitle.isEmpty());
}

void TestNetworkManager::serverErrorReplyShowsItsCode()
{
    // Guards against an HTTP 500 passing silently.
    QVERIFY(NetworkManager::addTrustedCaCertificates(TestEnvironment::caCertificatesPath()) > 0);
    TestServer server;
    ScriptedReply failure;
    failure.status = 500;
    server.setReply(QStringLiteral("/"), failure);
    NetworkManager manager;
    MessageBoxAnswerer answerer;
    answerer.expect(QStringLiteral("Errore durante la connessione al server"),
        QStringLiteral("\nCODE: 401"), QMessageBox::Ok, MessageBoxAnswerer::Match::Contains);
    QNetworkReply* reply = get(manager, server.baseUrl() + QStringLiteral("/"));
    QTRY_VERIFY(reply->isFinished());
    verifyAnswered(answerer);
    QVERIFY(TestEnvironment::takeQuitRequest());
}

QTEST_MAIN(TestNetworkManager)
#include "tst_networkmanager.moc"
