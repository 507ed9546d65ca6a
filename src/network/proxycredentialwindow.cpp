#include "network/proxycredentialwindow.h"

#include "ui_proxycredentialwindow.h"

namespace Corvane {

ProxyCredentialWindow::ProxyCredentialWindow(bool rememberAllowed, QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::ProxyCredentialWindow>())
{
    ui->setupUi(this);
    setFixedSize(320, 195);
    ui->rememberPassword->setEnabled(rememberAllowed);
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
}

ProxyCredentialWindow::~ProxyCredentialWindow() = default;

QString ProxyCredentialWindow::getUsername() const { return ui->username->text(); }

QString ProxyCredentialWindow::getPassword() const { return ui->password->text(); }

bool ProxyCredentialWindow::isRememberPasswordChecked() const
{
    return ui->rememberPassword->isChecked();
}

void ProxyCredentialWindow::setDescription(const QString& text)
{
    // It names the proxy and its realm, which the proxy chooses: never markup.
    ui->description->setTextFormat(Qt::PlainText);
    ui->description->setText(text);
}

}
