#include "ui/dialogsetup.h"

#include <QDialog>
#include <QLineEdit>

namespace Corvane {

void setUpDialog(QDialog* dialog)
{
    // Qt::Dialog stays in the set: without it a dialog with a parent would be drawn inside it.
    dialog->setWindowFlags(
        Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint);
    dialog->setStyleSheet(
        QStringLiteral("QPushButton, QLabel, QGroupBox, QCheckBox, QLineEdit {font-size:11px}"));
}

void setUpperCase(QLineEdit* lineEdit, const QString& text)
{
    const int cursor = lineEdit->cursorPosition();
    lineEdit->setText(text.toUpper());
    lineEdit->setCursorPosition(cursor);
}

}
