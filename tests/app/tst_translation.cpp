#include "app/resources.h"

#include <QCalendarWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

class TestTranslation final : public QObject {
    Q_OBJECT

private slots:
    void standardButtonsAreItalian_data();
    void standardButtonsAreItalian();
    void numbersAndCalendarsAreItalian();
};

void TestTranslation::standardButtonsAreItalian_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("text");
    QTest::newRow("yes") << int(QMessageBox::Yes) << QStringLiteral("Sì");
    QTest::newRow("no") << int(QMessageBox::No) << QStringLiteral("No");
    QTest::newRow("cancel") << int(QMessageBox::Cancel) << QStringLiteral("Annulla");
}

void TestTranslation::standardButtonsAreItalian()
{
    // Fault: Qt's translation is not installed (or not shipped), so the question boxes of an
    // Italian program answer "Yes" and "Cancel".
    QFETCH(int, button);
    QFETCH(QString, text);
    static const bool installed = Corvane::installTranslations();
    QVERIFY(installed);

    QMessageBox box(QMessageBox::Question, QStringLiteral("Corvane"), QStringLiteral("Procedere?"),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QCOMPARE(
        box.button(QMessageBox::StandardButton(button))->text().remove(QLatin1Char('&')), text);
}

void TestTranslation::numbersAndCalendarsAreItalian()
{
    // Fault: under an English or C system locale, amounts read "1,234,567.50" and the date
    // filters' calendars show English month and day names.
    Corvane::installTranslations();
    QCOMPARE(QLocale().toString(1234567.5, 'f', 2), QStringLiteral("1.234.567,50"));
    const QCalendarWidget calendar;
    QCOMPARE(calendar.locale().monthName(3), QStringLiteral("marzo"));
    QCOMPARE(calendar.locale().firstDayOfWeek(), Qt::Monday);
}

QTEST_MAIN(TestTranslation)
#include "tst_translation.moc"
