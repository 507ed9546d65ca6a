#include "ui/twofaactivationwindow.h"

#include "ui/qrsecret.h"
#include "ui/windowrequestinterface.h"
#include "ui_twofaactivationwindow.h"

#include <QSvgWidget>

namespace Corvane {

TwoFaActivationWindow::TwoFaActivationWindow(
    Interface::WindowRequestInterface* applicationManager, QWidget* parent)
    : CodeWindow(applicationManager, &Interface::WindowRequestInterface::twoFaFirstAuthentication,
        QStringLiteral("twofa_token"), parent)
    , ui(std::make_unique<Ui::TwoFaActivationWindow>())
{
    ui->setupUi(this);
    setUpForm(ui->qrCodeLineEdit, QSize(400, 500));
    showQrCode();
}

TwoFaActivationWindow::~TwoFaActivationWindow() = default;

void TwoFaActivationWindow::resetForm()
{
    showQrCode();
    CodeWindow::resetForm();
}

void TwoFaActivationWindow::showQrCode()
{
    // Taking the old image out of the layout is not enough: as a child of the dialog it would
    // stay on screen under the new one.
    if (QLayoutItem* previous = ui->vLayout->takeAt(0)) {
        delete previous->widget();
        delete previous;
    }
    const QByteArray svg = applicationManager->getQrCodeSvg();
    auto* qrCode = new QSvgWidget(this);
    qrCode->setAccessibleName(
        QStringLiteral("Codice QR da inquadrare con l'app di autenticazione"));
    qrCode->load(svg);
    ui->vLayout->addWidget(qrCode);
    // The same key as text, for whoever cannot scan the code; when it cannot be read back from
    // the image, the code alone.
    const QString secret = readAuthenticatorSecret(svg);
    ui->secretLineEdit->setText(secret);
    ui->secretLabel->setVisible(!secret.isEmpty());
    ui->secretLineEdit->setVisible(!secret.isEmpty());
}

}
