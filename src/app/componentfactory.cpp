#include "app/componentfactory.h"

#include "app/applicationmanager.h"
#include "app/updateflow.h"
#include "app/updatewindow.h"
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
#include "ui/aboutwindow.h"
#include "ui/anagraphicwindow.h"
#include "ui/bankselectorwindow.h"
#include "ui/changepasswordwindow.h"
#include "ui/codewindow.h"
#include "ui/companywindow.h"
#include "ui/credentialaccountwindow.h"
#include "ui/credentialconfidiwindow.h"
#include "ui/headertoolbar.h"
#include "ui/insertticketwindow.h"
#include "ui/loginwindow.h"
#include "ui/mainwindow.h"
#include "ui/positiondetailwindow.h"
#include "ui/positionwindow.h"
#include "ui/prompts.h"
#include "ui/reportwindow.h"
#include "ui/ticketwindow.h"

#include <QPixmap>
#include <QSplashScreen>

#include <utility>

namespace Corvane {

ComponentFactory::ComponentFactory(ApplicationManager* manager, const QString& serverUrl)
    : manager(manager)
    , serverUrl(serverUrl)
{
}

ComponentFactory::~ComponentFactory()
{
    // A window freed with its parent drops its pending deletion, so each may be named here.
    for (const QPointer<QObject>& object : std::as_const(created)) {
        if (object)
            object->deleteLater();
    }
}

template <typename T, typename Make> T* ComponentFactory::get(Make make)
{
    if (T* existing = find<T>())
        return existing;
    T* object = make();
    created.append(object);
    return object;
}

template <typename T, typename Make> T* ComponentFactory::getWithEmptyForm(Make make)
{
    if (T* existing = find<T>()) {
        existing->resetForm();
        return existing;
    }
    return get<T>(make);
}

NetworkManager* ComponentFactory::getNetworkManager()
{
    if (!networkManager) {
        networkManager = std::make_unique<NetworkManager>();
        // A transfer that failed ends its command without a result: a login must not leave its
        // wait on screen.
        connect(networkManager.get(), &NetworkManager::proxyErrorDetected, this, [this] {
            if (LoginWindow* login = find<LoginWindow>())
                login->hideProgressDialog();
        });
        connect(networkManager.get(), &NetworkManager::fatalErrorOccurred, this,
            &Prompt::showNetworkError);
        // Once the main window is up a failed transfer ends its request, not the program.
        networkManager->setSessionOpen([this] { return find<MainWindow>() != nullptr; });
    }
    return networkManager.get();
}

ProxyConfigurator* ComponentFactory::getProxyConfigurator()
{
    if (!proxyConfigurator) {
        proxyConfigurator
            = std::make_unique<ProxyConfigurator>(manager, getNetworkManager(), serverUrl);
    }
    return proxyConfigurator.get();
}

CommandManager* ComponentFactory::getCommandManager()
{
    if (!commandManager) {
        commandManager = std::make_unique<CommandManager>(
            getProxyConfigurator(), getNetworkManager(), manager);
        // The flow's commands are children of the flow manager: each is freed once it has ended,
        // refused and failed ones included.
        connect(
            commandManager.get(), &CommandManager::executionEnded, this, [this](QObject* command) {
                if (command->parent() == manager)
                    command->deleteLater();
            });
    }
    return commandManager.get();
}

LoginWindow* ComponentFactory::getLoginWindow()
{
    return get<LoginWindow>([this] {
        return new LoginWindow(manager, [this] { return getCredentialConfidiWindow(); });
    });
}

CredentialConfidiWindow* ComponentFactory::getCredentialConfidiWindow()
{
    return get<CredentialConfidiWindow>([this] {
        return new CredentialConfidiWindow(
            manager, [this] { return getCredentialAccountWindow(); });
    });
}

CredentialAccountWindow* ComponentFactory::getCredentialAccountWindow()
{
    return get<CredentialAccountWindow>([this] { return new CredentialAccountWindow(manager); });
}

ActivationCodeWindow* ComponentFactory::getActivationCodeWindow()
{
    return getWithEmptyForm<ActivationCodeWindow>(
        [this] { return new ActivationCodeWindow(manager); });
}

TwoFaActivationWindow* ComponentFactory::getTwoFaActivationWindow()
{
    return getWithEmptyForm<TwoFaActivationWindow>(
        [this] { return new TwoFaActivationWindow(manager); });
}

TwoFaAuthenticationWindow* ComponentFactory::getTwoFaAuthenticationWindow()
{
    return getWithEmptyForm<TwoFaAuthenticationWindow>(
        [this] { return new TwoFaAuthenticationWindow(manager); });
}

ChangePasswordWindow* ComponentFactory::getChangePasswordWindow()
{
    return getWithEmptyForm<ChangePasswordWindow>(
        [this] { return new ChangePasswordWindow(manager); });
}

BankSelectorWindow* ComponentFactory::getBankSelectorWindow()
{
    return get<BankSelectorWindow>(
        [this] { return new BankSelectorWindow(manager, getBankModel()); });
}

Model::Bank* ComponentFactory::getBankModel()
{
    return get<Model::Bank>([this] { return new Model::Bank(getCommandManager()); });
}

MainWindow* ComponentFactory::getMainWindow()
{
    return get<MainWindow>([this] {
        return new MainWindow(manager, getProxyConfigurator(), getCompanyWindow(),
            getPositionWindow(), getReportWindow(), getTicketWindow(), getInsertTicketWindow(),
            getAboutWindow());
    });
}

CompanyWindow* ComponentFactory::getCompanyWindow()
{
    return get<CompanyWindow>(
        [this] { return new CompanyWindow(manager, getHeaderToolbar(), getCompanyModel()); });
}

PositionWindow* ComponentFactory::getPositionWindow()
{
    return get<PositionWindow>([this] {
        return new PositionWindow(
            manager, getHeaderToolbar(), getPositionModel(), getStatusModel());
    });
}

ReportWindow* ComponentFactory::getReportWindow()
{
    return get<ReportWindow>(
        [this] { return new ReportWindow(manager, getHeaderToolbar(), getReportModel()); });
}

TicketWindow* ComponentFactory::getTicketWindow()
{
    return get<TicketWindow>(
        [this] { return new TicketWindow(getHeaderToolbar(), getTicketModel()); });
}

InsertTicketWindow* ComponentFactory::getInsertTicketWindow()
{
    return get<InsertTicketWindow>([this] { return new InsertTicketWindow(getTicketModel()); });
}

HeaderToolbar* ComponentFactory::getHeaderToolbar()
{
    return get<HeaderToolbar>([this] { return new HeaderToolbar(getInsertTicketWindow()); });
}

PositionDetailWindow* ComponentFactory::getPositionDetailWindow()
{
    return get<PositionDetailWindow>([this] {
        return new PositionDetailWindow(
            getAnagraphicWindow(), getAmortizationModel(), getPositionDetailsModel());
    });
}

AnagraphicWindow* ComponentFactory::getAnagraphicWindow()
{
    return get<AnagraphicWindow>([this] { return new AnagraphicWindow(getAnagraphicModel()); });
}

AboutWindow* ComponentFactory::getAboutWindow()
{
    return get<AboutWindow>([this] { return new AboutWindow(manager); });
}

UpdateWindow* ComponentFactory::getUpdateWindow()
{
    // The main window is the parent when there is one. It is not created for this: its windows
    // and models fetch their look-ups on creation, and without a session every such request
    // would end the program in the middle of the update.
    return get<UpdateWindow>(
        [this] { return new UpdateWindow(manager->getUpdateFlow(), find<MainWindow>()); });
}

QSplashScreen* ComponentFactory::getSplashScreen()
{
    return get<QSplashScreen>(
        [] { return new QSplashScreen(QPixmap(QStringLiteral(":/Images/tessaro.png"))); });
}

Model::Company* ComponentFactory::getCompanyModel()
{
    return get<Model::Company>(
        [this] { return new Model::Company(getCommandManager(), getAddressWrapper()); });
}

Model::Position* ComponentFactory::getPositionModel()
{
    return get<Model::Position>([this] { return new Model::Position(getCommandManager()); });
}

Model::Status* ComponentFactory::getStatusModel()
{
    return get<Model::Status>([this] { return new Model::Status(getCommandManager()); });
}

Model::Report* ComponentFactory::getReportModel()
{
    return get<Model::Report>([this] { return new Model::Report(getCommandManager()); });
}

Model::Ticket* ComponentFactory::getTicketModel()
{
    return get<Model::Ticket>([this] { return new Model::Ticket(getCommandManager()); });
}

Model::AddressWrapper* ComponentFactory::getAddressWrapper()
{
    return get<Model::AddressWrapper>(
        [this] { return new Model::AddressWrapper(getCommandManager()); });
}

Model::Amortization* ComponentFactory::getAmortizationModel()
{
    return get<Model::Amortization>(
        [this] { return new Model::Amortization(getCommandManager()); });
}

Model::PositionDetails* ComponentFactory::getPositionDetailsModel()
{
    return get<Model::PositionDetails>(
        [this] { return new Model::PositionDetails(getCommandManager()); });
}

Model::Anagraphic* ComponentFactory::getAnagraphicModel()
{
    return get<Model::Anagraphic>([this] { return new Model::Anagraphic(getCommandManager()); });
}

}
