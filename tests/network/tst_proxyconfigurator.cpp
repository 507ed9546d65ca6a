#include "network/networksettingswindow.h"
#include "network/networktesthelpers.h"
#include "network/proxycredentialwindow.h"
#include "support/testenvironment.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProgressDialog>
#include <QSettings>
#include <QTest>

using namespace Corvane;
using namespace Corvane::Test;
using Kind = ProxyProcess::Kind;

namespace {
const QString localhost = QStringLiteral("127.0.0.1");
const QString systemType = QStringLiteral("system");

/// What the user does in the proxy credential window.
enum class Typed { Nothing, Remembered, NotRemembered, WindowClosed };
enum class Outcome { Starts, SettingsWindow, Quits };
}

Q_DECLARE_METATYPE(Kind)
Q_DECLARE_METATYPE(Typed)
Q_DECLARE_METATYPE(Outcome)

class TestProxyConfigurator final : public ConfiguratorTest {
    Q_OBJECT

private slots:
    void checkPassesThroughProxy_data();
    void checkPassesThroughProxy();
    void checkEndsAsTheNetworkAllows_data();
    void checkEndsAsTheNetworkAllows();
    void hangingServerIsAbortedAfterAboutTenSeconds();
    void closingLastWindowAfterProxySignInEndsProgram();
};

void TestProxyConfigurator::checkPassesThroughProxy_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("source");
    QTest::addColumn<bool>("stored");
    QTest::addColumn<Typed>("typed");

    const QString ini = QStringLiteral("config.ini");
    QTest::newRow("http") << Kind::Http << ini << false << Typed::Nothing;
    QTest::newRow("http, stored credentials") << Kind::Http << ini << true << Typed::Nothing;
    QTest::newRow("http, keys in lower case")
        << Kind::Http << QStringLiteral("lower case") << true << Typed::Nothing;
    QTest::newRow("http from the earlier release's serial.dat")
        << Kind::Http << QStringLiteral("serial.dat") << true << Typed::Nothing;
    QTest::newRow("system proxy replacing stale keys")
        << Kind::Http << QStringLiteral("stale keys") << false << Typed::Nothing;
    QTest::newRow("socks5") << Kind::Socks5 << ini << false << Typed::Nothing;
    QTest::newRow("socks5, stored credentials") << Kind::Socks5 << ini << true << Typed::Nothing;
    QTest::newRow("http, typed and remembered") << Kind::Http << ini << false << Typed::Remembered;
    QTest::newRow("http, typed") << Kind::Http << ini << false << Typed::NotRemembered;
    QTest::newRow("http, window closed") << Kind::Http << ini << false << Typed::WindowClosed;
    QTest::newRow("socks5, typed and remembered")
        << Kind::Socks5 << ini << false << Typed::Remembered;
    QTest::newRow("system proxy found, typed: nowhere to remember")
        << Kind::Http << systemType << false << Typed::Remembered;
}

void TestProxyConfigurator::checkPassesThroughProxy()
{
    // Fault: the stored, imported or system proxy, or the stored or typed credentials, are not
    // what the check goes through; a proxy asking for credentials is not asked through the
    // window; credentials are stored when they must not be, or other proxy keys than the ones in
    // force are left; closing the window lets the start-up go on; "config.ini" is readable by
    // others.
    QFETCH(Kind, kind);
    QFETCH(QString, source);
    QFETCH(bool, stored);
    QFETCH(Typed, typed);

    ProxyProcess proxy;
    const bool authenticated = stored || typed != Typed::Nothing;
    QVERIFY(proxy.start(kind, authenticated ? proxyUser : QString(), proxyPassword));
    const QString type = kind == Kind::Http ? QStringLiteral("http") : QStringLiteral("socks5");
    const QString storedUser = stored ? proxyUser : QString();
    QVariantMap network = networkKeys(type, localhost, proxy.port(),
        stored || typed == Typed::Remembered ? proxyUser : QString(), proxyPassword);
    if (source == QLatin1String("serial.dat")) {
        QSettings legacy(QStringLiteral("serial.dat"), QSettings::IniFormat);
        legacy.setValue(QStringLiteral("CorvaneWin/ProxyServer"), localhost);
        legacy.setValue(QStringLiteral("CorvaneWin/ProxyPort"), proxy.port());
        legacy.setValue(QStringLiteral("CorvaneWin/ProxyUsername"), proxyUser);
        legacy.setValue(QStringLiteral("CorvaneWin/ProxyPassword"), proxyPassword);
    } else if (source == systemType || source == QLatin1String("stale keys")) {
        setSystemProxy(proxy.port());
        if (source != systemType)
            writeConfig(networkKeys(systemType, QStringLiteral("vecchio.proxy.example")));
        network = networkKeys(systemType);
    } else {
        QVariantMap keys = networkKeys(type, localhost, proxy.port(), storedUser, proxyPassword);
        if (source == QLatin1String("lower case")) {
            network.clear();
            for (auto it = keys.constBegin(); it != keys.constEnd(); ++it)
                network.insert(it.key().toLower(), it.value());
            keys = network;
        }
        writeConfig(keys);
    }
    if (typed == Typed::WindowClosed) {
        boxes->expect(QStringLiteral("Autenticazione Proxy necessaria"),
            QStringLiteral("richiede l'autenticazione"), QMessageBox::Ok,
            MessageBoxAnswerer::Match::Contains);
    } else if (typed != Typed::Nothing) {
        credentialAnswer = typed == Typed::Remembered;
    }

    configurator->start();

    if (typed == Typed::WindowClosed) {
        QTRY_VERIFY(boxes->allAnswered());
        QVERIFY(TestEnvironment::takeQuitRequest());
        QCOMPARE(initializations, 0);
    } else {
        QTRY_COMPARE(initializations, 1);
        QTRY_VERIFY(proxy.log().contains(QStringLiteral("127.0.0.1:%1").arg(server->port())));
    }
    QCOMPARE(credentialPrompts.size(), typed == Typed::Nothing ? 0 : 1);
    if (!credentialPrompts.isEmpty()) {
        const CredentialPrompt prompt = credentialPrompts.first();
        QCOMPARE(prompt.title, QStringLiteral("Connetti  a 127.0.0.1"));
        const QString description
            = QStringLiteral("Il server proxy all'indirizzo 127.0.0.1:%1 richiede "
                             "l'autenticazione tramite username e password.")
                  .arg(proxy.port());
        QCOMPARE(prompt.description,
            source == systemType
                ? QStringLiteral("Configurazione proxy rilevata nel sistema.\n") + description
                : description);
        QCOMPARE(prompt.rememberEnabled, source != systemType);
    }
    QCOMPARE(configGroup(QStringLiteral("Network")), network);
    QVERIFY(!loggedText().contains(proxyPassword));
    // The file may hold the proxy password: it is the owner's alone.
    QCOMPARE(QFile::permissions(QStringLiteral("config.ini"))
            & (QFileDevice::ReadGroup | QFileDevice::ReadOther),
        QFileDevice::Permissions());
}

void TestProxyConfigurator::checkEndsAsTheNetworkAllows_data()
{
    QTest::addColumn<QString>("serverUrl");
    QTest::addColumn<QVariantMap>("config");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("boxTitle");
    QTest::addColumn<QString>("boxText");
    QTest::addColumn<Outcome>("outcome");

    const QString serverError = QStringLiteral("Errore durante la connessione al server");
    QTest::newRow("200, nothing configured")
        << QString() << QVariantMap() << 200 << QString() << QString() << Outcome::Starts;
    QTest::newRow("403, the server refusing a GET")
        << QString() << QVariantMap() << 403 << QString() << QString() << Outcome::Starts;
    QTest::newRow("500") << QString() << QVariantMap() << 500 << serverError
                         << QStringLiteral("\nCODE: 401") << Outcome::Quits;
    QTest::newRow("self-signed certificate")
        << QStringLiteral("self-signed") << QVariantMap() << 200 << QStringLiteral("Errore SSL/TLS")
        << QStringLiteral("self-signed") << Outcome::Quits;
    QTest::newRow("unresolvable server host")
        << QStringLiteral("https://tessaro.invalid") << QVariantMap() << 200 << QString()
        << QString() << Outcome::SettingsWindow;
    for (const QString& type : { QStringLiteral("http"), QStringLiteral("socks5") }) {
        QTest::addRow("%s proxy not listening", qPrintable(type))
            << QString() << networkKeys(type, localhost, ProxyProcess::freePort()) << 200
            << QString() << QString() << Outcome::SettingsWindow;
    }
    QTest::newRow("system without a system proxy")
        << QString() << networkKeys(systemType) << 200 << QStringLiteral("Proxy di sistema")
        << QStringLiteral("Nessuna configurazione proxy di sistema trovata.\nProcedi con la "
                          "configurazione manuale del proxy o contatta l'amministratore di "
                          "sistema.")
        << Outcome::SettingsWindow;
}

void TestProxyConfigurator::checkEndsAsTheNetworkAllows()
{
    // Fault: a server that answers is taken for a broken connection; a broken network, a server
    // error or an untrusted certificate lets the start-up go on, or does not lead to the settings
    // or to an error box and the end; the progress dialog stays up; or proxy keys get written.
    QFETCH(QString, serverUrl);
    QFETCH(QVariantMap, config);
    QFETCH(int, status);
    QFETCH(QString, boxTitle);
    QFETCH(QString, boxText);
    QFETCH(Outcome, outcome);

    if (serverUrl == QLatin1String("self-signed")) {
        server = std::make_unique<TestServer>(TestServer::Mode::SelfSignedHttps);
        serverUrl = server->baseUrl();
    }
    if (!serverUrl.isEmpty())
        createConfigurator(serverUrl);
    ScriptedReply reply;
    reply.status = status;
    reply.body = "<risposta/>";
    server->setReply(QStringLiteral("/"), reply);
    writeConfig(config);
    if (!boxTitle.isEmpty())
        boxes->expect(boxTitle, boxText, QMessageBox::Ok, MessageBoxAnswerer::Match::Contains);

    configurator->start();

    auto* progress = visibleTopLevel<QProgressDialog>();
    QVERIFY(progress);
    QCOMPARE(progress->windowTitle(), QStringLiteral("Corvane - Controllo connessione"));
    QTRY_VERIFY(boxes->allAnswered());
    QTRY_COMPARE(
        visibleTopLevel<NetworkSettingsWindow>() != nullptr, outcome == Outcome::SettingsWindow);
    QTRY_COMPARE(initializations, outcome == Outcome::Starts ? 1 : 0);
    QTRY_VERIFY(!progress->isVisible());
    QCOMPARE(TestEnvironment::takeQuitRequest(), outcome == Outcome::Quits);
    QCOMPARE(configGroup(QStringLiteral("Network")), config);
}

void TestProxyConfigurator::hangingServerIsAbortedAfterAboutTenSeconds()
{
    // Fault: a server that never answers holds the start-up for ever, is given up too early, or
    // the progress dialog stands still meanwhile.
    ScriptedReply silent;
    silent.delayMs = 60000;
    server->setReply(QStringLiteral("/"), silent);
    QElapsedTimer elapsed;
    elapsed.start();

    configurator->start();

    auto* progress = visibleTopLevel<QProgressDialog>();
    QVERIFY(progress);
    QTRY_VERIFY_WITH_TIMEOUT(progress->value() >= 3, 5000);
    QVERIFY(progress->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(visibleTopLevel<NetworkSettingsWindow>(), 20000);
    QVERIFY2(elapsed.elapsed() >= 8000 && elapsed.elapsed() <= 15000,
        qPrintable(QString::number(elapsed.elapsed())));
    QVERIFY(!progress->isVisible());
    QCOMPARE(initializations, 0);
}

namespace {
const char* lastWindowChild = "--last-window-child";

/// The flow manager of the child process: once the check has passed, it opens a window and the
/// user closes it, which must end the program.
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

/// Child process: a check through a proxy that asks for credentials, typed in the credential
/// window, then a real event loop that must end when the last window closes.
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
        window->findChild<QLineEdit*>(QStringLiteral("username"))->setText(proxyUser);
        window->findChild<QLineEdit*>(QStringLiteral("password"))->setText(proxyPassword);
        window->accept();
    });
    typing.start(20);
    configurator.start();
    return QApplication::exec();
}
}

void TestProxyConfigurator::closingLastWindowAfterProxySignInEndsProgram()
{
    // Fault: after the proxy credential window the program no longer ends when its last window
    // closes: an invisible process stays and blocks the next start.
    ProxyProcess proxy;
    QVERIFY(proxy.start(Kind::Http, proxyUser, proxyPassword));
    writeConfig(networkKeys(QStringLiteral("http"), localhost, proxy.port()));
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(),
        { QLatin1String(lastWindowChild), server->baseUrl() });
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
    QVERIFY(proxy.log().contains(QStringLiteral("127.0.0.1:%1").arg(server->port())));
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
