#include "ui/aboutwindow.h"

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
    ui->version->setText(applicationManager->getVersion());
    connect(ui->pushButton, &QPushButton::clicked, this, &QDialog::accept);
}

AboutWindow::~AboutWindow() = default;

}
