#include "app/account.h"
#include "app/credential.h"
#include "protocol/commandrequestmanager.h"
#include "support/testcommands.h"
#include "ui/credentialaccountwindow.h"
#include "ui/credentialconfidiwindow.h"
#include "ui/dialogtest.h"
#include "ui/loginwindow.h"
#include "ui/privacywindow.h"

#include <QCheckBox>
#include <QProgressDialog>
#include <QTextBrowser>

using namespace Corvane;
using namespace Corvane::Test;

namespace {
const QString storedUser = QStringLiteral("RSSMRA80A01H501U");
const QString storedConfidi = QStringLiteral("01234567890");
const QString storedPassword = QStringLiteral("stored-secret-1");
const QString foundCode = QStringLiteral("01234567890 ");
const QString foundName = QStringLiteral("Confidi di Prova S.c.p.a.");
const QString foundPec = QStringLiteral("confidi@pec.example");
const QString privacyNotice = QStringLiteral("Informativa sul trattamento dei dati di prova");
const QString requestTitle = QStringLiteral("Richiesta credenziali");
const QList<QPair<QString, QString>> consortiumFound { { QStringLiteral("0"), foundCode },
    { QStringLiteral("1"), foundName }, { QStringLiteral("2"), foundPec } };
}

/// The login window and the two steps of the access request it opens.
class TestLoginWindow final : public DialogTest {
    Q_OBJECT

private slots:
    void init();
    void loginAnswers_data();
    void loginAnswers();
    void consortiumAnswers_data();
    void consortiumAnswers();
    void accountAnswers_data();
    void accountAnswers();
    void loginWaitEndsWithoutAnswer_data();
    void loginWaitEndsWithoutAnswer();

private:
    LoginWindow* window() { return application->getLoginWindow(); }
    CredentialConfidiWindow* confidiWindow() { return application->getCredentialConfidiWindow(); }
    CredentialAccountWindow* accountWindow() { return application->getCredentialAccountWindow(); }
    void openAccessRequest();
    void reachAccountStep();
};

void TestLoginWindow::init()
{
    application->getAccount()->setCredential(
        new Credential(storedUser, storedConfidi, storedPassword));
    script("send_privacy", XmlParser::OK, { { QStringLiteral("testo_privacy"), privacyNotice } });
    script("richiesta_credenziali_confidi", XmlParser::OK, consortiumFound);
    application->showLoginWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window()));
}

void TestLoginWindow::openAccessRequest()
{
    // Left from an earlier attempt: the forms sent show whether it was cleared.
    child(confidiWindow(), "confidiLineEdit")->setText(QStringLiteral("earlier"));
    click(window(), "requestCredentialButton");
    QVERIFY(QTest::qWaitForWindowExposed(confidiWindow()));
    QVERIFY(confidiWindow()->isModal());
}

void TestLoginWindow::reachAccountStep()
{
    openAccessRequest();
    type(child(confidiWindow(), "confidiLineEdit"), QStringLiteral("01234567890"));
    click(confidiWindow(), "acceptButton");
    QVERIFY(QTest::qWaitForWindowExposed(accountWindow()));
    QVERIFY(waitUntilIdle());
    type(child(accountWindow(), "utenteNomeLineEdit"), QStringLiteral(" Mario "));
    type(child(accountWindow(), "utenteCognomeLineEdit"), QStringLiteral("Rossi"));
    type(child(accountWindow(), "utenteCodiceFiscaleLineEdit"),
        QStringLiteral(" rssmra80a01h501u "));
    type(child(accountWindow(), "utenteEmailLineEdit"), QStringLiteral("mario.rossi@example.com"));
}

void TestLoginWindow::loginAnswers_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");

    QTest::newRow("wrong credentials") << int(
        XmlParser::LOGIN_FAIL) << QStringLiteral("Le credenziali inserite non sono corrette");
    QTest::newRow("too many attempts")
        << int(XmlParser::RATE_LIMITER_ERROR_MESSAGE)
        << QStringLiteral("Sono stati effettuati troppi tentativi falliti, riprova fra 1 minuto");
    QTest::newRow("invalid fields")
        << int(XmlParser::LOGIN_VALIDATION_FAIL)
        << QStringLiteral("Errore validazione dati. Ripetere inserimento.");
    QTest::newRow("unexpected code")
        << int(XmlParser::UNK_USER)
        << QStringLiteral("Errore durante l'esecuzione della richiesta.\nErrore: 4\nDescrizione: "
                          "Non definita");
}

void TestLoginWindow::loginAnswers()
{
    // Fault: a login is typed or sent altered, logged with its password, or its refusal mishandled
    // (an accepted one is walked end to end).
    QFETCH(int, code);
    QFETCH(QString, message);
    script("login_account", code, { { QStringLiteral("0"), QStringLiteral("token") } });
    MessageBoxAnswerer answerer;
    answerer.expect(QStringLiteral("Login"), message, QMessageBox::Ok);
    const auto edits = window()->findChildren<QLineEdit*>();
    for (QLineEdit* edit : edits)
        edit->clear();
    // The user's code goes upper case as it is typed, even when corrected in the middle; the
    // consortium's stays as typed.
    QLineEdit* user = child(window(), "cfUtenteLineEdit");
    type(user, QStringLiteral("bnc75b02f205x"));
    user->setCursorPosition(3);
    type(user, QStringLiteral("lcu"));
    QCOMPARE(user->text(), QStringLiteral("BNCLCU75B02F205X"));
    type(child(window(), "cfConfidiLineEdit"), QStringLiteral("conf 99 "));
    type(child(window(), "passwordLineEdit"), QStringLiteral(" typed secret "));

    click(window(), "loginButton");
    auto* progress = window()->findChild<QProgressDialog*>();
    // Without Qt::Dialog in its flags it would be drawn inside the login window.
    QVERIFY(progress && progress->isVisible() && progress->isWindow());
    QTRY_VERIFY(answerer.allAnswered() && !progress->isVisible());
    QVERIFY(waitUntilIdle());
    QCOMPARE(answerer.getFailures(), QStringList());
    QCOMPARE(lastForm("login_account"),
        (QMap<QString, QString> {
            { QStringLiteral("cf_utente"), QStringLiteral("BNCLCU75B02F205X") },
            { QStringLiteral("cf_confidi"), QStringLiteral("conf 99 ") },
            { QStringLiteral("password"), QStringLiteral(" typed secret ") } }));
    // The login is logged, its password never.
    QVERIFY(logText().contains(QStringLiteral("BNCLCU75B02F205X"))
        && !logText().contains(QStringLiteral("typed secret")));
    QVERIFY(window()->isVisible());
    QCOMPARE(child(window(), "cfUtenteLineEdit")->text(), storedUser);
    QCOMPARE(child(window(), "cfConfidiLineEdit")->text(), storedConfidi);
    QCOMPARE(child(window(), "passwordLineEdit")->text(), storedPassword);
}

void TestLoginWindow::consortiumAnswers_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message"); // none when the consortium is found

    QTest::newRow("found") << int(XmlParser::OK) << QString();
    QTest::newRow("certified mail missing")
        << int(XmlParser::PEC_NOT_FOUND)
        << QStringLiteral("La PEC del confidi non è stata trovata.\nRipetere inserimento o "
                          "contattare il supporto tecnico.");
    QTest::newRow("validation failed")
        << int(XmlParser::ACCOUNT_REQUEST_VALIDATION_FAIL)
        << QStringLiteral("Errore validazione dati. Ripetere inserimento.");
    QTest::newRow("unknown consortium")
        << int(XmlParser::UNK_CONFIDI)
        << QStringLiteral("Il confidi non è stato trovato. Ripetere inserimento.");
}

void TestLoginWindow::consortiumAnswers()
{
    // Fault: the account step opens early, with wrong data or notice, or a refusal is mishandled.
    QFETCH(int, code);
    QFETCH(QString, message);
    openAccessRequest();
    script("richiesta_credenziali_confidi", code, consortiumFound, 300);
    MessageBoxAnswerer answerer;
    if (!message.isEmpty())
        answerer.expect(requestTitle, message, QMessageBox::Ok);

    type(child(confidiWindow(), "confidiLineEdit"), QStringLiteral("abc01234567"));
    click(confidiWindow(), "acceptButton");
    QVERIFY(!confidiWindow()->isVisible() && !accountWindow()->isVisible());
    QTRY_VERIFY(
        answerer.allAnswered() && (accountWindow()->isVisible() || confidiWindow()->isVisible()));
    QVERIFY(waitUntilIdle());
    QCOMPARE(lastForm("richiesta_credenziali_confidi"),
        (QMap<QString, QString> {
            { QStringLiteral("cf_confidi"), QStringLiteral("abc01234567") } }));
    QCOMPARE(accountWindow()->isVisible(), message.isEmpty());
    // Handled synchronously: a box from a connection left behind opens, and is answered as
    // unexpected, before emit returns.
    emit application->requestCredentialConfidiCompleted(false, XmlParser::UNK_CONFIDI);
    QCOMPARE(answerer.getFailures(), QStringList());
    if (!message.isEmpty()) {
        QVERIFY(confidiWindow()->isVisible());
        QVERIFY(child(confidiWindow(), "confidiLineEdit")->text().isEmpty());
        return cancel(confidiWindow());
    }
    QVERIFY(accountWindow()->isModal());
    QCOMPARE(child(accountWindow(), "confidiCodiceFiscaleLineEdit")->text(), foundCode);
    QCOMPARE(child(accountWindow(), "confidiRagioneSocialeLineEdit")->text(), foundName);
    QCOMPARE(child(accountWindow(), "confidiPecLineEdit")->text(), foundPec);
    // Fetched as the step opens, the notice is there as soon as the user asks for it.
    click(accountWindow(), "readPrivacy");
    auto* privacy = accountWindow()->findChild<PrivacyWindow*>();
    QVERIFY(privacy && QTest::qWaitForWindowExposed(privacy));
    // Without Qt::Dialog in its flags it would be drawn inside the account window.
    QVERIFY(privacy->isWindow());
    QCOMPARE(child<QTextBrowser>(privacy, "privacyText")->toPlainText(), privacyNotice);
}

void TestLoginWindow::accountAnswers_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");

    QTest::newRow("request accepted")
        << int(XmlParser::OK)
        << QStringLiteral("La richiesta di apertura di un nuovo account è stata completata!\n"
                          "Riceverai nella mail personale e nella pec del confidi le "
                          "informazioni\nper completare la procedura di attivazione.");
    QTest::newRow("user already registered")
        << int(XmlParser::USER_ALREADY_PRESENT)
        << QStringLiteral("L'utente con codice fiscale RSSMRA80A01H501U risulta già registrato "
                          "per il confidi 01234567890.\nPuoi riprovare l'inserimento o "
                          "contattare il supporto tecnico.\n");
    QTest::newRow("validation failed")
        << int(XmlParser::ACCOUNT_REQUEST_VALIDATION_FAIL)
        << QStringLiteral("Errore validazione dati. Ripetere inserimento");
    QTest::newRow("other failure")
        << int(XmlParser::UNK_CONFIDI)
        << QStringLiteral("La richiesta di apertura di un nuovo account non è andata a buon "
                          "fine.\nPuoi riprovare o contattare il supporto tecnico.");
}

void TestLoginWindow::accountAnswers()
{
    // Fault: a request skips the consent or goes out altered, or its answer is mishandled.
    QFETCH(int, code);
    QFETCH(QString, message);
    const bool failed = code != XmlParser::OK;
    // Failures are given by hand, as the request command makes only some codes one; the server's
    // later answer must then find nobody listening.
    script("richiesta_credenziali_utente", XmlParser::OK, {}, failed ? 300 : 0);
    reachAccountStep();
    MessageBoxAnswerer answerer;
    answerer.expect(QStringLiteral("Trattamento dei dati"),
        QStringLiteral("Prima di procedere, devi leggere ed accettare l'informativa sulla privacy"),
        QMessageBox::Ok);
    answerer.expect(failed ? requestTitle : QStringLiteral("Esito richiesta credenziali"), message,
        QMessageBox::Ok);
    auto* consent = child<QCheckBox>(accountWindow(), "privacyCheckBox");
    consent->setChecked(false);
    click(accountWindow(), "acceptButton");
    QVERIFY(accountWindow()->isVisible());
    consent->setChecked(true);
    click(accountWindow(), "acceptButton");
    QVERIFY(!accountWindow()->isVisible());
    if (failed)
        emit application->requestCredentialAccountCompleted(false, code);
    QTRY_VERIFY(answerer.allAnswered());
    QVERIFY(waitUntilIdle());
    QCOMPARE(answerer.getFailures(), QStringList());
    QCOMPARE(lastForm("richiesta_credenziali_utente"),
        (QMap<QString, QString> { { QStringLiteral("cf_confidi"), foundCode },
            { QStringLiteral("nome"), QStringLiteral(" Mario ") },
            { QStringLiteral("cognome"), QStringLiteral("Rossi") },
            { QStringLiteral("cf_utente"), QStringLiteral(" RSSMRA80A01H501U ") },
            { QStringLiteral("email_utente"), QStringLiteral("mario.rossi@example.com") } }));
    QCOMPARE(accountWindow()->isVisible(), failed);
    if (failed) {
        QVERIFY(child(accountWindow(), "utenteCodiceFiscaleLineEdit")->text().isEmpty());
        // A new attempt asks for the consent again.
        QVERIFY(!consent->isChecked());
        cancel(accountWindow());
    }
}

void TestLoginWindow::loginWaitEndsWithoutAnswer_data()
{
    QTest::addColumn<QString>("ending");
    QTest::newRow("transfer timed out") << QStringLiteral("timeout");
    QTest::newRow("unknown result code") << QStringLiteral("unknown code");
    QTest::newRow("login window reopened") << QStringLiteral("reopened");
}

void TestLoginWindow::loginWaitEndsWithoutAnswer()
{
    // Fault: a login that gets no result leaves its wait up, modal and without a close button.
    QFETCH(QString, ending);
    ScriptedReply reply;
    reply.body = resultReply(
        ending == QLatin1String("unknown code") ? QStringLiteral("999") : QStringLiteral("9"));
    reply.delayMs = ending == QLatin1String("unknown code") ? 0 : 1000;
    server->setReply(QStringLiteral("/corvane/v5/home/login_account"), reply);
    MessageBoxAnswerer answerer;
    if (ending == QLatin1String("unknown code"))
        answerer.expect(QStringLiteral("Errore nella risposta del server"),
            QStringLiteral("Vuoi chiudere Corvane?"), QMessageBox::No,
            MessageBoxAnswerer::Match::Contains);
    if (ending == QLatin1String("timeout"))
        application->getCommandManager()->setTransferTimeout(200);
    if (ending == QLatin1String("reopened"))
        answerer.expect(QStringLiteral("Login"),
            QStringLiteral("Le credenziali inserite non sono corrette"), QMessageBox::Ok);

    click(window(), "loginButton");
    auto* progress = window()->findChild<QProgressDialog*>();
    QVERIFY(progress && progress->isVisible());
    if (ending == QLatin1String("reopened")) {
        application->showLoginWindow();
        QVERIFY(!progress->isVisible());
    }
    QTRY_VERIFY(!progress->isVisible());
    QVERIFY(waitUntilIdle());
    application->getCommandManager()->setTransferTimeout(
        CommandRequestManager::defaultTransferTimeout);
    QVERIFY(answerer.allAnswered());
    QCOMPARE(answerer.getFailures(), QStringList());
    QVERIFY(!progress->isVisible());
}

QTEST_MAIN(TestLoginWindow)
#include "tst_loginwindow.moc"
