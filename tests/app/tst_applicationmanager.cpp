#include "app/account.h"
#include "app/applicationmanager.h"
#include "app/credential.h"
#include "app/resources.h"
#include "protocol/commandmanager.h"
#include "protocol/commandrequestmanager.h"
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
#include <QStandardPaths>
#include <QUuid>
#include <QtTest>

#include <memory>
#include <sys/stat.h>

using namespace Corvane;
using namespace Corvane::Test;

namespace {

QString sessionFile(const QString& name)
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QLatin1Char('/')
        + name;
}

void writeSessionFiles()
{
    ApplicationManager::writeSessionFile(QStringLiteral("auth.txt"), QStringLiteral("auth-token"));
    ApplicationManager::writeSessionFile(
        QStringLiteral("twofa.txt"), QStringLiteral("twofa-token"));
}

/// Class names of the dialogs on screen.
QStringList visibleDialogs()
{
    QStringList names;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<QDialog*>(widget) && !qobject_cast<QMessageBox*>(widget)
            && widget->isVisible())
            names << QString::fromLatin1(widget->metaObject()->className())
                         .remove(QStringLiteral("Corvane::"));
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
    void init();
    void cleanupTestCase();

    void refusedSessionOpensTheRightDialog_data();
    void refusedSessionOpensTheRightDialog();
    void keychainKeepsValuesAsGiven();
    void logoutEndsTheSessionButKeepsTwoFactor();
    void privacyTextIsFetchedOnce();
    void everyOpenedSessionListsTheBanks();
    void sessionFilesAreOwnerOnly_data();
    void sessionFilesAreOwnerOnly();

private:
    /// Runs an authenticated command whose reply carries the result code and records.
    void refuse(const QString& esitoId, const QList<DataRow>& rows = {});
    int requestsTo(const QString& verb) const;

    std::unique_ptr<TestServer> server;
    std::unique_ptr<TestClient> client;
    ApplicationManager* application = nullptr;
};

void TestApplicationManager::initTestCase()
{
    TestEnvironment::enterTemporaryWorkingDirectory();
    initResources();
    QCoreApplication::setApplicationVersion(QStringLiteral("5.2.0.0"));
    server = std::make_unique<TestServer>();
    client = std::make_unique<TestClient>(server->baseUrl());
    application = client->application();
    server->setXmlReply(
        QStringLiteral("/corvane/v5/home/init"), resultReply(QStringLiteral("300")));
    server->setXmlReply(
        QStringLiteral("/corvane/v5/home/ticket_mail_utente"), resultReply(QStringLiteral("0")));
}

void TestApplicationManager::init()
{
    hideAll();
    writeSessionFiles();
}

void TestApplicationManager::cleanupTestCase()
{
    hideAll();
    client.reset();
}

void TestApplicationManager::refuse(const QString& esitoId, const QList<DataRow>& rows)
{
    server->setXmlReply(QStringLiteral("/corvane/v5/home/refused"), resultReply(esitoId, rows));
    HomeCommand command(QStringLiteral("/corvane/v5/home/refused"));
    application->getCommandManager()->exec(&command);
    QTRY_VERIFY(!application->getCommandManager()->isBusy());
    QCOMPARE(command.useCount, 0);
}

int TestApplicationManager::requestsTo(const QString& verb) const
{
    const QList<RecordedRequest> requests = server->requests();
    return int(
        std::count_if(requests.cbegin(), requests.cend(), [&verb](const RecordedRequest& request) {
            return request.path.endsWith(QLatin1Char('/') + verb);
        }));
}

void TestApplicationManager::refusedSessionOpensTheRightDialog_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("tokenKind");
    QTest::addColumn<QString>("boxTitle");
    QTest::addColumn<QString>("boxText");
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<bool>("authKept");
    QTest::addColumn<bool>("twoFaKept");

    // The codes the sign-in of a real server walks (300 to 304, 307) are left to the end-to-end
    // test; these are the rest, each branch once.
    const auto row = [](const char* name, const char* code, const char* kind, const char* title,
                         const char* text, const char* dialog, bool authKept, bool twoFaKept) {
        QTest::newRow(name) << QString::fromLatin1(code) << QString::fromLatin1(kind)
                            << QString::fromUtf8(title) << QString::fromUtf8(text)
                            << QString::fromLatin1(dialog) << authKept << twoFaKept;
    };
    const char* wrongCode = "Codice di autenticazione non corretto. Ripetere inserimento.";
    const char* invalid = "Errore validazione dati. Ripetere inserimento.";
    const char* activation = "Attivazione account";
    const char* authentication = "Autenticazione account";
    const char* password = "Cambio Password";
    row("4 unknown user", "4", "", "", "", "LoginWindow", false, true);
    row("308 activation expired", "308", "", activation,
        "Il periodo di attivazione account è scaduto. Effettuare una nuova registrazione utente.",
        "LoginWindow", true, true);
    row("311 wrong code", "311", "", authentication, wrongCode, "TwoFaAuthenticationWindow", true,
        true);
    row("312 bad two-factor token", "312", "", "", "", "TwoFaAuthenticationWindow", true, false);
    row("313 auth token", "313", "auth", "", "", "LoginWindow", true, true);
    row("313 two-factor token", "313", "twofa", "", "", "TwoFaAuthenticationWindow", true, false);
    row("313 without kind", "313", "", "", "", "", true, true);
    row("314 wrong password", "314", "", password,
        "Password corrente non corretta. Ripetere inserimento.", "ChangePasswordWindow", true,
        true);
    row("315 wrong first code", "315", "", authentication, wrongCode, "TwoFaActivationWindow", true,
        true);
    row("316 invalid password", "316", "", password, invalid, "ChangePasswordWindow", true, true);
    row("319 invalid activation code", "319", "", activation, invalid, "ActivationCodeWindow", true,
        true);
    row("320 invalid first code", "320", "", authentication, invalid, "TwoFaActivationWindow", true,
        true);
    row("321 invalid code", "321", "", authentication, invalid, "TwoFaAuthenticationWindow", true,
        true);
    // Too many attempts matter only after a code, which the code windows' test covers.
    row("201 not after a code", "201", "", "", "", "", true, true);
    row("305 other code", "305", "", "", "", "", true, true);
}

void TestApplicationManager::refusedSessionOpensTheRightDialog()
{
    // Guards against a refused session leading to the wrong dialog or message, or dropping the
    // wrong session file.
    QFETCH(QString, code);
    QFETCH(QString, tokenKind);
    QFETCH(QString, boxTitle);
    QFETCH(QString, boxText);
    QFETCH(QString, dialog);
    QFETCH(bool, authKept);
    QFETCH(bool, twoFaKept);

    MessageBoxAnswerer answerer;
    if (!boxTitle.isEmpty())
        answerer.expect(boxTitle, boxText, QMessageBox::Ok);
    const int activations = requestsTo(QStringLiteral("attivazione_two_fa"));
    QList<DataRow> rows;
    if (!tokenKind.isEmpty())
        rows << idRecord(QStringLiteral("0"), tokenKind);
    refuse(code, rows);

    QTRY_COMPARE(visibleDialogs(), dialog.isEmpty() ? QStringList() : QStringList { dialog });
    QCOMPARE(requestsTo(QStringLiteral("attivazione_two_fa")), activations);
    QVERIFY2(answerer.problems().isEmpty(), qPrintable(answerer.problems()));
    QCOMPARE(QFile::exists(sessionFile(QStringLiteral("auth.txt"))), authKept);
    QCOMPARE(QFile::exists(sessionFile(QStringLiteral("twofa.txt"))), twoFaKept);
    if (!tokenKind.isEmpty())
        QCOMPARE(application->getTokenKind(), tokenKind);
}

void TestApplicationManager::keychainKeepsValuesAsGiven()
{
    // Guards against a credential coming back from the keychain altered, an absent entry yielding
    // anything but an empty value, or a stored password reaching the log.
    const QString password = QStringLiteral("Pàss+wörd &=% ") + QUuid::createUuid().toString();
    application->writeKey(QStringLiteral("password"), password);
    application->writeKey(QStringLiteral("cf_utente"), QStringLiteral("RSSMRA80A01H501U"));
    QCOMPARE(application->readKey(QStringLiteral("password")), password);
    QCOMPARE(application->readKey(QStringLiteral("cf_utente")), QStringLiteral("RSSMRA80A01H501U"));
    QCOMPARE(application->readKey(QUuid::createUuid().toString()), QString());
    QFile log(QStringLiteral("corvane2.log"));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray text = log.readAll();
    QVERIFY(text.contains("KeyHandler~Error reading decrypt Pass. Error: "));
    QVERIFY(!text.contains(password.toUtf8()));
}

void TestApplicationManager::logoutEndsTheSessionButKeepsTwoFactor()
{
    // Guards against a logout leaving the session token or the log of the session behind.
    server->setXmlReply(
        QStringLiteral("/corvane/v5/home/logout"), resultReply(QStringLiteral("0")));
    qDebug("a line of the session before the logout");
    application->logout();
    QTRY_VERIFY(!QFile::exists(sessionFile(QStringLiteral("auth.txt"))));
    // Only what is logged after the logout stays in the file.
    QFile log(QStringLiteral("corvane2.log"));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray text = log.readAll();
    QVERIFY(!text.contains("a line of the session before the logout"));
    QVERIFY(!text.contains("ManageResponse"));
    QVERIFY(QFile::exists(sessionFile(QStringLiteral("twofa.txt"))));
}

void TestApplicationManager::privacyTextIsFetchedOnce()
{
    // Guards against the privacy notice being requested again on every look, never shown, or
    // never fetched again after a fetch that got no reply.
    ScriptedReply privacy;
    privacy.body = resultReply(QStringLiteral("0"),
        { { { QStringLiteral("testo_privacy"), QStringLiteral("Informativa sul trattamento") } } });
    privacy.delayMs = 1000;
    server->setReply(QStringLiteral("/corvane/v5/home/send_privacy"), privacy);
    const int before = requestsTo(QStringLiteral("send_privacy"));

    // The first fetch times out: no text, and the next look asks again.
    application->getCommandManager()->setTransferTimeout(200);
    QCOMPARE(application->getPrivacyText(), QString());
    QCOMPARE(application->getPrivacyText(), QString());
    QTRY_VERIFY(!application->getCommandManager()->isBusy());
    application->getCommandManager()->setTransferTimeout(
        CommandRequestManager::defaultTransferTimeout);
    QCOMPARE(requestsTo(QStringLiteral("send_privacy")), before + 1);

    QCOMPARE(application->getPrivacyText(), QString());
    QCOMPARE(application->getPrivacyText(), QString());
    QTRY_COMPARE(application->getPrivacyText(), QStringLiteral("Informativa sul trattamento"));
    QCOMPARE(requestsTo(QStringLiteral("send_privacy")), before + 2);
}

void TestApplicationManager::everyOpenedSessionListsTheBanks()
{
    // Guards against an opened session not filling the account, a session opened after a refused
    // bank list leaving the user with no window, and a "&" of the server's bank label turning
    // into a shortcut.
    const QString label = QStringLiteral("08327 - Banca Tirrena & C.");
    server->setXmlReply(QStringLiteral("/corvane/v5/home/init"),
        resultReply(QStringLiteral("0"),
            { idRecord(QStringLiteral("0"), QStringLiteral("7")),
                idRecord(QStringLiteral("1"), QStringLiteral("Confidi Aurora")),
                idRecord(QStringLiteral("2"), QStringLiteral("VERDI - GIULIA")) }));
    server->setXmlReply(QStringLiteral("/corvane/v5/home/autenticazione_two_fa"),
        resultReply(
            QStringLiteral("0"), { idRecord(QStringLiteral("0"), QStringLiteral("twofa-token")) }));
    server->setXmlReply(QStringLiteral("/corvane/v5/home/banche"),
        resultReply(
            QStringLiteral("313"), { idRecord(QStringLiteral("0"), QStringLiteral("twofa")) }));
    const QMap<QString, QString> code { { QStringLiteral("twofa_token"), QStringLiteral("1") } };
    application->twoFaAuthentication(code);
    QTRY_COMPARE(visibleDialogs(), QStringList { QStringLiteral("TwoFaAuthenticationWindow") });
    QCOMPARE(application->getUsernameHead(), QStringLiteral("VERDI"));
    QCOMPARE(application->getUsernameTail(), QStringLiteral("GIULIA"));
    QCOMPARE(application->getConfidiId(), 7);
    QCOMPARE(application->getConfidiCompanyName(), QStringLiteral("Confidi Aurora"));
    QVERIFY(!application->getBankSelectorWindow()->getSelectionWidget()
        || !application->getBankSelectorWindow()->getSelectionWidget()->isVisible());

    // More banks than the screen holds: the window stays on the screen and every bank can be
    // scrolled to.
    QList<DataRow> banks { idRecord(QStringLiteral("1"), label) };
    for (int i = 2; i <= 60; ++i)
        banks << idRecord(QString::number(i), QStringLiteral("0%1 - Banca %1").arg(i));
    server->setXmlReply(
        QStringLiteral("/corvane/v5/home/banche"), resultReply(QStringLiteral("0"), banks));
    application->twoFaAuthentication(code);
    QWidget* choice = nullptr;
    QTRY_VERIFY((choice = application->getBankSelectorWindow()->getSelectionWidget())
        && choice->isVisible());
    QVERIFY(choice->frameGeometry().height() <= choice->screen()->availableGeometry().height());
    const QList<QPushButton*> buttons = choice->findChildren<QPushButton*>();
    QCOMPARE(buttons.size(), 60);
    choice->findChild<QScrollArea*>()->ensureWidgetVisible(buttons.last());
    QTRY_VERIFY(!buttons.last()->visibleRegion().isEmpty());
    const auto chosen = std::find_if(buttons.cbegin(), buttons.cend(), [&label](QPushButton* b) {
        return b->text().replace(QLatin1String("&&"), QLatin1String("&")) == label;
    });
    QVERIFY(chosen != buttons.cend());
    auto* button = *chosen;
    QVERIFY(QKeySequence::mnemonic(button->text()).isEmpty());
    QCOMPARE(button->text().replace(QLatin1String("&&"), QLatin1String("&")), label);
    button->click();
    QCOMPARE(application->getBank(), label);
    QVERIFY(application->getMainWindow()->isVisible());
    // Once the main window exists every refused session ends the program: the tests after this
    // one start again before any bank is chosen.
    hideAll();
    client = std::make_unique<TestClient>(server->baseUrl());
    application = client->application();
    application->getAccount()->setCredential(new Credential({}, {}, {}));
    server->setXmlReply(
        QStringLiteral("/corvane/v5/home/init"), resultReply(QStringLiteral("300")));
}

void TestApplicationManager::sessionFilesAreOwnerOnly_data()
{
    QTest::addColumn<bool>("leftBehind");
    QTest::newRow("first session") << false;
    QTest::newRow("folder and file of an earlier version") << true;
}

void TestApplicationManager::sessionFilesAreOwnerOnly()
{
    // Guards against other users listing the session folder or reading a token.
    QFETCH(bool, leftBehind);
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QVERIFY(QDir(folder).removeRecursively());
    const QFileDevice::Permissions everyone(QFlag(0x7777));
    if (leftBehind) {
        QVERIFY(QDir().mkpath(folder));
        QFile old(sessionFile(QStringLiteral("auth.txt")));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();
        QVERIFY(QFile::setPermissions(folder, everyone) && old.setPermissions(everyone));
    }
    // Nothing is masked out: the modes are the code's own.
    const mode_t umaskBefore = ::umask(0);
    writeSessionFiles();
    ::umask(umaskBefore);

    const QFileDevice::Permissions folderMode
        = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    QCOMPARE(QFile::permissions(folder) & everyone,
        folderMode | QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
    for (const QString& name : { QStringLiteral("auth.txt"), QStringLiteral("twofa.txt") }) {
        QCOMPARE(QFile::permissions(sessionFile(name)) & everyone,
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
                | QFileDevice::WriteUser);
    }
    QFile token(sessionFile(QStringLiteral("auth.txt")));
    QVERIFY(token.open(QIODevice::ReadOnly));
    QCOMPARE(token.readAll(), QByteArray("auth-token"));
}

QTEST_MAIN(TestApplicationManager)
#include "tst_applicationmanager.moc"
