#pragma once

#include "protocol/accountsettingsaccepterinterface.h"
#include "protocol/applicationinitializeresponderinterface.h"
#include "protocol/authenticationresultaccepterinterface.h"
#include "protocol/changepasswordresultaccepterinterface.h"
#include "protocol/checkversionaccepterinterface.h"
#include "protocol/downloadupdateresponseaccepterinterface.h"
#include "protocol/logoutresultaccepterinterface.h"
#include "protocol/requestcredentialresponseaccepterinterface.h"
#include "protocol/sendprivacyresponseaccepterinterface.h"
#include "protocol/updateinitializeresponderinterface.h"

#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>

class QSplashScreen;
class QWidget;

namespace Corvane {

class AboutWindow;
class Account;
class AnagraphicWindow;
class ActivationCodeWindow;
class BankSelectorWindow;
class ChangePasswordWindow;
class CodeWindow;
class CommandManager;
class CompanyWindow;
class HeaderToolbar;
class InsertTicketWindow;
class MainWindow;
class PositionDetailWindow;
class PositionWindow;
class ReportWindow;
class TicketWindow;
class Config;
class CredentialAccountWindow;
class CredentialConfidiWindow;
class DevConfig;
class LoginWindow;
class NetworkManager;
class ProxyConfigurator;
class TwoFaActivationWindow;
class TwoFaAuthenticationWindow;
class Updater;
class UpdateWindow;

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

/// The flow manager: walks the user from start-up to the bank choice and back, decides when the
/// session files and the keychain entries (kept by SessionStore) change, turns refused sessions
/// into the right dialog, and is the program's factory: the network manager, the proxy
/// configurator, the command manager and every window and model are created on first use by its
/// getters and kept for the life of the process. Created once, without a parent, by the entry
/// point.
class ApplicationManager : public QObject,
                           public Interface::ApplicationInitializeResponderInterface,
                           public Interface::UpdateInitializeResponderInterface,
                           public Interface::AccountSettingsAccepterInterface,
                           public Interface::AuthenticationResultAccepterInterface,
                           public Interface::LogoutResultAccepterInterface,
                           public Interface::CheckVersionAccepterInterface,
                           public Interface::RequestCredentialResponseAccepterInterface,
                           public Interface::DownloadUpdateResponseAccepterInterface,
                           public Interface::SendPrivacyResponseAccepterInterface,
                           public Interface::ChangePasswordResultAccepterInterface {
    Q_OBJECT
    Q_INTERFACES(Corvane::Interface::ApplicationInitializeResponderInterface Corvane::Interface::
            UpdateInitializeResponderInterface Corvane::Interface::AccountSettingsAccepterInterface
                Corvane::Interface::AuthenticationResultAccepterInterface
                    Corvane::Interface::LogoutResultAccepterInterface
                        Corvane::Interface::CheckVersionAccepterInterface
                            Corvane::Interface::RequestCredentialResponseAccepterInterface
                                Corvane::Interface::DownloadUpdateResponseAccepterInterface
                                    Corvane::Interface::SendPrivacyResponseAccepterInterface
                                        Corvane::Interface::ChangePasswordResultAccepterInterface)
public:
    explicit ApplicationManager(DevConfig* devConfig, QObject* parent = nullptr);
    ~ApplicationManager() override;

    // Flow.
    /// Starts the proxy set-up and the connection check; the rest of the flow follows the replies.
    void start();
    void onBankSelected(const QString& bank);
    void logoutOnNoBank();
    void showServerErrorDialog(CommandManager* commandManager);
    /// Reacts to an authenticated reply that failed the session check.
    void manageResponse(CommandManager* commandManager);
    /// Shows the login window again, modal (the cancel buttons of the code dialogs come here).
    void showLoginWindow();
    /// The update run: swaps the executables in the working directory and starts the next one.
    void finishUpdate();

    // Requests of the windows; each map goes unchanged to its command.
    void login(const QMap<QString, QString>& parameters);
    void requestActivationCode(const QMap<QString, QString>& parameters);
    void twoFaFirstAuthentication(const QMap<QString, QString>& parameters);
    void twoFaAuthentication(const QMap<QString, QString>& parameters);
    void requestCredentialConfidi(const QMap<QString, QString>& parameters);
    void requestCredentialAccount(const QMap<QString, QString>& parameters);
    void changePassword(const QMap<QString, QString>& parameters);
    void requestPassword();
    void logout();
    /// The privacy notice; empty while its first fetch, started here, is on its way.
    QString getPrivacyText();

    // Accepters and responders.
    void initializeApplication() override;
    void initializeUpdate() override;
    void setAccount(Command::Init* command) override;
    void manageAuthenticationResult(Command::Login* command) override;
    void manageAuthenticationResult(Command::RequestActivationCode* command) override;
    void manageAuthenticationResult(Command::TwoFaActivation* command) override;
    void manageAuthenticationResult(Command::TwoFaFirstAuthentication* command) override;
    void manageAuthenticationResult(Command::TwoFaAuthentication* command) override;
    void manageLogoutResult(Command::Logout* command) override;
    void onVersionUpToDate(Command::CheckVersion* command) override;
    void onUpdateAvailable(Command::CheckVersion* command) override;
    void manageCredentialRequestResult(Command::RequestCredentialConfidi* command) override;
    void manageCredentialRequestResult(Command::RequestCredentialAccount* command) override;
    void manageDownloadUpdateResult(Command::DownloadUpdate* command) override;
    void setPrivacy(Command::SendPrivacy* command) override;
    void manageChangePasswordResult(Command::ChangePassword* command) override;
    void manageRequestPasswordResult(Command::RequestPassword* command) override;

    // Factory.
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

    // Session data read by the windows.
    /// The session's account; created empty on first use.
    Account* getAccount();
    QString getBank() const;
    QString getUsernameHead() const;
    QString getUsernameTail() const;
    QString getCredentialCfUtente() const;
    QString getCredentialCfConfidi() const;
    QString getCredentialPassword() const;
    int getConfidiId() const;
    QString getConfidiCompanyName() const;
    QString getRequestedConfidiFiscalCode() const { return requestedConfidiFiscalCode; }
    QString getRequestedConfidiCompanyName() const { return requestedConfidiCompanyName; }
    QString getRequestedConfidiPec() const { return requestedConfidiPec; }
    QByteArray getQrCodeSvg() const { return qrCodeSvg.toUtf8(); }
    int getLoginResultCode() const { return loginResultCode; }
    /// The server's description of the last failed login's result.
    QString getLoginResultDescription() const { return loginResultDescription; }
    QString getTokenKind() const { return tokenKind; }
    QString getVersion() const;
    QString getServerUrl() const { return serverUrl; }
    bool isDebugEnabled() const { return debugEnabled; }

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
    void hideLoginProgress();
    void sendInit();
    void requestTwoFaActivation();
    void refreshServerUrl();
    /// Hands a command to the command manager. The command is a child of this object, so one
    /// whose reply never reaches it (a refused session) is still freed; used ones are freed by
    /// their accepter operation.
    template <typename Command> void execute(Command* command);
    void truncateLog();
    Updater* getUpdater();
    /// The parent of the update box and window.
    QWidget* getUpdateParent();

    DevConfig* devConfig;
    bool debugEnabled = false;
    QString serverUrl;
    QString tempPath;
    Config* config = nullptr;
    Account* account = nullptr;
    QString privacyText;
    QString requestedConfidiFiscalCode;
    QString requestedConfidiCompanyName;
    QString requestedConfidiPec;
    QString tokenKind;
    QString qrCodeSvg;
    int loginResultCode = 0;
    QString loginResultDescription;
    /// The window whose code is on its way to the server.
    QPointer<CodeWindow> codeSender;
    QPointer<Command::SendPrivacy> pendingPrivacy;

    NetworkManager* networkManager = nullptr;
    ProxyConfigurator* proxyConfigurator = nullptr;
    CommandManager* commandManager = nullptr;
    LoginWindow* loginWindow = nullptr;
    CredentialConfidiWindow* credentialConfidiWindow = nullptr;
    CredentialAccountWindow* credentialAccountWindow = nullptr;
    ActivationCodeWindow* activationCodeWindow = nullptr;
    TwoFaActivationWindow* twoFaActivationWindow = nullptr;
    TwoFaAuthenticationWindow* twoFaAuthenticationWindow = nullptr;
    ChangePasswordWindow* changePasswordWindow = nullptr;
    BankSelectorWindow* bankSelectorWindow = nullptr;
    Model::Bank* bankModel = nullptr;
    // The list windows and the About box become children of the main window, which may free
    // them first.
    QPointer<MainWindow> mainWindow;
    QPointer<CompanyWindow> companyWindow;
    QPointer<PositionWindow> positionWindow;
    QPointer<ReportWindow> reportWindow;
    QPointer<TicketWindow> ticketWindow;
    QPointer<InsertTicketWindow> insertTicketWindow;
    QPointer<HeaderToolbar> headerToolbar;
    QPointer<AboutWindow> aboutWindow;
    QPointer<PositionDetailWindow> positionDetailWindow;
    QPointer<AnagraphicWindow> anagraphicWindow;
    Model::Company* companyModel = nullptr;
    Model::Position* positionModel = nullptr;
    Model::Status* statusModel = nullptr;
    Model::Report* reportModel = nullptr;
    Model::Ticket* ticketModel = nullptr;
    Model::AddressWrapper* addressWrapper = nullptr;
    Model::Amortization* amortizationModel = nullptr;
    Model::PositionDetails* positionDetailsModel = nullptr;
    Model::Anagraphic* anagraphicModel = nullptr;
    QSplashScreen* splashScreen = nullptr;
    UpdateWindow* updateWindow = nullptr;
    Updater* updater = nullptr;
};

}
