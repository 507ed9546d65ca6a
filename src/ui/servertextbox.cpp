#include "ui/servertextbox.h"

#include <QMessageBox>
#include <QStringList>

namespace Corvane {

namespace {
    constexpr int shownLines = 12;
    constexpr int shownLineLength = 240;
    /// A run without blanks longer than this would not wrap and would widen the box.
    constexpr int longestWord = 60;

    /// The line as shown: runs without blanks broken into pieces that fit.
    QStringList brokenLine(const QString& line)
    {
        QStringList pieces { QString() };
        int run = 0;
        for (const QChar ch : line) {
            if (ch.isSpace()) {
                run = 0;
            } else if (++run > longestWord) {
                pieces.append(QString());
                run = 1;
            }
            pieces.last().append(ch);
        }
        return pieces;
    }
}

void setServerText(QMessageBox& box, const QString& text, const QString& question)
{
    const QString asked = question.isEmpty() ? QString() : QStringLiteral("\n\n") + question;
    box.setTextFormat(Qt::PlainText);
    QStringList shown;
    bool cut = false;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        QString kept = line;
        if (kept.size() > shownLineLength) {
            kept = kept.left(shownLineLength) + QChar(0x2026);
            cut = true;
        }
        const QStringList pieces = brokenLine(kept);
        cut = cut || pieces.size() > 1;
        shown.append(pieces);
        if (shown.size() > shownLines) {
            shown = shown.mid(0, shownLines);
            shown.append(QString(QChar(0x2026)));
            cut = true;
            break;
        }
    }
    if (!cut) {
        box.setText(text + asked);
        return;
    }
    box.setText(shown.join(QLatin1Char('\n')) + asked);
    box.setDetailedText(text);
}

QMessageBox::StandardButton showServerText(QWidget* parent, QMessageBox::Icon icon,
    const QString& title, const QString& text, QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, title, QString(), buttons, parent);
    setServerText(box, text);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString refusalText(const QString& lead, const QString& code, const QString& description)
{
    return QStringLiteral("%1\nErrore: %2\nDescrizione: %3").arg(lead, code, description);
}

}
