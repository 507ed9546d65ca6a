#include "network/networksettingswindow.h"
#include "network/networktesthelpers.h"
#include "network/proxycredentialwindow.h"
#include "support/datarows.h"
#include "support/testenvironment.h"

#include <QDialog>
#include <QLineEdit>
#include <QProgressDialog>
#include <QtTest>

using namespace Corvane;
using namespace Corvane::Test;

namespace {
const QString localhost = "127.0.0.1";
}

class TestProxyConfigurator final : public ConfiguratorTest {
    Q_OBJECT

private slots:
    void checkPassesThroughProxy_data();
    void checkPassesThroughProxy();
    void checkEndsAsTheNetworkAllows_data();
    void checkEndsAsTheNetworkAllows();
    void closingLastWindowAfterProxySignInEndsProgram();
};

void TestProxyConfigurator::checkPassesThroughProxy_data()
{
    // credentials the proxy asks for: "stored", "remembered", "typed" or the window "closed".
    addRows({ "type", "source", "credentials" },
        { { "http, keys in lower case", "http", "lower case", "stored" },
            { "http from the earlier release's serial.dat", "http", "serial.dat", "stored" },
            { "system proxy replacing stale keys", "http", "stale keys", "" },
            { "socks5", "socks5", "config.ini", "" },
            { "socks5, stored credentials", "socks5", "config.ini", "stored" },
            { "http, typed and remembered", "http", "config.ini", "remembered" },
            { "http, typed", "http", "config.ini", "typed" },
            { "http, window closed", "http", "config.ini", "closed" },
            { "socks5, typed and remembered", "socks5", "config.ini", "remembered" },
            { "system proxy found, typed: nowhere to remember", "http", "system", "remembered" } });
}

void TestProxyConfigurator::checkPassesThroughProxy()
{
    // Fault: the check bypasses the stored, imported or system proxy; credentials are not asked,
    // stored wrongly, or a closed window goes on; stale keys stay; "config.ini" is readable.
    QFETCH(QString, type);
    QFETCH(QString, source);
    QFETCH(QString, credentials);
    const bool stored = credentials == "stored";
    const bool typed = !stored && !credentials.isEmpty();

    ProxyProcess proxy;
    QVERIFY(proxy.start(type == "http" ? ProxyProcess::Kind::Http : ProxyProcess::Kind::Socks5,
        credentials.isEmpty() ? QString() : proxyUser, proxyPassword));
    QVariantMap network = networkKeys(type, localhost, proxy.port(),
        stored || credentials == "remembered" ? proxyUser : QString(), proxyPassword);
    if (source == "serial.dat") {
        QSettings legacy("serial.dat", QSettings::IniFormat);
        legacy.setValue("CorvaneWin/ProxyServer", localhost);
        legacy.setValue("CorvaneWin/ProxyPort", proxy.port());
        legacy.setValue("CorvaneWin/ProxyUsername", proxyUser);
        legacy.setValue("CorvaneWin/ProxyPassword", proxyPassword);
    } else if (source == "system" || source == "stale keys") {
        setSystemProxy(proxy.port());
        if (source != "system")
            writeConfig(networkKeys("system", "vecchio.proxy.example"));
        network = networkKeys("system");
    } else {
        QVariantMap keys = networkKeys(
            type, localhost, proxy.port(), stored ? proxyUser : QString(), proxyPassword);
        if (source == "lower case") {
            network.clear();
            for (auto it = keys.constBegin(); it != keys.constEnd(); ++it)
                network.insert(it.key().toLower(), it.value());
            keys = network;
        }
        writeConfig(keys);
    }
    if (credentials == "closed")
        boxes->expect("Autenticazione Proxy necessaria",
            "Il proxy utilizzato per la connessione di rete richiede l'autenticazione tramite "
            "username e password.\nSe non possiedi le credenziali contatta il tuo amministratore "
            "di rete.",
            QMessageBox::Ok);
    else if (typed)
        credentialAnswer = credentials == "remembered";

    configurator->start();

    if (credentials == "closed") {
        QTRY_VERIFY(boxes->allAnswered());
        QVERIFY(TestEnvironment::takeQuitRequest());
        QCOMPARE(initializations, 0);
    } else {
        QTRY_COMPARE(initializations, 1);
        QTRY_VERIFY(proxy.log().contains(QString("127.0.0.1:%1").arg(server->port())));
    }
    QCOMPARE(credentialPrompts.size(), typed ? 1 : 0);
    if (typed) {
        const CredentialPrompt prompt = credentialPrompts.first();
        QCOMPARE(prompt.title, QString("Connetti  a 127.0.0.1"));
        const QString description = QString("Il server proxy all'indirizzo 127.0.0.1:%1 richiede "
                                            "l'autenticazione tramite username e password.")
                                        .arg(proxy.port());
        QCOMPARE(prompt.description,
            source == "system" ? "Configurazione proxy rilevata nel sistema.\n" + description
                               : description);
        QCOMPARE(prompt.rememberEnabled, source != "system");
    }
    QCOMPARE(configGroup("Network"), network);
    QVERIFY(!loggedText().contains(proxyPassword));
    QCOMPARE(QFile::permissions("config.ini") & (QFileDevice::ReadGroup | QFileDevice::ReadOther),
        QFileDevice::Permissions());
}

void TestProxyConfigurator::checkEndsAsTheNetworkAllows_data()
{
    const char* serverError = "Errore durante la connessione al server";
    const char* noSystemProxy = "Nessuna configurazione proxy di sistema trovata.\nProcedi con la "
                                "configurazione manuale del proxy o contatta l'amministratore di "
                                "sistema.";
    // proxy: a stored one not listening; outcome: the start-up "starts", "settings" or "quits".
    addRows({ "serverUrl", "proxy", "status", "title", "text", "outcome" },
        { { "403, the server refusing a GET", "", "", "403", "", "", "starts" },
            { "500", "", "", "500", serverError, "\nCODE: 401", "quits" },
            { "self-signed certificate", "self-signed", "", "200", "Errore SSL/TLS", "self-signed",
                "quits" },
            { "unresolvable server host", "https://tessaro.invalid", "", "200", "", "",
                "settings" },
            { "http proxy not listening", "", "http", "200", "", "", "settings" },
            { "socks5 proxy not listening", "", "socks5", "200", "", "", "settings" },
            { "system without a system proxy", "", "system", "200", "Proxy di sistema",
                noSystemProxy, "settings" },
            { "server never answering", "", "", "silent", "", "", "settings" } });
}

void TestProxyConfigurator::checkEndsAsTheNetworkAllows()
{
    // Fault: a start-up ending otherwise than the network allows, a silent server waited for too
    // long or too short, the progress dialog stuck, or proxy keys written.
    QFETCH(QString, serverUrl);
    QFETCH(QString, proxy);
    QFETCH(QString, status);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(QString, outcome);
    if (serverUrl == "self-signed") {
        server = std::make_unique<TestServer>(TestServer::Mode::SelfSignedHttps);
        serverUrl = server->baseUrl();
    }
    if (!serverUrl.isEmpty())
        createConfigurator(serverUrl);
    ScriptedReply reply;
    reply.status = status == "silent" ? 200 : status.toInt();
    reply.body = "<risposta/>";
    reply.delayMs = status == "silent" ? 60000 : 0;
    server->setReply("/", reply);
    QVariantMap config = proxy.isEmpty() ? QVariantMap() : networkKeys(proxy);
    if (proxy == "http" || proxy == "socks5")
        config = networkKeys(proxy, localhost, closedPort());
    writeConfig(config);
    if (!title.isEmpty())
        boxes->expect(title, text, QMessageBox::Ok, MessageBoxAnswerer::Match::Contains);

    QElapsedTimer elapsed;
    elapsed.start();

    configurator->start();

    auto* progress = visibleTopLevel<QProgressDialog>();
    QVERIFY(progress);
    QCOMPARE(progress->windowTitle(), QString("Corvane - Controllo connessione"));
    if (status == "silent") {
        QTRY_VERIFY_WITH_TIMEOUT(progress->value() >= 3, 5000);
        QVERIFY(progress->isVisible());
    }
    QTRY_VERIFY(boxes->allAnswered());
    QTRY_COMPARE_WITH_TIMEOUT(
        visibleTopLevel<NetworkSettingsWindow>() != nullptr, outcome == "settings", 20000);
    // About ten seconds for a server that never answers.
    QVERIFY2(status != "silent" || (elapsed.elapsed() >= 8000 && elapsed.elapsed() <= 15000),
        qPrintable(QString::number(elapsed.elapsed())));
    QTRY_COMPARE(initializations, outcome == "starts" ? 1 : 0);
    QTRY_VERIFY(!progress->isVisible());
    QCOMPARE(TestEnvironment::takeQuitRequest(), outcome == "quits");
    QCOMPARE(configGroup("Network"), config);
    // A TLS failure is logged as such, and not a second time as a transfer error.
    QCOMPARE(loggedText().contains("SSL error:"), title == "Errore SSL/TLS");
    QVERIFY(title != "Errore SSL/TLS" || !loggedText().contains("Network error catched"));
}

namespace {
const char* lastWindowChild = "--last-window-child";

/// The child's flow manager: once the check has passed, it opens a window the user closes.
class LastWindowFlow final : public QObject,
                             public Interface::ApplicationInitializeResponderInterface {
public:
    void initializeApplication() override
    {
        auto* window = new QDialog;
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->show();
        QTimer::singleShot(100, window, &QDialog::accept);
    }
};

/// Child process: a check through a proxy signed in by the window, then a real event loop.
int runLastWindowChild(int argc, char* argv[])
{
    QApplication application(argc, argv);
    NetworkManager::addTrustedCaCertificates(TestEnvironment::caCertificatesPath());
    NetworkManager networkManager;
    LastWindowFlow flow;
    ProxyConfigurator configurator(&flow, &networkManager, QString::fromLocal8Bit(argv[2]));
    QTimer typing;
    QObject::connect(&typing, &QTimer::timeout, &application, [] {
        auto* window = qobject_cast<ProxyCredentialWindow*>(QApplication::activeModalWidget());
        if (!window || !window->isVisible())
            return;
        window->findChild<QLineEdit*>("username")->setText(proxyUser);
        window->findChild<QLineEdit*>("password")->setText(proxyPassword);
        window->accept();
    });
    typing.start(20);
    configurator.start();
    return QApplication::exec();
}
}

void TestProxyConfigurator::closingLastWindowAfterProxySignInEndsProgram()
{
    // Fault: after the proxy credential window, closing the last window leaves the process on.
    ProxyProcess proxy;
    QVERIFY(proxy.start(ProxyProcess::Kind::Http, proxyUser, proxyPassword));
    writeConfig(networkKeys("http", localhost, proxy.port()));
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(), { lastWindowChild, server->baseUrl() });
    QVERIFY(child.waitForStarted());

    const bool ended
        = QTest::qWaitFor([&child] { return child.state() == QProcess::NotRunning; }, 30000);
    if (!ended) {
        child.kill();
        child.waitForFinished();
    }
    QVERIFY2(ended, "the child process went on after its last window closed");
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    QVERIFY(proxy.log().contains(QString("127.0.0.1:%1").arg(server->port())));
}

int main(int argc, char* argv[])
{
    if (argc > 2 && qstrcmp(argv[1], lastWindowChild) == 0)
        return runLastWindowChild(argc, argv);
    QApplication application(argc, argv);
    TestProxyConfigurator test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_proxyconfigurator.moc"
