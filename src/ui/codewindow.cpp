#include "ui/codewindow.h"

#include "core/logging.h"
#include "ui/dialogsetup.h"
#include "ui/windowrequestinterface.h"

#include <QLineEdit>

namespace Corvane {

CodeWindow::CodeWindow(Interface::WindowRequestInterface* applicationManager, CodeRequest request,
    const QString& key, QWidget* parent)
    : QDialog(parent)
    , applicationManager(applicationManager)
    , request(request)
    , key(key)
{
}

CodeWindow::~CodeWindow() = default;

void CodeWindow::setUpForm(QLineEdit* field, const QSize& size)
{
    codeField = field;
    setUpDialog(this);
    setFixedSize(size);
    codeField->setFocus();
}

void CodeWindow::resetForm()
{
    codeField->clear();
    codeField->setFocus();
}

void CodeWindow::accept()
{
    qCDebug(corvaneLog) << "accept"
                        << "SLOT triggered";
    // The server judges the code; the six digits are only asked for.
    (applicationManager->*request)({ { key, codeField->text() } });
    hide();
}

void CodeWindow::reject()
{
    qCDebug(corvaneLog) << "reject"
                        << "SLOT triggered";
    QDialog::reject();
    applicationManager->showLoginWindow();
}

}
