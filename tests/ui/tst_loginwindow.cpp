#include "app/account.h"
#include "app/applicationmanager.h"
#include "app/credential.h"
#include "app/resources.h"
#include "app/signinflow.h"
#include "commands/authentication.h"
#include "protocol/commandmanager.h"
#include "protocol/commandrequestmanager.h"
#include "protocol/xmlparser.h"
#include "support/datarows.h"
#include "support/messageboxanswerer.h"
#include "support/testclient.h"
#include "support/testcommands.h"
#include "support/testenvironment.h"
#include "support/testserver.h"
#include "ui/changepasswordwindow.h"
#include "ui/codewindow.h"
#include "ui/credentialaccountwindow.h"
#include "ui/credentialconfidiwindow.h"
#include "ui/loginwindow.h"
#include "ui/privacywindow.h"

#include <QtSvg>
#include <QtTest>
#include <QtWidgets>
#include <qrencode.h>

#include <memory>

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
const QString generic = QStringLiteral("Errore nella risposta del server");
using Fields = QList<QPair<QString, QString>>;
const Fields consortiumFound { { QStringLiteral("0"), foundCode },
    { QStringLiteral("1"), foundName }, { QStringLiteral("2"), foundPec } };

/// The QR code of text as an SVG image of one square per module, as the server draws it.
QString qrCodeSvg(const QByteArray& text)
{
    QRcode* code = QRcode_encodeString(text.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1);
    const int side = code->width + 8;
    QString svg = QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" "
                                 "height=\"%1\" viewBox=\"0 0 %2 %2\"><rect width=\"%2\" "
                                 "height=\"%2\" fill=\"#ffffff\"/>")
                      .arg(side * 4)
                      .arg(side);
    for (int y = 0; y < code->width; ++y) {
        for (int x = 0; x < code->width; ++x) {
            if (code->data[y * code->width + x] & 1)
                svg += QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"1\" height=\"1\"/>")
                           .arg(x + 4)
                           .arg(y + 4);
        }
    }
    QRcode_free(code);
    return svg + QStringLiteral("</svg>");
}

/// The named child of a form; a missing one ends the run, as no check could be trusted.
template <typename T = QLineEdit> T* child(QWidget* parent, const char* name)
{
    auto* found = parent->findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("%s not found", name);
    return found;
}

void click(QWidget* parent, const char* button) { child<QPushButton>(parent, button)->click(); }

/// Writes ASCII keys into the widget, the way a user types.
void type(QWidget* widget, const QString& text)
{
    widget->setFocus();
    QTest::keyClicks(widget, text);
}

/// Shows the dialog as the flow manager does; false when it never appears.
bool showModal(QDialog* dialog)
{
    dialog->setModal(true);
    dialog->show();
    return QTest::qWaitForWindowExposed(dialog);
}

}

/// The flow manager's login, access request and after-login dialogs against the scripted server;
/// unless a test scripts otherwise, nothing opens after a step.
class TestLoginWindow final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void loginAnswers_data();
    void loginAnswers();
    void accessRequestAnswers_data();
    void accessRequestAnswers();
    void codeSendReopenAndCancel_data();
    void codeSendReopenAndCancel();
    void passwordRules_data();
    void passwordRules();
    void qrCodeAndSecret_data();
    void qrCodeAndSecret();

private:
    /// Answers the command ("login_account") with a code and one "id"/"descr" record per field.
    void script(const char* command, int code, const Fields& fields = {}, int delayMs = 0);
    /// The last form sent with the command, without the fields every request carries.
    QMap<QString, QString> lastForm(const char* command) const;
    bool waitUntilIdle();
    /// Presses cancel: the dialog must close, send nothing and leave the login window up.
    void cancel(QDialog* dialog);
    void openAccessRequest();
    void reachAccountStep();
    LoginWindow* window() { return application->getLoginWindow(); }
    CredentialConfidiWindow* confidiWindow() { return application->getCredentialConfidiWindow(); }
    CredentialAccountWindow* accountWindow() { return application->getCredentialAccountWindow(); }

    std::unique_ptr<TestServer> server;
    std::unique_ptr<TestClient> client;
    ApplicationManager* application = nullptr;
};

void TestLoginWindow::initTestCase()
{
    initResources();
    TestEnvironment::enterTemporaryWorkingDirectory();
    QCoreApplication::setApplicationName(QStringLiteral("Corvane"));
    QCoreApplication::setApplicationVersion(QStringLiteral("5.2.0.0"));
    server = std::make_unique<TestServer>();
    client = std::make_unique<TestClient>(server->baseUrl());
    application = client->application();
    for (const char* command :
        { "init", "attivazione_codice", "prima_autenticazione_two_fa", "autenticazione_two_fa" })
        script(command, XmlParser::PEC_NOT_FOUND);
    script("cambio_password", XmlParser::OK);
}

void TestLoginWindow::init()
{
    application->getAccount()->setCredential(
        new Credential(storedUser, storedConfidi, storedPassword));
    script("send_privacy", XmlParser::OK, { { QStringLiteral("testo_privacy"), privacyNotice } });
    script("richiesta_credenziali_confidi", XmlParser::OK, consortiumFound);
    application->showLoginWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window()));
}

void TestLoginWindow::cleanup()
{
    QVERIFY(waitUntilIdle());
    application->getCommandManager()->setTransferTimeout(
        CommandRequestManager::defaultTransferTimeout);
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* widget : windows)
        widget->hide();
}

void TestLoginWindow::script(const char* command, int code, const Fields& fields, int delayMs)
{
    QList<DataRow> rows;
    for (const auto& field : fields)
        rows.append(idRecord(field.first, field.second));
    ScriptedReply reply;
    reply.body = resultReply(QString::number(code), rows);
    reply.delayMs = delayMs;
    server->setReply(QStringLiteral("/corvane/v5/home/") + QLatin1String(command), reply);
}

QMap<QString, QString> TestLoginWindow::lastForm(const char* command) const
{
    const QList<RecordedRequest> requests = server->requests();
    for (auto it = requests.crbegin(); it != requests.crend(); ++it) {
        if (it->path == QStringLiteral("/corvane/v5/home/") + QLatin1String(command)) {
            QMap<QString, QString> form = it->form;
            for (const char* common : { "cmd", "vers", "XDEBUG_SESSION" })
                form.remove(QLatin1String(common));
            return form;
        }
    }
    return {};
}

bool TestLoginWindow::waitUntilIdle()
{
    return QTest::qWaitFor([this] { return !application->getCommandManager()->isBusy(); }, 10000);
}

void TestLoginWindow::cancel(QDialog* dialog)
{
    click(dialog, "rejectButton");
    QVERIFY(!dialog->isVisible());
    QVERIFY(window()->isVisible());
    QVERIFY(!application->getCommandManager()->isBusy());
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
    const auto fill = [this](const char* name, const char* text) {
        type(child(accountWindow(), name), QString::fromLatin1(text));
    };
    fill("utenteNomeLineEdit", " Mario ");
    fill("utenteCognomeLineEdit", "Rossi");
    fill("utenteCodiceFiscaleLineEdit", " rssmra80a01h501u ");
    fill("utenteEmailLineEdit", "mario.rossi@example.com");
}

void TestLoginWindow::loginAnswers_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("title"); // of the box that ends the wait, none for a time-out
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("ending"); // how the wait ends when the reply does not end it
    const auto row = [](const char* name, int code, const QString& title, const char* message,
                         const char* ending = "") {
        QTest::newRow(name) << code << title << QString::fromUtf8(message)
                            << QString::fromLatin1(ending);
    };
    const QString login = QStringLiteral("Login");
    row("too many attempts", XmlParser::RATE_LIMITER_ERROR_MESSAGE, login,
        "Sono stati effettuati troppi tentativi falliti, riprova fra 1 minuto");
    row("invalid fields", XmlParser::LOGIN_VALIDATION_FAIL, login,
        "Errore validazione dati. Ripetere inserimento.");
    row("unexpected code", XmlParser::UNK_USER, login,
        "Errore durante l'esecuzione della richiesta.\nErrore: 4\nDescrizione: Non definita");
    row("unknown result code", 999, generic, "Vuoi chiudere Corvane?");
    row("transfer timed out", XmlParser::LOGIN_FAIL, QString(), "", "timeout");
    row("login window reopened", XmlParser::LOGIN_FAIL, login,
        "Le credenziali inserite non sono corrette", "reopened");
}

void TestLoginWindow::loginAnswers()
{
    // Fault: a login typed or sent altered, its refusal mishandled, or its wait left up for good.
    QFETCH(int, code);
    QFETCH(QString, title);
    QFETCH(QString, message);
    QFETCH(QString, ending);
    script("login_account", code, { { QStringLiteral("0"), QStringLiteral("token") } },
        ending.isEmpty() ? 0 : 1000);
    MessageBoxAnswerer answerer;
    if (!title.isEmpty()) {
        // Not closing the program is the answer that keeps the login window.
        answerer.expect(title, message, title == generic ? QMessageBox::No : QMessageBox::Ok,
            title == generic ? MessageBoxAnswerer::Match::Contains
                             : MessageBoxAnswerer::Match::Exact);
    }
    if (ending == QLatin1String("timeout"))
        application->getCommandManager()->setTransferTimeout(200);
    const auto edits = window()->findChildren<QLineEdit*>();
    for (QLineEdit* edit : edits)
        edit->clear();
    // The user's code goes upper case as typed, even corrected midway; the consortium's does not.
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
    if (ending == QLatin1String("reopened")) {
        application->showLoginWindow();
        QVERIFY(!progress->isVisible());
    }
    QTRY_VERIFY(answerer.allAnswered() && !progress->isVisible());
    QVERIFY(waitUntilIdle());
    QCOMPARE(answerer.getFailures(), QStringList());
    QVERIFY(!progress->isVisible());
    QCOMPARE(lastForm("login_account"),
        (QMap<QString, QString> {
            { QStringLiteral("cf_utente"), QStringLiteral("BNCLCU75B02F205X") },
            { QStringLiteral("cf_confidi"), QStringLiteral("conf 99 ") },
            { QStringLiteral("password"), QStringLiteral(" typed secret ") } }));
    QVERIFY(window()->isVisible());
    if (title == QLatin1String("Login")) {
        QCOMPARE(child(window(), "cfUtenteLineEdit")->text(), storedUser);
        QCOMPARE(child(window(), "cfConfidiLineEdit")->text(), storedConfidi);
        QCOMPARE(child(window(), "passwordLineEdit")->text(), storedPassword);
    }
}

void TestLoginWindow::accessRequestAnswers_data()
{
    QTest::addColumn<bool>("account"); // the second step, after the consortium was found
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message"); // none when the consortium is found
    const auto row = [](const char* name, bool account, int code, const char* message) {
        QTest::newRow(name) << account << code << QString::fromUtf8(message);
    };
    const char* invalid = "Errore validazione dati. Ripetere inserimento";
    const char* tooMany = "Sono state inviate troppe richieste di credenziali. Riprova più tardi.";
    row("consortium found", false, XmlParser::OK, "");
    row("consortium's certified mail missing", false, XmlParser::PEC_NOT_FOUND,
        "La PEC del confidi non è stata trovata.\nRipetere inserimento o contattare il supporto "
        "tecnico.");
    row("consortium invalid", false, XmlParser::ACCOUNT_REQUEST_VALIDATION_FAIL,
        "Errore validazione dati. Ripetere inserimento.");
    row("consortium, too many requests", false, XmlParser::RATE_LIMITER_ERROR_MESSAGE, tooMany);
    row("consortium unknown", false, XmlParser::UNK_CONFIDI,
        "Il confidi non è stato trovato. Ripetere inserimento.");
    row("user already registered", true, XmlParser::USER_ALREADY_PRESENT,
        "L'utente con codice fiscale RSSMRA80A01H501U risulta già registrato per il confidi "
        "01234567890.\nPuoi riprovare l'inserimento o contattare il supporto tecnico.\n");
    row("account invalid", true, XmlParser::ACCOUNT_REQUEST_VALIDATION_FAIL, invalid);
    row("account, too many requests", true, XmlParser::RATE_LIMITER_ERROR_MESSAGE, tooMany);
    row("account, other failure", true, XmlParser::UNK_CONFIDI,
        "La richiesta di apertura di un nuovo account non è andata a buon fine.\nPuoi riprovare o "
        "contattare il supporto tecnico.");
}

void TestLoginWindow::accessRequestAnswers()
{
    // Fault: a step opens early, skips the consent, goes out altered, or its answer is mishandled.
    QFETCH(bool, account);
    QFETCH(int, code);
    QFETCH(QString, message);
    const bool failed = code != XmlParser::OK;
    MessageBoxAnswerer answerer;
    QDialog* step = account ? static_cast<QDialog*>(accountWindow()) : confidiWindow();
    QCheckBox* consent = nullptr;
    if (account) {
        // Failures are emitted by hand; the server's later answer must find nobody listening.
        script("richiesta_credenziali_utente", XmlParser::OK, {}, 300);
        reachAccountStep();
        answerer.expect(QStringLiteral("Trattamento dei dati"),
            QStringLiteral(
                "Prima di procedere, devi leggere ed accettare l'informativa sulla privacy"),
            QMessageBox::Ok);
        consent = child<QCheckBox>(accountWindow(), "privacyCheckBox");
        consent->setChecked(false);
        click(accountWindow(), "acceptButton");
        QVERIFY(accountWindow()->isVisible());
        consent->setChecked(true);
    } else {
        openAccessRequest();
        script("richiesta_credenziali_confidi", code, consortiumFound, 300);
        type(child(confidiWindow(), "confidiLineEdit"), QStringLiteral("abc01234567"));
    }
    if (!message.isEmpty()) {
        answerer.expect(QStringLiteral("Richiesta credenziali"), message, QMessageBox::Ok);
    }
    click(step, "acceptButton");
    QVERIFY(!confidiWindow()->isVisible() && !accountWindow()->isVisible());
    if (account && failed)
        emit application->requestCredentialAccountCompleted(false, code);
    QTRY_VERIFY(
        answerer.allAnswered() && (accountWindow()->isVisible() || confidiWindow()->isVisible()));
    QVERIFY(waitUntilIdle());
    using Form = QMap<QString, QString>;
    const Form sent = account
        ? Form { { QStringLiteral("cf_confidi"), foundCode },
              { QStringLiteral("nome"), QStringLiteral(" Mario ") },
              { QStringLiteral("cognome"), QStringLiteral("Rossi") },
              { QStringLiteral("cf_utente"), QStringLiteral(" RSSMRA80A01H501U ") },
              { QStringLiteral("email_utente"), QStringLiteral("mario.rossi@example.com") } }
        : Form { { QStringLiteral("cf_confidi"), QStringLiteral("abc01234567") } };
    QCOMPARE(
        lastForm(account ? "richiesta_credenziali_utente" : "richiesta_credenziali_confidi"), sent);
    // The account step is up after a found consortium or a refused account.
    QCOMPARE(accountWindow()->isVisible(), account == failed);
    // A stale connection's late answer would open a box before emit returns.
    if (!account)
        emit application->requestCredentialConfidiCompleted(false, XmlParser::UNK_CONFIDI);
    QCOMPARE(answerer.getFailures(), QStringList());
    if (failed) {
        QVERIFY(step->isVisible());
        QVERIFY(child(step, account ? "utenteCodiceFiscaleLineEdit" : "confidiLineEdit")
                    ->text()
                    .isEmpty());
        // A new attempt asks for the consent again.
        QVERIFY(!consent || !consent->isChecked());
        return cancel(step);
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

void TestLoginWindow::codeSendReopenAndCancel_data()
{
    // The field focused first, the command and form key of the code, the title of its failures.
    const char* authentication = "Autenticazione account";
    addRows({ "field", "command", "key", "title" },
        { { "activation code", "codeLineEdit", "attivazione_codice", "codice_attivazione",
              "Attivazione account" },
            { "first two-factor code", "qrCodeLineEdit", "prima_autenticazione_two_fa",
                "twofa_token", authentication },
            { "two-factor code", "twoFaTokenLineEdit", "autenticazione_two_fa", "twofa_token",
                authentication },
            // What it sends is checked with the password rules below.
            { "password change", "oldPasswordLineEdit", "", "", "" } });
}

void TestLoginWindow::codeSendReopenAndCancel()
{
    // Fault: a code sent altered, a step stranded by too many attempts or cancel, or reopened full.
    QFETCH(QString, field);
    QFETCH(QString, command);
    QFETCH(QString, key);
    QFETCH(QString, title);
    // The dialog as the flow manager hands it out, emptied for a new attempt.
    const auto handOut = [this, &field]() -> QDialog* {
        if (field == QLatin1String("codeLineEdit"))
            return application->getActivationCodeWindow();
        if (field == QLatin1String("qrCodeLineEdit"))
            return application->getTwoFaActivationWindow();
        if (field == QLatin1String("twoFaTokenLineEdit"))
            return application->getTwoFaAuthenticationWindow();
        return application->getChangePasswordWindow();
    };
    QDialog* dialog = handOut();
    QVERIFY(showModal(dialog));
    const QList<QLineEdit*> edits = dialog->findChildren<QLineEdit*>();
    // The server judges the code: the client neither trims nor checks it.
    const QString code = QStringLiteral(" 12a4 ");
    for (QLineEdit* edit : edits)
        type(edit, code);
    child<QPushButton>(dialog, "rejectButton")->setFocus();
    if (command.isEmpty()) {
        QCOMPARE(handOut(), dialog);
        QVERIFY(showModal(dialog));
    } else {
        // The server refuses further guesses for a while: the same window comes back.
        script(qPrintable(command), XmlParser::RATE_LIMITER_ERROR_MESSAGE);
        MessageBoxAnswerer answerer;
        answerer.expect(title,
            QStringLiteral("Sono stati effettuati troppi tentativi falliti, riprova fra 1 minuto"),
            QMessageBox::Ok);
        click(dialog, "acceptButton");
        QVERIFY(!dialog->isVisible());
        QTRY_VERIFY(answerer.allAnswered() && dialog->isVisible());
        QVERIFY(waitUntilIdle());
        QCOMPARE(answerer.getFailures(), QStringList());
        QCOMPARE(lastForm(qPrintable(command)), (QMap<QString, QString> { { key, code } }));
        QVERIFY(dialog->isModal() && QTest::qWaitForWindowExposed(dialog));
    }
    for (QLineEdit* edit : edits)
        QVERIFY(edit->text().isEmpty());
    QCOMPARE(dialog->focusWidget(), child(dialog, qPrintable(field)));
    cancel(dialog);
}

void TestLoginWindow::passwordRules_data()
{
    const char* tooShort = "Inserisci una password di almeno 12 caratteri.";
    const char* currentInvalid = "Password corrente non valida";
    const char* newInvalid = "Nuova password non valida";
    const char* current12 = "currentpass1";
    const char* new12 = "newpassword1";
    const char* onCurrent = "oldPasswordLineEdit";
    // Lengths count characters, not bytes; the current password is judged first.
    addRows({ "current", "next", "confirmation", "title", "text", "focused" },
        { { "current of 11 accented characters, everything else wrong too", "àèìòùàèìòùà",
              "abcdefghijk", "x", currentInvalid, tooShort, onCurrent },
            { "new of 11", current12, "newpasswor1", "newpasswor1", newInvalid, tooShort,
                "newPasswordLineEdit" },
            { "new equal to current wins over confirmation", current12, current12, new12,
                newInvalid, "La nuova password è uguale alla password corrente.", onCurrent },
            { "confirmation differs", current12, new12, "newpassword2",
                "Password di conferma non valida",
                "La password di conferma non è uguale alla nuova password.",
                "confirmPasswordLineEdit" },
            { "exactly 12, blanks kept", " currentpw1 ", " new passwd ", " new passwd ",
                "Cambio password", "Cambio password effettuato con successo", "" } });
}

void TestLoginWindow::passwordRules()
{
    // Fault: a rule is skipped, miscounted or misordered, or the change is sent altered.
    QFETCH(QString, current);
    QFETCH(QString, next);
    QFETCH(QString, confirmation);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(QString, focused);
    const bool valid = focused.isEmpty();
    ChangePasswordWindow* dialog = application->getChangePasswordWindow();
    QVERIFY(showModal(dialog));
    child(dialog, "oldPasswordLineEdit")->setText(current);
    child(dialog, "newPasswordLineEdit")->setText(next);
    child(dialog, "confirmPasswordLineEdit")->setText(confirmation);
    MessageBoxAnswerer answerer;
    answerer.expect(title, text, QMessageBox::Ok);

    click(dialog, "acceptButton");
    QCOMPARE(dialog->isVisible(), !valid);
    QCOMPARE(application->getCommandManager()->isBusy(), valid);
    QTRY_VERIFY(answerer.allAnswered());
    QVERIFY(waitUntilIdle());
    QCOMPARE(answerer.getFailures(), QStringList());
    if (!valid) {
        QCOMPARE(dialog->focusWidget(), child(dialog, qPrintable(focused)));
        return;
    }
    QCOMPARE(lastForm("cambio_password"),
        (QMap<QString, QString> { { QStringLiteral("old_password"), current },
            { QStringLiteral("new_password"), next } }));
}

void TestLoginWindow::qrCodeAndSecret_data()
{
    QTest::addColumn<QString>("svg");
    QTest::addColumn<QString>("secret");
    QTest::newRow("authenticator code") << qrCodeSvg(
        "otpauth://totp/Corvane:RSSMRA80A01H501U?secret=JBSWY3DPEHPK3PXPQ&issuer=Corvane")
                                        << QStringLiteral("JBSW Y3DP EHPK 3PXP Q");
    QTest::newRow("other code") << qrCodeSvg("https://example.invalid/") << QString();
    QTest::newRow("no code, sized") << QStringLiteral(
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"150\" "
        "height=\"150\"/>") << QString();
}

void TestLoginWindow::qrCodeAndSecret()
{
    // Guards against a missing or wrong key beside the QR code, or a stale QR code left under it.
    QFETCH(QString, svg);
    QFETCH(QString, secret);
    // An earlier activation's code, replaced by this one.
    const QString earlier = QStringLiteral(
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"120\" height=\"120\"/>");
    for (const QString& image : { earlier, svg }) {
        script("attivazione_two_fa", XmlParser::OK, { { QStringLiteral("0"), image } });
        // The manager deletes the command once it has read it.
        application->getCommandManager()->exec(
            new Command::TwoFaActivation(application->getSignInFlow()));
        QVERIFY(waitUntilIdle());
    }
    TwoFaActivationWindow* dialog = application->getTwoFaActivationWindow();
    dialog->resetForm();
    dialog->show();
    QTRY_COMPARE(dialog->findChildren<QSvgWidget*>().size(), 1);
    auto* code = dialog->findChild<QSvgWidget*>();
    QTRY_VERIFY(code->isVisible());
    QCOMPARE(code->renderer()->defaultSize(), QSvgRenderer(svg.toUtf8()).defaultSize());
    QVERIFY(!code->accessibleName().isEmpty());
    auto* field = child(dialog, "secretLineEdit");
    QCOMPARE(field->text(), secret);
    QCOMPARE(field->isVisible(), !secret.isEmpty());
    QVERIFY(field->isReadOnly());
}

QTEST_MAIN(TestLoginWindow)
#include "tst_loginwindow.moc"
