#include "ui/twofaactivationwindow.h"

#include "app/applicationmanager.h"
#include "app/logging.h"
#include "ui/dialogsetup.h"
#include "ui_twofaactivationwindow.h"

#include <QSvgWidget>

namespace Corvane {

TwoFaActivationWindow::TwoFaActivationWindow(
    ApplicationManager* applicationManager, QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::TwoFaActivationWindow>())
    , applicationManager(applicationManager)
{
    ui->setupUi(this);
    setUpDialog(this);
    setFixedSize(400, 500);

    showQrCode();
    ui->qrCodeLineEdit->setFocus();
}

TwoFaActivationWindow::~TwoFaActivationWindow() = default;

void TwoFaActivationWindow::resetForm()
{
    showQrCode();
    ui->qrCodeLineEdit->clear();
    ui->qrCodeLineEdit->setFocus();
}

void TwoFaActivationWindow::showQrCode()
{
    // Taking the old image out of the layout is not enough: as a child of the dialog it would
    // stay on screen under the new one.
    if (QLayoutItem* previous = ui->vLayout->takeAt(0)) {
        delete previous->widget();
        delete previous;
    }
    auto* qrCode = new QSvgWidget(this);
    qrCode->load(applicationManager->getQrCodeSvg());
    ui->vLayout->addWidget(qrCode);
}

void TwoFaActivationWindow::accept()
{
    qCDebug(corvaneLog) << "accept"
                        << "SLOT triggered";
    // The server judges the code; the six digits are only asked for.
    applicationManager->twoFaFirstAuthentication(
        { { QStringLiteral("twofa_token"), ui->qrCodeLineEdit->text() } });
    hide();
}

void TwoFaActivationWindow::reject()
{
    qCDebug(corvaneLog) << "reject"
                        << "SLOT triggered";
    QDialog::reject();
    applicationManager->showLoginWindow();
}

}
