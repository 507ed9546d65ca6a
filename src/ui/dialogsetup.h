#pragma once

class QDialog;
class QLineEdit;
class QString;

namespace Corvane {

/// What every login and account dialog sets after its form is built: a title bar with only a
/// close button, and the small font of the program's dialogs.
void setUpDialog(QDialog* dialog);

/// Writes an edited text back in upper case, keeping the cursor where the user is typing.
void setUpperCase(QLineEdit* lineEdit, const QString& text);

}
