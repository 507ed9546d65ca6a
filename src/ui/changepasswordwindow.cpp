#include "ui/changepasswordwindow.h"

#include "core/logging.h"
#include "ui/dialogsetup.h"
#include "ui/windowrequestinterface.h"
#include "ui_changepasswordwindow.h"

#include <QMessageBox>

namespace Corvane {

namespace {
    constexpr int minimumPasswordLength = 12;
}

ChangePasswordWindow::ChangePasswordWindow(
    Interface::WindowRequestInterface* applicationManager, QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::ChangePasswordWindow>())
    , applicationManager(applicationManager)
{
    ui->setupUi(this);
    setUpDialog(this);
    setFixedSize(300, 300);
}

ChangePasswordWindow::~ChangePasswordWindow() = default;

void ChangePasswordWindow::resetForm()
{
    ui->oldPasswordLineEdit->clear();
    ui->newPasswordLineEdit->clear();
    ui->confirmPasswordLineEdit->clear();
    ui->oldPasswordLineEdit->setFocus();
}

void ChangePasswordWindow::accept()
{
    qCDebug(corvaneLog) << "accept"
                        << "SLOT triggered";
    if (!validateForm()) {
        qCDebug(corvaneLog) << "Credential request form has some invalid fields";
        return;
    }
    applicationManager->changePassword({
        { QStringLiteral("old_password"), ui->oldPasswordLineEdit->text() },
        { QStringLiteral("new_password"), ui->newPasswordLineEdit->text() },
    });
    hide();
}

void ChangePasswordWindow::reject()
{
    qCDebug(corvaneLog) << "reject"
                        << "SLOT triggered";
    QDialog::reject();
    applicationManager->showLoginWindow();
}

bool ChangePasswordWindow::validateForm()
{
    const QString oldPassword = ui->oldPasswordLineEdit->text();
    const QString newPassword = ui->newPasswordLineEdit->text();
    const auto refuse = [this](const QString& title, const QString& text, QLineEdit* focus) {
        QMessageBox::information(this, title, text, QMessageBox::Ok);
        focus->setFocus();
        return false;
    };
    const QString tooShort = QStringLiteral("Inserisci una password di almeno 12 caratteri.");

    if (oldPassword.length() < minimumPasswordLength)
        return refuse(
            QStringLiteral("Password corrente non valida"), tooShort, ui->oldPasswordLineEdit);
    if (newPassword.length() < minimumPasswordLength)
        return refuse(
            QStringLiteral("Nuova password non valida"), tooShort, ui->newPasswordLineEdit);
    if (newPassword == oldPassword)
        return refuse(QStringLiteral("Nuova password non valida"),
            QStringLiteral("La nuova password è uguale alla password corrente."),
            ui->oldPasswordLineEdit);
    if (ui->confirmPasswordLineEdit->text() != newPassword)
        return refuse(QStringLiteral("Password di conferma non valida"),
            QStringLiteral("La password di conferma non è uguale alla nuova password."),
            ui->confirmPasswordLineEdit);
    return true;
}

}
