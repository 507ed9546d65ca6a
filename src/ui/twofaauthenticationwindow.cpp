#include "ui/twofaauthenticationwindow.h"

#include "ui/windowrequestinterface.h"
#include "ui_twofaauthenticationwindow.h"

namespace Corvane {

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

}
