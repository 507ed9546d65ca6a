#include "ui/dialogsetup.h"

#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSvgRenderer>
#include <QToolBar>

namespace Corvane {

namespace {
    /// Presses the button it watches on Enter or Return.
    class EnterPresses final : public QObject {
    public:
        using QObject::QObject;

    protected:
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (event->type() == QEvent::KeyPress) {
                const int key = static_cast<QKeyEvent*>(event)->key();
                if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                    static_cast<QPushButton*>(watched)->click();
                    return true;
                }
            }
            return QObject::eventFilter(watched, event);
        }
    };
}

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

void setKeyboardReachable(QToolBar* toolbar)
{
    for (QAction* action : toolbar->actions()) {
        if (QWidget* button = toolbar->widgetForAction(action))
            button->setFocusPolicy(Qt::TabFocus);
    }
}

void setPressedByEnter(QPushButton* button)
{
    button->installEventFilter(new EnterPresses(button));
}

void setSharpPicture(QLabel* label, const QString& svgPath)
{
    QSvgRenderer renderer(svgPath);
    const QPixmap current = label->pixmap(Qt::ReturnByValue);
    if (!renderer.isValid() || current.isNull())
        return;
    const QSize size = current.size() / current.devicePixelRatioF();
    const qreal ratio = label->devicePixelRatioF();
    QPixmap picture(size * ratio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    renderer.render(&painter);
    painter.end();
    picture.setDevicePixelRatio(ratio);
    label->setPixmap(picture);
}

}
