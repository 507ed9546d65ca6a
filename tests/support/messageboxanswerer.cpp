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
        lines << QStringLiteral("box \"%1\" never came").arg(expected.title);
    return lines.join(QLatin1Char('\n'));
}

void MessageBoxAnswerer::poll()
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) {
        const auto topLevels = QApplication::topLevelWidgets();
        for (QWidget* widget : topLevels) {
            box = qobject_cast<QMessageBox*>(widget);
            if (box && box->isVisible())
                break;
            box = nullptr;
        }
    }
    if (!box || !box->isVisible())
        return;

    seenTexts.append(box->text());
    if (expectations.empty()) {
        failures.append(
            QStringLiteral("unexpected box \"%1\": %2").arg(box->windowTitle(), box->text()));
        box->reject();
        return;
    }
    const Expectation expected = expectations.front();
    expectations.pop_front();
    const bool textMatches = expected.match == Match::Exact ? box->text() == expected.text
                                                            : box->text().contains(expected.text);
    if (box->windowTitle() != expected.title || !textMatches) {
        failures.append(QStringLiteral("expected box \"%1\": %2, got \"%3\": %4")
                            .arg(expected.title, expected.text, box->windowTitle(), box->text()));
        box->reject();
        return;
    }
    QAbstractButton* button = box->button(expected.button);
    if (!button) {
        failures.append(QStringLiteral("box \"%1\" has no button %2")
                            .arg(box->windowTitle())
                            .arg(static_cast<int>(expected.button)));
        box->reject();
        return;
    }
    ++answered;
    button->click();
}

}
