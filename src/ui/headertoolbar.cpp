#include "ui/headertoolbar.h"

#include "core/logging.h"
#include "ui/dialogsetup.h"
#include "ui/insertticketmessagewindow.h"
#include "ui/insertticketwindow.h"
#include "ui_headertoolbar.h"

#include <QDialog>
#include <QToolButton>

namespace Corvane {

HeaderToolbar::HeaderToolbar(QWidget* parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::HeaderToolbar>())
{
    ui->setupUi(this);
    setFixedSize(970, 60);
    ui->toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    QAction* home = ui->toolbar->addAction(
        QIcon(QStringLiteral(":/Images/home.png")), QStringLiteral("Home"));
    connect(home, &QAction::triggered, this, &HeaderToolbar::onCloseButtonClicked);
    setKeyboardReachable(ui->toolbar);
}

HeaderToolbar::HeaderToolbar(InsertTicketWindow* insertTicketWindow, QWidget* parent)
    : HeaderToolbar(parent)
{
    this->insertTicketWindow = insertTicketWindow;
    QAction* newTicket = ui->toolbar->addAction(
        QIcon(QStringLiteral(":/Images/newticket.png")), QStringLiteral("Nuovo Ticket"));
    connect(newTicket, &QAction::triggered, this, &HeaderToolbar::onNewTicketButtonClicked);
    setKeyboardReachable(ui->toolbar);
}

HeaderToolbar::HeaderToolbar(InsertTicketMessageWindow* insertTicketMessageWindow, QWidget* parent)
    : HeaderToolbar(parent)
{
    this->insertTicketMessageWindow = insertTicketMessageWindow;
    QAction* newMessage = ui->toolbar->addAction(
        QIcon(QStringLiteral(":/Images/newticketmessage.png")), QStringLiteral("Nuovo Messaggio"));
    connect(newMessage, &QAction::triggered, this, &HeaderToolbar::onNewTicketMessageButtonClicked);
    setKeyboardReachable(ui->toolbar);
}

HeaderToolbar::~HeaderToolbar() = default;

void HeaderToolbar::onCloseButtonClicked()
{
    qCDebug(corvaneLog) << "onCloseButtonClicked"
                        << "SLOT triggered";
    if (auto* dialog = qobject_cast<QDialog*>(parentWidget()))
        dialog->close();
}

void HeaderToolbar::onNewTicketButtonClicked()
{
    qCDebug(corvaneLog) << "onNewTicketButtonClicked"
                        << "SLOT triggered";
    if (insertTicketWindow)
        insertTicketWindow->exec();
}

void HeaderToolbar::onNewTicketMessageButtonClicked()
{
    qCDebug(corvaneLog) << "onNewTicketMessageButtonClicked"
                        << "SLOT triggered";
    if (insertTicketMessageWindow)
        insertTicketMessageWindow->exec();
}

}
