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
#include <QStandardPaths>
#include <QtTest>

#include <memory>

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
    void startupChecksTheVersionThenOpensTheSession_data();
    void startupChecksTheVersionThenOpensTheSession();
    void loginStoresCredentialAndTokenThenOpensSession();
    void passwordChangeKeepsTheNewPassword();
    void newPasswordRequestIsConfirmed();
    void logoutEndsTheSessionButKeepsTwoFactor();
    void privacyTextIsFetchedOnce();

private:
    /// Runs an authenticated command whose reply carries the result code and records.
    void refuse(const QString& esitoId, const QList<DataRow>& rows = {});
    int requestsTo(const QString& verb) const;
    void verifyAnswered(const MessageBoxAnswerer& answerer);

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
    server->setXmlReply(QStringLiteral("/corvane/v5/home/attivazione_two_fa"),
        resultReply(QStringLiteral("0"),
            { idRecord(QStringLiteral("0"),
                QStringLiteral(
                    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\"/>")) }));
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

void TestApplicationManager::verifyAnswered(const MessageBoxAnswerer& answerer)
{
    QVERIFY2(answerer.getFailures().isEmpty(),
        qPrintable(answerer.getFailures().join(QLatin1Char('\n'))));
    QVERIFY(answerer.allAnswered());
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

    const QString wrongCode
        = QStringLiteral("Codice di autenticazione non corretto. Ripetere inserimento.");
    const QString invalid = QStringLiteral("Errore validazione dati. Ripetere inserimento.");
    const QString activation = QStringLiteral("Attivazione account");
    const QString authentication = QStringLiteral("Autenticazione account");
    const QString password = QStringLiteral("Cambio Password");
    QTest::newRow("4 unknown user") << "4"
                                    << ""
                                    << ""
                                    << ""
                                    << "LoginWindow" << false << true;
    QTest::newRow("300 no token") << "300"
                                  << ""
                                  << ""
                                  << ""
                                  << "LoginWindow" << false << true;
    QTest::newRow("301 not activated") << "301"
                                       << ""
                                       << ""
                                       << ""
                                       << "ActivationCodeWindow" << true << true;
    QTest::newRow("302 password expired") << "302"
                                          << ""
                                          << ""
                                          << ""
                                          << "ChangePasswordWindow" << true << true;
    QTest::newRow("303 two-factor off") << "303"
                                        << ""
                                        << ""
                                        << ""
                                        << "TwoFaActivationWindow" << true << false;
    QTest::newRow("304 no two-factor token") << "304"
                                             << ""
                                             << ""
                                             << ""
                                             << "TwoFaAuthenticationWindow" << true << false;
    QTest::newRow("307 wrong activation code")
        << "307"
        << "" << activation << "Codice inserito non corretto. Ripetere inserimento."
        << "ActivationCodeWindow" << true << true;
    QTest::newRow("308 activation expired")
        << "308"
        << "" << activation
        << "Il periodo di attivazione account è scaduto. Effettuare una nuova registrazione utente."
        << "LoginWindow" << true << true;
    QTest::newRow("311 wrong code")
        << "311"
        << "" << authentication << wrongCode << "TwoFaAuthenticationWindow" << true << true;
    QTest::newRow("312 bad two-factor token") << "312"
                                              << ""
                                              << ""
                                              << ""
                                              << "TwoFaAuthenticationWindow" << true << false;
    QTest::newRow("313 auth token") << "313"
                                    << "auth"
                                    << ""
                                    << ""
                                    << "LoginWindow" << true << true;
    QTest::newRow("313 two-factor token") << "313"
                                          << "twofa"
                                          << ""
                                          << ""
                                          << "TwoFaAuthenticationWindow" << true << false;
    QTest::newRow("313 without kind") << "313"
                                      << ""
                                      << ""
                                      << ""
                                      << "" << true << true;
    QTest::newRow("314 wrong password")
        << "314"
        << "" << password << "Password corrente non corretta. Ripetere inserimento."
        << "ChangePasswordWindow" << true << true;
    QTest::newRow("315 wrong first code")
        << "315"
        << "" << authentication << wrongCode << "TwoFaActivationWindow" << true << true;
    QTest::newRow("316 invalid password")
        << "316"
        << "" << password << invalid << "ChangePasswordWindow" << true << true;
    QTest::newRow("319 invalid activation code")
        << "319"
        << "" << activation << invalid << "ActivationCodeWindow" << true << true;
    QTest::newRow("320 invalid first code")
        << "320"
        << "" << authentication << invalid << "TwoFaActivationWindow" << true << true;
    QTest::newRow("321 invalid code")
        << "321"
        << "" << authentication << invalid << "TwoFaAuthenticationWindow" << true << true;
    QTest::newRow("201 rate limited") << "201"
                                      << ""
                                      << ""
                                      << ""
                                      << "" << true << true;
    QTest::newRow("305 other code") << "305"
                                    << ""
                                    << ""
                                    << ""
                                    << "" << true << true;
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

    if (code == QLatin1String("303")) {
        // Two-factor activation is asked of the server first; its QR code then opens the window.
        QTRY_COMPARE(requestsTo(QStringLiteral("attivazione_two_fa")), activations + 1);
        QTRY_COMPARE(visibleDialogs(), QStringList { dialog });
        QVERIFY(application->getQrCodeSvg().startsWith("<svg"));
    } else {
        QCOMPARE(requestsTo(QStringLiteral("attivazione_two_fa")), activations);
        QTRY_COMPARE(visibleDialogs(), dialog.isEmpty() ? QStringList() : QStringList { dialog });
    }
    verifyAnswered(answerer);
    QCOMPARE(QFile::exists(sessionFile(QStringLiteral("auth.txt"))), authKept);
    QCOMPARE(QFile::exists(sessionFile(QStringLiteral("twofa.txt"))), twoFaKept);
    if (!tokenKind.isEmpty())
        QCOMPARE(application->getTokenKind(), tokenKind);
}

void TestApplicationManager::startupChecksTheVersionThenOpensTheSession_data()
{
    QTest::addColumn<QString>("lastVersion");
    QTest::newRow("up to date") << QStringLiteral("5.2.0.0");
    QTest::newRow("newer release published") << QStringLiteral("5.3.0.0");
}

void TestApplicationManager::startupChecksTheVersionThenOpensTheSession()
{
    // Guards against the start-up stopping after the version check with no window on screen,
    // and against the stored credential not being read from the keychain.
    QFETCH(QString, lastVersion);
    application->writeKey(QStringLiteral("cf_utente"), QStringLiteral("RSSMRA80A01H501U"));
    server->setXmlReply(QStringLiteral("/corvane/v5/home/version_check"),
        resultReply(QStringLiteral("0"),
            { idRecord(QStringLiteral("0"), QStringLiteral("d41d8cd98f00b204e9800998ecf8427e")),
                idRecord(QStringLiteral("1"), lastVersion) }));
    const int inits = requestsTo(QStringLiteral("init"));
    application->initializeApplication();
    QTRY_COMPARE(requestsTo(QStringLiteral("init")), inits + 1);
    QCOMPARE(server->requests().constLast().form.value(QStringLiteral("vers")),
        QStringLiteral("5.2.0.0"));
    QCOMPARE(application->getCredentialCfUtente(), QStringLiteral("RSSMRA80A01H501U"));
    // The refused session of the scripted server leads to the login window.
    QTRY_COMPARE(visibleDialogs(), QStringList { QStringLiteral("LoginWindow") });
}

void TestApplicationManager::loginStoresCredentialAndTokenThenOpensSession()
{
    // Guards against a successful login not reaching the keychain, the token file or the session.
    QFile::remove(sessionFile(QStringLiteral("auth.txt")));
    server->setXmlReply(QStringLiteral("/corvane/v5/home/login_account"),
        resultReply(
            QStringLiteral("0"), { idRecord(QStringLiteral("0"), QStringLiteral("nuovo-token")) }));
    server->setXmlReply(QStringLiteral("/corvane/v5/home/init"),
        resultReply(QStringLiteral("0"),
            { idRecord(QStringLiteral("0"), QStringLiteral("7")),
                idRecord(QStringLiteral("1"), QStringLiteral("Confidi Aurora")),
                idRecord(QStringLiteral("2"), QStringLiteral("VERDI - GIULIA")) }));
    server->setXmlReply(QStringLiteral("/corvane/v5/home/banche"),
        resultReply(QStringLiteral("0"),
            { idRecord(QStringLiteral("2"), QStringLiteral("08327 - Banca Tirrena")),
                idRecord(QStringLiteral("1"), QStringLiteral("03211 - Banca Alpina")) }));
    const int inits = requestsTo(QStringLiteral("init"));

    application->login({ { QStringLiteral("cf_utente"), QStringLiteral("VRDGLI80A41H501X") },
        { QStringLiteral("cf_confidi"), QStringLiteral("28461530157") },
        { QStringLiteral("password"), QStringLiteral("Password+Lunga 1") } });
    QTRY_COMPARE(requestsTo(QStringLiteral("init")), inits + 1);

    QFile token(sessionFile(QStringLiteral("auth.txt")));
    QVERIFY(token.open(QIODevice::ReadOnly));
    QCOMPARE(token.readAll(), QByteArray("nuovo-token"));
    QCOMPARE(application->readKey(QStringLiteral("cf_utente")), QStringLiteral("VRDGLI80A41H501X"));
    QCOMPARE(application->readKey(QStringLiteral("cf_confidi")), QStringLiteral("28461530157"));
    QCOMPARE(application->readKey(QStringLiteral("password")), QStringLiteral("Password+Lunga 1"));
    QCOMPARE(application->getCredentialPassword(), QStringLiteral("Password+Lunga 1"));

    // The opened session fills the account and lists the banks, sorted.
    QTRY_COMPARE(application->getUsernameHead(), QStringLiteral("VERDI"));
    QCOMPARE(application->getUsernameTail(), QStringLiteral("GIULIA"));
    QCOMPARE(application->getConfidiId(), 7);
    QCOMPARE(application->getConfidiCompanyName(), QStringLiteral("Confidi Aurora"));
    QWidget* choice = nullptr;
    QTRY_VERIFY((choice = application->getBankSelectorWindow()->getSelectionWidget())
        && choice->isVisible());
    const QList<QPushButton*> buttons = choice->findChildren<QPushButton*>();
    QCOMPARE(buttons.size(), 2);
    QCOMPARE(buttons[0]->text(), QStringLiteral("03211 - Banca Alpina"));
    QCOMPARE(buttons[1]->text(), QStringLiteral("08327 - Banca Tirrena"));
    buttons[1]->click();
    QCOMPARE(application->getBank(), QStringLiteral("08327 - Banca Tirrena"));
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

void TestApplicationManager::passwordChangeKeepsTheNewPassword()
{
    // Guards against the keychain keeping the old password after a change.
    application->writeKey(QStringLiteral("password"), QStringLiteral("vecchia-password-1"));
    server->setXmlReply(
        QStringLiteral("/corvane/v5/home/cambio_password"), resultReply(QStringLiteral("0")));
    MessageBoxAnswerer answerer;
    answerer.expect(QStringLiteral("Cambio password"),
        QStringLiteral("Cambio password effettuato con successo"), QMessageBox::Ok);
    const int inits = requestsTo(QStringLiteral("init"));
    application->changePassword(
        { { QStringLiteral("old_password"), QStringLiteral("vecchia-password-1") },
            { QStringLiteral("new_password"), QStringLiteral("nuova-password-22") } });
    QTRY_COMPARE(requestsTo(QStringLiteral("init")), inits + 1);
    verifyAnswered(answerer);
    QCOMPARE(application->readKey(QStringLiteral("password")), QStringLiteral("nuova-password-22"));
    QCOMPARE(application->getCredentialPassword(), QStringLiteral("nuova-password-22"));
}

void TestApplicationManager::newPasswordRequestIsConfirmed()
{
    // Guards against the user getting no confirmation that the new password was mailed.
    server->setXmlReply(
        QStringLiteral("/corvane/v5/home/richiesta_password"), resultReply(QStringLiteral("0")));
    MessageBoxAnswerer answerer;
    answerer.expect(QStringLiteral("Richiesta nuova password"),
        QStringLiteral("La richiesta è stata inviata. Controllare la mail."), QMessageBox::Ok);
    application->requestPassword();
    QTRY_COMPARE(answerer.answeredCount(), 1);
    verifyAnswered(answerer);
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

QTEST_MAIN(TestApplicationManager)
#include "tst_applicationmanager.moc"
