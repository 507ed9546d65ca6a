#include "ui/activationcodewindow.h"

#include "app/applicationmanager.h"
#include "ui_activationcodewindow.h"

namespace Corvane {

ActivationCodeWindow::ActivationCodeWindow(ApplicationManager* applicationManager, QWidget* parent)
    : CodeWindow(applicationManager, &ApplicationManager::requestActivationCode,
        QStringLiteral("codice_attivazione"), parent)
    , ui(std::make_unique<Ui::ActivationCodeWindow>())
{
    ui->setupUi(this);
    setUpForm(ui->codeLineEdit, QSize(350, 300));
}

ActivationCodeWindow::~ActivationCodeWindow() = default;

}
