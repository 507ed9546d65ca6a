#include "network/networkmanager.h"
#include "network/networksettingswindow.h"
#include "network/networktesthelpers.h"
#include "network/proxyconfigurator.h"
#include "network/proxyprocess.h"
#include "support/messageboxanswerer.h"
#include "support/testenvironment.h"
#include "support/testserver.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProgressDialog>
#include <QSettings>
#include <QTest>

#include <memory>

using namespace Corvane;
using namespace Corvane::Test;

Q_DECLARE_METATYPE(ProxyProcess::Kind)

namespace {
const QString proxyUser = QStringLiteral("garante");
const QString proxyPassword = QStringLiteral("Segreto-Proxy-42");

QString proxyTypeWord(ProxyProcess::Kind kind)
{
    return kind == ProxyProcess::Kind::Http ? QStringLiteral("http") : QStringLiteral("socks5");
}
}

class TestProxyConfigurator final : public ConfiguratorTest {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void directConnectionWithoutAnyConfiguration();
    void legacySettingsAreImportedAndUsed();
    void checkPassesThroughConfiguredProxy_data();
    void checkPassesThroughConfiguredProxy();
    void credentialWindowAnswersProxy_data();
    void credentialWindowAnswersProxy();
    void rejectedCredentialsEndInProxyAuthenticationError();
    void systemProxyIsRecordedKeepingOtherGroups();
    void networkFaultOpensSettingsWindow_data();
    void networkFaultOpensSettingsWindow();
    void hangingServerIsAbortedAfterAboutTenSeconds();
    void untrustedServerClosesProgressAndQuits();
    void serverAnswerDecidesStartUp_data();
    void serverAnswerDecidesStartUp();

private:
    NetworkSettingsWindow* visibleSettingsWindow() const;

    std::unique_ptr<CredentialAnswerer> credentials;
    std::unique_ptr<LogCapture> log;
};

void TestProxyConfigurator::initTestCase()
{
    QVERIFY(NetworkManager::addTrustedCaCertificates(TestEnvironment::caCertificatesPath()) > 0);
}

void TestProxyConfigurator::init()
{
    setUpConfiguratorTest();
    credentials = std::make_unique<CredentialAnswerer>();
    log = std::make_unique<LogCapture>();
}

void TestProxyConfigurator::cleanup()
{
    tearDownConfiguratorTest();
    log.reset();
    credentials.reset();
}

NetworkSettingsWindow* TestProxyConfigurator::visibleSettingsWindow() const
{
    return visibleTopLevel<NetworkSettingsWindow>();
}

void TestProxyConfigurator::directConnectionWithoutAnyConfiguration()
{
    // Fault: a first start with nothing configured invents a proxy or writes proxy keys.
    createConfigurator(server->baseUrl());
    configurator->start();

    auto* progress = visibleTopLevel<QProgressDialog>();
    QVERIFY(progress);
    QCOMPARE(progress->windowTitle(), QStringLiteral("Corvane - Controllo connessione"));

    QTRY_COMPARE(responder.initializations, 1);
    QTRY_VERIFY(!visibleTopLevel<QProgressDialog>());
    QCOMPARE(networkManager->proxy().type(), QNetworkProxy::NoProxy);
    QVERIFY(!QSettings(QStringLiteral("config.ini"), QSettings::IniFormat)
                 .childGroups()
                 .contains(QStringLiteral("Network")));
    const QList<RecordedRequest> requests = server->requests();
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests.first().method, QStringLiteral("GET"));
    QCOMPARE(requests.first().path, QStringLiteral("/"));
    QVERIFY(log->text().contains(QStringLiteral("No config.ini settings and no system proxy")));
    QVERIFY(!visibleSettingsWindow());
}

void TestProxyConfigurator::legacySettingsAreImportedAndUsed()
{
    // Fault: the settings of the earlier release are lost, or imported but not used for the check.
    ProxyProcess proxy(ProxyProcess::Kind::Http, proxyUser, proxyPassword);
    QVERIFY(proxy.start());
    {
        QSettings legacy(QStringLiteral("serial.dat"), QSettings::IniFormat);
        legacy.setValue(QStringLiteral("CorvaneWin/ProxyServer"), QStringLiteral("127.0.0.1"));
        legacy.setValue(QStringLiteral("CorvaneWin/ProxyPort"), proxy.port());
        legacy.setValue(QStringLiteral("CorvaneWin/ProxyUsername"), proxyUser);
        legacy.setValue(QStringLiteral("CorvaneWin/ProxyPassword"), proxyPassword);
    }
    writeConfig({ { QStringLiteral("Debug/Enable"), 1 } });

    createConfigurator(server->baseUrl());
    configurator->start();

    QTRY_COMPARE(responder.initializations, 1);
    const QVariantMap expected = {
        { QStringLiteral("ProxyType"), QStringLiteral("http") },
        { QStringLiteral("ProxyHostName"), QStringLiteral("127.0.0.1") },
        { QStringLiteral("ProxyPort"), QString::number(proxy.port()) },
        { QStringLiteral("ProxyUsername"), proxyUser },
        { QStringLiteral("ProxyPassword"), proxyPassword },
    };
    QCOMPARE(configGroup(QStringLiteral("Network")), expected);
    QVERIFY(configGroup(QStringLiteral("Debug")).contains(QStringLiteral("Enable")));
    QVERIFY(QFile::exists(QStringLiteral("serial.dat")));
    QVERIFY(proxy.log().contains(QStringLiteral("CONNECT 127.0.0.1:%1").arg(server->port())));
    QVERIFY(credentials->getPrompts().isEmpty());
    QVERIFY(!log->text().contains(proxyPassword));
}

void TestProxyConfigurator::checkPassesThroughConfiguredProxy_data()
{
    QTest::addColumn<ProxyProcess::Kind>("kind");
    QTest::addColumn<bool>("authenticated");
    QTest::addColumn<bool>("lowerCaseKeys");

    QTest::newRow("http") << ProxyProcess::Kind::Http << false << false;
    QTest::newRow("http with basic authentication") << ProxyProcess::Kind::Http << true << false;
    QTest::newRow("http, keys written in lower case") << ProxyProcess::Kind::Http << true << true;
    QTest::newRow("socks5") << ProxyProcess::Kind::Socks5 << false << false;
    QTest::newRow("socks5 with user and password") << ProxyProcess::Kind::Socks5 << true << false;
}

void TestProxyConfigurator::checkPassesThroughConfiguredProxy()
{
    // Fault: the stored proxy, or its stored credentials, are not what the check goes through.
    QFETCH(ProxyProcess::Kind, kind);
    QFETCH(bool, authenticated);
    QFETCH(bool, lowerCaseKeys);

    ProxyProcess proxy(
        kind, authenticated ? proxyUser : QString(), authenticated ? proxyPassword : QString());
    QVERIFY(proxy.start());
    QVariantMap config = {
        { QStringLiteral("Network/ProxyType"), proxyTypeWord(kind) },
        { QStringLiteral("Network/ProxyHostName"), QStringLiteral("127.0.0.1") },
        { QStringLiteral("Network/ProxyPort"), proxy.port() },
    };
    if (authenticated) {
        config.insert(QStringLiteral("Network/ProxyUsername"), proxyUser);
        config.insert(QStringLiteral("Network/ProxyPassword"), proxyPassword);
    }
    if (lowerCaseKeys) {
        QVariantMap lowered;
        for (auto it = config.constBegin(); it != config.constEnd(); ++it)
            lowered.insert(it.key().toLower(), it.value());
        config = lowered;
    }
    writeConfig(config);

    createConfigurator(server->baseUrl());
    configurator->start();

    QTRY_COMPARE(responder.initializations, 1);
    const QNetworkProxy inForce = networkManager->proxy();
    QCOMPARE(inForce.type(),
        kind == ProxyProcess::Kind::Http ? QNetworkProxy::HttpProxy : QNetworkProxy::Socks5Proxy);
    QCOMPARE(inForce.port(), proxy.port());
    QCOMPARE(server->requestCount(), 1);
    if (kind == ProxyProcess::Kind::Http)
        QVERIFY(proxy.log().contains(QStringLiteral("CONNECT 127.0.0.1:%1").arg(server->port())));
    QVERIFY(credentials->getPrompts().isEmpty());
    QVERIFY(!log->text().contains(proxyPassword));
    QVERIFY(!visibleSettingsWindow());
}

void TestProxyConfigurator::credentialWindowAnswersProxy_data()
{
    QTest::addColumn<ProxyProcess::Kind>("kind");
    QTest::addColumn<bool>("systemProxy");
    QTest::addColumn<bool>("remember");
    QTest::addColumn<bool>("stored");

    QTest::newRow("http, remembered") << ProxyProcess::Kind::Http << false << true << true;
    QTest::newRow("http, not remembered") << ProxyProcess::Kind::Http << false << false << false;
    QTest::newRow("socks5, remembered") << ProxyProcess::Kind::Socks5 << false << true << true;
    QTest::newRow("system proxy, nowhere to remember")
        << ProxyProcess::Kind::Http << true << true << false;
}

void TestProxyConfigurator::credentialWindowAnswersProxy()
{
    // Fault: a proxy asking for credentials is not asked through the window, the typed
    // credentials do not get through, or they are stored when they must not be.
    QFETCH(ProxyProcess::Kind, kind);
    QFETCH(bool, systemProxy);
    QFETCH(bool, remember);
    QFETCH(bool, stored);

    ProxyProcess proxy(kind, proxyUser, proxyPassword);
    QVERIFY(proxy.start());
    if (systemProxy) {
        qputenv("https_proxy", QStringLiteral("http://127.0.0.1:%1").arg(proxy.port()).toUtf8());
    } else {
        writeConfig({
            { QStringLiteral("Network/ProxyType"), proxyTypeWord(kind) },
            { QStringLiteral("Network/ProxyHostName"), QStringLiteral("127.0.0.1") },
            { QStringLiteral("Network/ProxyPort"), proxy.port() },
        });
    }
    credentials->expect({ proxyUser, proxyPassword, remember });

    createConfigurator(server->baseUrl());
    configurator->start();

    QTRY_COMPARE(responder.initializations, 1);
    QCOMPARE(credentials->getPrompts().size(), 1);
    const CredentialAnswerer::Prompt prompt = credentials->getPrompts().first();
    QCOMPARE(prompt.title, QStringLiteral("Connetti  a 127.0.0.1"));
    const QString description
        = QStringLiteral("Il server proxy all'indirizzo 127.0.0.1:%1 richiede "
                         "l'autenticazione tramite username e password.")
              .arg(proxy.port());
    QCOMPARE(prompt.description,
        systemProxy ? QStringLiteral("Configurazione proxy rilevata nel sistema.\n") + description
                    : description);
    QCOMPARE(prompt.rememberEnabled, !systemProxy);

    const QVariantMap network = configGroup(QStringLiteral("Network"));
    QCOMPARE(network.contains(QStringLiteral("ProxyUsername")), stored);
    QCOMPARE(network.contains(QStringLiteral("ProxyPassword")), stored);
    if (stored) {
        QCOMPARE(network.value(QStringLiteral("ProxyUsername")).toString(), proxyUser);
        QCOMPARE(network.value(QStringLiteral("ProxyPassword")).toString(), proxyPassword);
    }
    QCOMPARE(network.value(QStringLiteral("ProxyType")).toString(),
        systemProxy ? QStringLiteral("system") : proxyTypeWord(kind));
    QVERIFY(!log->text().contains(proxyPassword));
}

void TestProxyConfigurator::rejectedCredentialsEndInProxyAuthenticationError()
{
    // Fault: closing the credential window without credentials lets the start-up go on.
    ProxyProcess proxy(ProxyProcess::Kind::Http, proxyUser, proxyPassword);
    QVERIFY(proxy.start());
    writeConfig({
        { QStringLiteral("Network/ProxyType"), QStringLiteral("http") },
        { QStringLiteral("Network/ProxyHostName"), QStringLiteral("127.0.0.1") },
        { QStringLiteral("Network/ProxyPort"), proxy.port() },
    });
    boxes->expect(QStringLiteral("Autenticazione Proxy necessaria"),
        QStringLiteral("Il proxy utilizzato per la connessione di rete richiede l'autenticazione"),
        QMessageBox::Ok, MessageBoxAnswerer::Match::Contains);

    createConfigurator(server->baseUrl());
    configurator->start();

    QTRY_VERIFY(boxes->allAnswered());
    QVERIFY(TestEnvironment::takeQuitRequest());
    QCOMPARE(credentials->getPrompts().size(), 1);
    QCOMPARE(responder.initializations, 0);
    QCOMPARE(server->requestCount(), 0);
    QVERIFY(!configGroup(QStringLiteral("Network")).contains(QStringLiteral("ProxyUsername")));
}

void TestProxyConfigurator::systemProxyIsRecordedKeepingOtherGroups()
{
    // Fault: recording the system proxy wipes the developer keys or leaves manual proxy keys.
    ProxyProcess proxy(ProxyProcess::Kind::Http);
    QVERIFY(proxy.start());
    qputenv("https_proxy", QStringLiteral("http://127.0.0.1:%1").arg(proxy.port()).toUtf8());
    writeConfig({
        { QStringLiteral("Debug/Enable"), 1 },
        { QStringLiteral("ServerURL/Production"), server->baseUrl() },
        { QStringLiteral("Network/ProxyHostName"), QStringLiteral("vecchio.proxy.example") },
        { QStringLiteral("Network/ProxyPort"), 3128 },
    });

    createConfigurator(server->baseUrl());
    configurator->start();

    QTRY_COMPARE(responder.initializations, 1);
    const QVariantMap expected = { { QStringLiteral("ProxyType"), QStringLiteral("system") } };
    QCOMPARE(configGroup(QStringLiteral("Network")), expected);
    QVERIFY(configGroup(QStringLiteral("Debug")).contains(QStringLiteral("Enable")));
    QCOMPARE(
        configGroup(QStringLiteral("ServerURL")).value(QStringLiteral("Production")).toString(),
        server->baseUrl());
    QCOMPARE(networkManager->proxy().port(), proxy.port());
    QVERIFY(proxy.log().contains(QStringLiteral("CONNECT 127.0.0.1:%1").arg(server->port())));

    // The next start asks the system again and goes through the same proxy.
    configurator->start();
    QTRY_COMPARE(responder.initializations, 2);
    QCOMPARE(server->requestCount(), 2);
}

void TestProxyConfigurator::networkFaultOpensSettingsWindow_data()
{
    QTest::addColumn<QString>("serverUrl");
    QTest::addColumn<QString>("proxyType");
    QTest::addColumn<bool>("systemWarning");
    QTest::addColumn<int>("expectedProxyType");

    const int noProxy = QNetworkProxy::NoProxy;
    QTest::newRow("unresolvable server host")
        << QStringLiteral("https://tessaro.invalid") << QString() << false << noProxy;
    QTest::newRow("http proxy not listening")
        << QString() << QStringLiteral("http") << false << int(QNetworkProxy::HttpProxy);
    QTest::newRow("socks5 proxy not listening")
        << QString() << QStringLiteral("socks5") << false << int(QNetworkProxy::Socks5Proxy);
    QTest::newRow("system without a system proxy")
        << QString() << QStringLiteral("system") << true << int(QNetworkProxy::HttpProxy);
}

void TestProxyConfigurator::networkFaultOpensSettingsWindow()
{
    // Fault: a wrong network set-up ends without leading the user to the settings, shows a
    // dialog of its own, or lets the start-up go on.
    QFETCH(QString, serverUrl);
    QFETCH(QString, proxyType);
    QFETCH(bool, systemWarning);
    QFETCH(int, expectedProxyType);

    if (!proxyType.isEmpty()) {
        writeConfig({
            { QStringLiteral("Network/ProxyType"), proxyType },
            { QStringLiteral("Network/ProxyHostName"), QStringLiteral("127.0.0.1") },
            { QStringLiteral("Network/ProxyPort"), ProxyProcess::freePort() },
        });
    }
    if (systemWarning) {
        boxes->expect(QStringLiteral("Proxy di sistema"),
            QStringLiteral("Nessuna configurazione proxy di sistema trovata.\nProcedi con la "
                           "configurazione manuale del proxy o contatta l'amministratore di "
                           "sistema."),
            QMessageBox::Ok);
    }

    createConfigurator(serverUrl.isEmpty() ? server->baseUrl() : serverUrl);
    configurator->start();

    QTRY_VERIFY(visibleSettingsWindow());
    QVERIFY(boxes->allAnswered());
    QCOMPARE(int(networkManager->proxy().type()), expectedProxyType);
    QCOMPARE(responder.initializations, 0);
    QCOMPARE(server->requestCount(), 0);
    QTRY_VERIFY(!visibleTopLevel<QProgressDialog>());
    QVERIFY(!TestEnvironment::takeQuitRequest());
}

void TestProxyConfigurator::hangingServerIsAbortedAfterAboutTenSeconds()
{
    // Fault: a server that never answers holds the start-up for ever, or is given up too early.
    ScriptedReply silent;
    silent.delayMs = 60000;
    server->setReply(QStringLiteral("/"), silent);

    QElapsedTimer elapsed;
    elapsed.start();
    createConfigurator(server->baseUrl());
    configurator->start();

    auto* progress = visibleTopLevel<QProgressDialog>();
    QVERIFY(progress);
    QTRY_VERIFY_WITH_TIMEOUT(progress->value() >= 3, 5000);
    QVERIFY(progress->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(visibleSettingsWindow(), 20000);
    QVERIFY2(elapsed.elapsed() >= 8000, qPrintable(QString::number(elapsed.elapsed())));
    QVERIFY2(elapsed.elapsed() <= 15000, qPrintable(QString::number(elapsed.elapsed())));
    QVERIFY(log->text().contains(QStringLiteral("Network timeout reached")));
    QCOMPARE(responder.initializations, 0);
    QVERIFY(!progress->isVisible());
    QVERIFY(!TestEnvironment::takeQuitRequest());
}

void TestProxyConfigurator::untrustedServerClosesProgressAndQuits()
{
    // Fault: a server certificate nobody trusts leaves the progress dialog up or lets the
    // start-up go on.
    TestServer untrusted(TestServer::Mode::SelfSignedHttps);
    untrusted.setXmlReply(QStringLiteral("/"), "<risposta/>");
    boxes->expect(QStringLiteral("Errore SSL/TLS"), QStringLiteral("self-signed"), QMessageBox::Ok,
        MessageBoxAnswerer::Match::Contains);

    createConfigurator(untrusted.baseUrl());
    configurator->start();

    QTRY_VERIFY(boxes->allAnswered());
    QVERIFY(TestEnvironment::takeQuitRequest());
    QTRY_VERIFY(!visibleTopLevel<QProgressDialog>());
    QVERIFY(!visibleSettingsWindow());
    QCOMPARE(responder.initializations, 0);
}

void TestProxyConfigurator::serverAnswerDecidesStartUp_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("errorCode");

    QTest::newRow("200") << 200 << QString();
    QTest::newRow("403, the server refusing a GET") << 403 << QString();
    QTest::newRow("404") << 404 << QStringLiteral("203");
    QTest::newRow("500") << 500 << QStringLiteral("401");
}

void TestProxyConfigurator::serverAnswerDecidesStartUp()
{
    // Fault: a server that answers is taken for a broken connection (the start-up stalls with
    // no window), or an error page is taken for a working server.
    QFETCH(int, status);
    QFETCH(QString, errorCode);

    ScriptedReply reply;
    reply.status = status;
    reply.body = "<risposta/>";
    server->setReply(QStringLiteral("/"), reply);
    if (!errorCode.isEmpty()) {
        boxes->expect(QStringLiteral("Errore durante la connessione al server"),
            QStringLiteral("\nCODE: ") + errorCode, QMessageBox::Ok,
            MessageBoxAnswerer::Match::Contains);
    }

    createConfigurator(server->baseUrl());
    configurator->start();

    QTRY_VERIFY(!visibleTopLevel<QProgressDialog>());
    QTRY_VERIFY(boxes->allAnswered());
    QTRY_COMPARE(responder.initializations, errorCode.isEmpty() ? 1 : 0);
    QCOMPARE(TestEnvironment::takeQuitRequest(), !errorCode.isEmpty());
    QVERIFY(!visibleSettingsWindow());
}

QTEST_MAIN(TestProxyConfigurator)
#include "tst_proxyconfigurator.moc"
