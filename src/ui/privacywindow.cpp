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
    // The server's notice is shown as the text it is, never as a page.
    ui->privacyText->setPlainText(privacy);
    QDialog::open();
}

}
