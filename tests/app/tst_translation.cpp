#include "app/resources.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTest>

class TestTranslation final : public QObject {
    Q_OBJECT

private slots:
    void standardButtonsAreItalian_data();
    void standardButtonsAreItalian();
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

QTEST_MAIN(TestTranslation)
#include "tst_translation.moc"
