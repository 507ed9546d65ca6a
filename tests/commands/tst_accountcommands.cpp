#include "app/account.h"
#include "app/applicationmanager.h"
#include "commands/accountcommands.h"
#include "commands/authentication.h"
#include "commands/checkversion.h"
#include "commands/credentialrequest.h"
#include "commands/downloadupdate.h"
#include "protocol/commandmanager.h"
#include "support/releasesigning.h"
#include "support/testclient.h"
#include "support/testcommands.h"
#include "support/testenvironment.h"
#include "support/testserver.h"

#include <QCryptographicHash>
#include <QSysInfo>
#include <QtTest>

#include <functional>
#include <map>
#include <memory>

using namespace Corvane;
using namespace Corvane::Test;

namespace {

/// Stands in for the flow manager: records which accepter operation each command called.
class RecordingAccepter final : public Interface::AccountSettingsAccepterInterface,
                                public Interface::AuthenticationResultAccepterInterface,
                                public Interface::LogoutResultAccepterInterface,
                                public Interface::CheckVersionAccepterInterface,
                                public Interface::RequestCredentialResponseAccepterInterface,
                                public Interface::DownloadUpdateResponseAccepterInterface,
                                public Interface::SendPrivacyResponseAccepterInterface,
                                public Interface::ChangePasswordResultAccepterInterface {
public:
    void setAccount(Command::Init*) override { note("setAccount"); }
    void manageAuthenticationResult(Command::Login*) override { note("login"); }
    void manageAuthenticationResult(Command::RequestActivationCode*) override
    {
        note("activation");
    }
    void manageAuthenticationResult(Command::TwoFaActivation*) override { note("twoFaActivation"); }
    void manageAuthenticationResult(Command::TwoFaFirstAuthentication*) override
    {
        note("twoFaFirst");
    }
    void manageAuthenticationResult(Command::TwoFaAuthentication*) override { note("twoFa"); }
    void manageLogoutResult(Command::Logout*) override { note("logout"); }
    void onVersionUpToDate(Command::CheckVersion*) override { note("upToDate"); }
    void onUpdateAvailable(Command::CheckVersion*) override { note("updateAvailable"); }
    void manageCredentialRequestResult(Command::RequestCredentialConfidi*) override
    {
        note("confidi");
    }
    void manageCredentialRequestResult(Command::RequestCredentialAccount*) override
    {
        note("account");
    }
    void manageDownloadUpdateResult(Command::DownloadUpdate*) override { note("download"); }
    void setPrivacy(Command::SendPrivacy*) override { note("privacy"); }
    void manageChangePasswordResult(Command::ChangePassword*) override { note("changePassword"); }
    void manageRequestPasswordResult(Command::RequestPassword*) override
    {
        note("requestPassword");
    }

    QStringList calls;

private:
    void note(const char* call) { calls << QLatin1String(call); }
};

QByteArray readFile(const QString& name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

}

class TestAccountCommands final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void requestsGoToHomeVerbsWithTheirFields_data();
    void requestsGoToHomeVerbsWithTheirFields();
    void tokenOutcomes_data();
    void tokenOutcomes();
    void emptyTokenIsNeverWrittenToASessionFile();
    void credentialRequests_data();
    void credentialRequests();
    void updateDownloadKeepsOnlyAVerifiedArchive();

private:
    /// Runs the command against the scripted reply and waits until the queue is idle.
    void run(Interface::CommandInterface* command, const QString& verb, const QByteArray& body,
        int status = 200);

    std::unique_ptr<TestServer> server;
    std::unique_ptr<TestClient> client;
    ApplicationManager* application = nullptr;
    RecordingAccepter accepter;
};

void TestAccountCommands::initTestCase()
{
    TestEnvironment::enterTemporaryWorkingDirectory();
    QCoreApplication::setApplicationVersion(QStringLiteral("5.2.0.0"));
    server = std::make_unique<TestServer>();
    client = std::make_unique<TestClient>(server->baseUrl());
    application = client->application();
    // Account commands never carry the bank, even once one is chosen.
    application->getAccount()->setBank(QStringLiteral("03069 - Banca Prova"));
}

void TestAccountCommands::init() { accepter.calls.clear(); }

void TestAccountCommands::cleanupTestCase() { client.reset(); }

void TestAccountCommands::run(
    Interface::CommandInterface* command, const QString& verb, const QByteArray& body, int status)
{
    ScriptedReply scripted;
    scripted.status = status;
    scripted.body = body;
    server->setReply(QStringLiteral("/corvane/v5/home/") + verb, scripted);
    application->getCommandManager()->exec(command);
    QTRY_VERIFY(!application->getCommandManager()->isBusy());
}

void TestAccountCommands::requestsGoToHomeVerbsWithTheirFields_data()
{
    QTest::addColumn<QString>("verb");
    QTest::addColumn<bool>("authenticated");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("call");
    const auto row = [](const char* name, const char* verb, bool authenticated,
                         const QStringList& fields, const char* call) {
        QTest::newRow(name) << QString::fromLatin1(verb) << authenticated << fields
                            << QString::fromLatin1(call);
    };
    const QStringList system { "sys_arch", "sys_prod_name" };
    row("init", "init", true, system, "setAccount");
    row("version check", "version_check", true, system, "upToDate");
    row("login", "login_account", false, { "cf_confidi", "cf_utente", "password" }, "login");
    row("logout", "logout", true, {}, "logout");
    row("two-factor activation", "attivazione_two_fa", true, {}, "twoFaActivation");
    row("first two-factor code", "prima_autenticazione_two_fa", true, { "twofa_token" },
        "twoFaFirst");
    row("two-factor code", "autenticazione_two_fa", true, { "twofa_token" }, "twoFa");
    row("activation code", "attivazione_codice", true, { "codice_attivazione" }, "activation");
    row("account request", "richiesta_credenziali_utente", false,
        { "cf_confidi", "cf_utente", "cognome", "email_utente", "nome" }, "account");
    row("consortium request", "richiesta_credenziali_confidi", false, { "cf_confidi" }, "confidi");
    row("new password", "richiesta_password", true, {}, "requestPassword");
    row("password change", "cambio_password", true, { "new_password", "old_password" },
        "changePassword");
    row("privacy", "send_privacy", false, {}, "privacy");
}

void TestAccountCommands::requestsGoToHomeVerbsWithTheirFields()
{
    // Guards against a command calling the wrong verb, sending the bank, missing the version on
    // authenticated verbs, or reporting to the wrong accepter operation.
    QFETCH(QString, verb);
    QFETCH(bool, authenticated);
    QFETCH(QStringList, fields);
    QFETCH(QString, call);

    QMap<QString, QString> parameters;
    for (const QString& field : qAsConst(fields))
        parameters.insert(field, field + QStringLiteral(" valore"));
    using Factory = std::function<Interface::CommandInterface*()>;
    const std::map<std::string, Factory> factories {
        { "init", [&] { return new Command::Init(&accepter); } },
        { "version_check",
            [&] { return new Command::CheckVersion(&accepter, QStringLiteral("5.2.0.0")); } },
        { "login_account", [&] { return new Command::Login(&accepter, parameters); } },
        { "logout", [&] { return new Command::Logout(&accepter); } },
        { "attivazione_two_fa", [&] { return new Command::TwoFaActivation(&accepter); } },
        { "prima_autenticazione_two_fa",
            [&] { return new Command::TwoFaFirstAuthentication(&accepter, parameters); } },
        { "autenticazione_two_fa",
            [&] { return new Command::TwoFaAuthentication(&accepter, parameters); } },
        { "attivazione_codice",
            [&] { return new Command::RequestActivationCode(&accepter, parameters); } },
        { "richiesta_credenziali_utente",
            [&] { return new Command::RequestCredentialAccount(&accepter, parameters); } },
        { "richiesta_credenziali_confidi",
            [&] { return new Command::RequestCredentialConfidi(&accepter, parameters); } },
        { "richiesta_password", [&] { return new Command::RequestPassword(&accepter); } },
        { "cambio_password", [&] { return new Command::ChangePassword(&accepter, parameters); } },
        { "send_privacy", [&] { return new Command::SendPrivacy(&accepter); } },
    };
    const std::unique_ptr<Interface::CommandInterface> command(factories.at(verb.toStdString())());

    run(command.get(), verb,
        resultReply(
            QStringLiteral("0"), { idRecord(QStringLiteral("1"), QStringLiteral("5.2.0.0")) }));
    QCOMPARE(accepter.calls, QStringList { call });

    const RecordedRequest request = server->requests().constLast();
    QCOMPARE(request.path, QStringLiteral("/corvane/v5/home/") + verb);
    QStringList expected = fields;
    expected << QStringLiteral("cmd");
    if (authenticated)
        expected << QStringLiteral("vers");
    expected.sort();
    QCOMPARE(request.form.keys(), expected);
    for (const QString& field : qAsConst(fields)) {
        if (!field.startsWith(QLatin1String("sys_")))
            QCOMPARE(request.form.value(field), field + QStringLiteral(" valore"));
    }
    if (fields == QStringList { "sys_arch", "sys_prod_name" }) {
        QCOMPARE(
            request.form.value(QStringLiteral("sys_arch")), QSysInfo::currentCpuArchitecture());
        QCOMPARE(
            request.form.value(QStringLiteral("sys_prod_name")), QSysInfo::prettyProductName());
    }
}

void TestAccountCommands::tokenOutcomes_data()
{
    QTest::addColumn<QString>("verb");
    QTest::addColumn<QString>("esitoId");
    QTest::addColumn<int>("httpStatus");
    QTest::addColumn<QList<DataRow>>("records");
    QTest::addColumn<bool>("success");
    QTest::addColumn<QString>("token");

    const QString login = QStringLiteral("login_account");
    const QString twoFa = QStringLiteral("autenticazione_two_fa");
    const QString firstTwoFa = QStringLiteral("prima_autenticazione_two_fa");
    const QList<DataRow> tokens { idRecord(QStringLiteral("0"), QStringLiteral("token-uno")),
        idRecord(QStringLiteral("0"), QStringLiteral("token-due")) };
    const QList<DataRow> emptyToken { idRecord(QStringLiteral("0"), QString()) };
    const QString last = QStringLiteral("token-due");

    QTest::newRow("login accepted, last token wins")
        << login << "0" << 200 << tokens << true << last;
    QTest::newRow("login refused") << login << "9" << 200 << tokens << false << last;
    QTest::newRow("login cut short") << login << "0" << 200 << QList<DataRow>() << false << "";
    QTest::newRow("login with an empty token") << login << "0" << 200 << emptyToken << false << "";
    QTest::newRow("two-factor accepted") << twoFa << "0" << 200 << tokens << true << last;
    QTest::newRow("two-factor cut short") << twoFa << "0" << 200 << QList<DataRow>() << false << "";
    QTest::newRow("two-factor answered as an empty search")
        << twoFa << "10" << 200 << tokens << false << last;
    QTest::newRow("first two-factor accepted")
        << firstTwoFa << "0" << 200 << tokens << true << last;
    QTest::newRow("first two-factor with an empty result")
        << firstTwoFa << "0" << 200 << emptyToken << false << "";
}

void TestAccountCommands::tokenOutcomes()
{
    // Guards against a refused or cut-short reply being taken for a session (an empty token
    // accepted), or the wrong token being kept.
    QFETCH(QString, verb);
    QFETCH(QString, esitoId);
    QFETCH(int, httpStatus);
    QFETCH(QList<DataRow>, records);
    QFETCH(bool, success);
    QFETCH(QString, token);
    const QMap<QString, QString> parameters { { QStringLiteral("cf_utente"),
                                                  QStringLiteral("RSSMRA80A01H501U") },
        { QStringLiteral("twofa_token"), QStringLiteral("123456") } };
    Command::Login login(&accepter, parameters);
    Command::TwoFaAuthentication twoFa(&accepter, parameters);
    Command::TwoFaFirstAuthentication firstTwoFa(&accepter, parameters);
    Interface::CommandInterface* command = &login;
    if (verb == QLatin1String("autenticazione_two_fa"))
        command = &twoFa;
    else if (verb == QLatin1String("prima_autenticazione_two_fa"))
        command = &firstTwoFa;
    run(command, verb, resultReply(esitoId, records), httpStatus);

    QCOMPARE(accepter.calls.size(), 1);
    if (command == &login) {
        QCOMPARE(login.isSuccess(), success);
        QCOMPARE(login.getResultCode(), esitoId.toInt());
        QCOMPARE(login.getToken(), token);
    } else if (command == &twoFa) {
        QCOMPARE(twoFa.isSuccess(), success);
        QCOMPARE(twoFa.getToken(), token);
    } else {
        QCOMPARE(firstTwoFa.isSuccess(), success);
        QCOMPARE(firstTwoFa.getResult(), token);
    }
}

void TestAccountCommands::emptyTokenIsNeverWrittenToASessionFile()
{
    // Guards against an empty token written over a session file, and a stale token surviving it.
    ApplicationManager::writeSessionFile(QStringLiteral("twofa.txt"), QStringLiteral("vecchio"));
    const QString path = ApplicationManager::sessionFilePath(QStringLiteral("twofa.txt"));
    QVERIFY(QFile::exists(path));
    ApplicationManager::writeSessionFile(QStringLiteral("twofa.txt"), QString());
    QVERIFY(!QFile::exists(path));
}

void TestAccountCommands::credentialRequests_data()
{
    QTest::addColumn<QString>("esitoId");
    QTest::addColumn<bool>("success");
    QTest::newRow("account created") << "0" << true;
    QTest::newRow("already registered") << "305" << false;
}

void TestAccountCommands::credentialRequests()
{
    // Guards against a refused account request being reported as accepted, or its code lost.
    QFETCH(QString, esitoId);
    QFETCH(bool, success);
    Command::RequestCredentialAccount request(
        &accepter, { { QStringLiteral("nome"), QStringLiteral("Maria") } });
    run(&request, QStringLiteral("richiesta_credenziali_utente"), resultReply(esitoId));
    QCOMPARE(request.isSuccess(), success);
    QCOMPARE(request.getResultCode(), esitoId.toInt());
    QCOMPARE(accepter.calls.size(), 1);
}

void TestAccountCommands::updateDownloadKeepsOnlyAVerifiedArchive()
{
    // Guards against a corrupted download replacing the archive, or a new one being appended to
    // the old file.
    const QByteArray archive("PK\x03\x04 archivio di prova", 22);
    const QString md5
        = QString::fromLatin1(QCryptographicHash::hash(archive, QCryptographicHash::Md5).toHex());
    QFile old(QStringLiteral("CorvaneWin.zip"));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(200, 'x'));
    old.close();

    ScriptedReply file;
    file.contentType = "application/zip";
    file.body = archive;
    server->setReply(QStringLiteral("/corvane/v5/home/download_upd"), file);

    const QString signature = signRelease(archive);
    Command::DownloadUpdate corrupted(&accepter, QStringLiteral("ffffffffffffffffffffffffffffffff"),
        QStringLiteral("5.3.0.0"), signature);
    application->getCommandManager()->exec(&corrupted);
    QTRY_COMPARE(accepter.calls.size(), 1);
    QVERIFY(!corrupted.isSuccess());
    QCOMPARE(readFile(QStringLiteral("CorvaneWin.zip")), QByteArray(200, 'x'));
    QCOMPARE(server->requests().constLast().form.value(QStringLiteral("file")),
        QStringLiteral("CorvaneWin"));
    QCOMPARE(server->requests().constLast().form.value(QStringLiteral("vers")),
        QStringLiteral("5.3.0.0"));

    Command::DownloadUpdate verified(&accepter, md5, QStringLiteral("5.3.0.0"), signature);
    application->getCommandManager()->exec(&verified);
    QTRY_COMPARE(accepter.calls.size(), 2);
    QVERIFY(verified.isSuccess());
    QCOMPARE(readFile(QStringLiteral("CorvaneWin.zip")), archive);

    // An error answered as XML is no file.
    ScriptedReply error;
    error.contentType = "text/html";
    error.body = resultReply(QStringLiteral("10"));
    server->setReply(QStringLiteral("/corvane/v5/home/download_upd"), error);
    Command::DownloadUpdate refused(&accepter, md5, QStringLiteral("5.3.0.0"), signature);
    application->getCommandManager()->exec(&refused);
    QTRY_VERIFY(!application->getCommandManager()->isBusy());
    // Reported as a failed download: the update window must not wait for ever.
    QCOMPARE(accepter.calls.size(), 3);
    QVERIFY(!refused.isSuccess());
    QCOMPARE(readFile(QStringLiteral("CorvaneWin.zip")), archive);
}

QTEST_MAIN(TestAccountCommands)
#include "tst_accountcommands.moc"
