#include "network/proxyconfigurator.h"

#include "core/logging.h"
#include "core/ownerfile.h"
#include "network/initializeresponderinterfaces.h"
#include "network/networkmanager.h"
#include "network/networksettingswindow.h"
#include "network/proxycredentialwindow.h"

#include <QApplication>
#include <QAuthenticator>
#include <QMessageBox>
#include <QMetaEnum>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProgressDialog>
#include <QSettings>
#include <QTimer>
#include <QUrl>

namespace Corvane {

namespace {
    const QString networkGroup = QStringLiteral("Network");
    const QString typeKey = QStringLiteral("ProxyType");
    const QString hostKey = QStringLiteral("ProxyHostName");
    const QString portKey = QStringLiteral("ProxyPort");
    const QString userKey = QStringLiteral("ProxyUsername");
    const QString passwordKey = QStringLiteral("ProxyPassword");
    constexpr int checkSteps = 10;

    QString key(const QString& name) { return networkGroup + QLatin1Char('/') + name; }
}

ProxyConfigurator::ProxyConfigurator(Interface::ApplicationInitializeResponderInterface* responder,
    NetworkManager* networkManager, const QString& serverUrl)
    : responder(responder)
    , networkManager(networkManager)
    , serverUrl(serverUrl)
    , settings(std::make_unique<QSettings>(QStringLiteral("config.ini"), QSettings::IniFormat))
    , checkTimer(std::make_unique<QTimer>())
{
    checkTimer->setInterval(1000);
    checkTimer->setTimerType(Qt::VeryCoarseTimer);
    connect(checkTimer.get(), &QTimer::timeout, this, &ProxyConfigurator::updateProgressDialog);
    connect(networkManager, &QNetworkAccessManager::proxyAuthenticationRequired, this,
        &ProxyConfigurator::onProxyAuthenticationRequired);
    connect(networkManager, &NetworkManager::proxyErrorDetected, this,
        &ProxyConfigurator::openNetworkSettingsWindow);
}

ProxyConfigurator::~ProxyConfigurator()
{
    checkTimer->stop();
    if (checkReply)
        disconnect(checkReply, nullptr, this, nullptr);
    // The dialog may be a child of the settings window; it goes first either way.
    delete progressDialog;
}

void ProxyConfigurator::syncSettings()
{
    // The group may hold the proxy password: the file is the owner's alone before anything is
    // written to it.
    restrictToOwner(settings->fileName());
    settings->sync();
}

void ProxyConfigurator::start()
{
    loadProxyConfiguration();
    applyProxy();
    checkConnection();
}

void ProxyConfigurator::loadProxyConfiguration()
{
    usingSystemProxy = false;
    syncSettings();

    if (!hasNetworkValue(typeKey)) {
        if (!importLegacySettings()) {
            if (useSystemProxy())
                return;
            qCDebug(corvaneLog) << "No config.ini settings and no system proxy configuration "
                                   "found. CorVANE will not use any proxy for network connection.";
            proxy.setType(QNetworkProxy::NoProxy);
            return;
        }
    }

    const QString type = networkValue(typeKey).toString();
    if (type == QLatin1String("system")) {
        if (!useSystemProxy()) {
            QMessageBox::warning(QApplication::activeWindow(), QStringLiteral("Proxy di sistema"),
                QStringLiteral("Nessuna configurazione proxy di sistema trovata.\nProcedi con la "
                               "configurazione manuale del proxy o contatta l'amministratore di "
                               "sistema."),
                QMessageBox::Ok);
            proxy.setType(QNetworkProxy::HttpProxy);
        }
        return;
    }
    if (type == QLatin1String("noProxy")) {
        proxy.setType(QNetworkProxy::NoProxy);
        return;
    }
    if (type == QLatin1String("http"))
        proxy.setType(QNetworkProxy::HttpProxy);
    else if (type == QLatin1String("socks5"))
        proxy.setType(QNetworkProxy::Socks5Proxy);

    proxy.setHostName(networkValue(hostKey).toString());
    bool numeric = false;
    const int port = networkValue(portKey).toInt(&numeric);
    proxy.setPort(numeric && port >= 0 && port <= 65535 ? static_cast<quint16>(port) : 0);
    proxy.setUser(networkValue(userKey).toString());
    proxy.setPassword(networkValue(passwordKey).toString());
    qCDebug(corvaneLog) << "Updated current proxy configuration from config.ini: " << proxy;
}

bool ProxyConfigurator::importLegacySettings()
{
    const QSettings legacy(QStringLiteral("serial.dat"), QSettings::IniFormat);
    const QString legacyServer = QStringLiteral("CorvaneWin/ProxyServer");
    if (!legacy.contains(legacyServer))
        return false;

    qCDebug(corvaneLog) << "Legacy serial.dat proxy configuration found.";
    qCDebug(corvaneLog) << "Importing legacy proxy server...";
    settings->setValue(key(typeKey), QStringLiteral("http"));
    settings->setValue(key(hostKey), legacy.value(legacyServer));
    const QList<QPair<QString, QString>> copied = {
        { QStringLiteral("CorvaneWin/ProxyPort"), portKey },
        { QStringLiteral("CorvaneWin/ProxyUsername"), userKey },
        { QStringLiteral("CorvaneWin/ProxyPassword"), passwordKey },
    };
    // A key the old release never wrote is not invented here.
    for (const auto& [from, to] : copied) {
        if (legacy.contains(from))
            settings->setValue(key(to), legacy.value(from));
    }
    syncSettings();
    return true;
}

bool ProxyConfigurator::useSystemProxy()
{
    const QList<QNetworkProxy> proxies
        = QNetworkProxyFactory::systemProxyForQuery(QNetworkProxyQuery(QUrl(serverUrl)));
    if (proxies.isEmpty() || proxies.first().type() == QNetworkProxy::NoProxy)
        return false;

    proxy = proxies.first();
    usingSystemProxy = true;
    // Only the proxy choice is rewritten: the developer keys of the file stay.
    clearNetworkGroup();
    settings->setValue(key(typeKey), QStringLiteral("system"));
    syncSettings();
    qCDebug(corvaneLog) << "Updated network configuration with system proxy settings: " << proxy;
    return true;
}

void ProxyConfigurator::applyProxy()
{
    networkManager->setProxy(proxy);
    qCDebug(corvaneLog) << "Updated NetworkAccessManager proxy:" << networkManager->proxy();
}

void ProxyConfigurator::checkConnection()
{
    if (checkReply) {
        // A check still running is replaced; its failure must not reach the user.
        disconnect(checkReply, nullptr, this, nullptr);
        disconnect(checkReply, &QNetworkReply::errorOccurred, networkManager,
            &NetworkManager::manageNetworkError);
        checkReply->abort();
        checkReply->deleteLater();
    }

    qCDebug(corvaneLog) << "Checking network availability with URL" << serverUrl;
    QNetworkRequest request { QUrl(serverUrl) };
    request.setHeader(
        QNetworkRequest::ContentTypeHeader, QStringLiteral("application/x-www-form-urlencoded"));
    checkReply = networkManager->get(request);
    connect(checkReply, &QNetworkReply::finished, this, &ProxyConfigurator::onNetworkChecked);
    connect(checkReply, &QNetworkReply::errorOccurred, networkManager,
        &NetworkManager::manageNetworkError);
    connect(networkManager, &NetworkManager::closeProgressDialog, this,
        &ProxyConfigurator::onCloseProgressDialog, Qt::UniqueConnection);
    showCheckProgress();
}

void ProxyConfigurator::showCheckProgress()
{
    QProgressDialog* dialog = getProgressDialog();
    dialog->setValue(1);
    checkTimer->start();
    dialog->open();
}

QProgressDialog* ProxyConfigurator::getProgressDialog()
{
    if (!progressDialog) {
        progressDialog = new QProgressDialog(
            QStringLiteral("Attendi, la verifica della connessione è in corso.\nQuesta operazione "
                           "potrebbe richiedere qualche secondo."),
            QString(), 0, checkSteps, settingsWindow.get(),
            Qt::WindowTitleHint | Qt::CustomizeWindowHint);
        progressDialog->setWindowTitle(QStringLiteral("Corvane - Controllo connessione"));
        progressDialog->setWindowModality(Qt::WindowModal);
        progressDialog->setCancelButton(nullptr);
        progressDialog->reset();
    }
    return progressDialog;
}

void ProxyConfigurator::updateProgressDialog()
{
    qCDebug(corvaneLog) << "updateProgressDialog"
                        << "SLOT triggered in " << metaObject()->className();
    QProgressDialog* dialog = getProgressDialog();
    const int value = dialog->value();
    if (value < dialog->maximum() && value != -1) {
        // Restarted first: a modal setValue processes events, and the check may end inside it.
        checkTimer->start();
        dialog->setValue(value + 1);
        return;
    }
    qCDebug(corvaneLog) << "Network timeout reached";
    checkTimer->stop();
    if (checkReply)
        checkReply->abort();
}

void ProxyConfigurator::onNetworkChecked()
{
    qCDebug(corvaneLog) << "onNetworkChecked"
                        << "SLOT triggered in" << metaObject()->className();
    QNetworkReply* reply = checkReply;
    if (!reply)
        return;
    checkReply = nullptr;
    disconnect(reply, &QNetworkReply::finished, this, &ProxyConfigurator::onNetworkChecked);
    disconnect(
        reply, &QNetworkReply::errorOccurred, networkManager, &NetworkManager::manageNetworkError);
    checkTimer->stop();
    getProgressDialog()->setValue(checkSteps);

    // A 403 is the server's own answer (its commands are POSTs): the connection works.
    if (reply->error() == QNetworkReply::NoError
        || reply->error() == QNetworkReply::ContentAccessDenied) {
        reply->deleteLater();
        if (responder)
            responder->initializeApplication();
        else
            qCWarning(corvaneLog) << "Connection checked, but nobody is waiting to initialize";
        return;
    }
    qCDebug(corvaneLog) << "Network checking failed with error"
                        << QMetaEnum::fromType<QNetworkReply::NetworkError>().valueToKey(
                               reply->error())
                        << ":" << reply->errorString();
    reply->deleteLater();
}

void ProxyConfigurator::onCloseProgressDialog() { getProgressDialog()->cancel(); }

void ProxyConfigurator::onProxyAuthenticationRequired(
    const QNetworkProxy& requestingProxy, QAuthenticator* authenticator)
{
    const bool checking = checkTimer->isActive();
    checkTimer->stop();
    getProgressDialog()->setValue(checkSteps);
    qCDebug(corvaneLog) << "onProxyAuthenticationRequired"
                        << "SLOT triggered" << metaObject()->className();
    // Between the progress dialog and the credential window no window may be open: closing the
    // credential window must not end the program. The setting comes back afterwards, or closing
    // the last window later would leave an invisible process behind.
    const bool quitOnLastWindowClosed = QApplication::quitOnLastWindowClosed();
    QApplication::setQuitOnLastWindowClosed(false);

    ProxyCredentialWindow window(!usingSystemProxy, QApplication::activeWindow());
    window.setWindowTitle(
        QStringLiteral("%1%2").arg(window.windowTitle(), requestingProxy.hostName()));
    QString description = QStringLiteral("Il server proxy all'indirizzo %1:%2 richiede "
                                         "l'autenticazione tramite username e password.")
                              .arg(requestingProxy.hostName())
                              .arg(requestingProxy.port());
    if (usingSystemProxy)
        description.prepend(QStringLiteral("Configurazione proxy rilevata nel sistema.\n"));
    window.setDescription(description);

    if (window.exec() == QDialog::Accepted) {
        authenticator->setUser(window.getUsername());
        authenticator->setPassword(window.getPassword());
        if (window.isRememberPasswordChecked() && !usingSystemProxy) {
            settings->setValue(key(userKey), authenticator->user());
            settings->setValue(key(passwordKey), authenticator->password());
            syncSettings();
        }
    }
    QApplication::setQuitOnLastWindowClosed(quitOnLastWindowClosed);

    // The check goes on with the credentials; it keeps its progress and its timeout.
    if (checking && checkReply && checkReply->isRunning())
        showCheckProgress();
}

NetworkSettingsWindow* ProxyConfigurator::getSettingsWindow()
{
    if (!settingsWindow) {
        settingsWindow = std::make_unique<NetworkSettingsWindow>(this, proxy.type(),
            proxy.hostName(), proxy.port(), proxy.user(), proxy.password(), usingSystemProxy);
        settingsWindow->setWindowModality(Qt::ApplicationModal);
    }
    return settingsWindow.get();
}

void ProxyConfigurator::openNetworkSettingsWindow()
{
    qCDebug(corvaneLog) << "openNetworkSettingsWindow"
                        << "SLOT triggered in" << metaObject()->className();
    NetworkSettingsWindow* window = getSettingsWindow();
    if (window->isVisible()) {
        // Several failures may report at once; what the user is typing stays.
        window->activateWindow();
        return;
    }
    syncSettings();
    window->showWindow(!hasNetworkValue(typeKey));
}

void ProxyConfigurator::saveProxySettings()
{
    NetworkSettingsWindow* window = getSettingsWindow();
    qCDebug(corvaneLog) << "Updating config.ini an current proxy from"
                        << window->metaObject()->className();

    clearNetworkGroup();
    settings->beginGroup(networkGroup);
    if (window->isSystemProxy()) {
        settings->setValue(typeKey, QStringLiteral("system"));
    } else {
        switch (window->getProxyType()) {
        case QNetworkProxy::NoProxy:
            settings->setValue(typeKey, QStringLiteral("noProxy"));
            break;
        case QNetworkProxy::HttpProxy:
            settings->setValue(typeKey, QStringLiteral("http"));
            break;
        case QNetworkProxy::Socks5Proxy:
            settings->setValue(typeKey, QStringLiteral("socks5"));
            break;
        default:
            break;
        }
    }
    if (!window->getHostName().isEmpty())
        settings->setValue(hostKey, window->getHostName());
    if (window->getPort() != 0)
        settings->setValue(portKey, window->getPort());
    if (!window->getUsername().isEmpty()) {
        settings->setValue(userKey, window->getUsername());
        settings->setValue(passwordKey, window->getPassword());
    }
    settings->endGroup();
    syncSettings();

    // Hidden rather than closed: closing a dialog rejects it, and the window is being accepted.
    window->hide();
    start();
}

QVariant ProxyConfigurator::networkValue(const QString& name) const
{
    const QStringList groups = settings->childGroups();
    for (const QString& group : groups) {
        if (group.compare(networkGroup, Qt::CaseInsensitive) != 0)
            continue;
        settings->beginGroup(group);
        const QStringList names = settings->childKeys();
        settings->endGroup();
        for (const QString& candidate : names) {
            if (candidate.compare(name, Qt::CaseInsensitive) == 0)
                return settings->value(group + QLatin1Char('/') + candidate);
        }
    }
    return {};
}

bool ProxyConfigurator::hasNetworkValue(const QString& name) const
{
    return networkValue(name).isValid();
}

void ProxyConfigurator::clearNetworkGroup()
{
    const QStringList groups = settings->childGroups();
    for (const QString& group : groups) {
        if (group.compare(networkGroup, Qt::CaseInsensitive) == 0)
            settings->remove(group);
    }
}

}
