#include "app/resources.h"

#include <QCalendarWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

class TestResources final : public QObject {
    Q_OBJECT

private slots:
    void windowImagesAreCompiledIn();
    void textsAndNumbersAreItalian();
};

void TestResources::windowImagesAreCompiledIn()
{
    // Fault: an image a window names is missing from the resources, misspelt, blank, or not
    // registered because the static library's resources were never initialised.
    Corvane::initResources();
    for (const char* name : { "tessaro", "qrvLogo", "ostraniLogoSmall", "exit", "company", "report",
             "home", "settings", "help", "formatecnica", "find", "green_arrow_small", "newticket",
             "newticketmessage", "pdf", "showAll" }) {
        const QImage image(QString(":/Images/%1.png").arg(name));
        bool drawn = false;
        for (int y = 0; y < image.height() && !drawn; ++y) {
            for (int x = 0; x < image.width() && !drawn; ++x)
                drawn = qAlpha(image.pixel(x, y)) > 0;
        }
        QVERIFY2(drawn, name);
    }
}

void TestResources::textsAndNumbersAreItalian()
{
    // Fault: Qt's translation is not installed (or not shipped), so the question boxes of an
    // Italian program answer "Yes" and "Cancel"; or, under an English or C system locale,
    // amounts read "1,234,567.50" and the date filters' calendars show English names.
    QVERIFY(Corvane::installTranslations());
    const QMessageBox box(QMessageBox::Question, "Corvane", "Procedere?",
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QStringList texts;
    for (auto button : { QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel })
        texts << box.button(button)->text().remove('&');
    QCOMPARE(texts, QStringList({ "Sì", "No", "Annulla" }));
    QCOMPARE(QLocale().toString(1234567.5, 'f', 2), QString("1.234.567,50"));
    const QCalendarWidget calendar;
    QCOMPARE(calendar.locale().monthName(3), QString("marzo"));
    QCOMPARE(calendar.locale().firstDayOfWeek(), Qt::Monday);
}

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
