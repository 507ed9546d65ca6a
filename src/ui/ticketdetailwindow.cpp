#include "ui/ticketdetailwindow.h"

#include "core/logging.h"
#include "models/ticket.h"
#include "models/ticketconversation.h"
#include "ui/headertoolbar.h"
#include "ui/insertticketmessagewindow.h"
#include "ui/ticketmessagedelegate.h"
#include "ui/windowlayout.h"
#include "ui_ticketdetailwindow.h"

namespace Corvane {

TicketDetailWindow::TicketDetailWindow(Model::Ticket* ticketModel, QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::TicketDetailWindow>())
    , ticketModel(ticketModel)
    , conversation(new Model::TicketConversation(this))
    , insertTicketMessageWindow(new InsertTicketMessageWindow(ticketModel, this))
    , headerToolbar(new HeaderToolbar(insertTicketMessageWindow, this))
{
    ui->setupUi(this);
    WindowLayout::remember(this);
    // Code, subject, state and author are the server's or a user's text: never markup.
    for (QLabel* value : { ui->code, ui->object, ui->status, ui->user })
        value->setTextFormat(Qt::PlainText);
    ui->headerLayout->addWidget(headerToolbar);
    ui->messagesView->setModel(conversation);
    ui->messagesView->setItemDelegate(new TicketMessageDelegate(ui->messagesView));
    connect(ticketModel, &Model::Ticket::ticketDetailRetrived, this,
        &TicketDetailWindow::onTicketDetailRetrived);
}

TicketDetailWindow::~TicketDetailWindow() = default;

void TicketDetailWindow::open()
{
    qCDebug(corvaneLog) << "open"
                        << "Called in" << metaObject()->className();
    const QDateTime created = ticketModel->getTicketDateTime();
    ui->date->setText(created.toString(QStringLiteral("dd/MM/yyyy")));
    ui->time->setText(created.toString(QStringLiteral("HH:mm:ss")));
    ui->code->setText(ticketModel->getTicketCode());
    ui->object->setText(ticketModel->getTicketSubject());
    ui->status->setText(ticketModel->getTicketState());
    ui->status->setStyleSheet(
        QStringLiteral("color: %1;").arg(ticketModel->getTicketColour().name()));
    // The request and its author come with the reply: until then nothing of another ticket.
    ui->user->setText(QStringLiteral("n.d."));
    ui->text->clear();
    conversation->clear();
    setWindowTitle(QStringLiteral("Dettaglio ticket %2").arg(ticketModel->getTicketCode()));
    QDialog::open();
}

void TicketDetailWindow::onTicketDetailRetrived()
{
    qCDebug(corvaneLog) << "onTicketDetailRetrived"
                        << "SLOT triggered in" << metaObject()->className();
    ui->text->setPlainText(ticketModel->getTicketText());
    ui->user->setText(ticketModel->getTicketUserType());
    const QList<TicketMessage*> messages = ticketModel->getTicketMessages();
    conversation->setMessages(messages);
    ui->messagesView->scrollToTop();
    if (messages.isEmpty())
        qCDebug(corvaneLog) << "No ticket messages to display";
}

}
