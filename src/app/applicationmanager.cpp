#include "app/applicationmanager.h"

#include "app/account.h"
#include "app/confidi.h"
#include "app/config.h"
#include "app/devconfig.h"
#include "core/logging.h"
#include "app/logmessagehandler.h"
#include "app/sessionstore.h"

#include "app/updater.h"
#include "app/updatewindow.h"
#include "commands/changepassword.h"
#include "commands/checkversion.h"
#include "commands/downloadupdate.h"
#include "commands/init.h"
#include "commands/login.h"
#include "commands/logout.h"
#include "commands/requestactivationcode.h"
#include "commands/requestcredentialaccount.h"
#include "commands/requestcredentialconfidi.h"
#include "commands/requestpassword.h"
#include "commands/sendprivacy.h"
#include "commands/twofaactivation.h"
#include "commands/twofaauthentication.h"
#include "commands/twofafirstauthentication.h"
#include "models/addresswrapper.h"
#include "models/amortization.h"
#include "models/anagraphic.h"
#include "models/bank.h"
#include "models/company.h"
#include "models/position.h"
#include "models/positiondetails.h"
#include "models/report.h"
#include "models/status.h"
#include "models/ticket.h"
#include "network/networkmanager.h"
#include "network/proxyconfigurator.h"
#include "protocol/commandmanager.h"
#include "protocol/xmlparser.h"
#include "ui/aboutwindow.h"
#include "ui/activationcodewindow.h"
#include "ui/anagraphicwindow.h"
#include "ui/bankselectorwindow.h"
#include "ui/changepasswordwindow.h"
#include "ui/companywindow.h"
#include "ui/credentialaccountwindow.h"
#include "ui/credentialconfidiwindow.h"
#include "ui/headertoolbar.h"
#include "ui/insertticketwindow.h"
#include "ui/loginwindow.h"
#include "ui/mainwindow.h"
#include "ui/positiondetailwindow.h"
#include "ui/positionwindow.h"
#include "ui/reportwindow.h"
#include "ui/ticketwindow.h"
#include "ui/twofaactivationwindow.h"
#include "ui/twofaauthenticationwindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPixmap>
#include <QSplashScreen>
#include <QStandardPaths>

#include <utility>

namespace Corvane {

namespace {
    const QString& authFile = SessionStore::authFile;
    const QString& twoFaFile = SessionStore::twoFaFile;

    void logCalledBy(const char* operation, const QObject* command)
    {
        qCDebug(corvaneLog) << operation << "Called by the command"
                            << command->metaObject()->className();
    }

    void information(const QString& title, const QString& text)
    {
        QMessageBox::information(QApplication::activeWindow(), title, text, QMessageBox::Ok);
    }

    const QString tooManyAttempts
        = QStringLiteral("Sono stati effettuati troppi tentativi falliti, riprova fra 1 minuto");

    /// A title between two blank banner lines.
    void logUpdateBanner(const char* title)
    {
        const char* blank = "------------------                   ------------------";
        qCDebug(corvaneLog) << blank;
        qCDebug(corvaneLog) << title;
        qCDebug(corvaneLog) << blank;
    }

    template <typename Dialog> void showModal(Dialog* dialog)
    {
        dialog->setModal(true);
        dialog->show();
    }
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
    for (QObject* window : std::initializer_list<QObject*> { bankSelectorWindow, splashScreen,
             loginWindow, credentialConfidiWindow, credentialAccountWindow, activationCodeWindow,
             twoFaActivationWindow, twoFaAuthenticationWindow, changePasswordWindow, bankModel,
             updateWindow }) {
        if (window)
            window->deleteLater();
    }
    // A window freed with its parent drops its pending deletion, so each may be named here.
    for (QObject* object : std::initializer_list<QObject*> { mainWindow.data(),
             companyWindow.data(), positionWindow.data(), reportWindow.data(), ticketWindow.data(),
             insertTicketWindow.data(), headerToolbar.data(), aboutWindow.data(),
             positionDetailWindow.data(), anagraphicWindow.data(), companyModel, positionModel,
             statusModel, reportModel, ticketModel, addressWrapper, amortizationModel,
             positionDetailsModel, anagraphicModel }) {
        if (object)
            object->deleteLater();
    }
    delete commandManager;
    delete proxyConfigurator;
    delete networkManager;
    delete account;
    delete config;
}

template <typename Command> void ApplicationManager::execute(Command* command)
{
    command->setParent(this);
    getCommandManager()->exec(command);
}

// Flow ------------------------------------------------------------------------------------------

void ApplicationManager::start() { getProxyConfigurator()->start(); }

void ApplicationManager::initializeApplication()
{
    if (mainWindow) {
        qCDebug(corvaneLog) << "Application is already initialized";
        return;
    }
    getSplashScreen()->show();

    getAccount();
    account->setCredential(SessionStore::readCredential());
    if (!config)
        config = new Config;
    refreshServerUrl();

    getSplashScreen()->close();
    execute(new Command::CheckVersion(this, config->getVersion()));
}

void ApplicationManager::initializeUpdate()
{
    qCDebug(corvaneLog)
        << "Starting the updated CorvaneWin.exe process. Current application will quit soon.";
    getUpdater()->startUpdateProgram();
    QCoreApplication::exit(0);
}

void ApplicationManager::finishUpdate()
{
    Updater::finishUpdate(QCoreApplication::applicationFilePath());
}

void ApplicationManager::refreshServerUrl()
{
    serverUrl = devConfig->getServerUrl();
    getCommandManager()->updateServerUrl();
}

void ApplicationManager::sendInit() { execute(new Command::Init(this)); }

void ApplicationManager::requestTwoFaActivation()
{
    removeSessionFile(twoFaFile);
    execute(new Command::TwoFaActivation(this));
}

void ApplicationManager::onVersionUpToDate(Command::CheckVersion* command)
{
    logCalledBy("manageAuthenticationResult", command);
    command->deleteLater();
    sendInit();
}

void ApplicationManager::onUpdateAvailable(Command::CheckVersion* command)
{
    command->deleteLater();
    if (!command->isUpdateNeeded())
        return;
    logUpdateBanner("------------------ UPDATING CORVANE  ------------------");
    qCDebug(corvaneLog) << "Current version:" << getVersion()
                        << "New version:" << command->getLastVersion();

    if (!Updater::canReplaceProgram()) {
        // A system-wide installation belongs to the package manager, not to this user.
        qCWarning(corvaneLog) << "The installation folder" << Updater::getInstallationFolder()
                              << "cannot be changed by this user: no update";
        getUpdateWindow()->showUpdateError(
            QStringLiteral("La cartella di installazione %1 non è modificabile da questo utente. "
                           "Aggiornare Corvane con il gestore dei pacchetti del sistema.")
                .arg(QDir::toNativeSeparators(Updater::getInstallationFolder())));
        getUpdateWindow()->show();
        return;
    }

    qCDebug(corvaneLog) << "Starting update file download...";
    auto* download = new Command::DownloadUpdate(
        this, command->getMd5(), command->getLastVersion(), command->getSignature());
    // A network failure or a refused reply reaches no accepter: the window must still leave its
    // wait.
    connect(
        getCommandManager(), &CommandManager::executionEnded, download, [download](QObject* ended) {
            if (ended == download)
                download->reportIfUnanswered();
        });
    execute(download);
    QMessageBox::information(getUpdateParent(), QStringLiteral("Aggiornamento Corvane"),
        QStringLiteral("E' disponibile una nuova versione Corvane.\nVerrà ora avviata la "
                       "procedura automatica di aggiornamento.\n\nVersione corrente: "
                       "%1\nUltima versione: %2")
            .arg(getVersion(), command->getLastVersion()),
        QMessageBox::Ok);
    getUpdateWindow()->show();
}

void ApplicationManager::manageDownloadUpdateResult(Command::DownloadUpdate* command)
{
    qCDebug(corvaneLog) << "manageDownloadUpdateResult"
                        << "Called by the command" << command->metaObject()->className()
                        << "with result" << command->isSuccess();
    command->deleteLater();
    if (!command->isSuccess()) {
        qCDebug(corvaneLog) << "Corvane update file was not correctly downloaded.";
        logUpdateBanner("------------------  UPDATE ABORTED   ------------------");
        getUpdateWindow()->showUpdateError();
        getUpdateWindow()->exec();
        return;
    }
    getUpdateWindow()->advanceStep();
    connect(getUpdater(), &Updater::unpackProgressed, getUpdateWindow(),
        &UpdateWindow::setInstallProgress, Qt::UniqueConnection);
    getUpdater()->unpack([this](bool unpacked) {
        if (!unpacked) {
            getUpdateWindow()->showUpdateError();
            return;
        }
        getUpdateWindow()->advanceStep();
        logUpdateBanner("------------------      UPDATED      ------------------");
    });
}

void ApplicationManager::setAccount(Command::Init* command)
{
    logCalledBy("setAccount", command);
    getAccount()->setUsername(command->getUsername());
    account->setConfidi(
        new Confidi(qRound(command->getConfidiId()), command->getConfidiCompanyName(), 0, 0));
    command->deleteLater();
    // Every opened session lists the banks afresh: the list of an earlier one may have been
    // refused, and the selector fetches by itself only when it is created.
    if (bankSelectorWindow)
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
    removeSessionFile(authFile);
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

void ApplicationManager::showServerErrorDialog(CommandManager* commandManager)
{
    // The command that failed here gets no result: a login must not leave its wait on screen.
    hideLoginProgress();
    if (mainWindow) {
        mainWindow->showRequestReplyError(commandManager->getLastErrorMessage());
        return;
    }
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Errore nella risposta del server"),
        QStringLiteral("%1\n\nVuoi chiudere Corvane?").arg(commandManager->getLastErrorMessage()),
        QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    // The description is the server's text, shown as it is.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::NoButton);
    if (box.exec() == QMessageBox::Yes)
        QCoreApplication::exit(1);
}

void ApplicationManager::hideLoginProgress()
{
    if (loginWindow)
        loginWindow->hideProgressDialog();
}

// Requests of the windows -----------------------------------------------------------------------

void ApplicationManager::login(const QMap<QString, QString>& parameters)
{
    execute(new Command::Login(this, parameters));
}

void ApplicationManager::requestActivationCode(const QMap<QString, QString>& parameters)
{
    codeSender = activationCodeWindow;
    execute(new Command::RequestActivationCode(this, parameters));
}

void ApplicationManager::twoFaFirstAuthentication(const QMap<QString, QString>& parameters)
{
    codeSender = twoFaActivationWindow;
    execute(new Command::TwoFaFirstAuthentication(this, parameters));
}

void ApplicationManager::twoFaAuthentication(const QMap<QString, QString>& parameters)
{
    codeSender = twoFaAuthenticationWindow;
    execute(new Command::TwoFaAuthentication(this, parameters));
}

void ApplicationManager::requestCredentialConfidi(const QMap<QString, QString>& parameters)
{
    execute(new Command::RequestCredentialConfidi(this, parameters));
}

void ApplicationManager::requestCredentialAccount(const QMap<QString, QString>& parameters)
{
    execute(new Command::RequestCredentialAccount(this, parameters));
}

void ApplicationManager::changePassword(const QMap<QString, QString>& parameters)
{
    execute(new Command::ChangePassword(this, parameters));
}

void ApplicationManager::requestPassword() { execute(new Command::RequestPassword(this)); }

void ApplicationManager::logout() { execute(new Command::Logout(this)); }

QString ApplicationManager::getPrivacyText()
{
    // One fetch at a time; one that ended without a reply (a network failure) is tried again.
    if (privacyText.isEmpty()
        && !(pendingPrivacy && getCommandManager()->isQueued(pendingPrivacy))) {
        if (pendingPrivacy)
            pendingPrivacy->deleteLater();
        pendingPrivacy = new Command::SendPrivacy(this);
        execute(pendingPrivacy.data());
    }
    return privacyText;
}

// Results ---------------------------------------------------------------------------------------

void ApplicationManager::manageAuthenticationResult(Command::Login* command)
{
    logCalledBy("manageAuthenticationResult", command);
    command->deleteLater();
    if (!command->isSuccess()) {
        loginResultCode = command->getResultCode();
        loginResultDescription = getCommandManager()->getDecodedReply().value(
            QStringLiteral("esito_descr"), QStringLiteral("Non definita"));
        getLoginWindow()->manageLoginResponse();
        return;
    }
    SessionStore::writeKeys(command->getParameters());
    writeSessionFile(authFile, command->getToken());
    getAccount()->setCredential(SessionStore::readCredential());
    getLoginWindow()->hideLoginWindow();
    sendInit();
}

void ApplicationManager::manageAuthenticationResult(Command::RequestActivationCode* command)
{
    logCalledBy("manageAuthenticationResult", command);
    command->deleteLater();
    codeSender = nullptr;
    getActivationCodeWindow()->show();
    information(
        QStringLiteral("Attivazione utenza"), QStringLiteral("Utenza attivata con successo"));
    getActivationCodeWindow()->hide();
    sendInit();
}

void ApplicationManager::manageAuthenticationResult(Command::TwoFaActivation* command)
{
    logCalledBy("manageAuthenticationResult", command);
    command->deleteLater();
    qrCodeSvg = command->getActivationData();
    showModal(getTwoFaActivationWindow());
}

void ApplicationManager::manageAuthenticationResult(Command::TwoFaFirstAuthentication* command)
{
    logCalledBy("manageAuthenticationResult", command);
    command->deleteLater();
    codeSender = nullptr;
    if (twoFaActivationWindow)
        twoFaActivationWindow->hide();
    sendInit();
}

void ApplicationManager::manageAuthenticationResult(Command::TwoFaAuthentication* command)
{
    logCalledBy("manageAuthenticationResult", command);
    command->deleteLater();
    codeSender = nullptr;
    writeSessionFile(twoFaFile, command->getToken());
    if (twoFaAuthenticationWindow)
        twoFaAuthenticationWindow->hide();
    sendInit();
}

void ApplicationManager::manageCredentialRequestResult(Command::RequestCredentialConfidi* command)
{
    qCDebug(corvaneLog) << "manageCredentialRequestResult"
                        << "Called by the command" << command->metaObject()->className()
                        << "with result" << command->isSuccess();
    command->deleteLater();
    if (command->isSuccess()) {
        requestedConfidiFiscalCode = command->getConfidiFiscalCode();
        requestedConfidiCompanyName = command->getConfidiCompanyName();
        requestedConfidiPec = command->getConfidiPec();
    }
    emit requestCredentialConfidiCompleted(command->isSuccess(), command->getResultCode());
}

void ApplicationManager::manageCredentialRequestResult(Command::RequestCredentialAccount* command)
{
    qCDebug(corvaneLog) << "manageCredentialRequestResult"
                        << "Called by the command" << command->metaObject()->className()
                        << "with result" << command->isSuccess();
    command->deleteLater();
    emit requestCredentialAccountCompleted(command->isSuccess(), command->getResultCode());
}

void ApplicationManager::manageChangePasswordResult(Command::ChangePassword* command)
{
    command->deleteLater();
    getChangePasswordWindow()->show();
    information(QStringLiteral("Cambio password"),
        QStringLiteral("Cambio password effettuato con successo"));
    getChangePasswordWindow()->hide();
    const QString newPassword = command->getParameters().value(QStringLiteral("new_password"));
    writeKey(QStringLiteral("password"), newPassword);
    getAccount()->updateCredentialPassword(newPassword);
    sendInit();
}

void ApplicationManager::manageRequestPasswordResult(Command::RequestPassword* command)
{
    command->deleteLater();
    information(QStringLiteral("Richiesta nuova password"),
        QStringLiteral("La richiesta è stata inviata. Controllare la mail."));
}

void ApplicationManager::setPrivacy(Command::SendPrivacy* command)
{
    logCalledBy("setPrivacy", command);
    command->deleteLater();
    privacyText = command->getPrivacyText();
}

void ApplicationManager::manageLogoutResult(Command::Logout* command)
{
    command->deleteLater();
    if (!command->isSuccess()) {
        qCCritical(corvaneLog) << "Logout was not successful.";
        return;
    }
    qCDebug(corvaneLog) << "Logout execution accomplished successful. MainWindow will be closed";
    if (mainWindow)
        mainWindow->close();
    removeSessionFile(authFile);
    truncateLog();
    // The ending session still logs the end of this command: the log is emptied once more when
    // the event loop has returned.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { truncateLog(); });
    // Closing the main window ends the event loop only when no other window is left open.
    QCoreApplication::quit();
}

void ApplicationManager::showLoginWindow()
{
    LoginWindow* window = getLoginWindow();
    window->setModal(true);
    window->open();
}

void ApplicationManager::manageResponse(CommandManager* commandManager)
{
    const QMap<QString, QString> reply = commandManager->getDecodedReply();
    const QList<DataRow> rows = commandManager->getDataRows();
    const int resultId = reply.value(QStringLiteral("esito_id")).toInt();
    qCDebug(corvaneLog).noquote() << QString::asprintf("ManageResponse ResultID: %d", resultId);

    if (mainWindow) {
        // Once the user works in a session, any refused session ends the program.
        information(QStringLiteral("Sessione utente"),
            QStringLiteral("Sessione utente scaduta o non valida. Riavviare Corvane."));
        qCDebug(corvaneLog) << "Session Expired or Not Valid. Application will be closed";
        QCoreApplication::exit(0);
        return;
    }

    const QString validationFailed
        = QStringLiteral("Errore validazione dati. Ripetere inserimento.");
    const QString wrongCode
        = QStringLiteral("Codice di autenticazione non corretto. Ripetere inserimento.");
    // Only the answer to a code says which window sent it; any other reply forgets it.
    const QPointer<CodeWindow> sender = std::exchange(codeSender, nullptr);
    switch (resultId) {
    case XmlParser::UNK_USER:
    case XmlParser::JWT_AUTH_NOT_FOUND:
        removeSessionFile(authFile);
        showLoginWindow();
        break;
    case XmlParser::ACTIVATION_CODE_NOT_FOUND:
        showModal(getActivationCodeWindow());
        break;
    case XmlParser::PASSWORD_EXPIRED:
        showModal(getChangePasswordWindow());
        break;
    case XmlParser::TWOFA_NOT_ACTIVE:
        requestTwoFaActivation();
        break;
    case XmlParser::JWT_2FA_NOT_FOUND:
    case XmlParser::TWOFA_AUTH_NOT_VALID:
        removeSessionFile(twoFaFile);
        showModal(getTwoFaAuthenticationWindow());
        break;
    case XmlParser::ACTIVATION_CODE_FAIL:
        information(QStringLiteral("Attivazione account"),
            QStringLiteral("Codice inserito non corretto. Ripetere inserimento."));
        showModal(getActivationCodeWindow());
        break;
    case XmlParser::ACTIVATION_CODE_EXPIRED:
        information(QStringLiteral("Attivazione account"),
            QStringLiteral("Il periodo di attivazione account è scaduto. Effettuare una nuova "
                           "registrazione utente."));
        showLoginWindow();
        break;
    case XmlParser::TWOFA_AUTH_FAIL:
        information(QStringLiteral("Autenticazione account"), wrongCode);
        showModal(getTwoFaAuthenticationWindow());
        break;
    case XmlParser::JWT_NOT_VALID: {
        const QString kind = rows.isEmpty() ? QString() : rows.first().value(QStringLiteral("0"));
        if (kind.isEmpty())
            break;
        tokenKind = kind;
        if (kind == QLatin1String("auth")) {
            showLoginWindow();
        } else {
            removeSessionFile(twoFaFile);
            showModal(getTwoFaAuthenticationWindow());
        }
        break;
    }
    case XmlParser::PASSWORD_FAIL:
        information(QStringLiteral("Cambio Password"),
            QStringLiteral("Password corrente non corretta. Ripetere inserimento."));
        showModal(getChangePasswordWindow());
        break;
    case XmlParser::TWOFA_FIRST_AUTH_FAIL:
        information(QStringLiteral("Autenticazione account"), wrongCode);
        showModal(getTwoFaActivationWindow());
        break;
    case XmlParser::PASSWORD_VALIDATION_FAIL:
        information(QStringLiteral("Cambio Password"), validationFailed);
        showModal(getChangePasswordWindow());
        break;
    case XmlParser::ACTIVATION_CODE_VALIDATION_FAIL:
        information(QStringLiteral("Attivazione account"), validationFailed);
        showModal(getActivationCodeWindow());
        break;
    case XmlParser::TWOFA_FIRST_AUTH_VALIDATION_FAIL:
        information(QStringLiteral("Autenticazione account"), validationFailed);
        showModal(getTwoFaActivationWindow());
        break;
    case XmlParser::TWOFA_AUTH_VALIDATION_FAIL:
        information(QStringLiteral("Autenticazione account"), validationFailed);
        showModal(getTwoFaAuthenticationWindow());
        break;
    case XmlParser::RATE_LIMITER_ERROR_MESSAGE:
        // Too many codes guessed: the window that sent the last one is offered again.
        if (sender) {
            information(sender == activationCodeWindow ? QStringLiteral("Attivazione account")
                                                       : QStringLiteral("Autenticazione account"),
                tooManyAttempts);
            sender->resetForm();
            showModal(sender.data());
        }
        break;
    default:
        break;
    }
}

// Factory ---------------------------------------------------------------------------------------

NetworkManager* ApplicationManager::getNetworkManager()
{
    if (!networkManager) {
        networkManager = new NetworkManager;
        // A transfer that failed ends its command without a result.
        connect(networkManager, &NetworkManager::proxyErrorDetected, this,
            &ApplicationManager::hideLoginProgress);
    }
    return networkManager;
}

ProxyConfigurator* ApplicationManager::getProxyConfigurator()
{
    if (!proxyConfigurator)
        proxyConfigurator = new ProxyConfigurator(this, getNetworkManager(), serverUrl);
    return proxyConfigurator;
}

CommandManager* ApplicationManager::getCommandManager()
{
    if (!commandManager) {
        commandManager = new CommandManager(getProxyConfigurator(), getNetworkManager(), this);
        // The flow's commands are children of this object: each is freed once it has ended,
        // refused and failed ones included.
        connect(commandManager, &CommandManager::executionEnded, this, [this](QObject* command) {
            if (command->parent() == this)
                command->deleteLater();
        });
    }
    return commandManager;
}

LoginWindow* ApplicationManager::getLoginWindow()
{
    if (!loginWindow)
        loginWindow = new LoginWindow(this, getCredentialConfidiWindow());
    return loginWindow;
}

CredentialConfidiWindow* ApplicationManager::getCredentialConfidiWindow()
{
    if (!credentialConfidiWindow)
        credentialConfidiWindow = new CredentialConfidiWindow(this, getCredentialAccountWindow());
    return credentialConfidiWindow;
}

CredentialAccountWindow* ApplicationManager::getCredentialAccountWindow()
{
    if (!credentialAccountWindow)
        credentialAccountWindow = new CredentialAccountWindow(this);
    return credentialAccountWindow;
}

ActivationCodeWindow* ApplicationManager::getActivationCodeWindow()
{
    if (activationCodeWindow)
        activationCodeWindow->resetForm();
    else
        activationCodeWindow = new ActivationCodeWindow(this);
    return activationCodeWindow;
}

TwoFaActivationWindow* ApplicationManager::getTwoFaActivationWindow()
{
    if (twoFaActivationWindow)
        twoFaActivationWindow->resetForm();
    else
        twoFaActivationWindow = new TwoFaActivationWindow(this);
    return twoFaActivationWindow;
}

TwoFaAuthenticationWindow* ApplicationManager::getTwoFaAuthenticationWindow()
{
    if (twoFaAuthenticationWindow)
        twoFaAuthenticationWindow->resetForm();
    else
        twoFaAuthenticationWindow = new TwoFaAuthenticationWindow(this);
    return twoFaAuthenticationWindow;
}

ChangePasswordWindow* ApplicationManager::getChangePasswordWindow()
{
    if (changePasswordWindow)
        changePasswordWindow->resetForm();
    else
        changePasswordWindow = new ChangePasswordWindow(this);
    return changePasswordWindow;
}

BankSelectorWindow* ApplicationManager::getBankSelectorWindow()
{
    if (!bankSelectorWindow)
        bankSelectorWindow = new BankSelectorWindow(this, getBankModel());
    return bankSelectorWindow;
}

Model::Bank* ApplicationManager::getBankModel()
{
    if (!bankModel)
        bankModel = new Model::Bank(getCommandManager());
    return bankModel;
}

MainWindow* ApplicationManager::getMainWindow()
{
    if (!mainWindow) {
        mainWindow
            = new MainWindow(this, getProxyConfigurator(), getCompanyWindow(), getPositionWindow(),
                getReportWindow(), getTicketWindow(), getInsertTicketWindow(), getAboutWindow());
    }
    return mainWindow;
}

CompanyWindow* ApplicationManager::getCompanyWindow()
{
    if (!companyWindow)
        companyWindow = new CompanyWindow(this, getHeaderToolbar(), getCompanyModel());
    return companyWindow;
}

PositionWindow* ApplicationManager::getPositionWindow()
{
    if (!positionWindow) {
        positionWindow
            = new PositionWindow(this, getHeaderToolbar(), getPositionModel(), getStatusModel());
    }
    return positionWindow;
}

ReportWindow* ApplicationManager::getReportWindow()
{
    if (!reportWindow)
        reportWindow = new ReportWindow(this, getHeaderToolbar(), getReportModel());
    return reportWindow;
}

TicketWindow* ApplicationManager::getTicketWindow()
{
    if (!ticketWindow)
        ticketWindow = new TicketWindow(getHeaderToolbar(), getTicketModel());
    return ticketWindow;
}

InsertTicketWindow* ApplicationManager::getInsertTicketWindow()
{
    if (!insertTicketWindow)
        insertTicketWindow = new InsertTicketWindow(getTicketModel());
    return insertTicketWindow;
}

HeaderToolbar* ApplicationManager::getHeaderToolbar()
{
    if (!headerToolbar)
        headerToolbar = new HeaderToolbar(getInsertTicketWindow());
    return headerToolbar;
}

PositionDetailWindow* ApplicationManager::getPositionDetailWindow()
{
    if (!positionDetailWindow) {
        positionDetailWindow = new PositionDetailWindow(
            getAnagraphicWindow(), getAmortizationModel(), getPositionDetailsModel());
    }
    return positionDetailWindow;
}

AnagraphicWindow* ApplicationManager::getAnagraphicWindow()
{
    if (!anagraphicWindow)
        anagraphicWindow = new AnagraphicWindow(getAnagraphicModel());
    return anagraphicWindow;
}

AboutWindow* ApplicationManager::getAboutWindow()
{
    if (!aboutWindow)
        aboutWindow = new AboutWindow(this);
    return aboutWindow;
}

Model::Company* ApplicationManager::getCompanyModel()
{
    if (!companyModel)
        companyModel = new Model::Company(getCommandManager(), getAddressWrapper());
    return companyModel;
}

Model::Position* ApplicationManager::getPositionModel()
{
    if (!positionModel)
        positionModel = new Model::Position(getCommandManager());
    return positionModel;
}

Model::Status* ApplicationManager::getStatusModel()
{
    if (!statusModel)
        statusModel = new Model::Status(getCommandManager());
    return statusModel;
}

Model::Report* ApplicationManager::getReportModel()
{
    if (!reportModel)
        reportModel = new Model::Report(getCommandManager());
    return reportModel;
}

Model::Ticket* ApplicationManager::getTicketModel()
{
    if (!ticketModel)
        ticketModel = new Model::Ticket(getCommandManager());
    return ticketModel;
}

Model::AddressWrapper* ApplicationManager::getAddressWrapper()
{
    if (!addressWrapper)
        addressWrapper = new Model::AddressWrapper(getCommandManager());
    return addressWrapper;
}

UpdateWindow* ApplicationManager::getUpdateWindow()
{
    if (!updateWindow)
        updateWindow = new UpdateWindow(this, getUpdateParent());
    return updateWindow;
}

Updater* ApplicationManager::getUpdater()
{
    if (!updater)
        updater = new Updater(tempPath, this);
    return updater;
}

QWidget* ApplicationManager::getUpdateParent()
{
    // The main window when there is one. It is not created for this: its windows and models fetch
    // their look-ups on creation, and without a session every such request would end the program
    // in the middle of the update.
    return mainWindow.data();
}

Model::Amortization* ApplicationManager::getAmortizationModel()
{
    if (!amortizationModel)
        amortizationModel = new Model::Amortization(getCommandManager());
    return amortizationModel;
}

Model::PositionDetails* ApplicationManager::getPositionDetailsModel()
{
    if (!positionDetailsModel)
        positionDetailsModel = new Model::PositionDetails(getCommandManager());
    return positionDetailsModel;
}

Model::Anagraphic* ApplicationManager::getAnagraphicModel()
{
    if (!anagraphicModel)
        anagraphicModel = new Model::Anagraphic(getCommandManager());
    return anagraphicModel;
}

QSplashScreen* ApplicationManager::getSplashScreen()
{
    if (!splashScreen)
        splashScreen = new QSplashScreen(QPixmap(QStringLiteral(":/Images/tessaro.png")));
    return splashScreen;
}

// Session data ----------------------------------------------------------------------------------

Account* ApplicationManager::getAccount()
{
    if (!account)
        account = new Account;
    return account;
}

QString ApplicationManager::getBank() const { return account ? account->getBank() : QString(); }
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
