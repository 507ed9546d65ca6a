#include "ui/codewindow.h"

#include "core/logging.h"
#include "ui/dialogsetup.h"
#include "ui/qrsecret.h"
#include "ui/windowrequestinterface.h"
#include "ui_activationcodewindow.h"
#include "ui_twofaactivationwindow.h"
#include "ui_twofaauthenticationwindow.h"

#include <QLineEdit>
#include <QSvgWidget>

namespace Corvane {

CodeWindow::CodeWindow(Interface::WindowRequestInterface* applicationManager, CodeRequest request,
    const QString& key, QWidget* parent)
    : QDialog(parent)
    , applicationManager(applicationManager)
    , request(request)
    , key(key)
{
}

CodeWindow::~CodeWindow() = default;

void CodeWindow::setUpForm(QLineEdit* field, const QSize& size)
{
    codeField = field;
    setUpDialog(this);
    setFixedSize(size);
    codeField->setFocus();
}

void CodeWindow::resetForm()
{
    codeField->clear();
    codeField->setFocus();
}

void CodeWindow::accept()
{
    qCDebug(corvaneLog) << "accept"
                        << "SLOT triggered";
    // The server judges the code; the six digits are only asked for.
    (applicationManager->*request)({ { key, codeField->text() } });
    hide();
}

void CodeWindow::reject()
{
    qCDebug(corvaneLog) << "reject"
                        << "SLOT triggered";
    QDialog::reject();
    applicationManager->showLoginWindow();
}

ActivationCodeWindow::ActivationCodeWindow(
    Interface::WindowRequestInterface* applicationManager, QWidget* parent)
    : CodeWindow(applicationManager, &Interface::WindowRequestInterface::requestActivationCode,
        QStringLiteral("codice_attivazione"), parent)
    , ui(std::make_unique<Ui::ActivationCodeWindow>())
{
    ui->setupUi(this);
    setUpForm(ui->codeLineEdit, QSize(350, 300));
}

ActivationCodeWindow::~ActivationCodeWindow() = default;

TwoFaAuthenticationWindow::TwoFaAuthenticationWindow(
    Interface::WindowRequestInterface* applicationManager, QWidget* parent)
    : CodeWindow(applicationManager, &Interface::WindowRequestInterface::twoFaAuthentication,
        QStringLiteral("twofa_token"), parent)
    , ui(std::make_unique<Ui::TwoFaAuthenticationWindow>())
{
    ui->setupUi(this);
    setUpForm(ui->twoFaTokenLineEdit, QSize(350, 300));
}

TwoFaAuthenticationWindow::~TwoFaAuthenticationWindow() = default;

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
