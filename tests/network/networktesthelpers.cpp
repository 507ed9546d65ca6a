#include "network/networktesthelpers.h"

#include "network/networkmanager.h"
#include "network/proxyconfigurator.h"
#include "network/proxycredentialwindow.h"
#include "support/testenvironment.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>

namespace Corvane::Test {

namespace {
    QStringList capturedLines;
    QtMessageHandler previousHandler = nullptr;

    void captureMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        capturedLines.append(message);
        if (type != QtDebugMsg && type != QtInfoMsg && previousHandler)
            previousHandler(type, context, message);
    }
}

void ConfiguratorTest::setUpConfiguratorTest()
{
    TestEnvironment::enterTemporaryWorkingDirectory();
    clearSystemProxyEnvironment();
    TestEnvironment::takeQuitRequest();
    server = std::make_unique<TestServer>();
    server->setXmlReply(QStringLiteral("/"), "<risposta/>");
    boxes = std::make_unique<MessageBoxAnswerer>();
    responder = RecordingResponder();
}

void ConfiguratorTest::tearDownConfiguratorTest()
{
    configurator.reset();
    networkManager.reset();
    server.reset();
    clearSystemProxyEnvironment();
    const QStringList failures = boxes->getFailures();
    boxes.reset();
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
}

void ConfiguratorTest::createConfigurator(const QString& serverUrl)
{
    networkManager = std::make_unique<NetworkManager>();
    configurator = std::make_unique<ProxyConfigurator>(&responder, networkManager.get(), serverUrl);
}

CredentialAnswerer::CredentialAnswerer(QObject* parent)
    : QObject(parent)
{
    timer.setInterval(20);
    connect(&timer, &QTimer::timeout, this, &CredentialAnswerer::poll);
    timer.start();
}

void CredentialAnswerer::poll()
{
    auto* window = qobject_cast<ProxyCredentialWindow*>(QApplication::activeModalWidget());
    if (!window || !window->isVisible())
        return;
    auto* remember = window->findChild<QCheckBox*>(QStringLiteral("rememberPassword"));
    prompts.append({ window->windowTitle(),
        window->findChild<QLabel*>(QStringLiteral("description"))->text(), remember->isEnabled() });
    if (answers.empty()) {
        window->reject();
        return;
    }
    const Answer answer = answers.front();
    answers.pop_front();
    window->findChild<QLineEdit*>(QStringLiteral("username"))->setText(answer.username);
    window->findChild<QLineEdit*>(QStringLiteral("password"))->setText(answer.password);
    // A click, as a user would: a disabled box stays unchecked.
    if (answer.remember)
        remember->click();
    window->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))
        ->button(QDialogButtonBox::Ok)
        ->click();
}

LogCapture::LogCapture()
{
    capturedLines.clear();
    previousHandler = qInstallMessageHandler(captureMessage);
}

LogCapture::~LogCapture() { qInstallMessageHandler(previousHandler); }

QString LogCapture::text() const { return capturedLines.join(QLatin1Char('\n')); }

void writeConfig(const QVariantMap& values)
{
    QSettings settings(QStringLiteral("config.ini"), QSettings::IniFormat);
    for (auto it = values.constBegin(); it != values.constEnd(); ++it)
        settings.setValue(it.key(), it.value());
    settings.sync();
}

QVariantMap configGroup(const QString& group)
{
    QSettings settings(QStringLiteral("config.ini"), QSettings::IniFormat);
    settings.beginGroup(group);
    QVariantMap values;
    const QStringList keys = settings.childKeys();
    for (const QString& key : keys)
        values.insert(key, settings.value(key));
    return values;
}

void clearSystemProxyEnvironment()
{
    for (const char* name : { "http_proxy", "https_proxy", "all_proxy", "no_proxy", "HTTP_PROXY",
             "HTTPS_PROXY", "ALL_PROXY", "NO_PROXY" })
        qunsetenv(name);
}

}
