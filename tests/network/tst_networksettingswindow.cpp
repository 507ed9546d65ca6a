#include "network/networkhelpwindow.h"
#include "network/networkmanager.h"
#include "network/networksettingswindow.h"
#include "network/networktesthelpers.h"
#include "network/proxyconfigurator.h"
#include "network/proxyprocess.h"
#include "support/messageboxanswerer.h"
#include "support/testenvironment.h"
#include "support/testserver.h"

#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include <memory>

using namespace Corvane;
using namespace Corvane::Test;

namespace {
/// Marks the port of the proxy the test starts, unknown when the table is written.
constexpr int runningProxyPort = -1;
}

class TestNetworkSettingsWindow final : public ConfiguratorTest {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void firstConfigurationProposesManualHttp();
    void storedProxyFillsTheForm_data();
    void storedProxyFillsTheForm();
    void proxyChoiceDrivesTheControls();
    void invalidFormWarnsAndKeepsConfiguration_data();
    void invalidFormWarnsAndKeepsConfiguration();
    void savedChoiceIsStoredAndChecked_data();
    void savedChoiceIsStoredAndChecked();
    void cancelLeavesConfigurationUntouched();
    void helpTextReachesClipboard();

private:
    /// Starts the configurator with what "config.ini" holds and waits for its first check.
    void startConfigurator();
    NetworkSettingsWindow* openWindow();
    template <typename T> T* control(const char* name) const
    {
        T* found = configurator->getSettingsWindow()->findChild<T*>(QLatin1String(name));
        if (!found)
            qFatal("control %s not found", name);
        return found;
    }
};

void TestNetworkSettingsWindow::initTestCase()
{
    QVERIFY(NetworkManager::addTrustedCaCertificates(TestEnvironment::caCertificatesPath()) > 0);
}

void TestNetworkSettingsWindow::init()
{
    setUpConfiguratorTest();
    createConfigurator(server->baseUrl());
}

void TestNetworkSettingsWindow::cleanup() { tearDownConfiguratorTest(); }

void TestNetworkSettingsWindow::startConfigurator()
{
    configurator->start();
    QTRY_VERIFY(responder.initializations == 1 || configurator->getSettingsWindow()->isVisible());
}

NetworkSettingsWindow* TestNetworkSettingsWindow::openWindow()
{
    configurator->openNetworkSettingsWindow();
    NetworkSettingsWindow* window = configurator->getSettingsWindow();
    if (!QTest::qWaitForWindowExposed(window))
        qFatal("the settings window did not show");
    return window;
}

void TestNetworkSettingsWindow::firstConfigurationProposesManualHttp()
{
    // Fault: before any proxy is stored the window proposes nothing, or a manual proxy whose
    // fields cannot be edited.
    openWindow();

    QVERIFY(control<QRadioButton>("manualProxy")->isChecked());
    QVERIFY(control<QRadioButton>("httpProxyType")->isChecked());
    QVERIFY(control<QLineEdit>("proxyHostname")->isEnabled());
    QVERIFY(control<QSpinBox>("proxyPort")->isEnabled());
    QVERIFY(control<QCheckBox>("authenticatedProxy")->isEnabled());
    QVERIFY(!control<QCheckBox>("authenticatedProxy")->isChecked());
    QVERIFY(!control<QLineEdit>("username")->isEnabled());
}

void TestNetworkSettingsWindow::storedProxyFillsTheForm_data()
{
    QTest::addColumn<QVariantMap>("config");
    QTest::addColumn<bool>("systemProxy");
    QTest::addColumn<QString>("checkedChoice");
    QTest::addColumn<QString>("checkedProtocol");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("username");

    QTest::newRow("socks5 with credentials")
        << QVariantMap { { QStringLiteral("Network/ProxyType"), QStringLiteral("socks5") },
               { QStringLiteral("Network/ProxyHostName"), QStringLiteral("127.0.0.1") },
               { QStringLiteral("Network/ProxyPort"), 1 },
               { QStringLiteral("Network/ProxyUsername"), QStringLiteral("garante") },
               { QStringLiteral("Network/ProxyPassword"), QStringLiteral("segreto") } }
        << false << QStringLiteral("manualProxy") << QStringLiteral("socksProxyType")
        << QStringLiteral("127.0.0.1") << 1 << QStringLiteral("garante");
    QTest::newRow("http without credentials")
        << QVariantMap { { QStringLiteral("Network/ProxyType"), QStringLiteral("http") },
               { QStringLiteral("Network/ProxyHostName"), QStringLiteral("127.0.0.1") },
               { QStringLiteral("Network/ProxyPort"), 1 } }
        << false << QStringLiteral("manualProxy") << QStringLiteral("httpProxyType")
        << QStringLiteral("127.0.0.1") << 1 << QString();
    QTest::newRow("no proxy") << QVariantMap { { QStringLiteral("Network/ProxyType"),
        QStringLiteral("noProxy") } }
                              << false << QStringLiteral("noProxy") << QString() << QString() << 0
                              << QString();
    QTest::newRow("system proxy") << QVariantMap { { QStringLiteral("Network/ProxyType"),
        QStringLiteral("system") } }
                                  << true << QStringLiteral("systemProxy") << QString() << QString()
                                  << 0 << QString();
}

void TestNetworkSettingsWindow::storedProxyFillsTheForm()
{
    // Fault: the window opens on another choice than the one in force, or with the manual
    // fields locked while the manual choice is checked.
    QFETCH(QVariantMap, config);
    QFETCH(bool, systemProxy);
    QFETCH(QString, checkedChoice);
    QFETCH(QString, checkedProtocol);
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(QString, username);

    writeConfig(config);
    if (systemProxy) {
        qputenv("https_proxy",
            QStringLiteral("http://127.0.0.1:%1").arg(ProxyProcess::freePort()).toUtf8());
    }
    startConfigurator();
    openWindow();

    const QByteArray choice = checkedChoice.toLatin1();
    QVERIFY(control<QRadioButton>(choice.constData())->isChecked());
    const bool manual = checkedChoice == QLatin1String("manualProxy");
    QCOMPARE(control<QLineEdit>("proxyHostname")->isEnabled(), manual);
    QCOMPARE(control<QSpinBox>("proxyPort")->isEnabled(), manual);
    QCOMPARE(control<QCheckBox>("authenticatedProxy")->isEnabled(), manual);
    if (manual) {
        const QByteArray protocol = checkedProtocol.toLatin1();
        QVERIFY(control<QRadioButton>(protocol.constData())->isChecked());
        QCOMPARE(control<QLineEdit>("proxyHostname")->text(), host);
        QCOMPARE(control<QSpinBox>("proxyPort")->value(), port);
    }
    QCOMPARE(control<QCheckBox>("authenticatedProxy")->isChecked(), !username.isEmpty());
    QCOMPARE(control<QLineEdit>("username")->isEnabled(), !username.isEmpty());
    QCOMPARE(control<QLineEdit>("username")->text(), username);
}

void TestNetworkSettingsWindow::proxyChoiceDrivesTheControls()
{
    // Fault: leaving the manual choice keeps authentication on, or coming back to it does not
    // ask for credentials.
    writeConfig({ { QStringLiteral("Network/ProxyType"), QStringLiteral("noProxy") } });
    startConfigurator();
    openWindow();
    auto* authenticated = control<QCheckBox>("authenticatedProxy");

    control<QRadioButton>("manualProxy")->click();
    QVERIFY(authenticated->isChecked());
    QVERIFY(authenticated->isEnabled());
    QVERIFY(control<QLineEdit>("proxyHostname")->isEnabled());
    QVERIFY(control<QLineEdit>("username")->isEnabled());
    QVERIFY(control<QLineEdit>("password")->isEnabled());

    control<QRadioButton>("systemProxy")->click();
    QVERIFY(!authenticated->isChecked());
    QVERIFY(!authenticated->isEnabled());
    QVERIFY(!control<QLineEdit>("proxyHostname")->isEnabled());
    QVERIFY(!control<QLineEdit>("username")->isEnabled());

    control<QRadioButton>("manualProxy")->click();
    authenticated->click();
    QVERIFY(!control<QLineEdit>("username")->isEnabled());
    QVERIFY(!control<QLineEdit>("password")->isEnabled());
}

void TestNetworkSettingsWindow::invalidFormWarnsAndKeepsConfiguration_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("username");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");

    QTest::newRow("empty host") << QString() << QStringLiteral("garante")
                                << QStringLiteral("segreto")
                                << QStringLiteral("Campo Hostname non valido")
                                << QStringLiteral(
                                       "Inserisci un nome host valido per il server proxy.");
    QTest::newRow("empty username")
        << QStringLiteral("proxy.interno") << QString() << QStringLiteral("segreto")
        << QStringLiteral("Campo Username vuoto")
        << QStringLiteral("Inserisci un username valido per l'autenticazione al proxy.");
    QTest::newRow("empty password")
        << QStringLiteral("proxy.interno") << QStringLiteral("garante") << QString()
        << QStringLiteral("Campo Password vuoto")
        << QStringLiteral("Inserisci una password valida per l'autenticazione al proxy.");
}

void TestNetworkSettingsWindow::invalidFormWarnsAndKeepsConfiguration()
{
    // Fault: an incomplete manual proxy is stored, or the window closes and loses the input.
    QFETCH(QString, host);
    QFETCH(QString, username);
    QFETCH(QString, password);
    QFETCH(QString, title);
    QFETCH(QString, text);

    NetworkSettingsWindow* window = openWindow();
    control<QRadioButton>("manualProxy")->click();
    control<QLineEdit>("proxyHostname")->setText(host);
    control<QLineEdit>("username")->setText(username);
    control<QLineEdit>("password")->setText(password);
    boxes->expect(title, text, QMessageBox::Ok);

    control<QPushButton>("saveButton")->click();

    QVERIFY(boxes->allAnswered());
    QVERIFY(window->isVisible());
    QCOMPARE(control<QLineEdit>("proxyHostname")->text(), host);
    QCOMPARE(control<QLineEdit>("username")->text(), username);
    QVERIFY(configGroup(QStringLiteral("Network")).isEmpty());
    QCOMPARE(server->requestCount(), 0);
}

void TestNetworkSettingsWindow::savedChoiceIsStoredAndChecked_data()
{
    QTest::addColumn<QVariantMap>("config");
    QTest::addColumn<bool>("systemProxy");
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QString>("protocol");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("username");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QVariantMap>("expected");
    QTest::addColumn<bool>("checkPasses");

    const QVariantMap manualWithCredentials = {
        { QStringLiteral("Debug/Enable"), 1 },
        { QStringLiteral("Network/ProxyType"), QStringLiteral("http") },
        { QStringLiteral("Network/ProxyHostName"), QStringLiteral("127.0.0.1") },
        { QStringLiteral("Network/ProxyPort"), 1 },
        { QStringLiteral("Network/ProxyUsername"), QStringLiteral("garante") },
        { QStringLiteral("Network/ProxyPassword"), QStringLiteral("segreto") },
    };
    QTest::newRow("no proxy drops host, port and credentials")
        << manualWithCredentials << false << QStringLiteral("noProxy") << QString() << QString()
        << 0 << QString() << QString()
        << QVariantMap { { QStringLiteral("ProxyType"), QStringLiteral("noProxy") } } << true;
    QTest::newRow("manual http without authentication and port")
        << QVariantMap() << false << QStringLiteral("manualProxy")
        << QStringLiteral("httpProxyType") << QStringLiteral("proxy.invalid") << 0 << QString()
        << QString()
        << QVariantMap { { QStringLiteral("ProxyType"), QStringLiteral("http") },
               { QStringLiteral("ProxyHostName"), QStringLiteral("proxy.invalid") } }
        << false;
    QTest::newRow("manual socks5 with credentials on the highest port")
        << QVariantMap() << false << QStringLiteral("manualProxy")
        << QStringLiteral("socksProxyType") << QStringLiteral("proxy.invalid") << 65535
        << QStringLiteral("garante") << QStringLiteral("segreto")
        << QVariantMap { { QStringLiteral("ProxyType"), QStringLiteral("socks5") },
               { QStringLiteral("ProxyHostName"), QStringLiteral("proxy.invalid") },
               { QStringLiteral("ProxyPort"), QStringLiteral("65535") },
               { QStringLiteral("ProxyUsername"), QStringLiteral("garante") },
               { QStringLiteral("ProxyPassword"), QStringLiteral("segreto") } }
        << false;
    QTest::newRow("system after no proxy")
        << QVariantMap { { QStringLiteral("Network/ProxyType"), QStringLiteral("noProxy") } }
        << true << QStringLiteral("systemProxy") << QString() << QString() << 0 << QString()
        << QString() << QVariantMap { { QStringLiteral("ProxyType"), QStringLiteral("system") } }
        << true;
    QTest::newRow("manual after system")
        << QVariantMap { { QStringLiteral("Network/ProxyType"), QStringLiteral("system") } } << true
        << QStringLiteral("manualProxy") << QStringLiteral("httpProxyType")
        << QStringLiteral("127.0.0.1") << runningProxyPort << QString() << QString()
        << QVariantMap { { QStringLiteral("ProxyType"), QStringLiteral("http") },
               { QStringLiteral("ProxyHostName"), QStringLiteral("127.0.0.1") },
               { QStringLiteral("ProxyPort"), runningProxyPort } }
        << true;
}

void TestNetworkSettingsWindow::savedChoiceIsStoredAndChecked()
{
    // Fault: saving stores another choice than the one made, leaves keys of an earlier choice,
    // or does not run the connection check again with the new settings.
    QFETCH(QVariantMap, config);
    QFETCH(bool, systemProxy);
    QFETCH(QString, choice);
    QFETCH(QString, protocol);
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(QString, username);
    QFETCH(QString, password);
    QFETCH(QVariantMap, expected);
    QFETCH(bool, checkPasses);

    ProxyProcess proxy(ProxyProcess::Kind::Http);
    QVERIFY(proxy.start());
    if (systemProxy)
        qputenv("https_proxy", QStringLiteral("http://127.0.0.1:%1").arg(proxy.port()).toUtf8());
    if (port == runningProxyPort) {
        port = proxy.port();
        expected.insert(QStringLiteral("ProxyPort"), QString::number(port));
    }
    writeConfig(config);
    startConfigurator();
    NetworkSettingsWindow* window = openWindow();
    const int initializationsBefore = responder.initializations;
    const int requestsBefore = server->requestCount();

    control<QRadioButton>(choice.toLatin1().constData())->click();
    if (!protocol.isEmpty()) {
        control<QRadioButton>(protocol.toLatin1().constData())->click();
        control<QLineEdit>("proxyHostname")->setText(host);
        control<QSpinBox>("proxyPort")->setValue(port);
        if (username.isEmpty())
            control<QCheckBox>("authenticatedProxy")->setChecked(false);
        control<QLineEdit>("username")->setText(username);
        control<QLineEdit>("password")->setText(password);
    }
    control<QPushButton>("saveButton")->click();

    QVERIFY(!window->isVisible());
    QCOMPARE(configGroup(QStringLiteral("Network")), expected);
    QCOMPARE(configGroup(QStringLiteral("Debug")).isEmpty(),
        !config.contains(QStringLiteral("Debug/Enable")));
    if (checkPasses) {
        QTRY_COMPARE(responder.initializations, initializationsBefore + 1);
        QCOMPARE(server->requestCount(), requestsBefore + 1);
    } else {
        // The new check fails on the proxy just stored and leads back to the window.
        QTRY_VERIFY(window->isVisible());
        QCOMPARE(responder.initializations, initializationsBefore);
    }
}

void TestNetworkSettingsWindow::cancelLeavesConfigurationUntouched()
{
    // Fault: "Cancella" stores what was typed or runs the check again.
    writeConfig({ { QStringLiteral("Network/ProxyType"), QStringLiteral("noProxy") } });
    startConfigurator();
    NetworkSettingsWindow* window = openWindow();
    const int requestsBefore = server->requestCount();

    control<QRadioButton>("manualProxy")->click();
    control<QLineEdit>("proxyHostname")->setText(QStringLiteral("proxy.interno"));
    control<QPushButton>("pushButton")->click();

    QVERIFY(!window->isVisible());
    const QVariantMap expected = { { QStringLiteral("ProxyType"), QStringLiteral("noProxy") } };
    QCOMPARE(configGroup(QStringLiteral("Network")), expected);
    QVERIFY(!visibleTopLevel<QProgressDialog>());
    QCOMPARE(server->requestCount(), requestsBefore);
    QCOMPARE(responder.initializations, 1);
}

void TestNetworkSettingsWindow::helpTextReachesClipboard()
{
    // Fault: the help text names another server than the configured one, or does not reach
    // the clipboard whole.
    openWindow();
    QGuiApplication::clipboard()->clear();
    QString shownTitle;
    QTimer answerer;
    answerer.setInterval(20);
    connect(&answerer, &QTimer::timeout, this, [&shownTitle] {
        auto* help = qobject_cast<NetworkHelpWindow*>(QApplication::activeModalWidget());
        if (!help || !help->isVisible())
            return;
        shownTitle = help->windowTitle();
        help->findChild<QPushButton*>(QStringLiteral("saveAndClose"))->click();
    });
    answerer.start();

    control<QPushButton>("helpButton")->click();

    QCOMPARE(shownTitle, QStringLiteral("Aiuto configurazione di rete"));
    const QString expected
        = QStringLiteral("Gentile utente,\n\nPer poter abilitare Corvane alla fruizione dei dati "
                         "è necessario che l'applicativo possa raggiungere il sito internet con "
                         "questi parametri:\n\nURL: 127.0.0.1\nPorta: %1\nProtocollo: HTTPS\n\n"
                         "Vi invitiamo a fornire queste informazioni al responsabile della vostra "
                         "rete.\n")
              .arg(server->port());
    QCOMPARE(QGuiApplication::clipboard()->text(), expected);
    QVERIFY(!configurator->getSettingsWindow()->findChild<NetworkHelpWindow*>());
}

QTEST_MAIN(TestNetworkSettingsWindow)
#include "tst_networksettingswindow.moc"
