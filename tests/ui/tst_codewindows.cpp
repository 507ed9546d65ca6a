#include "app/signinflow.h"
#include "commands/authentication.h"
#include "support/datarows.h"
#include "ui/changepasswordwindow.h"
#include "ui/codewindow.h"
#include "ui/dialogtest.h"
#include "ui/loginwindow.h"

#include <QLineEdit>
#include <QSvgRenderer>
#include <QSvgWidget>
#include <qrencode.h>

using namespace Corvane;
using namespace Corvane::Test;

/// Hands out a dialog the way the flow manager does, emptied for a new attempt.
using Getter = QDialog* (*)(ApplicationManager*);
Q_DECLARE_METATYPE(Getter)

/// The dialogs after a login: the codes, the QR code and the password change.
class TestCodeWindows final : public DialogTest {
    Q_OBJECT

private slots:
    void sendReopenAndCancel_data();
    void sendReopenAndCancel();
    void passwordRules_data();
    void passwordRules();
    void newQrCodeReplacesTheOld();
    void secretBesideQrCode_data();
    void secretBesideQrCode();

private:
    void activateTwoFa(int qrCodeSize);
    void activateTwoFa(const QString& svg);
};

namespace {

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

}

void TestCodeWindows::activateTwoFa(int qrCodeSize)
{
    activateTwoFa(
        QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%1\"/>")
            .arg(qrCodeSize));
}

void TestCodeWindows::activateTwoFa(const QString& svg)
{
    script("attivazione_two_fa", XmlParser::OK, { { QStringLiteral("0"), svg } });
    // The manager deletes the command once it has read it.
    application->getCommandManager()->exec(
        new Command::TwoFaActivation(application->getSignInFlow()));
    QVERIFY(waitUntilIdle());
}

void TestCodeWindows::sendReopenAndCancel_data()
{
    QTest::addColumn<Getter>("getter");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("title"); // of the failures of that window

    const QString authentication = QStringLiteral("Autenticazione account");
    QTest::newRow("activation code")
        << Getter([](auto* m) -> QDialog* { return m->getActivationCodeWindow(); })
        << QStringLiteral("codeLineEdit") << QByteArray("attivazione_codice")
        << QStringLiteral("codice_attivazione") << QStringLiteral("Attivazione account");
    QTest::newRow("first two-factor code")
        << Getter([](auto* m) -> QDialog* { return m->getTwoFaActivationWindow(); })
        << QStringLiteral("qrCodeLineEdit") << QByteArray("prima_autenticazione_two_fa")
        << QStringLiteral("twofa_token") << authentication;
    QTest::newRow("two-factor code")
        << Getter([](auto* m) -> QDialog* { return m->getTwoFaAuthenticationWindow(); })
        << QStringLiteral("twoFaTokenLineEdit") << QByteArray("autenticazione_two_fa")
        << QStringLiteral("twofa_token") << authentication;
    // What it sends is checked with the password rules below.
    QTest::newRow("password change")
        << Getter([](auto* m) -> QDialog* { return m->getChangePasswordWindow(); })
        << QStringLiteral("oldPasswordLineEdit") << QByteArray() << QString() << QString();
}

void TestCodeWindows::sendReopenAndCancel()
{
    // Fault: a code goes out altered, too many attempts strand the user, a step reopens filled or
    // unfocused, or cancelling strands.
    QFETCH(Getter, getter);
    QFETCH(QString, field);
    QFETCH(QByteArray, command);
    QFETCH(QString, key);
    QFETCH(QString, title);
    QDialog* window = getter(application);
    QVERIFY(showModal(window));
    const QList<QLineEdit*> edits = window->findChildren<QLineEdit*>();
    // The server judges the code: the client neither trims nor checks it.
    const QString code = QStringLiteral(" 12a4 ");
    for (QLineEdit* edit : edits)
        type(edit, code);
    child<QPushButton>(window, "rejectButton")->setFocus();
    if (command.isEmpty()) {
        QCOMPARE(getter(application), window);
        QVERIFY(showModal(window));
    } else {
        // The server refuses further guesses for a while: the same window comes back.
        script(command.constData(), XmlParser::RATE_LIMITER_ERROR_MESSAGE);
        MessageBoxAnswerer answerer;
        answerer.expect(title,
            QStringLiteral("Sono stati effettuati troppi tentativi falliti, riprova fra 1 minuto"),
            QMessageBox::Ok);
        click(window, "acceptButton");
        QVERIFY(!window->isVisible());
        QTRY_VERIFY(answerer.allAnswered() && window->isVisible());
        QVERIFY(waitUntilIdle());
        QCOMPARE(answerer.getFailures(), QStringList());
        QCOMPARE(lastForm(command.constData()), (QMap<QString, QString> { { key, code } }));
        QVERIFY(window->isModal() && QTest::qWaitForWindowExposed(window));
    }
    for (QLineEdit* edit : edits)
        QVERIFY(edit->text().isEmpty());
    QCOMPARE(window->focusWidget(), child(window, qPrintable(field)));
    cancel(window);
}

void TestCodeWindows::passwordRules_data()
{
    const char* tooShort = "Inserisci una password di almeno 12 caratteri.";
    const char* currentInvalid = "Password corrente non valida";
    const char* newInvalid = "Nuova password non valida";
    const char* current12 = "currentpass1";
    const char* new12 = "newpassword1";
    const char* onCurrent = "oldPasswordLineEdit";
    // Eleven characters in twenty-two bytes: lengths count characters, and the current password
    // is judged first. No field is focused when the change is sent.
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

void TestCodeWindows::passwordRules()
{
    // Fault: a rule is skipped, miscounted or misordered, or the change is sent altered or logged.
    QFETCH(QString, current);
    QFETCH(QString, next);
    QFETCH(QString, confirmation);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(QString, focused);
    const bool valid = focused.isEmpty();
    ChangePasswordWindow* window = application->getChangePasswordWindow();
    QVERIFY(showModal(window));
    child(window, "oldPasswordLineEdit")->setText(current);
    child(window, "newPasswordLineEdit")->setText(next);
    child(window, "confirmPasswordLineEdit")->setText(confirmation);
    MessageBoxAnswerer answerer;
    answerer.expect(title, text, QMessageBox::Ok);

    click(window, "acceptButton");
    QCOMPARE(window->isVisible(), !valid);
    QCOMPARE(application->getCommandManager()->isBusy(), valid);
    QTRY_VERIFY(answerer.allAnswered());
    QVERIFY(waitUntilIdle());
    QCOMPARE(answerer.getFailures(), QStringList());
    if (!valid) {
        QCOMPARE(window->focusWidget(), child(window, qPrintable(focused)));
        return;
    }
    QCOMPARE(lastForm("cambio_password"),
        (QMap<QString, QString> { { QStringLiteral("old_password"), current },
            { QStringLiteral("new_password"), next } }));
    QVERIFY(!logText().isEmpty() && !logText().contains(next.trimmed()));
}

void TestCodeWindows::newQrCodeReplacesTheOld()
{
    // Fault: a second activation stacks its QR code over the first, so a stale code is scanned.
    activateTwoFa(120);
    TwoFaActivationWindow* window = application->getTwoFaActivationWindow();

    activateTwoFa(150);
    QTRY_COMPARE(window->findChildren<QSvgWidget*>().size(), 1);
    QCOMPARE(window->findChild<QSvgWidget*>()->renderer()->defaultSize(), QSize(150, 150));
    QTRY_VERIFY(window->findChild<QSvgWidget*>()->isVisible());
}

void TestCodeWindows::secretBesideQrCode_data()
{
    QTest::addColumn<QString>("svg");
    QTest::addColumn<QString>("secret");
    QTest::newRow("authenticator code") << qrCodeSvg(
        "otpauth://totp/Corvane:RSSMRA80A01H501U?secret=JBSWY3DPEHPK3PXPQ&issuer=Corvane")
                                        << QStringLiteral("JBSW Y3DP EHPK 3PXP Q");
    QTest::newRow("other code") << qrCodeSvg("https://example.invalid/") << QString();
    QTest::newRow("no code") << QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\"/>")
                             << QString();
}

void TestCodeWindows::secretBesideQrCode()
{
    // Guards against a user who cannot scan the QR code left without the key, or shown a wrong one.
    QFETCH(QString, svg);
    QFETCH(QString, secret);
    activateTwoFa(svg);
    TwoFaActivationWindow* window = application->getTwoFaActivationWindow();
    window->resetForm();
    window->show();
    auto* field = window->findChild<QLineEdit*>(QStringLiteral("secretLineEdit"));
    QCOMPARE(field->text(), secret);
    QCOMPARE(field->isVisible(), !secret.isEmpty());
    QVERIFY(field->isReadOnly());
    QVERIFY(!window->findChild<QSvgWidget*>()->accessibleName().isEmpty());
    window->hide();
}

QTEST_MAIN(TestCodeWindows)
#include "tst_codewindows.moc"
