#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class QSplashScreen;

namespace Corvane {

class AboutWindow;
class ActivationCodeWindow;
class AnagraphicWindow;
class ApplicationManager;
class BankSelectorWindow;
class ChangePasswordWindow;
class CommandManager;
class CompanyWindow;
class CredentialAccountWindow;
class CredentialConfidiWindow;
class HeaderToolbar;
class InsertTicketWindow;
class LoginWindow;
class MainWindow;
class NetworkManager;
class PositionDetailWindow;
class PositionWindow;
class ProxyConfigurator;
class ReportWindow;
class TicketWindow;
class TwoFaActivationWindow;
class TwoFaAuthenticationWindow;
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

/// Creates the network manager, the proxy configurator, the command manager and every window and
/// model on first use, and is the one owner of them all: what it made is freed when it is
/// destroyed (windows and models through deleteLater, since one may be running a nested event
/// loop). The list windows and the About box are reparented to the main window, which may free
/// them first. Held by the flow manager for the life of the process.
class ComponentFactory final : public QObject {
    Q_OBJECT
public:
    ComponentFactory(ApplicationManager* manager, const QString& serverUrl);
    ~ComponentFactory() override;

    /// The object of that class made here, if any, without creating it.
    template <typename T> T* find() const
    {
        for (const QPointer<QObject>& object : created) {
            if (auto* found = qobject_cast<T*>(object.data()))
                return found;
        }
        return nullptr;
    }

    NetworkManager* getNetworkManager();
    ProxyConfigurator* getProxyConfigurator();
    CommandManager* getCommandManager();
    LoginWindow* getLoginWindow();
    CredentialConfidiWindow* getCredentialConfidiWindow();
    CredentialAccountWindow* getCredentialAccountWindow();
    // The dialogs that ask for a code or a password come back with an empty form.
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
    UpdateWindow* getUpdateWindow();
    QSplashScreen* getSplashScreen();
    Model::Company* getCompanyModel();
    Model::Position* getPositionModel();
    Model::Status* getStatusModel();
    Model::Report* getReportModel();
    Model::Ticket* getTicketModel();
    Model::AddressWrapper* getAddressWrapper();
    Model::Amortization* getAmortizationModel();
    Model::PositionDetails* getPositionDetailsModel();
    Model::Anagraphic* getAnagraphicModel();

private:
    /// The one object of class T, made by make on first use.
    template <typename T, typename Make> T* get(Make make);
    /// Like get, but a form asking for a code is emptied when it is asked for again.
    template <typename T, typename Make> T* getWithEmptyForm(Make make);

    ApplicationManager* manager;
    QString serverUrl;
    // Declared in creation order, so each is destroyed before what it uses.
    std::unique_ptr<NetworkManager> networkManager;
    std::unique_ptr<ProxyConfigurator> proxyConfigurator;
    std::unique_ptr<CommandManager> commandManager;
    /// Every window and model made here, in creation order.
    QList<QPointer<QObject>> created;
};

}
