#pragma once

#include "network/initializeresponderinterfaces.h"
#include "network/networkmanager.h"
#include "network/proxyconfigurator.h"
#include "support/messageboxanswerer.h"
#include "support/testserver.h"

#include <QApplication>
#include <QProcess>
#include <QTemporaryFile>
#include <QTimer>
#include <QVariantMap>

#include <memory>
#include <optional>

namespace Corvane::Test {

inline const QString proxyUser = QStringLiteral("garante");
inline const QString proxyPassword = QStringLiteral("Segreto-Proxy-42");

/// Base of the configurator tests: a fresh folder, a developer key, no proxy variables, the
/// scripted server; the clean-up fails on an unexpected box or a lost developer key.
class ConfiguratorTest : public QObject, public Interface::ApplicationInitializeResponderInterface {
    Q_OBJECT
public:
    ~ConfiguratorTest() override;
    void initializeApplication() override { ++initializations; }

private slots:
    void initTestCase();
    void init();
    void cleanup();

protected:
    struct CredentialPrompt {
        QString title;
        QString description;
        bool rememberEnabled = false;
    };

    void createConfigurator(const QString& serverUrl);
    /// Every log line of the test so far.
    static QString loggedText();
    /// A port on 127.0.0.1 that refuses every connection: it stays bound for the whole run, so
    /// no other program can start listening on it meanwhile.
    quint16 closedPort() const { return refusingPort; }

    std::unique_ptr<TestServer> server;
    std::unique_ptr<NetworkManager> networkManager;
    std::unique_ptr<ProxyConfigurator> configurator;
    std::unique_ptr<MessageBoxAnswerer> boxes;
    /// Set: the credential window gets proxyUser and proxyPassword, "Memorizza password" if true.
    std::optional<bool> credentialAnswer;
    QList<CredentialPrompt> credentialPrompts;
    int initializations = 0;

private:
    void answerCredentialWindow();

    QTimer credentialTimer;
    int refusingSocket = -1;
    quint16 refusingPort = 0;
};

/// A real proxy on 127.0.0.1 (tinyproxy, microsocks), demanding the credentials when given.
class ProxyProcess final {
public:
    enum class Kind { Http, Socks5 };

    ~ProxyProcess();
    /// Starts the proxy and waits until it accepts connections.
    bool start(Kind kind, const QString& username = {}, const QString& password = {});
    quint16 port() const { return listenPort; }
    /// What the proxy printed so far; it names each server it connects to.
    QString log();

private:
    static quint16 freePort();

    quint16 listenPort = 0;
    QTemporaryFile config;
    QProcess process;
    QByteArray output;
};

/// The first visible top-level widget of the type, or null.
template <typename T> T* visibleTopLevel()
{
    const auto widgets = QApplication::topLevelWidgets();
    for (QWidget* widget : widgets) {
        if (auto* found = qobject_cast<T*>(widget); found && found->isVisible())
            return found;
    }
    return nullptr;
}

/// The "Network" keys of a proxy as "config.ini" holds them; empty values are left out.
QVariantMap networkKeys(const QString& type, const QString& host = {}, quint16 port = 0,
    const QString& username = {}, const QString& password = {});
/// Writes the values, keys with their group, into "config.ini" of the working directory.
void writeConfig(const QVariantMap& values);
/// The keys, with their group, and values of a group of "config.ini", whatever its case.
QVariantMap configGroup(const QString& group);
/// Makes the system proxy an HTTP proxy on 127.0.0.1 and the port.
void setSystemProxy(quint16 port);

}
