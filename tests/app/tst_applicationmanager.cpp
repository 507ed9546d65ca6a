#include "app/account.h"
#include "app/applicationmanager.h"
#include "app/credential.h"
#include "app/resources.h"
#include "protocol/commandmanager.h"
#include "protocol/commandrequestmanager.h"
#include "support/datarows.h"
#include "support/messageboxanswerer.h"
#include "support/testclient.h"
#include "support/testcommands.h"
#include "support/testenvironment.h"
#include "support/testserver.h"
#include "ui/bankselectorwindow.h"
#include "ui/mainwindow.h"

#include <QDialog>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QtTest>

#include <memory>
#include <sys/stat.h>

using namespace Corvane;
using namespace Corvane::Test;

namespace {

QString sessionFile(const QString& name)
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + '/' + name;
}

void writeSessionFiles()
{
    ApplicationManager::writeSessionFile("auth.txt", "auth-token");
    ApplicationManager::writeSessionFile("twofa.txt", "twofa-token");
}

/// Class names of the dialogs on screen.
QStringList visibleDialogs()
{
    QStringList names;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<QDialog*>(widget) && !qobject_cast<QMessageBox*>(widget)
            && widget->isVisible())
            names << QString(widget->metaObject()->className()).remove("Corvane::");
    }
    return names;
}

void hideAll()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        widget->hide();
}

}

class TestApplicationManager final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init()
    {
        hideAll();
        writeSessionFiles();
    }
    void cleanupTestCase()
    {
        hideAll();
        client.reset();
    }
    void refusedSessionOpensTheRightDialog_data();
    void refusedSessionOpensTheRightDialog();
    void keychainAndLogout();
    void privacyTextIsFetchedOnce();
    void everyOpenedSessionListsTheBanks();
    void sessionFilesAreOwnerOnly();

private:
    void newClient();
    int requestsTo(const QString& verb) const
    {
        const QList<RecordedRequest> requests = server->requests();
        return int(std::count_if(requests.cbegin(), requests.cend(),
            [&verb](const RecordedRequest& request) { return request.path.endsWith('/' + verb); }));
    }

    std::unique_ptr<TestServer> server;
    std::unique_ptr<TestClient> client;
    ApplicationManager* application = nullptr;
};

void TestApplicationManager::initTestCase()
{
    TestEnvironment::enterTemporaryWorkingDirectory();
    initResources();
    QCoreApplication::setApplicationVersion("5.2.0.0");
    server = std::make_unique<TestServer>();
    server->setXmlReply("/corvane/v5/home/ticket_mail_utente", resultReply("0"));
    newClient();
}

void TestApplicationManager::newClient()
{
    client = std::make_unique<TestClient>(server->baseUrl());
    application = client->application();
    server->setXmlReply("/corvane/v5/home/init", resultReply("300"));
}

void TestApplicationManager::refusedSessionOpensTheRightDialog_data()
{
    // Named by the result code; those the real server's sign-in walks are left end to end.
    const char* wrongCode = "Codice di autenticazione non corretto. Ripetere inserimento.";
    const char* invalid = "Errore validazione dati. Ripetere inserimento.";
    const char* activation = "Attivazione account";
    const char* authentication = "Autenticazione account";
    const char* password = "Cambio Password";
    const char* expired = "Il periodo di attivazione account è scaduto. Effettuare una nuova "
                          "registrazione utente.";
    addRows({ "kind", "title", "text", "dialog", "dropped" },
        { { "4 unknown user", "", "", "", "LoginWindow", "auth.txt" },
            { "308 activation expired", "", activation, expired, "LoginWindow", "" },
            { "311 wrong code", "", authentication, wrongCode, "TwoFaAuthenticationWindow", "" },
            { "312 bad two-factor token", "", "", "", "TwoFaAuthenticationWindow", "twofa.txt" },
            { "313 auth token", "auth", "", "", "LoginWindow", "" },
            { "313 two-factor token", "twofa", "", "", "TwoFaAuthenticationWindow", "twofa.txt" },
            { "313 without kind", "", "", "", "", "" },
            { "314 wrong password", "", password,
                "Password corrente non corretta. Ripetere inserimento.", "ChangePasswordWindow",
                "" },
            { "315 wrong first code", "", authentication, wrongCode, "TwoFaActivationWindow", "" },
            { "316 invalid password", "", password, invalid, "ChangePasswordWindow", "" },
            { "319 invalid activation code", "", activation, invalid, "ActivationCodeWindow", "" },
            { "320 invalid first code", "", authentication, invalid, "TwoFaActivationWindow", "" },
            { "321 invalid code", "", authentication, invalid, "TwoFaAuthenticationWindow", "" },
            // Too many attempts matter only after a code, which the code windows' test covers.
            { "201 not after a code", "", "", "", "", "" },
            { "305 other code", "", "", "", "", "" } });
}

void TestApplicationManager::refusedSessionOpensTheRightDialog()
{
    // Guards against a refused session leading to the wrong dialog or dropping the wrong file.
    QFETCH(QString, kind);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(QString, dialog);
    QFETCH(QString, dropped);
    MessageBoxAnswerer answerer;
    if (!title.isEmpty())
        answerer.expect(title, text, QMessageBox::Ok);
    const int activations = requestsTo("attivazione_two_fa");
    const QString code = QString(QTest::currentDataTag()).section(' ', 0, 0);
    server->setXmlReply("/corvane/v5/home/refused",
        resultReply(
            code, kind.isEmpty() ? QList<DataRow>() : QList<DataRow> { idRecord("0", kind) }));
    HomeCommand command("/corvane/v5/home/refused");
    application->getCommandManager()->exec(&command);
    QTRY_VERIFY(!application->getCommandManager()->isBusy());

    QCOMPARE(command.useCount, 0);
    QTRY_COMPARE(visibleDialogs(), dialog.isEmpty() ? QStringList() : QStringList { dialog });
    QCOMPARE(requestsTo("attivazione_two_fa"), activations);
    QVERIFY2(answerer.problems().isEmpty(), qPrintable(answerer.problems()));
    for (const char* name : { "auth.txt", "twofa.txt" })
        QVERIFY2(QFile::exists(sessionFile(name)) == (dropped != name), name);
    if (!kind.isEmpty())
        QCOMPARE(application->getTokenKind(), kind);
}

void TestApplicationManager::keychainAndLogout()
{
    // Guards against an odd password altered by the keychain, an absent entry not empty, or a
    // logout dropping the two-factor token.
    const QString password = "Pàss+wörd &=% " + QUuid::createUuid().toString();
    application->writeKey("password", password);
    QCOMPARE(application->readKey("password"), password);
    QCOMPARE(application->readKey(QUuid::createUuid().toString()), QString());
    QFile log("corvane2.log");
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY(log.readAll().contains("KeyHandler~Error reading decrypt Pass. Error: "));

    server->setXmlReply("/corvane/v5/home/logout", resultReply("0"));
    application->logout();
    QTRY_VERIFY(!QFile::exists(sessionFile("auth.txt")));
    QVERIFY(QFile::exists(sessionFile("twofa.txt")));
}

void TestApplicationManager::privacyTextIsFetchedOnce()
{
    // Guards against the privacy notice asked on every look, or never again after a time-out.
    ScriptedReply privacy;
    privacy.body = resultReply("0", { { { "testo_privacy", "Informativa sul trattamento" } } });
    privacy.delayMs = 1000;
    server->setReply("/corvane/v5/home/send_privacy", privacy);
    const int before = requestsTo("send_privacy");
    CommandManager* commands = application->getCommandManager();

    // The first fetch times out: no text, and the next look asks again.
    commands->setTransferTimeout(200);
    QCOMPARE(application->getPrivacyText(), QString());
    QCOMPARE(application->getPrivacyText(), QString());
    QTRY_VERIFY(!commands->isBusy());
    commands->setTransferTimeout(CommandRequestManager::defaultTransferTimeout);
    QCOMPARE(requestsTo("send_privacy"), before + 1);

    QCOMPARE(application->getPrivacyText(), QString());
    QCOMPARE(application->getPrivacyText(), QString());
    QTRY_COMPARE(application->getPrivacyText(), QString("Informativa sul trattamento"));
    QCOMPARE(requestsTo("send_privacy"), before + 2);
}

void TestApplicationManager::everyOpenedSessionListsTheBanks()
{
    // Guards against an unfilled account, no window after a refused bank list, "&" as shortcut.
    const QString label = "08327 - Banca Tirrena & C.";
    server->setXmlReply("/corvane/v5/home/init",
        resultReply("0",
            { idRecord("0", "7"), idRecord("1", "Confidi Aurora"),
                idRecord("2", "VERDI - GIULIA") }));
    server->setXmlReply(
        "/corvane/v5/home/autenticazione_two_fa", resultReply("0", { idRecord("0", "token") }));
    server->setXmlReply("/corvane/v5/home/banche", resultReply("313", { idRecord("0", "twofa") }));
    const QMap<QString, QString> code { { "twofa_token", "1" } };
    application->twoFaAuthentication(code);
    QTRY_COMPARE(visibleDialogs(), QStringList { "TwoFaAuthenticationWindow" });
    QCOMPARE(application->getUsernameHead(), QString("VERDI"));
    QCOMPARE(application->getUsernameTail(), QString("GIULIA"));
    QCOMPARE(application->getConfidiId(), 7);
    QCOMPARE(application->getConfidiCompanyName(), QString("Confidi Aurora"));
    BankSelectorWindow* selector = application->getBankSelectorWindow();
    QVERIFY(!selector->getSelectionWidget() || !selector->getSelectionWidget()->isVisible());

    // More banks than the screen holds: the window stays on it and every bank can be reached.
    QList<DataRow> banks { idRecord("1", label) };
    for (int i = 2; i <= 60; ++i)
        banks << idRecord(QString::number(i), QString("0%1 - Banca %1").arg(i));
    server->setXmlReply("/corvane/v5/home/banche", resultReply("0", banks));
    application->twoFaAuthentication(code);
    QWidget* choice = nullptr;
    QTRY_VERIFY((choice = selector->getSelectionWidget()) && choice->isVisible());
    QVERIFY(choice->frameGeometry().height() <= choice->screen()->availableGeometry().height());
    const QList<QPushButton*> buttons = choice->findChildren<QPushButton*>();
    QCOMPARE(buttons.size(), 60);
    choice->findChild<QScrollArea*>()->ensureWidgetVisible(buttons.last());
    QTRY_VERIFY(!buttons.last()->visibleRegion().isEmpty());
    const auto chosen = std::find_if(buttons.cbegin(), buttons.cend(),
        [&label](QPushButton* b) { return b->text().replace("&&", "&") == label; });
    QVERIFY(chosen != buttons.cend());
    QVERIFY(QKeySequence::mnemonic((*chosen)->text()).isEmpty());
    (*chosen)->click();
    QCOMPARE(application->getBank(), label);
    // With a main window a refused session ends the program: later tests start afresh.
    hideAll();
    newClient();
    application->getAccount()->setCredential(new Credential({}, {}, {}));
}

void TestApplicationManager::sessionFilesAreOwnerOnly()
{
    // Guards against others listing the session folder or reading a token an earlier version left.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    const QFileDevice::Permissions everyone(QFlag(0x7777));
    QVERIFY(QDir().mkpath(folder));
    QFile old(sessionFile("auth.txt"));
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();
    QVERIFY(QFile::setPermissions(folder, everyone) && old.setPermissions(everyone));
    // Nothing is masked out: the modes are the code's own.
    const mode_t umaskBefore = ::umask(0);
    writeSessionFiles();
    ::umask(umaskBefore);

    QCOMPARE(int(QFile::permissions(folder) & everyone), 0x7700);
    for (const char* name : { "auth.txt", "twofa.txt" })
        QCOMPARE(int(QFile::permissions(sessionFile(name)) & everyone), 0x6600);
    QFile token(sessionFile("auth.txt"));
    QVERIFY(token.open(QIODevice::ReadOnly));
    QCOMPARE(token.readAll(), QByteArray("auth-token"));
}

QTEST_MAIN(TestApplicationManager)
#include "tst_applicationmanager.moc"
