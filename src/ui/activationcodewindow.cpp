#include "ui/activationcodewindow.h"

#include "app/applicationmanager.h"
#include "app/logging.h"
#include "ui/dialogsetup.h"
#include "ui_activationcodewindow.h"

namespace Corvane {

ActivationCodeWindow::ActivationCodeWindow(ApplicationManager* applicationManager, QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::ActivationCodeWindow>())
    , applicationManager(applicationManager)
{
    ui->setupUi(this);
    setUpDialog(this);
    setFixedSize(350, 300);

    ui->codeLineEdit->setFocus();
}

ActivationCodeWindow::~ActivationCodeWindow() = default;

void ActivationCodeWindow::resetForm()
{
    ui->codeLineEdit->clear();
    ui->codeLineEdit->setFocus();
}

void ActivationCodeWindow::accept()
{
    qCDebug(corvaneLog) << "accept"
                        << "SLOT triggered";
    // The server judges the code; the six digits are only asked for.
    applicationManager->requestActivationCode(
        { { QStringLiteral("codice_attivazione"), ui->codeLineEdit->text() } });
    hide();
}

void ActivationCodeWindow::reject()
{
    qCDebug(corvaneLog) << "reject"
                        << "SLOT triggered";
    QDialog::reject();
    applicationManager->showLoginWindow();
}

}
