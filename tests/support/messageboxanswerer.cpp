#include "support/messageboxanswerer.h"

#include <QAbstractButton>
#include <QApplication>

namespace Corvane::Test {

MessageBoxAnswerer::MessageBoxAnswerer(QObject* parent)
    : QObject(parent)
{
    timer.setInterval(20);
    connect(&timer, &QTimer::timeout, this, &MessageBoxAnswerer::poll);
    timer.start();
}

void MessageBoxAnswerer::expect(
    const QString& title, const QString& text, QMessageBox::StandardButton button, Match match)
{
    expectations.push_back({ title, text, button, match });
}

QString MessageBoxAnswerer::problems() const
{
    QStringList lines = failures;
    for (const Expectation& expected : expectations)
        lines << QString("box \"%1\" never came").arg(expected.title);
    return lines.join('\n');
}

void MessageBoxAnswerer::poll()
{
    // The active modal box first: a box opened from another one is on top of it.
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (!box && qobject_cast<QMessageBox*>(widget) && widget->isVisible())
            box = qobject_cast<QMessageBox*>(widget);
    }
    if (!box || !box->isVisible())
        return;

    seenTexts.append(box->text());
    QString failure;
    QAbstractButton* button = nullptr;
    if (expectations.empty()) {
        failure = QString("unexpected box \"%1\": %2").arg(box->windowTitle(), box->text());
    } else {
        const Expectation expected = expectations.front();
        expectations.pop_front();
        const bool textMatches = expected.match == Match::Exact
            ? box->text() == expected.text
            : box->text().contains(expected.text);
        button = box->button(expected.button);
        if (box->windowTitle() != expected.title || !textMatches)
            failure = QString("expected box \"%1\": %2, got \"%3\": %4")
                          .arg(expected.title, expected.text, box->windowTitle(), box->text());
        else if (!button)
            failure = QString("box \"%1\" has no button %2")
                          .arg(box->windowTitle())
                          .arg(static_cast<int>(expected.button));
    }
    if (!failure.isEmpty()) {
        failures.append(failure);
        box->reject();
        return;
    }
    ++answered;
    button->click();
}

BoxRecorder::BoxRecorder(const QWidget* watched)
{
    connect(&timer, &QTimer::timeout, this, [this, watched] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        if (boxes.isEmpty())
            shownFirst = watched->isVisible();
        boxes << box->windowTitle() + QLatin1Char(':') + box->text();
        box->accept();
    });
    timer.start(5);
}

}
