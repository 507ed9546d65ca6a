#include "ui/credentialconfidiwindow.h"

#include "core/logging.h"
#include "protocol/xmlparser.h"
#include "ui/credentialaccountwindow.h"
#include "ui/dialogsetup.h"
#include "ui/texts.h"
#include "ui/windowrequestinterface.h"
#include "ui_credentialconfidiwindow.h"

#include <QMessageBox>

namespace Corvane {

CredentialConfidiWindow::CredentialConfidiWindow(
    Interface::WindowRequestInterface* applicationManager,
    std::function<CredentialAccountWindow*()> credentialAccountWindow, QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::CredentialConfidiWindow>())
    , applicationManager(applicationManager)
    , credentialAccountWindow(std::move(credentialAccountWindow))
{
    ui->setupUi(this);
    setUpDialog(this);
    setFixedSize(350, 300);

    ui->confidiLineEdit->setFocus();
    connect(ui->acceptButton, &QPushButton::clicked, this,
        &CredentialConfidiWindow::openCredentialAccountWindow);
}

CredentialConfidiWindow::~CredentialConfidiWindow() = default;

void CredentialConfidiWindow::open()
{
    resetForm();
    show();
}

void CredentialConfidiWindow::accept()
{
    qCDebug(corvaneLog) << "accept"
                        << "SLOT triggered";
    // One connection: a second press before the answer must not get the answer twice.
    if (!pendingAnswer) {
        pendingAnswer = applicationManager->connectCredentialConfidiAnswer(
            this, [this](bool success, int resultId) {
                onRequestCredentialConfidiResponse(success, resultId);
            });
    }
    applicationManager->requestCredentialConfidi(
        { { QStringLiteral("cf_confidi"), ui->confidiLineEdit->text() } });
    hide();
}

void CredentialConfidiWindow::reject()
{
    qCDebug(corvaneLog) << "reject"
                        << "SLOT triggered";
    QDialog::reject();
}

void CredentialConfidiWindow::openCredentialAccountWindow()
{
    credentialAccountWindow()->setModal(true);
}

void CredentialConfidiWindow::onRequestCredentialConfidiResponse(bool success, int resultId)
{
    qCDebug(corvaneLog) << "onRequestCredentialConfidiResponse"
                        << "SLOT triggered";
    disconnect(pendingAnswer);
    pendingAnswer = {};
    if (success) {
        credentialAccountWindow()->open();
        return;
    }

    QString message;
    switch (resultId) {
    case XmlParser::PEC_NOT_FOUND:
        message = QStringLiteral("La PEC del confidi non è stata trovata.\nRipetere inserimento o "
                                 "contattare il supporto tecnico.");
        break;
    case XmlParser::ACCOUNT_REQUEST_VALIDATION_FAIL:
        message = Text::validationFailed;
        break;
    case XmlParser::RATE_LIMITER_ERROR_MESSAGE:
        message = Text::tooManyCredentialRequests;
        break;
    default:
        message = QStringLiteral("Il confidi non è stato trovato. Ripetere inserimento.");
        break;
    }
    QMessageBox::critical(this, Text::credentialRequest, message, QMessageBox::Ok);
    open();
}

void CredentialConfidiWindow::resetForm()
{
    ui->confidiLineEdit->clear();
    ui->confidiLineEdit->setFocus();
}

}
