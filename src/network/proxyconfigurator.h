#pragma once

#include <QNetworkProxy>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class QAuthenticator;
class QNetworkReply;
class QProgressDialog;
class QSettings;
class QTimer;

namespace Corvane {

class NetworkManager;
class NetworkSettingsWindow;

namespace Interface {
    class ApplicationInitializeResponderInterface;
}

/// Decides how the client reaches the server (directly, through the system proxy or through a
/// manual HTTP or SOCKS 5 proxy), keeps that choice in the "Network" group of "config.ini",
/// applies it to the shared network manager, answers proxy authentication requests and runs the
/// start-up connection check that gates the whole application flow. Created without a parent by
/// the flow manager on first use and kept for the life of the process.
class ProxyConfigurator final : public QObject {
    Q_OBJECT
public:
    ProxyConfigurator(Interface::ApplicationInitializeResponderInterface* responder,
        NetworkManager* networkManager, const QString& serverUrl);
    ~ProxyConfigurator() override;

    /// Loads and applies the stored proxy, then checks the connection to the server.
    void start();
    /// Stores what the settings window holds and runs the check again with it.
    void saveProxySettings();

    QString getServerUrl() const { return serverUrl; }
    /// The settings window, created on first use with the proxy in force.
    NetworkSettingsWindow* getSettingsWindow();

public slots:
    void openNetworkSettingsWindow();

private slots:
    void onNetworkChecked();
    void updateProgressDialog();
    void onCloseProgressDialog();
    void onProxyAuthenticationRequired(const QNetworkProxy& proxy, QAuthenticator* authenticator);

private:
    void loadProxyConfiguration();
    /// Writes the pending settings to "config.ini", which it keeps the owner's alone.
    void syncSettings();
    bool importLegacySettings();
    bool useSystemProxy();
    void applyProxy();
    void checkConnection();
    QProgressDialog* getProgressDialog();
    /// Shows the progress of a running check and (re)starts its timeout.
    void showCheckProgress();
    /// The stored value of a "Network" key, whatever the case of the group and key names.
    QVariant networkValue(const QString& key) const;
    bool hasNetworkValue(const QString& key) const;
    /// Removes every key of the "Network" group, whatever the case of its name.
    void clearNetworkGroup();

    Interface::ApplicationInitializeResponderInterface* responder;
    NetworkManager* networkManager;
    QString serverUrl;
    std::unique_ptr<QSettings> settings;
    QNetworkProxy proxy;
    std::unique_ptr<NetworkSettingsWindow> settingsWindow;
    QPointer<QNetworkReply> checkReply;
    std::unique_ptr<QTimer> checkTimer;
    QPointer<QProgressDialog> progressDialog;
    bool usingSystemProxy = false;
};

}
