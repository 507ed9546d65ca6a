#include "app/account.h"
#include "app/applicationmanager.h"
#include "e2esession.h"
#include "serverprocess.h"
#include "support/messageboxanswerer.h"
#include "support/testclient.h"
#include "support/testenvironment.h"
#include "ui/bankselectorwindow.h"
#include "ui/changepasswordwindow.h"
#include "ui/codewindow.h"
#include "ui/credentialaccountwindow.h"
#include "ui/credentialconfidiwindow.h"
#include "ui/loginwindow.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSvgWidget>
#include <QtTest>

#include <memory>

using namespace Corvane;
using namespace Corvane::Test;

using namespace Corvane::Test::E2e;

/// The sign-in paths of the demo users, from start-up to the bank choice, against a real
/// tessaro-server over HTTPS and the real keychain.
class TestSignInFlow final : public E2eTest {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void firstStartThroughTwoFactorActivation();
    void activationCodePath();
    void expiredPasswordPath();
    void accessRequestForANewAccount();
    void userWithoutBanks();

private:
    void startClient();
    void startAndSignIn(const QString& user)
    {
        session->startAndSignIn(user);
        application = session->application();
    }
    void completeTwoFactorSteps(const QString& user) { session->completeTwoFactorSteps(user); }
    QString currentCode(const QString& user) const { return session->currentCode(user); }
    QString userFor(const QString& description) const { return session->userFor(description); }

    ApplicationManager* application = nullptr;
};

void TestSignInFlow::initTestCase() { QVERIFY(startServer()); }

void TestSignInFlow::init()
{
    QFile::remove(sessionFile(QStringLiteral("auth.txt")));
    QFile::remove(sessionFile(QStringLiteral("twofa.txt")));
}

void TestSignInFlow::cleanup()
{
    application = nullptr;
    session->stopClient();
}

void TestSignInFlow::startClient()
{
    session->startClient();
    application = session->application();
}

void TestSignInFlow::firstStartThroughTwoFactorActivation()
{
    // Guards against a break anywhere on the first sign-in: connection check, version check,
    // refused session, wrong and right password, two-factor activation and first code (with no
    // second code after it); and against the stored session being ignored at the next start.
    const QString user = userFor(QStringLiteral("two-factor not yet active"));
    QVERIFY(!user.isEmpty());
    const QString consortium = server->getConsortiumOf(user);

    startClient();
    for (const QString& key :
        { QStringLiteral("cf_utente"), QStringLiteral("cf_confidi"), QStringLiteral("password") })
        application->writeKey(key, QString());
    QTRY_VERIFY_WITH_TIMEOUT(visible<LoginWindow>(), 20000);
    LoginWindow* login = application->getLoginWindow();

    MessageBoxAnswerer answerer;
    answerer.expect(QStringLiteral("Login"),
        QStringLiteral("Le credenziali inserite non sono corrette"), QMessageBox::Ok);
    type(login, "cfUtenteLineEdit", user);
    type(login, "cfConfidiLineEdit", consortium);
    type(login, "passwordLineEdit", QStringLiteral("password sbagliata"));
    click(login, "loginButton");
    QTRY_COMPARE_WITH_TIMEOUT(answerer.answeredCount(), 1, 20000);
    QTRY_VERIFY(login->isVisible());
    QVERIFY2(answerer.problems().isEmpty(), qPrintable(answerer.problems()));
    QVERIFY(!QFile::exists(sessionFile(QStringLiteral("auth.txt"))));

    type(login, "cfUtenteLineEdit", user);
    type(login, "cfConfidiLineEdit", consortium);
    type(login, "passwordLineEdit", demoPassword);
    click(login, "loginButton");
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(sessionFile(QStringLiteral("auth.txt"))), 20000);
    QTRY_VERIFY(!login->isVisible());

    completeTwoFactorSteps(user);
    QVERIFY2(answerer.problems().isEmpty(), qPrintable(answerer.problems()));
    // The first code completes the sign-in: no second one is asked.
    QVERIFY(!created<TwoFaAuthenticationWindow>());

    // The session is on disk for the owner only, and the credential in the keychain.
    for (const QString& name : { QStringLiteral("auth.txt") }) {
        QVERIFY2(!readAll(sessionFile(name)).isEmpty(), qPrintable(name));
        const QFileDevice::Permissions permissions = QFile::permissions(sessionFile(name));
        QVERIFY(permissions & QFileDevice::ReadOwner);
        QVERIFY(!(permissions
            & (QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther
                | QFileDevice::WriteOther)));
    }
    // Neither token nor the password ever reaches the log.
    const QByteArray log = readAll(QStringLiteral("corvane2.log"));
    QVERIFY(!log.isEmpty());
    QVERIFY(!log.contains(readAll(sessionFile(QStringLiteral("auth.txt")))));
    QVERIFY(!log.contains(demoPassword.toUtf8()));
    QCOMPARE(application->readKey(QStringLiteral("cf_utente")), user);
    QCOMPARE(application->readKey(QStringLiteral("cf_confidi")), consortium);
    QCOMPARE(application->readKey(QStringLiteral("password")), demoPassword);
    QCOMPARE(application->getAccount()->getCredentialCfUtente(), user);

    // The bank choice lists the user's banks; choosing one puts it on the account.
    QWidget* choice = bankChoice();
    const QList<QPushButton*> banks = choice->findChildren<QPushButton*>();
    QVERIFY(!banks.isEmpty());
    QStringList labels;
    for (const QPushButton* bank : banks) {
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d{5} - \\S")).match(bank->text()).hasMatch(),
            qPrintable(bank->text()));
        labels << bank->text();
    }
    QStringList sorted = labels;
    sorted.sort();
    QCOMPARE(labels, sorted);
    const QString chosen = banks.first()->text();
    banks.first()->click();
    QCOMPARE(application->getAccount()->getBank(), chosen);
    QVERIFY(!choice->isVisible());

    // The next start finds the stored session and credential: no dialog before the bank choice.
    cleanup();
    startClient();
    QTRY_VERIFY_WITH_TIMEOUT(bankChoice(), 20000);
    QVERIFY(!created<LoginWindow>());
    QVERIFY(!created<TwoFaAuthenticationWindow>());
    QCOMPARE(application->getCredentialCfUtente(), user);
}

void TestSignInFlow::activationCodePath()
{
    // Guards against a new account being unable to activate with the code mailed to its consortium.
    const QString user = userFor(QStringLiteral("activation pending"));
    QVERIFY(!user.isEmpty());
    startAndSignIn(user);
    QTRY_VERIFY_WITH_TIMEOUT(visible<ActivationCodeWindow>(), 20000);

    QString code;
    const QDir outbox(server->getDataDirectory() + QStringLiteral("/outbox"));
    const QRegularExpression pattern(QStringLiteral("dell'utente %1.* è (\\d{6})").arg(user));
    for (const QString& name :
        outbox.entryList({ QStringLiteral("*activation.txt") }, QDir::Files)) {
        const QRegularExpressionMatch match
            = pattern.match(QString::fromUtf8(readAll(outbox.filePath(name))));
        if (match.hasMatch())
            code = match.captured(1);
    }
    QVERIFY2(!code.isEmpty(), "no activation mail for the user in the outbox");

    MessageBoxAnswerer answerer;
    answerer.expect(QStringLiteral("Attivazione account"),
        QStringLiteral("Codice inserito non corretto. Ripetere inserimento."), QMessageBox::Ok);
    answerer.expect(QStringLiteral("Attivazione utenza"),
        QStringLiteral("Utenza attivata con successo"), QMessageBox::Ok);
    QWidget* activation = visible<ActivationCodeWindow>();
    type(activation, "codeLineEdit",
        code == QLatin1String("000000") ? QStringLiteral("111111") : QStringLiteral("000000"));
    click(activation, "acceptButton");
    QTRY_COMPARE_WITH_TIMEOUT(answerer.answeredCount(), 1, 20000);
    QTRY_VERIFY(activation->isVisible());
    type(activation, "codeLineEdit", code);
    click(activation, "acceptButton");
    QTRY_COMPARE_WITH_TIMEOUT(answerer.answeredCount(), 2, 20000);
    completeTwoFactorSteps(user);
    QVERIFY2(answerer.problems().isEmpty(), qPrintable(answerer.problems()));
}

void TestSignInFlow::expiredPasswordPath()
{
    // Guards against an expired password locking the user out, or the new one not being kept.
    const QString user = userFor(QStringLiteral("password expired"));
    QVERIFY(!user.isEmpty());
    const QString newPassword = QStringLiteral("Nuova.Password.2026");
    startAndSignIn(user);
    QTRY_VERIFY_WITH_TIMEOUT(visible<ChangePasswordWindow>(), 20000);

    MessageBoxAnswerer answerer;
    answerer.expect(QStringLiteral("Cambio password"),
        QStringLiteral("Cambio password effettuato con successo"), QMessageBox::Ok);
    QWidget* change = visible<ChangePasswordWindow>();
    type(change, "oldPasswordLineEdit", demoPassword);
    type(change, "newPasswordLineEdit", newPassword);
    type(change, "confirmPasswordLineEdit", newPassword);
    click(change, "acceptButton");
    QTRY_COMPARE_WITH_TIMEOUT(answerer.answeredCount(), 1, 20000);
    QTRY_COMPARE(application->readKey(QStringLiteral("password")), newPassword);
    QCOMPARE(application->getAccount()->getCredentialPassword(), newPassword);
    completeTwoFactorSteps(user);
    QVERIFY2(answerer.problems().isEmpty(), qPrintable(answerer.problems()));
}

void TestSignInFlow::accessRequestForANewAccount()
{
    // Guards against the access request failing between its two steps, or never reaching the
    // consortium's certified mail.
    startClient();
    QTRY_VERIFY_WITH_TIMEOUT(visible<LoginWindow>(), 20000);
    const QString consortium = server->getConsortiumOf(userFor(QStringLiteral("ready")));
    const QDir outbox(server->getDataDirectory() + QStringLiteral("/outbox"));
    const int activationMails
        = outbox.entryList({ QStringLiteral("*activation.txt") }, QDir::Files).size();

    click(application->getLoginWindow(), "requestCredentialButton");
    CredentialConfidiWindow* confidi = application->getCredentialConfidiWindow();
    QTRY_VERIFY(confidi->isVisible());
    type(confidi, "confidiLineEdit", consortium);
    click(confidi, "acceptButton");
    CredentialAccountWindow* account = application->getCredentialAccountWindow();
    QTRY_VERIFY_WITH_TIMEOUT(account->isVisible(), 20000);
    QCOMPARE(child<QLineEdit>(account, "confidiCodiceFiscaleLineEdit")->text(), consortium);
    QVERIFY(!child<QLineEdit>(account, "confidiPecLineEdit")->text().isEmpty());

    MessageBoxAnswerer answerer;
    answerer.expect(QStringLiteral("Esito richiesta credenziali"),
        QStringLiteral("La richiesta di apertura di un nuovo account è stata completata!"),
        QMessageBox::Ok, MessageBoxAnswerer::Match::Contains);
    type(account, "utenteNomeLineEdit", QStringLiteral("Nicolò"));
    type(account, "utenteCognomeLineEdit", QStringLiteral("Dall'Òglio"));
    type(account, "utenteCodiceFiscaleLineEdit", QStringLiteral("dllncl91e12h501y"));
    type(account, "utenteEmailLineEdit", QStringLiteral("nicolo.dalloglio@example.it"));
    child<QCheckBox>(account, "privacyCheckBox")->setChecked(true);
    click(account, "acceptButton");
    QTRY_COMPARE_WITH_TIMEOUT(answerer.answeredCount(), 1, 20000);
    QVERIFY2(answerer.problems().isEmpty(), qPrintable(answerer.problems()));
    QTRY_COMPARE(outbox.entryList({ QStringLiteral("*activation.txt") }, QDir::Files).size(),
        activationMails + 1);
}

void TestSignInFlow::userWithoutBanks()
{
    // Guards against a user with no enabled bank being stuck: the only button ends the session.
    const QString user = userFor(QStringLiteral("no bank"));
    QVERIFY(!user.isEmpty());
    startAndSignIn(user);
    completeTwoFactorSteps(user);

    const QList<QPushButton*> buttons = bankChoice()->findChildren<QPushButton*>();
    QCOMPARE(buttons.size(), 1);
    QCOMPARE(buttons.first()->text(),
        QStringLiteral("Nessuna banca abilitata alla procedura\nPremere qui per uscire."));
    QVERIFY(QFile(QStringLiteral("corvane2.log")).size() > 0);
    buttons.first()->click();
    QVERIFY(TestEnvironment::takeQuitRequest());
    QVERIFY(!QFile::exists(sessionFile(QStringLiteral("auth.txt"))));
    QCOMPARE(QFile(QStringLiteral("corvane2.log")).size(), 0);
}

QTEST_MAIN(TestSignInFlow)
#include "tst_signinflow.moc"
