#include "ui/mainwindow.h"

#include "core/logging.h"
#include "network/proxyconfigurator.h"
#include "ui/aboutwindow.h"
#include "ui/companywindow.h"
#include "ui/dialogsetup.h"
#include "ui/insertticketwindow.h"
#include "ui/maintenancewindow.h"
#include "ui/positionwindow.h"
#include "ui/reportwindow.h"
#include "ui/ticketwindow.h"
#include "ui/windowlayout.h"
#include "ui/windowrequestinterface.h"
#include "ui_mainwindow.h"

#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QToolButton>

namespace Corvane {

namespace {
    /// A tool bar button showing action whose menu opens on the first click.
    QToolButton* menuButton(QWidget* parent, QAction* face, const QList<QAction*>& entries)
    {
        auto* button = new QToolButton(parent);
        button->setDefaultAction(face);
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setPopupMode(QToolButton::InstantPopup);
        auto* menu = new QMenu(button);
        menu->addActions(entries);
        button->setMenu(menu);
        return button;
    }
}

MainWindow::MainWindow(Interface::WindowRequestInterface* applicationManager,
    ProxyConfigurator* proxyConfigurator, CompanyWindow* companyWindow,
    PositionWindow* positionWindow, ReportWindow* reportWindow, TicketWindow* ticketWindow,
    InsertTicketWindow* insertTicketWindow, AboutWindow* aboutWindow, QWidget* parent)
    : QMainWindow(parent)
    , ui(std::make_unique<Ui::MainWindow>())
    , aboutWindow(aboutWindow)
    , insertTicketWindow(insertTicketWindow)
    , ticketWindow(ticketWindow)
    , reportWindow(reportWindow)
    , positionWindow(positionWindow)
    , companyWindow(companyWindow)
    , proxyConfigurator(proxyConfigurator)
    , applicationManager(applicationManager)
{
    ui->setupUi(this);
    WindowLayout::remember(this);
    setContextMenuPolicy(Qt::NoContextMenu);
    const Qt::WindowFlags dialogFlags
        = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
    for (QWidget* window : { static_cast<QWidget*>(companyWindow),
             static_cast<QWidget*>(reportWindow), static_cast<QWidget*>(ticketWindow),
             static_cast<QWidget*>(positionWindow), static_cast<QWidget*>(aboutWindow) })
        window->setParent(this, dialogFlags);

    ui->mainToolBar->addWidget(menuButton(ui->mainToolBar, ui->actionOpzioni,
        { ui->actionConfigurazione_proxy, ui->actionRequest_Password }));
    ui->mainToolBar->addWidget(menuButton(ui->mainToolBar, ui->actionAssistenza,
        { ui->actionNuovo_Ticket, ui->actionVisualizza_Ticket }));
    ui->mainToolBar->addSeparator();
    auto* exitButton = new QToolButton(ui->mainToolBar);
    exitButton->setDefaultAction(ui->actionEsci);
    exitButton->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    ui->mainToolBar->addWidget(exitButton);
    setKeyboardReachable(ui->mainToolBar);
    // Every tool bar button shows, whatever the font size: no overflow menu.
    setFixedSize(qMax(600, ui->mainToolBar->sizeHint().width()), 300);

    auto* userLabel
        = new QLabel(QStringLiteral("Utente connesso: %1").arg(applicationManager->getUsername()));
    ui->statusBar->addPermanentWidget(userLabel, 1);
    ui->statusBar->setSizeGripEnabled(false);

    connect(ui->actionEsci, &QAction::triggered, this, &MainWindow::logout);
    connect(ui->actionConfigurazione_proxy, &QAction::triggered, this,
        &MainWindow::openNetworkConfigurationWindow);
    connect(ui->actionImprese, &QAction::triggered, this, &MainWindow::openCompanyWindow);
    connect(ui->actionReport, &QAction::triggered, this, &MainWindow::openReportWindow);
    connect(ui->actionBanca, &QAction::triggered, this, &MainWindow::openSceltaBancaWindow);
    connect(ui->actionRequest_Password, &QAction::triggered, this, &MainWindow::requestPassword);
    connect(ui->actionVisualizza_Ticket, &QAction::triggered, this, &MainWindow::openTicketWindow);
    connect(ui->actionNuovo_Ticket, &QAction::triggered, insertTicketWindow, &QDialog::exec);
    connect(ui->actionPosizioni, &QAction::triggered, this, &MainWindow::openPositionWindow);
    connect(ui->actionInformazioni, &QAction::triggered, aboutWindow, &QDialog::open);

    // Exports the list last used; there is none until a list has been opened.
    exportAction = new QAction(QStringLiteral("&Esporta…"), this);
    exportAction->setObjectName(QStringLiteral("actionEsporta"));
    exportAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    exportAction->setEnabled(false);
    ui->menuTitle->insertAction(ui->actionEsci, exportAction);
    ui->menuTitle->insertSeparator(ui->actionEsci);
    addAction(exportAction);
    connect(exportAction, &QAction::triggered, this, &MainWindow::exportList);
    for (AbstractTableWindow* list : { static_cast<AbstractTableWindow*>(companyWindow),
             static_cast<AbstractTableWindow*>(positionWindow),
             static_cast<AbstractTableWindow*>(reportWindow),
             static_cast<AbstractTableWindow*>(ticketWindow) })
        list->installEventFilter(this);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::Show) {
        if (auto* list = qobject_cast<AbstractTableWindow*>(watched)) {
            lastList = list;
            exportAction->setEnabled(true);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::exportList()
{
    if (lastList)
        lastList->exportList();
}

MainWindow::~MainWindow() = default;

MaintenanceWindow* MainWindow::getMaintenanceWindow()
{
    if (!maintenanceWindow)
        maintenanceWindow = new MaintenanceWindow(this);
    return maintenanceWindow;
}

void MainWindow::showMaintenanceWindow() { qCDebug(corvaneLog) << "Showing maintenance window"; }

void MainWindow::show()
{
    qCDebug(corvaneLog) << "Showing main window";
    ui->confidiInUso->setText(QStringLiteral("%1 - %2")
                                  .arg(applicationManager->getConfidiId())
                                  .arg(applicationManager->getConfidiCompanyName()));
    ui->bancaInUso->setText(applicationManager->getBank());
    QMainWindow::show();
}

void MainWindow::openNetworkConfigurationWindow()
{
    proxyConfigurator->openNetworkSettingsWindow();
}

void MainWindow::requestPassword()
{
    // The request replaces the password at once: one stray click must not do that.
    if (QMessageBox::question(this, QStringLiteral("Richiesta nuova password"),
            QStringLiteral(
                "Vuoi richiedere una nuova password? Quella attuale non sarà più valida."),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        != QMessageBox::Yes)
        return;
    qCDebug(corvaneLog) << "Requesting a new password";
    applicationManager->requestPassword();
}

void MainWindow::logout()
{
    qCDebug(corvaneLog) << "logout"
                        << "triggered in" << metaObject()->className();
    // The window goes with the server's answer: a logout that fails leaves it usable.
    applicationManager->logout();
}

void MainWindow::openCompanyWindow() { companyWindow->open(); }

void MainWindow::openReportWindow() { reportWindow->open(); }

void MainWindow::openTicketWindow() { ticketWindow->open(); }

void MainWindow::openPositionWindow() { positionWindow->open(); }

void MainWindow::openSceltaBancaWindow() { applicationManager->restart(); }

}
