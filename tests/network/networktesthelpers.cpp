#include "network/networktesthelpers.h"

#include "network/proxycredentialwindow.h"
#include "support/testenvironment.h"
#include "ui/prompts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Corvane::Test {

namespace {
    QStringList logLines;
    QtMessageHandler previousHandler = nullptr;

    void captureMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        logLines.append(message);
        if (type != QtDebugMsg && type != QtInfoMsg && previousHandler)
            previousHandler(type, context, message);
    }

    void clearSystemProxy()
    {
        for (const char* name : { "http_proxy", "https_proxy", "all_proxy", "no_proxy",
                 "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY", "NO_PROXY" })
            qunsetenv(name);
    }
}

ConfiguratorTest::~ConfiguratorTest()
{
    if (refusingSocket >= 0)
        ::close(refusingSocket);
}

void ConfiguratorTest::initTestCase()
{
    QVERIFY(NetworkManager::addTrustedCaCertificates(TestEnvironment::caCertificatesPath()) > 0);
    previousHandler = qInstallMessageHandler(captureMessage);
    connect(&credentialTimer, &QTimer::timeout, this, &ConfiguratorTest::answerCredentialWindow);
    credentialTimer.start(20);
    // A plain socket without address reuse: the system never hands its port to anyone else, as
    // it might to a Qt socket, which asks for reuse.
    refusingSocket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    QVERIFY2(refusingSocket >= 0
            && ::bind(refusingSocket, reinterpret_cast<sockaddr*>(&address), length) == 0
            && ::getsockname(refusingSocket, reinterpret_cast<sockaddr*>(&address), &length) == 0,
        strerror(errno));
    refusingPort = ntohs(address.sin_port);
}

void ConfiguratorTest::init()
{
    TestEnvironment::enterTemporaryWorkingDirectory();
    clearSystemProxy();
    TestEnvironment::takeQuitRequest();
    logLines.clear();
    writeConfig({ { "Debug/Enable", "1" } });
    server = std::make_unique<TestServer>();
    server->setXmlReply("/", "<risposta/>");
    boxes = std::make_unique<MessageBoxAnswerer>();
    credentialAnswer.reset();
    credentialPrompts.clear();
    initializations = 0;
    createConfigurator(server->baseUrl());
}

void ConfiguratorTest::cleanup()
{
    configurator.reset();
    networkManager.reset();
    server.reset();
    clearSystemProxy();
    const QStringList failures = boxes->getFailures();
    boxes.reset();
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join('\n')));
    QVERIFY(!configGroup("Debug").isEmpty());
}

void ConfiguratorTest::createConfigurator(const QString& serverUrl)
{
    configurator.reset();
    networkManager = std::make_unique<NetworkManager>();
    // The boxes the program shows for a failure that ends it.
    connect(
        networkManager.get(), &NetworkManager::fatalErrorOccurred, this, &Prompt::showNetworkError);
    configurator = std::make_unique<ProxyConfigurator>(this, networkManager.get(), serverUrl);
}

QString ConfiguratorTest::loggedText() { return logLines.join('\n'); }

void ConfiguratorTest::answerCredentialWindow()
{
    auto* window = qobject_cast<ProxyCredentialWindow*>(QApplication::activeModalWidget());
    if (!window || !window->isVisible())
        return;
    auto* remember = window->findChild<QCheckBox*>("rememberPassword");
    credentialPrompts.append({ window->windowTitle(),
        window->findChild<QLabel*>("description")->text(), remember->isEnabled() });
    if (!credentialAnswer) {
        window->reject();
        return;
    }
    window->findChild<QLineEdit*>("username")->setText(proxyUser);
    window->findChild<QLineEdit*>("password")->setText(proxyPassword);
    // A click, as a user would: a disabled box stays unchecked.
    if (*credentialAnswer)
        remember->click();
    credentialAnswer.reset();
    window->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
}

ProxyProcess::~ProxyProcess()
{
    process.kill();
    process.waitForFinished(5000);
}

quint16 ProxyProcess::freePort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

bool ProxyProcess::start(Kind kind, const QString& username, const QString& password)
{
    listenPort = freePort();
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (kind == Kind::Socks5) {
        QStringList arguments { "-i", "127.0.0.1", "-p", QString::number(listenPort) };
        if (!username.isEmpty())
            arguments << "-u" << username << "-P" << password;
        process.start("microsocks", arguments);
    } else {
        // Without a log file tinyproxy logs to its output.
        QString text = QString("Port %1\nListen 127.0.0.1\nLogLevel Connect\n").arg(listenPort);
        if (!username.isEmpty())
            text += QString("BasicAuth %1 %2\n").arg(username, password);
        if (!config.open() || config.write(text.toUtf8()) < 0 || !config.flush())
            return false;
        process.start("tinyproxy", { "-d", "-c", config.fileName() });
    }
    const auto ready = [this] {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, listenPort);
        return process.state() != QProcess::Running || probe.waitForConnected(200);
    };
    return process.waitForStarted(5000) && QTest::qWaitFor(ready, 10000)
        && process.state() == QProcess::Running;
}

QString ProxyProcess::log()
{
    output += process.readAll();
    return QString::fromUtf8(output);
}

QVariantMap networkKeys(const QString& type, const QString& host, quint16 port,
    const QString& username, const QString& password)
{
    QVariantMap keys { { "Network/ProxyType", type } };
    if (!host.isEmpty())
        keys.insert("Network/ProxyHostName", host);
    if (port != 0)
        keys.insert("Network/ProxyPort", QString::number(port));
    if (!username.isEmpty()) {
        keys.insert("Network/ProxyUsername", username);
        keys.insert("Network/ProxyPassword", password);
    }
    return keys;
}

void writeConfig(const QVariantMap& values)
{
    QSettings settings("config.ini", QSettings::IniFormat);
    for (auto it = values.constBegin(); it != values.constEnd(); ++it)
        settings.setValue(it.key(), it.value());
}

QVariantMap configGroup(const QString& group)
{
    const QSettings settings("config.ini", QSettings::IniFormat);
    QVariantMap values;
    for (const QString& key : settings.allKeys()) {
        if (key.section('/', 0, 0).compare(group, Qt::CaseInsensitive) == 0)
            values.insert(key, settings.value(key));
    }
    return values;
}

void setSystemProxy(quint16 port)
{
    qputenv("https_proxy", QString("http://127.0.0.1:%1").arg(port).toUtf8());
}

}
