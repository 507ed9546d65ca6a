#pragma once

#include <QDialog>
#include <QNetworkProxy>
#include <QString>

#include <memory>

class QAbstractButton;
class QButtonGroup;

namespace Corvane {

class ProxyConfigurator;

namespace Ui {
    class NetworkSettingsWindow;
}

/// Edits the proxy choice: none, the system's, or a manual HTTP or SOCKS 5 proxy with optional
/// credentials. Keeps the values it was opened with and refreshes them from the form when it is
/// accepted; the proxy configurator then reads them and stores them. Created once by the proxy
/// configurator, owned by it and reused.
class NetworkSettingsWindow final : public QDialog {
    Q_OBJECT
public:
    NetworkSettingsWindow(ProxyConfigurator* proxyConfigurator, QNetworkProxy::ProxyType type,
        const QString& hostName, quint16 port, const QString& username, const QString& password,
        bool systemProxy, QWidget* parent = nullptr);
    ~NetworkSettingsWindow() override;

    /// Fills the controls from the kept values.
    void initControls();
    /// Opens the window; a first configuration proposes a manual HTTP proxy.
    void showWindow(bool firstConfiguration);

    QNetworkProxy::ProxyType getProxyType() const { return type; }
    QString getHostName() const { return hostName; }
    quint16 getPort() const { return port; }
    QString getUsername() const { return username; }
    QString getPassword() const { return password; }
    bool isSystemProxy() const { return systemProxy; }

public slots:
    void accept() override;

private slots:
    void onProxyTypeSelected(QAbstractButton* button);
    void onAuthenticatedProxyToggled(bool checked);
    void showHelp();

private:
    bool validateForm();
    void keep(QNetworkProxy::ProxyType newType, const QString& newHostName, quint16 newPort,
        const QString& newUsername, const QString& newPassword, bool newSystemProxy);
    void setManualControlsEnabled(bool enabled);

    std::unique_ptr<Ui::NetworkSettingsWindow> ui;
    ProxyConfigurator* proxyConfigurator;
    QButtonGroup* proxyTypeGroup;
    QNetworkProxy::ProxyType type;
    QString hostName;
    quint16 port;
    QString username;
    QString password;
    bool systemProxy;
};

}
