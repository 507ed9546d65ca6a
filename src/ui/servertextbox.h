#pragma once

#include <QString>

class QMessageBox;

namespace Corvane {

/// Puts a text that holds a server's words into a message box as plain text, cut to a few short
/// lines so that the box never grows past the screen; the whole text stays readable under the
/// box's details button. A `question` follows the text, whole, after a blank line.
void setServerText(QMessageBox& box, const QString& text, const QString& question = QString());

}
