#include "ui/twofaauthenticationwindow.h"

#include "app/applicationmanager.h"
#include "ui_twofaauthenticationwindow.h"

namespace Corvane {

TwoFaAuthenticationWindow::TwoFaAuthenticationWindow(
    ApplicationManager* applicationManager, QWidget* parent)
    : CodeWindow(applicationManager, &ApplicationManager::twoFaAuthentication,
        QStringLiteral("twofa_token"), parent)
    , ui(std::make_unique<Ui::TwoFaAuthenticationWindow>())
{
    ui->setupUi(this);
    setUpForm(ui->twoFaTokenLineEdit, QSize(350, 300));
}

TwoFaAuthenticationWindow::~TwoFaAuthenticationWindow() = default;

}
