#include "ui/activationcodewindow.h"

#include "ui/windowrequestinterface.h"
#include "ui_activationcodewindow.h"

namespace Corvane {

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

}
