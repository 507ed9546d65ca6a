#include "app/applicationmanager.h"

#include "app/account.h"
#include "app/componentfactory.h"
#include "app/confidi.h"
#include "app/config.h"
#include "app/devconfig.h"
#include "app/logmessagehandler.h"
#include "app/refusedsessiondispatcher.h"
#include "app/sessionstore.h"
#include "app/signinflow.h"
#include "app/singleinstanceguard.h"
#include "app/updateflow.h"
#include "commands/accountcommands.h"
#include "core/logging.h"
#include "models/bank.h"
#include "network/networkmanager.h"
#include "network/proxyconfigurator.h"
#include "protocol/commandmanager.h"
#include "ui/anagraphicwindow.h"
#include "ui/bankselectorwindow.h"
#include "ui/mainwindow.h"
#include "ui/positiondetailwindow.h"
#include "ui/prompts.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSplashScreen>

namespace Corvane {

ApplicationManager::ApplicationManager(DevConfig* devConfig, QObject* parent)
    : QObject(parent)
    , devConfig(devConfig)
{
    qInstallMessageHandler(logMessageHandler);
    debugEnabled = devConfig->isDebugEnabled();
    serverUrl = devConfig->getServerUrl();
    NetworkManager::addTrustedCaCertificates(devConfig->getCaCertificatesPath());
    factory = std::make_unique<ComponentFactory>(this, serverUrl);
    signInFlow = new SignInFlow(this, factory.get());
    updateFlow = new UpdateFlow(this, factory.get());
    refusedSessions = std::make_unique<RefusedSessionDispatcher>(this, signInFlow, factory.get());
    connect(updateFlow, &UpdateFlow::versionUpToDate, this, &ApplicationManager::onVersionUpToDate);
    connect(signInFlow, &SignInFlow::requestCredentialConfidiCompleted, this,
        &ApplicationManager::requestCredentialConfidiCompleted);
    connect(signInFlow, &SignInFlow::requestCredentialAccountCompleted, this,
        &ApplicationManager::requestCredentialAccountCompleted);
}

ApplicationManager::~ApplicationManager() = default;

void ApplicationManager::runCommand(QObject* object, Interface::CommandInterface* command)
{
    object->setParent(this);
    getCommandManager()->exec(command);
}

// Opening the session ---------------------------------------------------------------------------

void ApplicationManager::start()
{
    // Opening the keychain costs more than the rest of the start: it is read while the
    // connection is checked.
    readCredential();
    credentialFromStart = true;
    getProxyConfigurator()->start();
}

void ApplicationManager::readCredential()
{
    credentialReading = true;
    SessionStore::readCredentialLater(this, [this](Credential* credential) {
        getAccount()->setCredential(credential);
        credentialReading = false;
        if (QSplashScreen* splash = factory->find<QSplashScreen>())
            splash->close();
        if (initWaiting) {
            initWaiting = false;
            sendInit();
        }
    });
}

void ApplicationManager::onVersionUpToDate()
{
    if (credentialReading)
        initWaiting = true;
    else
        sendInit();
}

void ApplicationManager::initializeApplication()
{
    if (isSessionInUse()) {
        qCDebug(corvaneLog) << "Application is already initialized";
        return;
    }
    getSplashScreen()->show();
    // The splash screen stays up until the keychain has answered.
    if (credentialFromStart)
        credentialFromStart = false;
    else if (!credentialReading)
        readCredential();
    if (!config)
        config = std::make_unique<Config>();
    refreshServerUrl();

    if (!credentialReading)
        getSplashScreen()->close();
    updateFlow->checkVersion(config->getVersion());
}

bool ApplicationManager::isSessionInUse() const { return factory->find<MainWindow>(); }

void ApplicationManager::finishUpdate() { UpdateFlow::finishUpdate(); }

void ApplicationManager::refreshServerUrl()
{
    serverUrl = devConfig->getServerUrl();
    getCommandManager()->updateServerUrl();
}

void ApplicationManager::sendInit() { execute(new Command::Init(this)); }

void ApplicationManager::setAccount(Command::Init* command)
{
    qCDebug(corvaneLog) << "setAccount"
                        << "Called by the command" << command->metaObject()->className();
    getAccount()->setUsername(command->getUsername());
    account->setConfidi(
        new Confidi(qRound(command->getConfidiId()), command->getConfidiCompanyName(), 0, 0));
    command->deleteLater();
    // Every opened session lists the banks afresh: the list of an earlier one may have been
    // refused, and the selector fetches by itself only when it is created.
    if (factory->find<BankSelectorWindow>())
        getBankModel()->fetch();
    else
        getBankSelectorWindow();
}

void ApplicationManager::onBankSelected(const QString& bank)
{
    getAccount()->setBank(bank);
    qCDebug(corvaneLog) << "Bank selected:" << bank;
    getMainWindow()->show();
}

void ApplicationManager::logoutOnNoBank()
{
    qCDebug(corvaneLog)
        << "Logout on no bank available accomplished successful. Process will be closed";
    removeSessionFile(SessionStore::authFile);
    truncateLog();
    QCoreApplication::quit();
}

void ApplicationManager::truncateLog()
{
    QFile log(QStringLiteral("corvane2.log"));
    if (log.open(QIODevice::ReadWrite)) {
        log.resize(0);
        log.close();
    }
}

void ApplicationManager::logout()
{
    if (pendingLogout && getCommandManager()->isQueued(pendingLogout))
        return;
    pendingLogout = new Command::Logout(this);
    execute(pendingLogout.data());
}

void ApplicationManager::manageLogoutResult(Command::Logout* command)
{
    command->deleteLater();
    if (!command->isSuccess()) {
        qCCritical(corvaneLog) << "Logout was not successful.";
        return;
    }
    qCDebug(corvaneLog) << "Logout execution accomplished successful. MainWindow will be closed";
    if (MainWindow* window = factory->find<MainWindow>())
        window->close();
    removeSessionFile(SessionStore::authFile);
    truncateLog();
    // The ending session still logs the end of this command: the log is emptied once more when
    // the event loop has returned.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { truncateLog(); });
    // Closing the main window ends the event loop only when no other window is left open.
    QCoreApplication::quit();
}

void ApplicationManager::restart()
{
    QStringList arguments = QCoreApplication::arguments();
    const QString program = arguments.takeFirst();
    // The new instance must not find this one still holding the single-instance guard.
    SingleInstanceGuard::releaseHeld();
    qint64 processId = 0;
    if (QProcess::startDetached(program, arguments, QString(), &processId))
        qCDebug(corvaneLog) << "Restarted for a bank change as process" << processId;
    else
        qCCritical(corvaneLog) << "Could not restart the program for a bank change";
    QCoreApplication::quit();
}

// The command manager's host --------------------------------------------------------------------

void ApplicationManager::showServerErrorDialog(CommandManager* commandManager)
{
    // The command that failed here gets no result: a login must not leave its wait on screen.
    signInFlow->hideLoginProgress();
    Prompt::askToCloseAfterServerError(commandManager->getLastErrorMessage());
}

void ApplicationManager::manageResponse(CommandManager* commandManager)
{
    const int resultId
        = commandManager->getDecodedReply().value(QStringLiteral("esito_id")).toInt();
    qCDebug(corvaneLog).noquote() << QString::asprintf("ManageResponse ResultID: %d", resultId);
    refusedSessions->dispatch(resultId, commandManager->getDataRows());
}

// Requests of the windows -----------------------------------------------------------------------

void ApplicationManager::showLoginWindow() { signInFlow->showLoginWindow(); }
void ApplicationManager::login(const Form& parameters) { signInFlow->login(parameters); }
void ApplicationManager::requestActivationCode(const Form& parameters)
{
    signInFlow->requestActivationCode(parameters);
}
void ApplicationManager::twoFaFirstAuthentication(const Form& parameters)
{
    signInFlow->twoFaFirstAuthentication(parameters);
}
void ApplicationManager::twoFaAuthentication(const Form& parameters)
{
    signInFlow->twoFaAuthentication(parameters);
}
void ApplicationManager::requestCredentialConfidi(const Form& parameters)
{
    signInFlow->requestCredentialConfidi(parameters);
}
void ApplicationManager::requestCredentialAccount(const Form& parameters)
{
    signInFlow->requestCredentialAccount(parameters);
}
void ApplicationManager::changePassword(const Form& parameters)
{
    signInFlow->changePassword(parameters);
}
void ApplicationManager::requestPassword() { signInFlow->requestPassword(); }
QString ApplicationManager::getPrivacyText() { return signInFlow->getPrivacyText(); }

QMetaObject::Connection ApplicationManager::connectCredentialConfidiAnswer(
    QObject* context, CredentialRequestAnswer answer)
{
    return connect(
        this, &ApplicationManager::requestCredentialConfidiCompleted, context, std::move(answer));
}

QMetaObject::Connection ApplicationManager::connectCredentialAccountAnswer(
    QObject* context, CredentialRequestAnswer answer)
{
    return connect(
        this, &ApplicationManager::requestCredentialAccountCompleted, context, std::move(answer));
}

void ApplicationManager::showAnagraphic(const QString& id)
{
    getAnagraphicWindow()->showAnagraphic(id);
}

void ApplicationManager::showPosition(const QString& technicalFormId, const QString& lcr)
{
    getPositionDetailWindow()->showPosition(technicalFormId, lcr);
}

// Factory, forwarded ----------------------------------------------------------------------------

NetworkManager* ApplicationManager::getNetworkManager() { return factory->getNetworkManager(); }
ProxyConfigurator* ApplicationManager::getProxyConfigurator()
{
    return factory->getProxyConfigurator();
}
CommandManager* ApplicationManager::getCommandManager() { return factory->getCommandManager(); }
LoginWindow* ApplicationManager::getLoginWindow() { return factory->getLoginWindow(); }
CredentialConfidiWindow* ApplicationManager::getCredentialConfidiWindow()
{
    return factory->getCredentialConfidiWindow();
}
CredentialAccountWindow* ApplicationManager::getCredentialAccountWindow()
{
    return factory->getCredentialAccountWindow();
}
ActivationCodeWindow* ApplicationManager::getActivationCodeWindow()
{
    return factory->getActivationCodeWindow();
}
TwoFaActivationWindow* ApplicationManager::getTwoFaActivationWindow()
{
    return factory->getTwoFaActivationWindow();
}
TwoFaAuthenticationWindow* ApplicationManager::getTwoFaAuthenticationWindow()
{
    return factory->getTwoFaAuthenticationWindow();
}
ChangePasswordWindow* ApplicationManager::getChangePasswordWindow()
{
    return factory->getChangePasswordWindow();
}
BankSelectorWindow* ApplicationManager::getBankSelectorWindow()
{
    return factory->getBankSelectorWindow();
}
Model::Bank* ApplicationManager::getBankModel() { return factory->getBankModel(); }
MainWindow* ApplicationManager::getMainWindow() { return factory->getMainWindow(); }
CompanyWindow* ApplicationManager::getCompanyWindow() { return factory->getCompanyWindow(); }
PositionWindow* ApplicationManager::getPositionWindow() { return factory->getPositionWindow(); }
ReportWindow* ApplicationManager::getReportWindow() { return factory->getReportWindow(); }
TicketWindow* ApplicationManager::getTicketWindow() { return factory->getTicketWindow(); }
InsertTicketWindow* ApplicationManager::getInsertTicketWindow()
{
    return factory->getInsertTicketWindow();
}
HeaderToolbar* ApplicationManager::getHeaderToolbar() { return factory->getHeaderToolbar(); }
PositionDetailWindow* ApplicationManager::getPositionDetailWindow()
{
    return factory->getPositionDetailWindow();
}
AnagraphicWindow* ApplicationManager::getAnagraphicWindow()
{
    return factory->getAnagraphicWindow();
}
AboutWindow* ApplicationManager::getAboutWindow() { return factory->getAboutWindow(); }
Model::Company* ApplicationManager::getCompanyModel() { return factory->getCompanyModel(); }
Model::Position* ApplicationManager::getPositionModel() { return factory->getPositionModel(); }
Model::Status* ApplicationManager::getStatusModel() { return factory->getStatusModel(); }
Model::Report* ApplicationManager::getReportModel() { return factory->getReportModel(); }
Model::Ticket* ApplicationManager::getTicketModel() { return factory->getTicketModel(); }
Model::AddressWrapper* ApplicationManager::getAddressWrapper()
{
    return factory->getAddressWrapper();
}
UpdateWindow* ApplicationManager::getUpdateWindow() { return factory->getUpdateWindow(); }
Model::Amortization* ApplicationManager::getAmortizationModel()
{
    return factory->getAmortizationModel();
}
Model::PositionDetails* ApplicationManager::getPositionDetailsModel()
{
    return factory->getPositionDetailsModel();
}
Model::Anagraphic* ApplicationManager::getAnagraphicModel()
{
    return factory->getAnagraphicModel();
}
QSplashScreen* ApplicationManager::getSplashScreen() { return factory->getSplashScreen(); }

// Session data ----------------------------------------------------------------------------------

Account* ApplicationManager::getAccount()
{
    if (!account)
        account = std::make_unique<Account>();
    return account.get();
}

QString ApplicationManager::getBank() const { return account ? account->getBank() : QString(); }
QString ApplicationManager::getUsername() const
{
    return account ? account->getUsername() : QString();
}
QString ApplicationManager::getUsernameHead() const
{
    return account ? account->getUsernameHead() : QString();
}
QString ApplicationManager::getUsernameTail() const
{
    return account ? account->getUsernameTail() : QString();
}
QString ApplicationManager::getCredentialCfUtente() const
{
    return account ? account->getCredentialCfUtente() : QString();
}
QString ApplicationManager::getCredentialCfConfidi() const
{
    return account ? account->getCredentialCfConfidi() : QString();
}
QString ApplicationManager::getCredentialPassword() const
{
    return account ? account->getCredentialPassword() : QString();
}
int ApplicationManager::getConfidiId() const { return account ? account->getConfidiId() : 0; }
QString ApplicationManager::getConfidiCompanyName() const
{
    return account ? account->getConfidiCompanyName() : QString();
}
QString ApplicationManager::getVersion() const
{
    return config ? config->getVersion() : QCoreApplication::applicationVersion();
}
QString ApplicationManager::getRequestedConfidiFiscalCode() const
{
    return signInFlow->getRequestedConfidiFiscalCode();
}
QString ApplicationManager::getRequestedConfidiCompanyName() const
{
    return signInFlow->getRequestedConfidiCompanyName();
}
QString ApplicationManager::getRequestedConfidiPec() const
{
    return signInFlow->getRequestedConfidiPec();
}
QByteArray ApplicationManager::getQrCodeSvg() const { return signInFlow->getQrCodeSvg(); }
int ApplicationManager::getLoginResultCode() const { return signInFlow->getLoginResultCode(); }
QString ApplicationManager::getLoginResultDescription() const
{
    return signInFlow->getLoginResultDescription();
}
QString ApplicationManager::getTokenKind() const { return signInFlow->getTokenKind(); }

// Keychain and session files --------------------------------------------------------------------

QString ApplicationManager::readKey(const QString& key) { return SessionStore::readKey(key); }

void ApplicationManager::writeKey(const QString& key, const QString& value)
{
    SessionStore::writeKey(key, value);
}

QString ApplicationManager::sessionFilePath(const QString& name)
{
    return SessionStore::filePath(name);
}

void ApplicationManager::writeSessionFile(const QString& name, const QString& content)
{
    SessionStore::writeFile(name, content);
}

void ApplicationManager::removeSessionFile(const QString& name) { SessionStore::removeFile(name); }

}
