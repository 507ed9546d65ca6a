#include "app/resources.h"

#include <QImage>
#include <QTest>

class TestResources final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Corvane::initResources(); }
    void windowImagesAreCompiledIn_data();
    void windowImagesAreCompiledIn();
};

void TestResources::windowImagesAreCompiledIn_data()
{
    QTest::addColumn<QString>("name");
    const char* images[] = { "tessaro", "qrvLogo", "ostraniLogoSmall", "exit", "company", "report",
        "home", "settings", "help", "formatecnica", "find", "green_arrow_small", "newticket",
        "newticketmessage", "pdf", "showAll" };
    for (const char* image : images)
        QTest::newRow(image) << QStringLiteral("%1.png").arg(QLatin1String(image));
}

void TestResources::windowImagesAreCompiledIn()
{
    // Fault: an image a window names is missing from the resources, misspelt, or not registered
    // because the static library's resources were never initialised.
    QFETCH(QString, name);

    const QImage image(QStringLiteral(":/Images/") + name);
    QVERIFY2(!image.isNull(), qPrintable(name));
    // Drawn, not blank: some pixel is opaque.
    bool drawn = false;
    for (int y = 0; y < image.height() && !drawn; ++y) {
        for (int x = 0; x < image.width() && !drawn; ++x)
            drawn = qAlpha(image.pixel(x, y)) > 0;
    }
    QVERIFY(drawn);
}

QTEST_GUILESS_MAIN(TestResources)
#include "tst_resources.moc"
