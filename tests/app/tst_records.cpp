#include "app/account.h"
#include "app/confidi.h"
#include "app/credential.h"
#include "app/devconfig.h"
#include "support/datarows.h"
#include "support/testenvironment.h"

#include <QtTest>

#include <memory>

using namespace Corvane;

class TestRecords final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { Test::TestEnvironment::enterTemporaryWorkingDirectory(); }
    void devConfigReadsConfigIni_data();
    void devConfigReadsConfigIni();
    void usernameParts_data();
    void usernameParts();
    void accountReplacesRecords();
};

void TestRecords::devConfigReadsConfigIni_data()
{
    const char* compiledIn = "https://localhost:8443";
    Test::addRows({ "ini", "serverUrl", "debug", "caCertificates" },
        { { "no file", "", compiledIn, "", "" },
            { "debug switch is its presence", "[Debug]\nEnable=0\n", compiledIn, "on", "" },
            { "server and authorities",
                "[ServerURL]\nProduction=https://tessaro.example:9443/base\n"
                "CaCertificates=tls/ca.pem\n",
                "https://tessaro.example:9443/base", "", "tls/ca.pem" },
            { "other groups only", "[Network]\nProxyType=0\n", compiledIn, "", "" } });
}

void TestRecords::devConfigReadsConfigIni()
{
    // Guards against deployment settings misread or written back, or the built-in server lost.
    QFETCH(QString, ini);
    QFETCH(QString, serverUrl);
    QFETCH(QString, debug);
    QFETCH(QString, caCertificates);
    QFile file("config.ini");
    file.remove();
    if (!ini.isEmpty()) {
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(ini.toUtf8()) > 0);
        file.close();
    }
    DevConfig config;
    QCOMPARE(config.getServerUrl(), serverUrl);
    QCOMPARE(config.isDebugEnabled(), !debug.isEmpty());
    QCOMPARE(config.getCaCertificatesPath(), caCertificates);
    QCOMPARE(file.exists(), !ini.isEmpty());
    if (!ini.isEmpty()) {
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()), ini);
    }
}

void TestRecords::usernameParts_data()
{
    Test::addRows({ "username", "head", "tail" },
        { { "no separator", "  ROSSI ", "ROSSI", "" },
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

void TestRecords::accountReplacesRecords()
{
    // Guards against session data before login crashing, a replaced record freed early or never.
    Account account;
    QCOMPARE(account.getConfidiId(), 0);
    QCOMPARE(account.getCredentialCfUtente(), QString());
    account.updateCredentialPassword("ignored");
    QCOMPARE(account.getCredentialPassword(), QString());

    auto* first = new Credential("RSSMRA80A01H501U", "01234567890", "uno");
    QPointer<Credential> watchFirst(first);
    account.setCredential(first);
    account.setCredential(first);
    QVERIFY(watchFirst);
    account.updateCredentialPassword("due");
    QCOMPARE(first->getPassword(), QString("due"));
    account.setCredential(new Credential("VRDLGU75B02F205X", "09876543210", QString()));
    QVERIFY(watchFirst); // still valid until control returns to the event loop
    QCOMPARE(account.getCredentialCfUtente(), QString("VRDLGU75B02F205X"));
    QTRY_VERIFY(!watchFirst);

    account.setConfidi(new Confidi(7, "Confidi Prova", 0, 0));
    QCOMPARE(account.getConfidiId(), 7);
    auto shortLived = std::make_unique<Account>();
    QPointer<Confidi> owned(new Confidi(1, QString(), 0, 0));
    shortLived->setConfidi(owned);
    shortLived.reset();
    QVERIFY(!owned);
}

QTEST_GUILESS_MAIN(TestRecords)
#include "tst_records.moc"
