#pragma once

#include <QMainWindow>
#include <QPointer>

#include <memory>

namespace Corvane {

class AboutWindow;
class AbstractTableWindow;
namespace Interface {
    class WindowRequestInterface;
}
class CompanyWindow;
class InsertTicketWindow;
class MaintenanceWindow;
class PositionWindow;
class ProxyConfigurator;
class ReportWindow;
class TicketWindow;

namespace Ui {
    class MainWindow;
}

/// The frame of a session: which consortium and bank are in use, and the menus and tool bar
/// that open the lists, the new-ticket dialog, the network settings and the About box. Created
/// once by the flow manager when a bank is chosen; closed once a logout has succeeded.
class MainWindow final : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(Interface::WindowRequestInterface* applicationManager,
        ProxyConfigurator* proxyConfigurator, CompanyWindow* companyWindow,
        PositionWindow* positionWindow, ReportWindow* reportWindow, TicketWindow* ticketWindow,
        InsertTicketWindow* insertTicketWindow, AboutWindow* aboutWindow,
        QWidget* parent = nullptr);
    ~MainWindow() override;

    /// The maintenance notice, made on first use.
    MaintenanceWindow* getMaintenanceWindow();

public slots:
    void showMaintenanceWindow();
    void show();

    void openNetworkConfigurationWindow();
    void requestPassword();
    void logout();
    void openCompanyWindow();
    void openReportWindow();
    void openTicketWindow();
    void openPositionWindow();
    void openSceltaBancaWindow();
    /// Exports the list window most recently active.
    void exportList();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<Ui::MainWindow> ui;
    AboutWindow* aboutWindow;
    InsertTicketWindow* insertTicketWindow;
    TicketWindow* ticketWindow;
    ReportWindow* reportWindow;
    PositionWindow* positionWindow;
    CompanyWindow* companyWindow;
    ProxyConfigurator* proxyConfigurator;
    Interface::WindowRequestInterface* applicationManager;
    MaintenanceWindow* maintenanceWindow = nullptr;
    QAction* exportAction = nullptr;
    QPointer<AbstractTableWindow> lastList;
};

}
