#include "app/account.h"
#include "app/confidi.h"
#include "app/credential.h"
#include "app/devconfig.h"
#include "support/datarows.h"
#include "support/testenvironment.h"

#include <QFile>
#include <QSettings>
#include <QtTest>

#include <memory>

using namespace Corvane;

class TestRecords final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void devConfigReadsConfigIni_data();
    void devConfigReadsConfigIni();
    void usernameParts_data();
    void usernameParts();
    void accountWithoutRecords();
    void accountReplacesRecords();
};

void TestRecords::initTestCase() { Test::TestEnvironment::enterTemporaryWorkingDirectory(); }

void TestRecords::devConfigReadsConfigIni_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("serverUrl");
    QTest::addColumn<bool>("debug");
    QTest::addColumn<QString>("caCertificates");

    QTest::newRow("no file") << QByteArray() << QStringLiteral("https://localhost:8443") << false
                             << QString();
    QTest::newRow("debug switch is its presence")
        << QByteArray("[Debug]\nEnable=0\n") << QStringLiteral("https://localhost:8443") << true
        << QString();
    QTest::newRow("server and authorities") << QByteArray(
        "[ServerURL]\nProduction=https://tessaro.example:9443/base\nCaCertificates=tls/ca.pem\n")
                                            << QStringLiteral("https://tessaro.example:9443/base")
                                            << false << QStringLiteral("tls/ca.pem");
    QTest::newRow("other groups only")
        << QByteArray("[Network]\nProxyType=0\n") << QStringLiteral("https://localhost:8443")
        << false << QString();
}

void TestRecords::devConfigReadsConfigIni()
{
    // Guards against the deployment settings being misread or the compiled-in server being lost.
    QFETCH(QByteArray, ini);
    QFETCH(QString, serverUrl);
    QFETCH(bool, debug);
    QFETCH(QString, caCertificates);
    QFile::remove(QStringLiteral("config.ini"));
    if (!ini.isEmpty()) {
        QFile file(QStringLiteral("config.ini"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(ini);
    }
    const QByteArray before = ini;
    DevConfig config;
    QCOMPARE(config.getServerUrl(), serverUrl);
    QCOMPARE(config.isDebugEnabled(), debug);
    QCOMPARE(config.getCaCertificatesPath(), caCertificates);

    // Reading never writes the file back.
    QFile file(QStringLiteral("config.ini"));
    if (before.isEmpty()) {
        QVERIFY(!file.exists());
    } else {
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
    }
}

void TestRecords::usernameParts_data()
{
    Test::addRows({ "username", "head", "tail" },
        { { "surname - name", "ROSSI - MARIO", "ROSSI", "MARIO" },
            { "no separator", "  ROSSI ", "ROSSI", "" },
            { "double-barrelled name", "DE LUCA - ANNA-MARIA", "DE LUCA", "ANNA" },
            { "leading separator", "- MARIO", "", "MARIO" }, { "empty", "", "", "" } });
}

void TestRecords::usernameParts()
{
    // Guards against the greeting showing blanks or the wrong half of the user name.
    QFETCH(QString, username);
    QFETCH(QString, head);
    QFETCH(QString, tail);
    Account account;
    account.setUsername(username);
    QCOMPARE(account.getUsernameHead(), head);
    QCOMPARE(account.getUsernameTail(), tail);
}

void TestRecords::accountWithoutRecords()
{
    // Guards against a crash when a window asks for session data before login.
    Account account;
    QCOMPARE(account.getConfidiId(), 0);
    QCOMPARE(account.getConfidiCompanyName(), QString());
    QCOMPARE(account.getCredentialCfUtente(), QString());
    QCOMPARE(account.getCredentialPassword(), QString());
    account.updateCredentialPassword(QStringLiteral("ignored"));
    QCOMPARE(account.getCredentialPassword(), QString());
}

void TestRecords::accountReplacesRecords()
{
    // Guards against a replaced record being freed while still in use, or never freed.
    Account account;
    auto* first = new Credential(
        QStringLiteral("RSSMRA80A01H501U"), QStringLiteral("01234567890"), QStringLiteral("uno"));
    QPointer<Credential> watchFirst(first);
    account.setCredential(first);
    account.setCredential(first);
    QVERIFY(watchFirst);
    account.updateCredentialPassword(QStringLiteral("due"));
    QCOMPARE(first->getPassword(), QStringLiteral("due"));

    account.setCredential(new Credential(
        QStringLiteral("VRDLGU75B02F205X"), QStringLiteral("09876543210"), QString()));
    QVERIFY(watchFirst); // still valid until control returns to the event loop
    QCOMPARE(account.getCredentialCfUtente(), QStringLiteral("VRDLGU75B02F205X"));
    QTRY_VERIFY(!watchFirst);

    auto* confidi = new Confidi(7, QStringLiteral("Confidi Prova"), 0, 0);
    QPointer<Confidi> watchConfidi(confidi);
    account.setConfidi(confidi);
    QCOMPARE(account.getConfidiId(), 7);
    QCOMPARE(account.getConfidiCompanyName(), QStringLiteral("Confidi Prova"));

    auto shortLived = std::make_unique<Account>();
    auto* owned = new Confidi(1, QString(), 0, 0);
    QPointer<Confidi> watchOwned(owned);
    shortLived->setConfidi(owned);
    shortLived.reset();
    QVERIFY(!watchOwned);
}

QTEST_GUILESS_MAIN(TestRecords)
#include "tst_records.moc"
