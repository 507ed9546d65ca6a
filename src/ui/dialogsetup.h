#pragma once

class QDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class QString;
class QToolBar;

namespace Corvane {

/// What every login and account dialog sets after its form is built: a title bar with only a
/// close button, and the small font of the program's dialogs.
void setUpDialog(QDialog* dialog);

/// Writes an edited text back in upper case, keeping the cursor where the user is typing.
void setUpperCase(QLineEdit* lineEdit, const QString& text);

/// Lets Tab reach the buttons of a tool bar (they take no focus by default), so that each can
/// be pressed without a mouse.
void setKeyboardReachable(QToolBar* toolbar);

/// Lets Enter press the button when it has the focus, without making it the dialog's default
/// button (Enter in a field of the dialog does not press it).
void setPressedByEnter(QPushButton* button);

/// Shows the drawing at svgPath in the label at the size of the picture it holds, drawn for the
/// screen's pixel density so that it stays sharp when the screen is scaled.
void setSharpPicture(QLabel* label, const QString& svgPath);

}
