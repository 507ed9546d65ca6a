#include "app/applicationmanager.h"

#include "app/account.h"
#include "app/config.h"
#include "app/devconfig.h"
#include "app/logging.h"
#include "app/logmessagehandler.h"
#include "network/networkmanager.h"
#include "network/proxyconfigurator.h"
#include "protocol/applicationinitializeresponderinterface.h"
#include "protocol/commandmanager.h"

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QStandardPaths>
#include <qt5keychain/keychain.h>

namespace Corvane {

namespace {
    const QString keychainService = QStringLiteral("corvane");
}

ApplicationManager::ApplicationManager(DevConfig* devConfig, QObject* parent)
    : QObject(parent)
    , devConfig(devConfig)
{
    qInstallMessageHandler(logMessageHandler);
    debugEnabled = devConfig->isDebugEnabled();
    serverUrl = devConfig->getServerUrl();
    tempPath = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    NetworkManager::addTrustedCaCertificates(devConfig->getCaCertificatesPath());
}

ApplicationManager::~ApplicationManager()
{
    delete commandManager;
    delete proxyConfigurator;
    delete networkManager;
    delete account;
    delete config;
}

NetworkManager* ApplicationManager::getNetworkManager()
{
    if (!networkManager)
        networkManager = new NetworkManager;
    return networkManager;
}

ProxyConfigurator* ApplicationManager::getProxyConfigurator()
{
    if (!proxyConfigurator) {
        // Null until this manager answers initializeApplication; the configurator then only logs.
        auto* responder = dynamic_cast<Interface::ApplicationInitializeResponderInterface*>(this);
        proxyConfigurator = new ProxyConfigurator(responder, getNetworkManager(), serverUrl);
    }
    return proxyConfigurator;
}

CommandManager* ApplicationManager::getCommandManager()
{
    if (!commandManager)
        commandManager = new CommandManager(getProxyConfigurator(), getNetworkManager(), this);
    return commandManager;
}

Account* ApplicationManager::getAccount()
{
    if (!account)
        account = new Account;
    return account;
}

QString ApplicationManager::getBank() const { return account ? account->getBank() : QString(); }

QString ApplicationManager::readKey(const QString& key)
{
    QKeychain::ReadPasswordJob job(keychainService);
    job.setAutoDelete(false);
    job.setKey(key);
    QEventLoop loop;
    connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec();
    if (job.error() != QKeychain::NoError) {
        qCDebug(corvaneLog) << "KeyHandler~Error reading decrypt Pass. Error: "
                            << job.errorString();
        return {};
    }
    return job.textData();
}

void ApplicationManager::writeKey(const QString& key, const QString& value)
{
    QKeychain::WritePasswordJob job(keychainService);
    job.setAutoDelete(false);
    job.setKey(key);
    job.setTextData(value);
    QEventLoop loop;
    connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec();
    if (job.error() != QKeychain::NoError)
        qCDebug(corvaneLog) << "KeyHandler~Error writing decrypt Pass. Error: "
                            << job.errorString();
}

void ApplicationManager::manageResponse(CommandManager* commandManager)
{
    const int resultId
        = commandManager->getDecodedReply().value(QStringLiteral("esito_id")).toInt();
    qCDebug(corvaneLog).noquote() << QString::asprintf("ManageResponse ResultID: %d", resultId);
}

void ApplicationManager::showServerErrorDialog(CommandManager* commandManager)
{
    const QMessageBox::StandardButton answer = QMessageBox::warning(QApplication::activeWindow(),
        QStringLiteral("Errore nella risposta del server"),
        QStringLiteral("%1\n\nVuoi chiudere Corvane?").arg(commandManager->getLastErrorMessage()),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::NoButton);
    if (answer == QMessageBox::Yes)
        QCoreApplication::exit(1);
}

}
