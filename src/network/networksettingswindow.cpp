#include "network/networksettingswindow.h"

#include "network/networkhelpwindow.h"
#include "network/proxyconfigurator.h"
#include "ui_networksettingswindow.h"

#include <QButtonGroup>
#include <QMessageBox>

namespace Corvane {

NetworkSettingsWindow::NetworkSettingsWindow(ProxyConfigurator* proxyConfigurator,
    QNetworkProxy::ProxyType type, const QString& hostName, quint16 port, const QString& username,
    const QString& password, bool systemProxy, QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::NetworkSettingsWindow>())
    , proxyConfigurator(proxyConfigurator)
    , proxyTypeGroup(new QButtonGroup(this))
    , type(type)
    , hostName(hostName)
    , port(port)
    , username(username)
    , password(password)
    , systemProxy(systemProxy)
{
    ui->setupUi(this);
    setWindowFlags(Qt::WindowTitleHint | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint);
    setFixedSize(490, 320);

    proxyTypeGroup->setExclusive(true);
    proxyTypeGroup->addButton(ui->noProxy);
    proxyTypeGroup->addButton(ui->systemProxy);
    proxyTypeGroup->addButton(ui->manualProxy);
    connect(proxyTypeGroup, qOverload<QAbstractButton*>(&QButtonGroup::buttonClicked), this,
        &NetworkSettingsWindow::onProxyTypeSelected);
    // A choice made without a click (a screen reader's toggle, the arrow keys) counts the same.
    connect(proxyTypeGroup, qOverload<QAbstractButton*, bool>(&QButtonGroup::buttonToggled), this,
        [this](QAbstractButton* button, bool checked) {
            if (checked)
                onProxyTypeSelected(button);
        });
    connect(ui->authenticatedProxy, &QCheckBox::toggled, this,
        &NetworkSettingsWindow::onAuthenticatedProxyToggled);
    connect(ui->saveButton, &QPushButton::clicked, this, &NetworkSettingsWindow::accept);
    connect(ui->helpButton, &QPushButton::clicked, this, &NetworkSettingsWindow::showHelp);
    connect(ui->pushButton, &QPushButton::clicked, this, &NetworkSettingsWindow::reject);

    initControls();
}

NetworkSettingsWindow::~NetworkSettingsWindow() = default;

void NetworkSettingsWindow::initControls()
{
    // Presetting the stored choice is no choice of the user's.
    const QSignalBlocker blocker(proxyTypeGroup);
    const bool manual = type == QNetworkProxy::HttpProxy || type == QNetworkProxy::Socks5Proxy;
    ui->authenticatedProxy->setChecked(false);
    ui->username->clear();
    ui->password->clear();
    ui->proxyHostname->clear();
    ui->proxyPort->setValue(0);
    if (manual) {
        ui->manualProxy->setChecked(true);
        ui->proxyHostname->setText(hostName);
        ui->proxyPort->setValue(port);
        if (type == QNetworkProxy::HttpProxy)
            ui->httpProxyType->setChecked(true);
        else
            ui->socksProxyType->setChecked(true);
        if (!username.isEmpty()) {
            ui->authenticatedProxy->setChecked(true);
            ui->username->setText(username);
            ui->password->setText(password);
        }
        setFocus();
    }
    if (type == QNetworkProxy::NoProxy)
        ui->noProxy->setChecked(true);
    if (systemProxy)
        ui->systemProxy->setChecked(true);

    // The controls follow the checked choice, whether it was clicked or preset here.
    onAuthenticatedProxyToggled(ui->authenticatedProxy->isChecked());
    setManualControlsEnabled(proxyTypeGroup->checkedButton() == ui->manualProxy);
}

void NetworkSettingsWindow::showWindow(bool firstConfiguration)
{
    if (firstConfiguration)
        type = QNetworkProxy::HttpProxy;
    // Each opening shows what is stored: nothing typed and then cancelled or left disabled (a
    // user name after a save without authentication) comes back.
    initControls();
    open();
}

void NetworkSettingsWindow::setManualControlsEnabled(bool enabled)
{
    ui->proxyHostname->setEnabled(enabled);
    ui->proxyHostnameLabel->setEnabled(enabled);
    ui->proxyPort->setEnabled(enabled);
    ui->proxyPortLabel->setEnabled(enabled);
    ui->authenticatedProxy->setEnabled(enabled);
    ui->proxyProtocol->setEnabled(enabled);
    ui->httpProxyType->setEnabled(enabled);
}

void NetworkSettingsWindow::onProxyTypeSelected(QAbstractButton* button)
{
    const bool manual = button == ui->manualProxy;
    setManualControlsEnabled(manual);
    ui->authenticatedProxy->setChecked(manual);
    // A manual proxy always has a protocol: from a stored "no proxy" none would be ticked.
    if (manual && !ui->httpProxyType->isChecked() && !ui->socksProxyType->isChecked())
        ui->httpProxyType->setChecked(true);
}

void NetworkSettingsWindow::onAuthenticatedProxyToggled(bool checked)
{
    ui->username->setEnabled(checked);
    ui->usernameLabel->setEnabled(checked);
    ui->password->setEnabled(checked);
    ui->passwordLabel->setEnabled(checked);
}

bool NetworkSettingsWindow::validateForm()
{
    // The kept values change only when the whole form is valid: a form refused half-way and then
    // cancelled must not leave the next opening with half of the user's typing.
    if (ui->noProxy->isChecked()) {
        keep(QNetworkProxy::NoProxy, {}, 0, {}, {}, false);
        return true;
    }
    if (ui->systemProxy->isChecked()) {
        keep(type, {}, 0, {}, {}, true);
        return true;
    }
    if (!ui->manualProxy->isChecked()) {
        keep(type, {}, 0, {}, {}, false);
        return true;
    }

    // The protocol shown is the one saved; choosing the manual set-up always ticks one.
    const QNetworkProxy::ProxyType manualType
        = ui->socksProxyType->isChecked() ? QNetworkProxy::Socks5Proxy : QNetworkProxy::HttpProxy;

    if (ui->proxyHostname->text().isEmpty()) {
        QMessageBox::warning(this, QStringLiteral("Campo Hostname non valido"),
            QStringLiteral("Inserisci un nome host valido per il server proxy."), QMessageBox::Ok);
        return false;
    }
    const QString newHostName = ui->proxyHostname->text();
    const auto newPort = static_cast<quint16>(ui->proxyPort->value());

    if (!ui->authenticatedProxy->isChecked()) {
        keep(manualType, newHostName, newPort, {}, {}, false);
        return true;
    }
    if (ui->username->text().isEmpty()) {
        QMessageBox::warning(this, QStringLiteral("Campo Username vuoto"),
            QStringLiteral("Inserisci un username valido per l'autenticazione al proxy."),
            QMessageBox::Ok);
        return false;
    }
    if (ui->password->text().isEmpty()) {
        QMessageBox::warning(this, QStringLiteral("Campo Password vuoto"),
            QStringLiteral("Inserisci una password valida per l'autenticazione al proxy."),
            QMessageBox::Ok);
        return false;
    }
    keep(manualType, newHostName, newPort, ui->username->text(), ui->password->text(), false);
    return true;
}

void NetworkSettingsWindow::keep(QNetworkProxy::ProxyType newType, const QString& newHostName,
    quint16 newPort, const QString& newUsername, const QString& newPassword, bool newSystemProxy)
{
    type = newType;
    hostName = newHostName;
    port = newPort;
    username = newUsername;
    password = newPassword;
    systemProxy = newSystemProxy;
}

void NetworkSettingsWindow::accept()
{
    if (!validateForm())
        return;
    proxyConfigurator->saveProxySettings();
    QDialog::accept();
}

void NetworkSettingsWindow::showHelp()
{
    NetworkHelpWindow help(proxyConfigurator->getServerUrl(), this);
    help.exec();
}

}
