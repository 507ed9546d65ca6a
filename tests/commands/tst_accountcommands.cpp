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
                                public Interface::CheckVersionAccepterInterface,
                                public Interface::RequestCredentialResponseAccepterInterface,
                                public Interface::DownloadUpdateResponseAccepterInterface,
                                public Interface::SendPrivacyResponseAccepterInterface,
                                public Interface::ChangePasswordResultAccepterInterface {
public:
    void setAccount(Command::Init*) override { note("setAccount"); }
    void manageAuthenticationResult(Command::Login*) override { note("login"); }
    void manageAuthenticationResult(Command::RequestActivationCode*) override { note("code"); }
    void manageAuthenticationResult(Command::TwoFaActivation*) override { note("twoFaActivation"); }
    void manageAuthenticationResult(Command::TwoFaFirstAuthentication*) override { note("first"); }
    void manageAuthenticationResult(Command::TwoFaAuthentication*) override { note("twoFa"); }
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
    void manageRequestPasswordResult(Command::RequestPassword*) override { note("newPassword"); }

    QStringList calls;

private:
    void note(const char* call) { calls << call; }
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
    void init() { accepter.calls.clear(); }
    void cleanupTestCase() { client.reset(); }

    void requestsGoToHomeVerbsWithTheirFields_data();
    void requestsGoToHomeVerbsWithTheirFields();
    void outcomes_data();
    void outcomes();
    void emptyTokenIsNeverWrittenToASessionFile();
    void updateDownloadKeepsOnlyAVerifiedArchive();

private:
    /// Runs the command against the scripted reply and waits until the queue is idle.
    void run(Interface::CommandInterface* command, const QString& verb, const QByteArray& body,
        const QByteArray& contentType = "text/xml")
    {
        ScriptedReply scripted;
        scripted.body = body;
        scripted.contentType = contentType;
        server->setReply("/corvane/v5/home/" + verb, scripted);
        application->getCommandManager()->exec(command);
        QTRY_VERIFY(!application->getCommandManager()->isBusy());
    }

    std::unique_ptr<TestServer> server;
    std::unique_ptr<TestClient> client;
    ApplicationManager* application = nullptr;
    RecordingAccepter accepter;
};

void TestAccountCommands::initTestCase()
{
    TestEnvironment::enterTemporaryWorkingDirectory();
    QCoreApplication::setApplicationVersion("5.2.0.0");
    server = std::make_unique<TestServer>();
    client = std::make_unique<TestClient>(server->baseUrl());
    application = client->application();
    // Account commands never carry the bank, even once one is chosen.
    application->getAccount()->setBank("03069 - Banca Prova");
}

void TestAccountCommands::requestsGoToHomeVerbsWithTheirFields_data()
{
    QTest::addColumn<QString>("verb");
    QTest::addColumn<bool>("authenticated");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("call");
    const auto row
        = [](const char* verb, bool authenticated, const QStringList& fields, const char* call) {
              QTest::newRow(verb) << QString(verb) << authenticated << fields << QString(call);
          };
    // The other authenticated verbs are walked against the real server by the sign-in tests.
    const QStringList system { "sys_arch", "sys_prod_name" };
    row("init", true, system, "setAccount");
    row("version_check", true, system, "upToDate");
    row("login_account", false, { "cf_confidi", "cf_utente", "password" }, "login");
    row("richiesta_credenziali_utente", false,
        { "cf_confidi", "cf_utente", "cognome", "email_utente", "nome" }, "account");
    row("richiesta_credenziali_confidi", false, { "cf_confidi" }, "confidi");
    row("richiesta_password", true, {}, "newPassword");
    row("send_privacy", false, {}, "privacy");
}

void TestAccountCommands::requestsGoToHomeVerbsWithTheirFields()
{
    // Guards against a wrong verb, the bank or no version sent, or the wrong accepter told.
    QFETCH(QString, verb);
    QFETCH(bool, authenticated);
    QFETCH(QStringList, fields);
    QFETCH(QString, call);
    QMap<QString, QString> values;
    for (const QString& field : qAsConst(fields))
        values.insert(field, field + " valore");
    RecordingAccepter* a = &accepter;
    const std::map<QString, std::function<Interface::CommandInterface*()>> factories {
        { "init", [&] { return new Command::Init(a); } },
        { "version_check", [&] { return new Command::CheckVersion(a, "5.2.0.0"); } },
        { "login_account", [&] { return new Command::Login(a, values); } },
        { "richiesta_credenziali_utente",
            [&] { return new Command::RequestCredentialAccount(a, values); } },
        { "richiesta_credenziali_confidi",
            [&] { return new Command::RequestCredentialConfidi(a, values); } },
        { "richiesta_password", [&] { return new Command::RequestPassword(a); } },
        { "send_privacy", [&] { return new Command::SendPrivacy(a); } },
    };
    const std::unique_ptr<Interface::CommandInterface> command(factories.at(verb)());
    run(command.get(), verb, resultReply("0", { idRecord("1", "5.2.0.0") }));
    QCOMPARE(accepter.calls, QStringList { call });

    const RecordedRequest request = server->requests().constLast();
    QCOMPARE(request.path, "/corvane/v5/home/" + verb);
    QStringList expected = fields + QStringList { "cmd" };
    if (authenticated)
        expected << "vers";
    expected.sort();
    QCOMPARE(request.form.keys(), expected);
    for (const QString& field : qAsConst(fields)) {
        if (!field.startsWith("sys_"))
            QCOMPARE(request.form.value(field), field + " valore");
    }
    if (fields.contains("sys_arch")) {
        QCOMPARE(request.form.value("sys_arch"), QSysInfo::currentCpuArchitecture());
        QCOMPARE(request.form.value("sys_prod_name"), QSysInfo::prettyProductName());
    }
}

void TestAccountCommands::outcomes_data()
{
    QTest::addColumn<QString>("verb");
    QTest::addColumn<QString>("esitoId");
    QTest::addColumn<QList<DataRow>>("records");
    QTest::addColumn<bool>("success");
    QTest::addColumn<QString>("token");
    const QString login = "login_account";
    const QString twoFa = "autenticazione_two_fa";
    const QString first = "prima_autenticazione_two_fa";
    const QString account = "richiesta_credenziali_utente";
    const QList<DataRow> tokens { idRecord("0", "token-uno"), idRecord("0", "token-due") };
    const QList<DataRow> emptyToken { idRecord("0", "") };
    const QList<DataRow> none;
    QTest::newRow("login accepted, last token wins")
        << login << "0" << tokens << true << "token-due";
    QTest::newRow("login refused") << login << "9" << tokens << false << "token-due";
    QTest::newRow("login cut short") << login << "0" << none << false << "";
    QTest::newRow("login with an empty token") << login << "0" << emptyToken << false << "";
    QTest::newRow("two-factor accepted") << twoFa << "0" << tokens << true << "token-due";
    QTest::newRow("two-factor cut short") << twoFa << "0" << none << false << "";
    QTest::newRow("two-factor answered as an empty search")
        << twoFa << "10" << tokens << false << "token-due";
    QTest::newRow("first two-factor accepted") << first << "0" << tokens << true << "token-due";
    QTest::newRow("first two-factor with an empty result")
        << first << "0" << emptyToken << false << "";
    QTest::newRow("account created") << account << "0" << none << true << "";
    QTest::newRow("account already registered") << account << "305" << none << false << "";
}

void TestAccountCommands::outcomes()
{
    // Guards against refused or cut-short replies taken for success, or the wrong token kept.
    QFETCH(QString, verb);
    QFETCH(QString, esitoId);
    QFETCH(QList<DataRow>, records);
    QFETCH(bool, success);
    QFETCH(QString, token);
    const QMap<QString, QString> fields { { "cf_utente", "RSSMRA80A01H501U" },
        { "twofa_token", "123456" } };
    Command::Login login(&accepter, fields);
    Command::TwoFaAuthentication twoFa(&accepter, fields);
    Command::TwoFaFirstAuthentication first(&accepter, fields);
    Command::RequestCredentialAccount account(&accepter, { { "nome", "Maria" } });
    const std::map<QString, Interface::CommandInterface*> commands { { "login_account", &login },
        { "autenticazione_two_fa", &twoFa }, { "prima_autenticazione_two_fa", &first },
        { "richiesta_credenziali_utente", &account } };
    run(commands.at(verb), verb, resultReply(esitoId, records));
    QCOMPARE(accepter.calls.size(), 1);
    if (verb == "login_account") {
        QCOMPARE(login.isSuccess(), success);
        QCOMPARE(login.getResultCode(), esitoId.toInt());
        QCOMPARE(login.getToken(), token);
    } else if (verb == "autenticazione_two_fa") {
        QCOMPARE(twoFa.isSuccess(), success);
        QCOMPARE(twoFa.getToken(), token);
    } else if (verb == "prima_autenticazione_two_fa") {
        QCOMPARE(first.isSuccess(), success);
        QCOMPARE(first.getResult(), token);
    } else {
        QCOMPARE(account.isSuccess(), success);
        QCOMPARE(account.getResultCode(), esitoId.toInt());
    }
}

void TestAccountCommands::emptyTokenIsNeverWrittenToASessionFile()
{
    // Guards against an empty token written over a session file, and a stale token surviving it.
    ApplicationManager::writeSessionFile("twofa.txt", "vecchio");
    const QString path = ApplicationManager::sessionFilePath("twofa.txt");
    QVERIFY(QFile::exists(path));
    ApplicationManager::writeSessionFile("twofa.txt", QString());
    QVERIFY(!QFile::exists(path));
}

void TestAccountCommands::updateDownloadKeepsOnlyAVerifiedArchive()
{
    // Guards against a corrupt or XML download kept, or a good one appended to the old file.
    const QByteArray archive("PK\x03\x04 archivio di prova", 22);
    const QString md5 = QCryptographicHash::hash(archive, QCryptographicHash::Md5).toHex();
    QFile old("CorvaneWin.zip");
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write(QByteArray(200, 'x')) == 200);
    old.close();
    const QString signature = signRelease(archive);
    Command::DownloadUpdate corrupted(&accepter, QString(32, 'f'), "5.3.0.0", signature);
    Command::DownloadUpdate verified(&accepter, md5, "5.3.0.0", signature);
    Command::DownloadUpdate refused(&accepter, md5, "5.3.0.0", signature);

    run(&corrupted, "download_upd", archive, "application/zip");
    QCOMPARE(accepter.calls.size(), 1);
    QVERIFY(!corrupted.isSuccess());
    QCOMPARE(readFile("CorvaneWin.zip"), QByteArray(200, 'x'));
    QCOMPARE(server->requests().constLast().form.value("file"), "CorvaneWin");
    QCOMPARE(server->requests().constLast().form.value("vers"), "5.3.0.0");
    run(&verified, "download_upd", archive, "application/zip");
    QCOMPARE(accepter.calls.size(), 2);
    QVERIFY(verified.isSuccess());
    QCOMPARE(readFile("CorvaneWin.zip"), archive);
    run(&refused, "download_upd", resultReply("10"), "text/html");
    QCOMPARE(accepter.calls.size(), 3);
    QVERIFY(!refused.isSuccess());
    QCOMPARE(readFile("CorvaneWin.zip"), archive);
}

QTEST_MAIN(TestAccountCommands)
#include "tst_accountcommands.moc"
