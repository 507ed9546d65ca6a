#pragma once

#include "network/initializeresponderinterfaces.h"
#include "protocol/accepterinterfaces.h"
#include "protocol/commandhostinterface.h"
#include "ui/windowrequestinterface.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class QSplashScreen;

namespace Corvane {

class AboutWindow;
class Account;
class AnagraphicWindow;
class ActivationCodeWindow;
class BankSelectorWindow;
class ChangePasswordWindow;
class CommandManager;
class CompanyWindow;
class ComponentFactory;
class Config;
class CredentialAccountWindow;
class CredentialConfidiWindow;
class DevConfig;
class HeaderToolbar;
class InsertTicketWindow;
class LoginWindow;
class MainWindow;
class NetworkManager;
class PositionDetailWindow;
class PositionWindow;
class ProxyConfigurator;
class RefusedSessionDispatcher;
class ReportWindow;
class SignInFlow;
class TicketWindow;
class TwoFaActivationWindow;
class TwoFaAuthenticationWindow;
class UpdateFlow;
class UpdateWindow;

namespace Interface {
    class CommandInterface;
}

namespace Model {
    class AddressWrapper;
    class Amortization;
    class Anagraphic;
    class Bank;
    class Company;
    class Position;
    class PositionDetails;
    class Report;
    class Status;
    class Ticket;
}

/// The flow manager: opens the session (start-up, Init, the bank choice, logout), keeps the
/// account and configuration records, and prompts after a failed reply. It is the facade the
/// windows, the command manager and the entry point talk to; the sign-in steps, the refused
/// sessions, the self-update and the making of windows and models are each in their own class
/// (SignInFlow, RefusedSessionDispatcher, UpdateFlow, ComponentFactory), which it owns. Created
/// once, without a parent, by the entry point.
class ApplicationManager : public QObject,
                           public Interface::ApplicationInitializeResponderInterface,
                           public Interface::AccountSettingsAccepterInterface,
                           public Interface::LogoutResultAccepterInterface,
                           public Interface::CommandHostInterface,
                           public Interface::WindowRequestInterface {
    Q_OBJECT
    Q_INTERFACES(Corvane::Interface::ApplicationInitializeResponderInterface Corvane::Interface::
            AccountSettingsAccepterInterface Corvane::Interface::LogoutResultAccepterInterface
                Corvane::Interface::CommandHostInterface Corvane::Interface::WindowRequestInterface)
public:
    explicit ApplicationManager(DevConfig* devConfig, QObject* parent = nullptr);
    ~ApplicationManager() override;

    // Opening the session.
    /// Starts reading the stored credential, the proxy set-up and the connection check; the rest
    /// of the flow follows the replies.
    void start();
    void initializeApplication() override;
    void setAccount(Command::Init* command) override;
    void onBankSelected(const QString& bank) override;
    void logoutOnNoBank() override;
    void logout() override;
    void manageLogoutResult(Command::Logout* command) override;
    void restart() override;
    /// Whether the user works in an opened session: then any refused session ends the program.
    bool isSessionInUse() const;
    /// Asks the server for the session's account again (after each completed sign-in step).
    void sendInit();
    /// The update run: swaps the executables in the working directory and starts the next one.
    void finishUpdate();

    // The command manager's host.
    void showServerErrorDialog(CommandManager* commandManager) override;
    void manageResponse(CommandManager* commandManager) override;
    QString getServerUrl() const override { return serverUrl; }
    bool isDebugEnabled() const override { return debugEnabled; }

    // Requests of the windows, passed on to the sign-in flow.
    void showLoginWindow() override;
    void login(const Form& parameters) override;
    void requestActivationCode(const Form& parameters) override;
    void twoFaFirstAuthentication(const Form& parameters) override;
    void twoFaAuthentication(const Form& parameters) override;
    void requestCredentialConfidi(const Form& parameters) override;
    void requestCredentialAccount(const Form& parameters) override;
    void changePassword(const Form& parameters) override;
    void requestPassword() override;
    QString getPrivacyText() override;
    QMetaObject::Connection connectCredentialConfidiAnswer(
        QObject* context, CredentialRequestAnswer answer) override;
    QMetaObject::Connection connectCredentialAccountAnswer(
        QObject* context, CredentialRequestAnswer answer) override;
    void showAnagraphic(const QString& id) override;
    void showPosition(const QString& technicalFormId, const QString& lcr) override;

    /// Hands a command of the flows to the command manager. The command becomes a child of this
    /// object, so one whose reply never reaches it (a refused session) is still freed; used ones
    /// are freed by their accepter operation.
    template <typename Command> void execute(Command* command) { runCommand(command, command); }

    // The parts.
    ComponentFactory* getFactory() const { return factory.get(); }
    SignInFlow* getSignInFlow() const { return signInFlow; }
    UpdateFlow* getUpdateFlow() const { return updateFlow; }

    // Factory, forwarded.
    NetworkManager* getNetworkManager();
    ProxyConfigurator* getProxyConfigurator();
    CommandManager* getCommandManager();
    LoginWindow* getLoginWindow();
    CredentialConfidiWindow* getCredentialConfidiWindow();
    CredentialAccountWindow* getCredentialAccountWindow();
    ActivationCodeWindow* getActivationCodeWindow();
    TwoFaActivationWindow* getTwoFaActivationWindow();
    TwoFaAuthenticationWindow* getTwoFaAuthenticationWindow();
    ChangePasswordWindow* getChangePasswordWindow();
    BankSelectorWindow* getBankSelectorWindow();
    Model::Bank* getBankModel();
    MainWindow* getMainWindow();
    CompanyWindow* getCompanyWindow();
    PositionWindow* getPositionWindow();
    ReportWindow* getReportWindow();
    TicketWindow* getTicketWindow();
    InsertTicketWindow* getInsertTicketWindow();
    HeaderToolbar* getHeaderToolbar();
    PositionDetailWindow* getPositionDetailWindow();
    AnagraphicWindow* getAnagraphicWindow();
    AboutWindow* getAboutWindow();
    Model::Company* getCompanyModel();
    Model::Position* getPositionModel();
    Model::Status* getStatusModel();
    Model::Report* getReportModel();
    Model::Ticket* getTicketModel();
    Model::AddressWrapper* getAddressWrapper();
    UpdateWindow* getUpdateWindow();
    Model::Amortization* getAmortizationModel();
    Model::PositionDetails* getPositionDetailsModel();
    Model::Anagraphic* getAnagraphicModel();
    QSplashScreen* getSplashScreen();

    // Session data.
    /// The session's account; created empty on first use.
    Account* getAccount();
    QString getBank() const override;
    QString getUsername() const override;
    QString getUsernameHead() const;
    QString getUsernameTail() const;
    QString getCredentialCfUtente() const override;
    QString getCredentialCfConfidi() const override;
    QString getCredentialPassword() const override;
    int getConfidiId() const override;
    QString getConfidiCompanyName() const override;
    QString getVersion() const override;
    // Sign-in data, forwarded.
    QString getRequestedConfidiFiscalCode() const override;
    QString getRequestedConfidiCompanyName() const override;
    QString getRequestedConfidiPec() const override;
    QByteArray getQrCodeSvg() const override;
    int getLoginResultCode() const override;
    QString getLoginResultDescription() const override;
    QString getTokenKind() const;

    /// Reads a value of the service "corvane" from the system keychain; empty on any failure.
    QString readKey(const QString& key);
    /// Stores a value of the service "corvane" in the system keychain; failures are logged.
    void writeKey(const QString& key, const QString& value);

    /// The session token files, in the per-user application-data folder (see SessionStore).
    static QString sessionFilePath(const QString& name);
    static void writeSessionFile(const QString& name, const QString& content);
    static void removeSessionFile(const QString& name);

signals:
    void requestCredentialConfidiCompleted(bool status, int resultId);
    void requestCredentialAccountCompleted(bool status, int resultId);

private:
    void runCommand(QObject* object, Interface::CommandInterface* command);
    void refreshServerUrl();
    void truncateLog();
    /// Reads the keychain's credential into the account without blocking.
    void readCredential();
    /// Sends Init once the credential is in: the version check does not wait for the keychain.
    void onVersionUpToDate();

    DevConfig* devConfig;
    bool debugEnabled = false;
    /// A credential read is under way.
    bool credentialReading = false;
    /// The read started with the program serves its first initialization.
    bool credentialFromStart = false;
    /// The version check is through and Init waits for the credential.
    bool initWaiting = false;
    QString serverUrl;
    std::unique_ptr<Config> config;
    std::unique_ptr<Account> account;
    std::unique_ptr<ComponentFactory> factory;
    SignInFlow* signInFlow;
    UpdateFlow* updateFlow;
    std::unique_ptr<RefusedSessionDispatcher> refusedSessions;
    /// The logout on its way: a second request waits for its answer.
    QPointer<Command::Logout> pendingLogout;
};

}
