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
    addButton(QStringLiteral(":/Images/home.png"), QStringLiteral("Home"),
        &HeaderToolbar::onCloseButtonClicked);
}

HeaderToolbar::HeaderToolbar(InsertTicketWindow* insertTicketWindow, QWidget* parent)
    : HeaderToolbar(parent)
{
    this->insertTicketWindow = insertTicketWindow;
    addButton(QStringLiteral(":/Images/newticket.png"), QStringLiteral("Nuovo Ticket"),
        &HeaderToolbar::onNewTicketButtonClicked);
}

HeaderToolbar::HeaderToolbar(InsertTicketMessageWindow* insertTicketMessageWindow, QWidget* parent)
    : HeaderToolbar(parent)
{
    this->insertTicketMessageWindow = insertTicketMessageWindow;
    addButton(QStringLiteral(":/Images/newticketmessage.png"), QStringLiteral("Nuovo Messaggio"),
        &HeaderToolbar::onNewTicketMessageButtonClicked);
}

void HeaderToolbar::addButton(
    const QString& icon, const QString& text, void (HeaderToolbar::*slot)())
{
    QAction* action = ui->toolbar->addAction(QIcon(icon), text);
    connect(action, &QAction::triggered, this, slot);
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
