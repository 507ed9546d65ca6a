#pragma once

#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <deque>

namespace Corvane::Test {

/// Answers the message boxes a test expects, in order, by title, text (whole or part) and the
/// button to press; a box not expected, or unlike its expectation, is closed as a failure.
class MessageBoxAnswerer final : public QObject {
    Q_OBJECT
public:
    enum class Match { Exact, Contains };

    explicit MessageBoxAnswerer(QObject* parent = nullptr);

    void expect(const QString& title, const QString& text, QMessageBox::StandardButton button,
        Match match = Match::Exact);

    bool allAnswered() const { return expectations.empty(); }
    int answeredCount() const { return answered; }
    const QStringList& getFailures() const { return failures; }
    /// What went wrong, a line each (unlike or missing boxes); empty when all was as expected.
    QString problems() const;
    /// The texts of every box seen, answered or not.
    const QStringList& getSeenTexts() const { return seenTexts; }

private:
    struct Expectation {
        QString title;
        QString text;
        QMessageBox::StandardButton button;
        Match match;
    };

    void poll();

    QTimer timer;
    std::deque<Expectation> expectations;
    QStringList failures;
    QStringList seenTexts;
    int answered = 0;
};

/// Accepts every message box as it opens and keeps "title:text" of each; notes whether watched
/// was already on screen when the first one came.
class BoxRecorder final : public QObject {
public:
    explicit BoxRecorder(const QWidget* watched);

    const QStringList& getBoxes() const { return boxes; }
    bool watchedShownFirst() const { return shownFirst; }

private:
    QTimer timer;
    QStringList boxes;
    bool shownFirst = false;
};

}
