#pragma once

#include <QObject>
#include <QString>

namespace Corvane {

class Account;
class CommandManager;
class Config;
class DevConfig;
class NetworkManager;
class ProxyConfigurator;

/// The flow manager: walks the user from start-up to the main window and back, keeps the
/// session records and the keychain entries, and is the program's factory: the network
/// manager, the command manager and every window and model are created on first use by its
/// getters and kept for the life of the process. Created once, without a parent, by the entry
/// point.
class ApplicationManager : public QObject {
    Q_OBJECT
public:
    explicit ApplicationManager(DevConfig* devConfig, QObject* parent = nullptr);
    ~ApplicationManager() override;

    NetworkManager* getNetworkManager();
    /// The proxy configurator; it reports a working connection to this manager.
    ProxyConfigurator* getProxyConfigurator();
    CommandManager* getCommandManager();
    /// The session's account; created empty on first use.
    Account* getAccount();

    QString getServerUrl() const { return serverUrl; }
    bool isDebugEnabled() const { return debugEnabled; }
    /// The label of the selected bank, empty before the bank choice.
    QString getBank() const;

    /// Reads a value of the service "corvane" from the system keychain; empty on any failure.
    QString readKey(const QString& key);
    /// Stores a value of the service "corvane" in the system keychain; failures are logged.
    void writeKey(const QString& key, const QString& value);

    /// Reacts to an authenticated reply that failed the session check.
    void manageResponse(CommandManager* commandManager);
    /// Shows the command manager's last generic error and lets the user quit.
    void showServerErrorDialog(CommandManager* commandManager);

private:
    DevConfig* devConfig;
    bool debugEnabled = false;
    QString serverUrl;
    QString tempPath;
    Config* config = nullptr;
    Account* account = nullptr;
    NetworkManager* networkManager = nullptr;
    ProxyConfigurator* proxyConfigurator = nullptr;
    CommandManager* commandManager = nullptr;
};

}
