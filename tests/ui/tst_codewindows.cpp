#include "app/applicationmanager.h"
#include "commands/twofaactivation.h"
#include "protocol/commandmanager.h"
#include "protocol/xmlparser.h"
#include "support/messageboxanswerer.h"
#include "ui/activationcodewindow.h"
#include "ui/changepasswordwindow.h"
#include "ui/dialogtest.h"
#include "ui/loginwindow.h"
#include "ui/twofaactivationwindow.h"
#include "ui/twofaauthenticationwindow.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSvgRenderer>
#include <QSvgWidget>
#include <QTest>

using namespace Corvane;
using namespace Corvane::Test;

namespace {
enum class Dialog { ActivationCode, TwoFaActivation, TwoFaAuthentication, ChangePassword };

QString qrCode(int width, int height)
{
    return QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%2\">"
                          "<rect x=\"1\" y=\"1\" width=\"3\" height=\"3\"/></svg>")
        .arg(width)
        .arg(height);
}
}

Q_DECLARE_METATYPE(Dialog)

class TestCodeWindows final : public DialogTest {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { tearDownDialogTest(); }
    void cleanup() { finishTest(); }

    void codeIsSentAsTyped_data();
    void codeIsSentAsTyped();
    void reopeningEmptiesAndFocusesCode_data();
    void reopeningEmptiesAndFocusesCode();
    void cancelGoesBackToLogin_data();
    void cancelGoesBackToLogin();
    void newQrCodeReplacesTheOld();

private:
    /// The dialog as the flow manager hands it out, shown modal.
    QDialog* showDialog(Dialog dialog);
    void activateTwoFa(const QString& svg);
};

void TestCodeWindows::initTestCase()
{
    setUpDialogTest();
    // Codes the flow ignores, so nothing opens after a code is sent.
    const QByteArray ignored = replyWithCode(XmlParser::PEC_NOT_FOUND);
    server->setXmlReply(Path::requestActivationCode, ignored);
    server->setXmlReply(Path::twoFaFirstAuthentication, ignored);
    server->setXmlReply(Path::twoFaAuthentication, ignored);
}

QDialog* TestCodeWindows::showDialog(Dialog dialog)
{
    QDialog* window = nullptr;
    switch (dialog) {
    case Dialog::ActivationCode:
        window = application->getActivationCodeWindow();
        break;
    case Dialog::TwoFaActivation:
        window = application->getTwoFaActivationWindow();
        break;
    case Dialog::TwoFaAuthentication:
        window = application->getTwoFaAuthenticationWindow();
        break;
    case Dialog::ChangePassword:
        window = application->getChangePasswordWindow();
        break;
    }
    window->setModal(true);
    window->show();
    if (!QTest::qWaitForWindowExposed(window))
        qFatal("the dialog did not show");
    return window;
}

void TestCodeWindows::activateTwoFa(const QString& svg)
{
    server->setXmlReply(
        Path::twoFaActivation, replyWithCode(XmlParser::OK, { { QStringLiteral("0"), svg } }));
    // The manager deletes the command once it has read it.
    application->getCommandManager()->exec(new Command::TwoFaActivation(application));
    QVERIFY(waitUntilIdle());
}

void TestCodeWindows::codeIsSentAsTyped_data()
{
    QTest::addColumn<Dialog>("dialog");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("key");

    QTest::newRow("activation code")
        << Dialog::ActivationCode << QStringLiteral("codeLineEdit") << Path::requestActivationCode
        << QStringLiteral("codice_attivazione");
    QTest::newRow("first two-factor code")
        << Dialog::TwoFaActivation << QStringLiteral("qrCodeLineEdit")
        << Path::twoFaFirstAuthentication << QStringLiteral("twofa_token");
    QTest::newRow("two-factor code")
        << Dialog::TwoFaAuthentication << QStringLiteral("twoFaTokenLineEdit")
        << Path::twoFaAuthentication << QStringLiteral("twofa_token");
}

void TestCodeWindows::codeIsSentAsTyped()
{
    // Fault: a code goes out under the wrong name or path, is trimmed or checked by the client
    // (the server judges it), or the window stays open over the next step.
    QFETCH(Dialog, dialog);
    QFETCH(QString, field);
    QFETCH(QString, path);
    QFETCH(QString, key);

    QDialog* window = showDialog(dialog);
    const QString code = QStringLiteral(" 12a4 ");
    type(window->findChild<QLineEdit*>(field), code);
    window->findChild<QPushButton*>(QStringLiteral("acceptButton"))->click();
    QVERIFY(!window->isVisible());
    QVERIFY(waitUntilIdle());
    QCOMPARE(lastForm(path), (QMap<QString, QString> { { key, code } }));
}

void TestCodeWindows::reopeningEmptiesAndFocusesCode_data()
{
    QTest::addColumn<Dialog>("dialog");
    QTest::addColumn<QString>("field");

    QTest::newRow("activation code") << Dialog::ActivationCode << QStringLiteral("codeLineEdit");
    QTest::newRow("two-factor activation")
        << Dialog::TwoFaActivation << QStringLiteral("qrCodeLineEdit");
    QTest::newRow("two-factor authentication")
        << Dialog::TwoFaAuthentication << QStringLiteral("twoFaTokenLineEdit");
}

void TestCodeWindows::reopeningEmptiesAndFocusesCode()
{
    // Fault: a reopened code window shows the code of the failed attempt, or the user must click
    // into the field before typing.
    QFETCH(Dialog, dialog);
    QFETCH(QString, field);

    QDialog* window = showDialog(dialog);
    auto* code = window->findChild<QLineEdit*>(field);
    window->findChild<QPushButton*>(QStringLiteral("rejectButton"))->setFocus();
    code->setText(QStringLiteral("999999"));
    window->hide();

    QCOMPARE(showDialog(dialog), window);
    QVERIFY(code->text().isEmpty());
    QCOMPARE(window->focusWidget(), code);
}

void TestCodeWindows::cancelGoesBackToLogin_data()
{
    QTest::addColumn<Dialog>("dialog");

    QTest::newRow("activation code") << Dialog::ActivationCode;
    QTest::newRow("two-factor activation") << Dialog::TwoFaActivation;
    QTest::newRow("two-factor authentication") << Dialog::TwoFaAuthentication;
    QTest::newRow("password change") << Dialog::ChangePassword;
}

void TestCodeWindows::cancelGoesBackToLogin()
{
    // Fault: cancelling a step of the sign-in leaves the user with no window at all, or sends
    // the step anyway.
    QFETCH(Dialog, dialog);
    storeCredential(QStringLiteral("RSSMRA80A01H501U"), QStringLiteral("01234567890"),
        QStringLiteral("stored-secret-1"));
    QDialog* window = showDialog(dialog);
    const int before = server->requestCount();

    window->findChild<QPushButton*>(QStringLiteral("rejectButton"))->click();
    QVERIFY(!window->isVisible());
    LoginWindow* login = application->getLoginWindow();
    QVERIFY(login->isVisible());
    QVERIFY(login->isModal());
    QCOMPARE(login->findChild<QLineEdit*>(QStringLiteral("cfUtenteLineEdit"))->text(),
        QStringLiteral("RSSMRA80A01H501U"));
    QVERIFY(!application->getCommandManager()->isBusy());
    QCOMPARE(server->requestCount(), before);
}

void TestCodeWindows::newQrCodeReplacesTheOld()
{
    // Fault: a second activation stacks its QR code over (or under) the first one, so the user
    // scans a stale code, or keeps the code typed for the old one.
    activateTwoFa(qrCode(120, 120));
    TwoFaActivationWindow* window = application->getTwoFaActivationWindow();
    QVERIFY(window->isVisible());
    QVERIFY(window->isModal());
    QList<QSvgWidget*> images = window->findChildren<QSvgWidget*>();
    QCOMPARE(images.size(), 1);
    QCOMPARE(images.first()->renderer()->defaultSize(), QSize(120, 120));
    window->findChild<QLineEdit*>(QStringLiteral("qrCodeLineEdit"))->setText(QStringLiteral("1"));

    activateTwoFa(qrCode(150, 150));
    QTRY_COMPARE(window->findChildren<QSvgWidget*>().size(), 1);
    images = window->findChildren<QSvgWidget*>();
    QVERIFY(images.first()->renderer()->isValid());
    QCOMPARE(images.first()->renderer()->defaultSize(), QSize(150, 150));
    QTRY_VERIFY(images.first()->isVisible());
    QVERIFY(window->findChild<QLineEdit*>(QStringLiteral("qrCodeLineEdit"))->text().isEmpty());
}

QTEST_MAIN(TestCodeWindows)
#include "tst_codewindows.moc"
