#include "ui/aboutwindow.h"

#include "ui/dialogsetup.h"
#include "ui/windowrequestinterface.h"
#include "ui_aboutwindow.h"

namespace Corvane {

AboutWindow::AboutWindow(Interface::WindowRequestInterface* applicationManager, QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::AboutWindow>())
    , applicationManager(applicationManager)
{
    ui->setupUi(this);
    setFixedSize(340, 260);
    setSharpPicture(ui->qrvLogo, QStringLiteral(":/Images/qrvLogo.svg"));
    setSharpPicture(ui->ostraniLogo, QStringLiteral(":/Images/ostraniLogoSmall.svg"));
    ui->version->setText(applicationManager->getVersion());
    connect(ui->pushButton, &QPushButton::clicked, this, &QDialog::accept);
}

AboutWindow::~AboutWindow() = default;

}
