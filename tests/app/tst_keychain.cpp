#include "app/applicationmanager.h"
#include "app/devconfig.h"
#include "support/testenvironment.h"

#include <QUuid>
#include <QtTest>

using namespace Corvane;

class TestKeychain final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void roundTripThroughSecretService();
    void missingEntryYieldsEmptyValue();

private:
    std::unique_ptr<DevConfig> devConfig;
    std::unique_ptr<ApplicationManager> application;
};

void TestKeychain::initTestCase()
{
    Test::TestEnvironment::enterTemporaryWorkingDirectory();
    devConfig = std::make_unique<DevConfig>();
    application = std::make_unique<ApplicationManager>(devConfig.get());
}

void TestKeychain::cleanupTestCase()
{
    application.reset();
    qInstallMessageHandler(nullptr);
}

void TestKeychain::roundTripThroughSecretService()
{
    // Guards against credentials not reaching the system keychain, or coming back altered.
    const QString key = QStringLiteral("password");
    const QString password = QStringLiteral("Pàss+wörd &=% ") + QUuid::createUuid().toString();
    application->writeKey(key, password);
    QCOMPARE(application->readKey(key), password);
    application->writeKey(key, QStringLiteral("nuova-password-2026"));
    QCOMPARE(application->readKey(key), QStringLiteral("nuova-password-2026"));

    application->writeKey(QStringLiteral("cf_utente"), QStringLiteral("RSSMRA80A01H501U"));
    QCOMPARE(application->readKey(QStringLiteral("cf_utente")), QStringLiteral("RSSMRA80A01H501U"));
    QCOMPARE(application->readKey(key), QStringLiteral("nuova-password-2026"));

    // The password never reaches the log.
    QFile log(QStringLiteral("corvane2.log"));
    if (log.open(QIODevice::ReadOnly))
        QVERIFY(!log.readAll().contains("nuova-password-2026"));
}

void TestKeychain::missingEntryYieldsEmptyValue()
{
    // Guards against a keychain failure producing anything but an empty value.
    const QString key
        = QStringLiteral("absent-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QCOMPARE(application->readKey(key), QString());
    QFile log(QStringLiteral("corvane2.log"));
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY(log.readAll().contains("KeyHandler~Error reading decrypt Pass. Error: "));
}

QTEST_MAIN(TestKeychain)
#include "tst_keychain.moc"
