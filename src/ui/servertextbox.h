#pragma once

#include <QMessageBox>
#include <QString>

namespace Corvane {

/// Puts a text that holds a server's words into a message box as plain text, cut to a few short
/// lines so that the box never grows past the screen; the whole text stays readable under the
/// box's details button. A `question` follows the text, whole, after a blank line.
void setServerText(QMessageBox& box, const QString& text, const QString& question = QString());

/// A modal box over parent whose text holds a server's or a user's words, set as above; returns
/// the button pressed.
QMessageBox::StandardButton showServerText(QWidget* parent, QMessageBox::Icon icon,
    const QString& title, const QString& text,
    QMessageBox::StandardButtons buttons = QMessageBox::Ok);

/// What a form says when the server refuses what it sent: lead, the code and its description.
QString refusalText(const QString& lead, const QString& code, const QString& description);

}
