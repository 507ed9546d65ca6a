#include "ui/credentialaccountwindow.h"

#include "core/logging.h"
#include "protocol/xmlparser.h"
#include "ui/dialogsetup.h"
#include "ui/privacywindow.h"
#include "ui/servertextbox.h"
#include "ui/texts.h"
#include "ui/windowrequestinterface.h"
#include "ui_credentialaccountwindow.h"

#include <QApplication>
#include <QMessageBox>

namespace Corvane {

CredentialAccountWindow::CredentialAccountWindow(
    Interface::WindowRequestInterface* applicationManager, QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::CredentialAccountWindow>())
    , applicationManager(applicationManager)
    , privacyWindow(new PrivacyWindow(this))
{
    ui->setupUi(this);
    setUpDialog(this);
    resize(660, 450);

    connect(ui->utenteCodiceFiscaleLineEdit, &QLineEdit::textEdited, this,
        &CredentialAccountWindow::onTextEdited);
    connect(
        ui->readPrivacy, &QPushButton::clicked, this, &CredentialAccountWindow::openPrivacyWindow);
}

CredentialAccountWindow::~CredentialAccountWindow() = default;

void CredentialAccountWindow::open()
{
    // Starts fetching the notice now, so it is there when the user asks to read it.
    applicationManager->getPrivacyText();

    ui->utenteNomeLineEdit->clear();
    ui->utenteCognomeLineEdit->clear();
    ui->utenteCodiceFiscaleLineEdit->clear();
    ui->utenteEmailLineEdit->clear();
    // Consent is given anew for every request.
    ui->privacyCheckBox->setChecked(false);
    ui->utenteNomeLineEdit->setFocus();

    ui->confidiCodiceFiscaleLineEdit->setText(applicationManager->getRequestedConfidiFiscalCode());
    ui->confidiRagioneSocialeLineEdit->setText(
        applicationManager->getRequestedConfidiCompanyName());
    ui->confidiPecLineEdit->setText(applicationManager->getRequestedConfidiPec());
    show();
}

void CredentialAccountWindow::accept()
{
    qCDebug(corvaneLog) << "accept"
                        << "SLOT triggered";
    if (!ui->privacyCheckBox->isChecked()) {
        QMessageBox::warning(this, QStringLiteral("Trattamento dei dati"),
            QStringLiteral(
                "Prima di procedere, devi leggere ed accettare l'informativa sulla privacy"),
            QMessageBox::Ok);
        ui->privacyCheckBox->setFocus();
        qCDebug(corvaneLog) << "Credential request form has some invalid fields";
        return;
    }

    // One connection: a second press before the answer must not get the answer twice.
    if (!pendingAnswer) {
        pendingAnswer = applicationManager->connectCredentialAccountAnswer(
            this, [this](bool success, int resultId) {
                onRequestCredentialAccountResponse(success, resultId);
            });
    }
    applicationManager->requestCredentialAccount({
        { QStringLiteral("cf_confidi"), ui->confidiCodiceFiscaleLineEdit->text() },
        { QStringLiteral("nome"), ui->utenteNomeLineEdit->text() },
        { QStringLiteral("cognome"), ui->utenteCognomeLineEdit->text() },
        { QStringLiteral("cf_utente"), ui->utenteCodiceFiscaleLineEdit->text() },
        { QStringLiteral("email_utente"), ui->utenteEmailLineEdit->text() },
    });
    hide();
}

void CredentialAccountWindow::reject()
{
    qCDebug(corvaneLog) << "reject"
                        << "SLOT triggered";
    QDialog::reject();
}

void CredentialAccountWindow::openPrivacyWindow()
{
    privacyWindow->open(applicationManager->getPrivacyText());
}

void CredentialAccountWindow::onTextEdited(const QString& text)
{
    setUpperCase(ui->utenteCodiceFiscaleLineEdit, text);
}

void CredentialAccountWindow::onRequestCredentialAccountResponse(bool success, int resultId)
{
    qCDebug(corvaneLog) << "onRequestCredentialAccountResponse"
                        << "SLOT triggered";
    disconnect(pendingAnswer);
    pendingAnswer = {};
    if (success) {
        QMessageBox::information(QApplication::activeWindow(),
            QStringLiteral("Esito richiesta credenziali"),
            QStringLiteral("La richiesta di apertura di un nuovo account è stata completata!\n"
                           "Riceverai nella mail personale e nella pec del confidi le "
                           "informazioni\nper completare la procedura di attivazione."),
            QMessageBox::Ok);
        return;
    }

    QString message;
    switch (resultId) {
    case XmlParser::USER_ALREADY_PRESENT:
        message = QStringLiteral("L'utente con codice fiscale %1 risulta già registrato per il "
                                 "confidi %2.\nPuoi riprovare l'inserimento o contattare il "
                                 "supporto tecnico.\n")
                      .arg(ui->utenteCodiceFiscaleLineEdit->text().trimmed(),
                          ui->confidiCodiceFiscaleLineEdit->text().trimmed());
        break;
    case XmlParser::ACCOUNT_REQUEST_VALIDATION_FAIL:
        message = QStringLiteral("Errore validazione dati. Ripetere inserimento");
        break;
    case XmlParser::RATE_LIMITER_ERROR_MESSAGE:
        message = Text::tooManyCredentialRequests;
        break;
    default:
        message = QStringLiteral("La richiesta di apertura di un nuovo account non è andata a "
                                 "buon fine.\nPuoi riprovare o contattare il supporto tecnico.");
        break;
    }
    // The message can repeat the codes the user typed: shown as they were typed.
    showServerText(this, QMessageBox::Critical, Text::credentialRequest, message);
    open();
}

}
