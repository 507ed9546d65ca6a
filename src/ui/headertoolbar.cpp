#include "ui/headertoolbar.h"

#include "app/logging.h"
#include "ui/insertticketwindow.h"
#include "ui_headertoolbar.h"

#include <QDialog>
#include <QToolButton>

namespace Corvane {

HeaderToolbar::HeaderToolbar(InsertTicketWindow* insertTicketWindow, QWidget* parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::HeaderToolbar>())
    , insertTicketWindow(insertTicketWindow)
{
    ui->setupUi(this);
    setFixedSize(970, 60);
    ui->toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    QAction* home = ui->toolbar->addAction(
        QIcon(QStringLiteral(":/Images/home.png")), QStringLiteral("Home"));
    connect(home, &QAction::triggered, this, &HeaderToolbar::onCloseButtonClicked);
    QAction* newTicket = ui->toolbar->addAction(
        QIcon(QStringLiteral(":/Images/newticket.png")), QStringLiteral("Nuovo Ticket"));
    connect(newTicket, &QAction::triggered, this, &HeaderToolbar::onNewTicketButtonClicked);
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

}
