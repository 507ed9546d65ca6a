#include "ui/privacywindow.h"

#include "ui/dialogsetup.h"
#include "ui_privacywindow.h"

namespace Corvane {

PrivacyWindow::PrivacyWindow(QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::PrivacyWindow>())
{
    ui->setupUi(this);
    setUpDialog(this);
    resize(521, 302);
}

PrivacyWindow::~PrivacyWindow() = default;

void PrivacyWindow::open(const QString& privacy)
{
    ui->privacyText->setText(privacy);
    QDialog::open();
}

}
