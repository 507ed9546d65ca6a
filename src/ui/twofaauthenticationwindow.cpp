#include "ui/twofaauthenticationwindow.h"

#include "app/applicationmanager.h"
#include "app/logging.h"
#include "ui/dialogsetup.h"
#include "ui_twofaauthenticationwindow.h"

namespace Corvane {

TwoFaAuthenticationWindow::TwoFaAuthenticationWindow(
    ApplicationManager* applicationManager, QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::TwoFaAuthenticationWindow>())
    , applicationManager(applicationManager)
{
    ui->setupUi(this);
    setUpDialog(this);
    setFixedSize(350, 300);

    ui->twoFaTokenLineEdit->setFocus();
}

TwoFaAuthenticationWindow::~TwoFaAuthenticationWindow() = default;

void TwoFaAuthenticationWindow::resetForm()
{
    ui->twoFaTokenLineEdit->clear();
    ui->twoFaTokenLineEdit->setFocus();
}

void TwoFaAuthenticationWindow::accept()
{
    qCDebug(corvaneLog) << "accept"
                        << "SLOT triggered";
    // The server judges the code; the six digits are only asked for.
    applicationManager->twoFaAuthentication(
        { { QStringLiteral("twofa_token"), ui->twoFaTokenLineEdit->text() } });
    hide();
}

void TwoFaAuthenticationWindow::reject()
{
    qCDebug(corvaneLog) << "reject"
                        << "SLOT triggered";
    QDialog::reject();
    applicationManager->showLoginWindow();
}

}
