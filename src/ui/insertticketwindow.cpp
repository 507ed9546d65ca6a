#include "ui/insertticketwindow.h"

#include "core/logging.h"
#include "models/ticket.h"
#include "ui/dialogsetup.h"
#include "ui/servertextbox.h"
#include "ui_insertticketwindow.h"

#include <QMessageBox>
#include <QRegExpValidator>

namespace Corvane {

InsertTicketWindow::InsertTicketWindow(Model::Ticket* ticketModel, QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::InsertTicketWindow>())
    , ticketModel(ticketModel)
{
    ui->setupUi(this);
    setUpDialog(this);
    ui->userEmail->setValidator(
        new QRegExpValidator(QRegExp(QStringLiteral("\\b[A-Z0-9._%+-]+@[A-Z0-9.-]+\\.[A-Z0-9]+\\b"),
                                 Qt::CaseInsensitive, QRegExp::RegExp),
            this));
    ui->userEmail->setText(ticketModel->getUserEmail());
    setPressedByEnter(ui->accept);
    setPressedByEnter(ui->reject);
    // Tab leaves the text; a tab character is not needed in it.
    ui->text->setTabChangesFocus(true);
    connect(ui->accept, &QPushButton::clicked, this, &InsertTicketWindow::onAcceptButtonClicked);
    connect(ui->reject, &QPushButton::clicked, this, &QDialog::reject);
    connect(ticketModel, &Model::Ticket::ticketInsertionCompleted, this,
        &InsertTicketWindow::onTicketInsertionCompleted);
    connect(ticketModel, &Model::Ticket::ticketInsertionFailed, this,
        &InsertTicketWindow::onTicketInsertionFailed);
    connect(ticketModel, &Model::Ticket::ticketUserEmailRetrived, this,
        &InsertTicketWindow::onTicketUserEmailRetrived);
}

InsertTicketWindow::~InsertTicketWindow() = default;

QString InsertTicketWindow::getSubject() const { return ui->object->text(); }

QString InsertTicketWindow::getText() const { return ui->text->toPlainText(); }

QString InsertTicketWindow::getEmail() const { return ui->userEmail->text(); }

void InsertTicketWindow::onAcceptButtonClicked()
{
    qCDebug(corvaneLog) << "onAcceptButtonClicked"
                        << "SLOT triggered in" << metaObject()->className();
    const auto refuse = [this](const QString& title, const QString& text) {
        QMessageBox::warning(this, title, text, QMessageBox::Ok);
    };
    // Blanks alone are refused here: the server refuses them too, and its answer would cost the
    // user what was typed.
    if (getSubject().trimmed().isEmpty()) {
        refuse(QStringLiteral("Campo Oggetto non valido"),
            QStringLiteral("Inserisci un oggetto per il nuovo ticket"));
        return;
    }
    if (getText().trimmed().isEmpty()) {
        refuse(QStringLiteral("Campo Test non valido"),
            QStringLiteral("Inserisci un testo valido per il nuovo ticket"));
        return;
    }
    if (!ui->userEmail->hasAcceptableInput()) {
        refuse(QStringLiteral("Campo Email da notificare non valido"),
            QStringLiteral("Inserisci un email valida per la notifica delle risposte al nuovo "
                           "ticket"));
        return;
    }
    ticketModel->insertTicket(getText(), getSubject(), getEmail());
}

void InsertTicketWindow::onTicketInsertionCompleted(const QString& code)
{
    qCDebug(corvaneLog) << "onTicketInsertionCompleted"
                        << "SLOT triggered in" << metaObject()->className();
    showServerText(this, QMessageBox::Information, QStringLiteral("Ticket inserito"),
        QStringLiteral("Ticket inserito con successo.\nIl codice del nuovo ticket è: %1")
            .arg(code));
    ui->object->clear();
    ui->text->clear();
    ticketModel->fetch();
    close();
}

void InsertTicketWindow::onTicketInsertionFailed(const QString& code, const QString& description)
{
    qCDebug(corvaneLog) << "onTicketInsertionFailed"
                        << "SLOT triggered in" << metaObject()->className();
    const QString title = QStringLiteral("Ticket non inserito");
    if (!code.isEmpty()) {
        showServerText(this, QMessageBox::Warning, title,
            refusalText(
                QStringLiteral("Il server non ha accettato il nuovo ticket."), code, description));
        return;
    }
    // The form keeps what was typed, so the user can check the list and send it again.
    QMessageBox::warning(this, title,
        QStringLiteral("Il server non ha restituito il codice del nuovo ticket: il ticket potrebbe "
                       "non essere stato inserito. Controllare l'elenco dei ticket prima di "
                       "inserirlo di nuovo."),
        QMessageBox::Ok);
}

void InsertTicketWindow::onTicketUserEmailRetrived()
{
    qCDebug(corvaneLog) << "onTicketUserEmailRetrived"
                        << "Slot triggered in" << metaObject()->className();
    ui->userEmail->setText(ticketModel->getUserEmail());
}

}
