#include "ui/insertticketmessagewindow.h"

#include "core/logging.h"
#include "models/ticket.h"
#include "ui/dialogsetup.h"
#include "ui/servertextbox.h"
#include "ui_insertticketmessagewindow.h"

#include <QMessageBox>

namespace Corvane {

InsertTicketMessageWindow::InsertTicketMessageWindow(Model::Ticket* ticketModel, QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::InsertTicketMessageWindow>())
    , ticketModel(ticketModel)
{
    ui->setupUi(this);
    setUpDialog(this);
    // Tab leaves the message; a tab character is not needed in it.
    ui->message->setTabChangesFocus(true);
    connect(
        ui->accept, &QPushButton::clicked, this, &InsertTicketMessageWindow::onAcceptButtonClicked);
    connect(ui->reject, &QPushButton::clicked, this, &QDialog::reject);
    connect(ticketModel, &Model::Ticket::ticketMessageInsertionCompleted, this,
        &InsertTicketMessageWindow::onTicketMessageInsertionCompleted);
    connect(ticketModel, &Model::Ticket::ticketMessageInsertionFailed, this,
        &InsertTicketMessageWindow::onTicketMessageInsertionFailed);
}

InsertTicketMessageWindow::~InsertTicketMessageWindow() = default;

QString InsertTicketMessageWindow::getMessage() const { return ui->message->toPlainText(); }

void InsertTicketMessageWindow::onAcceptButtonClicked()
{
    qCDebug(corvaneLog) << "onAcceptButtonClicked"
                        << "SLOT triggered in" << metaObject()->className();
    // Blanks alone are refused here: the server refuses them too, and its answer would cost the
    // user what was typed.
    if (getMessage().trimmed().isEmpty()) {
        QMessageBox::warning(this, QStringLiteral("Campo messaggio non valido"),
            QStringLiteral("Inserisci un testo valido per il nuovo messaggio"), QMessageBox::Ok);
        return;
    }
    ticketModel->insertMessage(ticketModel->getTicketId(), getMessage());
}

void InsertTicketMessageWindow::onTicketMessageInsertionCompleted()
{
    qCDebug(corvaneLog) << "onTicketMessageInsertionCompleted"
                        << "SLOT triggered in" << metaObject()->className();
    QMessageBox::information(this, QStringLiteral("Messaggio inserito"),
        QStringLiteral("Messaggio inserito con successo"));
    ui->message->clear();
    close();
}

void InsertTicketMessageWindow::onTicketMessageInsertionFailed(
    const QString& code, const QString& description)
{
    qCDebug(corvaneLog) << "onTicketMessageInsertionFailed"
                        << "SLOT triggered in" << metaObject()->className();
    showServerText(this, QMessageBox::Warning, QStringLiteral("Messaggio non inserito"),
        refusalText(
            QStringLiteral("Il server non ha accettato il nuovo messaggio."), code, description));
}

}
