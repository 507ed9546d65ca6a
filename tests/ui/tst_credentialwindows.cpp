#include "app/applicationmanager.h"
#include "protocol/commandmanager.h"
#include "protocol/xmlparser.h"
#include "support/messageboxanswerer.h"
#include "ui/credentialaccountwindow.h"
#include "ui/credentialconfidiwindow.h"
#include "ui/dialogtest.h"
#include "ui/loginwindow.h"
#include "ui/privacywindow.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>

using namespace Corvane;
using namespace Corvane::Test;

namespace {
const QString foundCode = QStringLiteral("01234567890 ");
const QString foundName = QStringLiteral("Confidi di Prova S.c.p.a.");
const QString foundPec = QStringLiteral("confidi@pec.example");
const QString privacyNotice = QStringLiteral("Informativa sul trattamento dei dati di prova");

const QString requestTitle = QStringLiteral("Richiesta credenziali");

template <typename T> T* child(QWidget* window, const char* name)
{
    auto* found = window->findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("%s not found", name);
    return found;
}

void click(QWidget* window, const char* button) { child<QPushButton>(window, button)->click(); }
}

class TestCredentialWindows final : public DialogTest {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { tearDownDialogTest(); }
    void init();
    void cleanup() { finishTest(); }

    void consortiumStepOpensAccountStepOnlyAfterSuccess();
    void consortiumRefusalReportsAndReopensEmpty_data();
    void consortiumRefusalReportsAndReopensEmpty();
    void answerAfterHandledRequestIsIgnored();
    void cancelOnlyCloses_data();
    void cancelOnlyCloses();
    void accountRequestWithoutPrivacyConsentIsNotSent();
    void accountAnswers_data();
    void accountAnswers();
    void privacyNoticeShowsFetchedText();

private:
    CredentialConfidiWindow* confidiWindow() { return application->getCredentialConfidiWindow(); }
    CredentialAccountWindow* accountWindow() { return application->getCredentialAccountWindow(); }
    void sendConsortiumCode(const QString& code);
    void reachAccountStep();
    void fillAccountForm();
};

void TestCredentialWindows::initTestCase()
{
    setUpDialogTest();
    server->setXmlReply(Path::sendPrivacy,
        replyWithCode(XmlParser::OK, { { QStringLiteral("testo_privacy"), privacyNotice } }));
}

void TestCredentialWindows::init()
{
    server->setXmlReply(Path::requestCredentialConfidi,
        replyWithCode(XmlParser::OK,
            { { QStringLiteral("0"), foundCode }, { QStringLiteral("1"), foundName },
                { QStringLiteral("2"), foundPec } }));
    application->showLoginWindow();
    QVERIFY(QTest::qWaitForWindowExposed(application->getLoginWindow()));
    click(application->getLoginWindow(), "requestCredentialButton");
    QVERIFY(QTest::qWaitForWindowExposed(confidiWindow()));
}

void TestCredentialWindows::sendConsortiumCode(const QString& code)
{
    type(child<QLineEdit>(confidiWindow(), "confidiLineEdit"), code);
    click(confidiWindow(), "acceptButton");
}

void TestCredentialWindows::reachAccountStep()
{
    sendConsortiumCode(QStringLiteral("01234567890"));
    QTRY_VERIFY(accountWindow()->isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(accountWindow()));
    QVERIFY(waitUntilIdle());
}

void TestCredentialWindows::fillAccountForm()
{
    type(child<QLineEdit>(accountWindow(), "utenteNomeLineEdit"), QStringLiteral(" Mario "));
    type(child<QLineEdit>(accountWindow(), "utenteCognomeLineEdit"), QStringLiteral("Rossi"));
    type(child<QLineEdit>(accountWindow(), "utenteCodiceFiscaleLineEdit"),
        QStringLiteral(" rssmra80a01h501u "));
    type(child<QLineEdit>(accountWindow(), "utenteEmailLineEdit"),
        QStringLiteral("mario.rossi@example.com"));
}

void TestCredentialWindows::consortiumStepOpensAccountStepOnlyAfterSuccess()
{
    // Fault: the account step opens before the consortium is found, the code is altered on its
    // way, or the account step shows stale data instead of the consortium found.
    ScriptedReply slow;
    slow.body = replyWithCode(XmlParser::OK,
        { { QStringLiteral("0"), foundCode }, { QStringLiteral("1"), foundName },
            { QStringLiteral("2"), foundPec } });
    slow.delayMs = 300;
    server->setReply(Path::requestCredentialConfidi, slow);
    child<QLineEdit>(accountWindow(), "utenteNomeLineEdit")->setText(QStringLiteral("stale"));

    sendConsortiumCode(QStringLiteral("abc01234567"));
    QVERIFY(!confidiWindow()->isVisible());
    QVERIFY(accountWindow()->isModal());
    QVERIFY(!accountWindow()->isVisible());

    QTRY_VERIFY(accountWindow()->isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(accountWindow()));
    QCOMPARE(lastForm(Path::requestCredentialConfidi),
        (QMap<QString, QString> {
            { QStringLiteral("cf_confidi"), QStringLiteral("abc01234567") } }));
    QCOMPARE(child<QLineEdit>(accountWindow(), "confidiCodiceFiscaleLineEdit")->text(), foundCode);
    QCOMPARE(child<QLineEdit>(accountWindow(), "confidiRagioneSocialeLineEdit")->text(), foundName);
    QCOMPARE(child<QLineEdit>(accountWindow(), "confidiPecLineEdit")->text(), foundPec);
    QVERIFY(child<QLineEdit>(accountWindow(), "confidiPecLineEdit")->isReadOnly());
    QVERIFY(child<QLineEdit>(accountWindow(), "utenteNomeLineEdit")->text().isEmpty());
    QCOMPARE(
        accountWindow()->focusWidget(), child<QLineEdit>(accountWindow(), "utenteNomeLineEdit"));
    // The notice is fetched as the step opens, before the user asks for it.
    QTRY_COMPARE(requestsTo(Path::sendPrivacy), 1);
}

void TestCredentialWindows::consortiumRefusalReportsAndReopensEmpty_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");

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

void TestCredentialWindows::consortiumRefusalReportsAndReopensEmpty()
{
    // Fault: a refused consortium goes unreported, is reported with the wrong text, or the
    // account step opens anyway.
    QFETCH(int, code);
    QFETCH(QString, message);
    server->setXmlReply(Path::requestCredentialConfidi, replyWithCode(code));
    MessageBoxAnswerer answerer;
    answerer.expect(requestTitle, message, QMessageBox::Ok);

    sendConsortiumCode(QStringLiteral("99999999999"));
    QTRY_VERIFY(answerer.allAnswered());
    QCOMPARE(answerer.getFailures(), QStringList());
    QVERIFY(confidiWindow()->isVisible());
    QVERIFY(child<QLineEdit>(confidiWindow(), "confidiLineEdit")->text().isEmpty());
    QVERIFY(!accountWindow()->isVisible());
}

void TestCredentialWindows::answerAfterHandledRequestIsIgnored()
{
    // Fault: the windows stay connected after their answer, so a later answer to someone else's
    // request shows their boxes again.
    server->setXmlReply(Path::requestCredentialConfidi, replyWithCode(XmlParser::UNK_CONFIDI));
    MessageBoxAnswerer answerer;
    answerer.expect(requestTitle,
        QStringLiteral("Il confidi non è stato trovato. Ripetere inserimento."), QMessageBox::Ok);
    sendConsortiumCode(QStringLiteral("99999999999"));
    QTRY_VERIFY(answerer.allAnswered());
    QVERIFY(waitUntilIdle());

    // Handled synchronously: a box would be open, answered as unexpected, before emit returns.
    emit application->requestCredentialConfidiCompleted(false, XmlParser::UNK_CONFIDI);
    emit application->requestCredentialAccountCompleted(false, XmlParser::USER_ALREADY_PRESENT);
    QCOMPARE(answerer.getFailures(), QStringList());
    QCOMPARE(answerer.answeredCount(), 1);
}

void TestCredentialWindows::cancelOnlyCloses_data()
{
    QTest::addColumn<bool>("accountStep");
    QTest::newRow("consortium step") << false;
    QTest::newRow("account step") << true;
}

void TestCredentialWindows::cancelOnlyCloses()
{
    // Fault: cancelling sends a request or takes the login window away with it.
    QFETCH(bool, accountStep);
    QWidget* window = confidiWindow();
    if (accountStep) {
        reachAccountStep();
        window = accountWindow();
    }
    const int before = server->requestCount();

    click(window, "rejectButton");
    QVERIFY(!window->isVisible());
    QVERIFY(application->getLoginWindow()->isVisible());
    QVERIFY(!application->getCommandManager()->isBusy());
    QCOMPARE(server->requestCount(), before);
}

void TestCredentialWindows::accountRequestWithoutPrivacyConsentIsNotSent()
{
    // Fault: an access request without consent to the privacy notice reaches the server.
    reachAccountStep();
    fillAccountForm();
    QVERIFY(!child<QCheckBox>(accountWindow(), "privacyCheckBox")->isChecked());
    MessageBoxAnswerer answerer;
    answerer.expect(QStringLiteral("Trattamento dei dati"),
        QStringLiteral("Prima di procedere, devi leggere ed accettare l'informativa sulla privacy"),
        QMessageBox::Ok);

    click(accountWindow(), "acceptButton");
    QTRY_VERIFY(answerer.allAnswered());
    QCOMPARE(answerer.getFailures(), QStringList());
    QVERIFY(accountWindow()->isVisible());
    QCOMPARE(accountWindow()->focusWidget(), child<QCheckBox>(accountWindow(), "privacyCheckBox"));
    QCOMPARE(child<QLineEdit>(accountWindow(), "utenteCognomeLineEdit")->text(),
        QStringLiteral("Rossi"));
    QVERIFY(!application->getCommandManager()->isBusy());
    QCOMPARE(requestsTo(Path::requestCredentialAccount), 0);
}

void TestCredentialWindows::accountAnswers_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("fromServer");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("message");

    QTest::newRow("request accepted")
        << int(XmlParser::OK) << true << QStringLiteral("Esito richiesta credenziali")
        << QStringLiteral("La richiesta di apertura di un nuovo account è stata completata!\n"
                          "Riceverai nella mail personale e nella pec del confidi le "
                          "informazioni\nper completare la procedura di attivazione.");
    QTest::newRow("user already registered")
        << int(XmlParser::USER_ALREADY_PRESENT) << true << requestTitle
        << QStringLiteral("L'utente con codice fiscale RSSMRA80A01H501U risulta già registrato "
                          "per il confidi 01234567890.\nPuoi riprovare l'inserimento o "
                          "contattare il supporto tecnico.\n");
    QTest::newRow("validation failed")
        << int(XmlParser::ACCOUNT_REQUEST_VALIDATION_FAIL) << true << requestTitle
        << QStringLiteral("Errore validazione dati. Ripetere inserimento");
    // The request command turns no other code into a failure; the window still must.
    QTest::newRow("other failure")
        << int(XmlParser::UNK_CONFIDI) << false << requestTitle
        << QStringLiteral("La richiesta di apertura di un nuovo account non è andata a buon "
                          "fine.\nPuoi riprovare o contattare il supporto tecnico.");
}

void TestCredentialWindows::accountAnswers()
{
    // Fault: an answer is reported with the wrong text (the already-registered one naming the
    // codes in the wrong order or untrimmed), fields are sent altered, or a failed request does
    // not come back with emptied personal fields.
    QFETCH(int, code);
    QFETCH(bool, fromServer);
    QFETCH(QString, title);
    QFETCH(QString, message);

    ScriptedReply reply;
    reply.body = replyWithCode(fromServer ? code : int(XmlParser::OK));
    // The answer given by hand must come first; the server's then finds nobody listening.
    reply.delayMs = fromServer ? 0 : 300;
    server->setReply(Path::requestCredentialAccount, reply);
    reachAccountStep();
    fillAccountForm();
    QCOMPARE(child<QLineEdit>(accountWindow(), "utenteCodiceFiscaleLineEdit")->text(),
        QStringLiteral(" RSSMRA80A01H501U "));
    if (!child<QCheckBox>(accountWindow(), "privacyCheckBox")->isChecked())
        child<QCheckBox>(accountWindow(), "privacyCheckBox")->click();
    MessageBoxAnswerer answerer;
    answerer.expect(title, message, QMessageBox::Ok);

    click(accountWindow(), "acceptButton");
    QVERIFY(!accountWindow()->isVisible());
    if (!fromServer)
        emit application->requestCredentialAccountCompleted(false, code);
    QTRY_VERIFY(answerer.allAnswered());
    QVERIFY(waitUntilIdle());
    QCOMPARE(answerer.getFailures(), QStringList());

    const QMap<QString, QString> expectedForm {
        { QStringLiteral("cf_confidi"), foundCode },
        { QStringLiteral("nome"), QStringLiteral(" Mario ") },
        { QStringLiteral("cognome"), QStringLiteral("Rossi") },
        { QStringLiteral("cf_utente"), QStringLiteral(" RSSMRA80A01H501U ") },
        { QStringLiteral("email_utente"), QStringLiteral("mario.rossi@example.com") },
    };
    QCOMPARE(lastForm(Path::requestCredentialAccount), expectedForm);

    const bool failed = code != XmlParser::OK;
    QCOMPARE(accountWindow()->isVisible(), failed);
    if (failed) {
        QVERIFY(child<QLineEdit>(accountWindow(), "utenteNomeLineEdit")->text().isEmpty());
        QVERIFY(child<QLineEdit>(accountWindow(), "utenteCodiceFiscaleLineEdit")->text().isEmpty());
        QCOMPARE(
            child<QLineEdit>(accountWindow(), "confidiCodiceFiscaleLineEdit")->text(), foundCode);
    }
}

void TestCredentialWindows::privacyNoticeShowsFetchedText()
{
    // Fault: the notice window shows its placeholder instead of the server's text, or is drawn
    // inside the account window instead of as a window of its own.
    reachAccountStep();
    click(accountWindow(), "readPrivacy");
    auto* privacy = accountWindow()->findChild<PrivacyWindow*>();
    QVERIFY(privacy);
    QVERIFY(QTest::qWaitForWindowExposed(privacy));
    QVERIFY(privacy->isWindow());
    QCOMPARE(child<QTextBrowser>(privacy, "privacyText")->toPlainText(), privacyNotice);

    click(privacy, "pushButton");
    QVERIFY(!privacy->isVisible());
    QVERIFY(accountWindow()->isVisible());
}

QTEST_MAIN(TestCredentialWindows)
#include "tst_credentialwindows.moc"
