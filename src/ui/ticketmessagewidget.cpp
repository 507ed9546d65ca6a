#include "ui/ticketmessagewidget.h"

#include "models/ticketmessage.h"
#include "ui_ticketmessagewidget.h"

namespace Corvane {

TicketMessageWidget::TicketMessageWidget(const TicketMessage* message, QWidget* parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::TicketMessageWidget>())
{
    ui->setupUi(this);
    ui->user->setTextFormat(Qt::PlainText);
    // A date the server sent in another form is left out rather than shown wrong.
    const QDateTime when = message->getDateTime();
    ui->user->setText(message->getUserType());
    ui->date->setText(when.isValid() ? when.toString(QStringLiteral("dd/MM/yyyy")) : QString());
    ui->time->setText(when.isValid() ? when.toString(QStringLiteral("HH:mm:ss")) : QString());
    ui->text->setPlainText(message->getText());
}

TicketMessageWidget::~TicketMessageWidget() = default;

}
