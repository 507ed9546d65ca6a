#include "app/account.h"
#include "app/applicationmanager.h"
#include "app/confidi.h"
#include "commands/search/positiondetail.h"
#include "models/positiondetails.h"
#include "models/ticket.h"
#include "network/proxycredentialwindow.h"
#include "protocol/commandmanager.h"
#include "support/messageboxanswerer.h"
#include "support/testclient.h"
#include "support/testcommands.h"
#include "support/testenvironment.h"
#include "support/testserver.h"
#include "ui/downloadoutcome.h"
#include "ui/insertticketmessagewindow.h"
#include "ui/insertticketwindow.h"
#include "ui/mainwindow.h"
#include "ui/positiondetailwindow.h"
#include "ui/privacywindow.h"
#include "ui/prompts.h"
#include "ui/ticketdetailwindow.h"
#include "ui/ticketwindow.h"

#include <QAccessible>
#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QTextEdit>
#include <QtTest>

#include <functional>
#include <memory>

Q_DECLARE_METATYPE(Corvane::Test::ScriptedReply)

using namespace Corvane;
using namespace Corvane::Test;

namespace {

const QString hostile = QStringLiteral("<b>&amp;");

/// A widget's text as it is drawn: a label's accessible name is the rendering of its markup.
QString shown(QWidget* parent, const char* name)
{
    return QAccessible::queryAccessibleInterface(
        parent->findChild<QWidget*>(QString::fromLatin1(name)))
        ->text(QAccessible::Name);
}

/// Runs trigger and returns, as drawn, the text of the first message box it opens, which is
/// then closed; null when no box came.
QString boxText(const std::function<void()>& trigger)
{
    QString text;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&text] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box && text.isNull()) {
            text = shown(box, "qt_msgbox_label");
            box->accept();
        }
    });
    watch.start(10);
    trigger();
    if (!QTest::qWaitFor([&text] { return !text.isNull(); }, 20000))
        return QString();
    return text;
}

}

/// What the forms do when the server says no: a logout that fails, a ticket or message refused
/// with a code the client does not expect, and text from outside shown as the characters it
/// holds. Against the scripted server, with the main window of a session up.
class TestFormFailures final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void failedLogoutKeepsTheMainWindow_data();
    void failedLogoutKeepsTheMainWindow();
    void unexpectedCodeKeepsTheForm_data();
    void unexpectedCodeKeepsTheForm();
    void outsideTextIsPlain_data();
    void outsideTextIsPlain();

private:
    std::unique_ptr<TestServer> server;
    std::unique_ptr<TestClient> client;
    ApplicationManager* application = nullptr;
};

void TestFormFailures::initTestCase()
{
    TestEnvironment::enterTemporaryWorkingDirectory();
    server = std::make_unique<TestServer>();
    client = std::make_unique<TestClient>(server->baseUrl());
    application = client->application();
    // One ticket to write to.
    const QMap<QString, QString> page { { QStringLiteral("esito_id"), QStringLiteral("0") },
        { QStringLiteral("risultati"), QStringLiteral("1") } };
    for (const char* path : { "/corvane/v5/home/ticket", "/corvane/v5/home/ticket/" }) {
        server->setXmlReply(QString::fromLatin1(path),
            xmlReply(page, { { { QStringLiteral("ticket_id"), QStringLiteral("7") } } }));
    }
    for (const char* path :
        { "/corvane/v5/home/ticket_mail_utente", "/corvane/v5/home/ticket_dett" })
        server->setXmlReply(QString::fromLatin1(path), resultReply(QStringLiteral("0")));
    ApplicationManager::writeSessionFile(QStringLiteral("auth.txt"), QStringLiteral("auth-token"));
    application->getAccount()->setConfidi(new Confidi(7, hostile, 0, 0));
    application->getAccount()->setBank(hostile);
    application->getMainWindow()->show();
}

void TestFormFailures::cleanupTestCase()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        widget->hide();
    client.reset();
}

void TestFormFailures::failedLogoutKeepsTheMainWindow_data()
{
    QTest::addColumn<ScriptedReply>("reply");
    QTest::addColumn<QString>("boxTitle");
    QTest::addColumn<int>("button");
    ScriptedReply refused;
    refused.body = xmlReply({ { QStringLiteral("esito_id"), QStringLiteral("999") } });
    // Not closing the program is the answer that keeps the session.
    QTest::newRow("server error") << refused << QStringLiteral("Errore nella risposta del server")
                                  << int(QMessageBox::No);
    ScriptedReply dropped;
    dropped.dropConnection = true;
    QTest::newRow("connection dropped")
        << dropped << QStringLiteral("Errore durante la connessione al server")
        << int(QMessageBox::Ok);
}

void TestFormFailures::failedLogoutKeepsTheMainWindow()
{
    // Guards against a failed logout hiding the main window, which leaves a running program with
    // no window, or ending the session anyway.
    QFETCH(ScriptedReply, reply);
    QFETCH(QString, boxTitle);
    QFETCH(int, button);
    server->setReply(QStringLiteral("/corvane/v5/home/logout"), reply);
    MainWindow* window = application->getMainWindow();
    MessageBoxAnswerer answerer;
    answerer.expect(boxTitle, QString(), QMessageBox::StandardButton(button),
        MessageBoxAnswerer::Match::Contains);
    window->findChild<QAction*>(QStringLiteral("actionEsci"))->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(
        answerer.allAnswered() && !application->getCommandManager()->isBusy(), 20000);
    QVERIFY2(answerer.getFailures().isEmpty(),
        qPrintable(answerer.getFailures().join(QLatin1Char('\n'))));
    // A network failure still ends the program until that failure is mended on its own.
    TestEnvironment::takeQuitRequest();
    QVERIFY(window->isVisible());
    QVERIFY(QFile::exists(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
        + QStringLiteral("/auth.txt")));
}

void TestFormFailures::unexpectedCodeKeepsTheForm_data()
{
    QTest::addColumn<bool>("message");
    QTest::addColumn<QString>("code");
    QTest::newRow("ticket refused as invalid") << false << QStringLiteral("318");
    QTest::newRow("ticket, unknown code") << false << QStringLiteral("999");
    QTest::newRow("message, ticket gone") << true << QStringLiteral("10");
}

void TestFormFailures::unexpectedCodeKeepsTheForm()
{
    // Guards against a code the form does not expect read as an expired session (a box, then the
    // program ends and the text is lost), as the generic error, or as success.
    QFETCH(bool, message);
    QFETCH(QString, code);
    server->setXmlReply(QStringLiteral("/corvane/v5/home/ticketIns"),
        xmlReply(
            { { QStringLiteral("esito_id"), code }, { QStringLiteral("esito_descr"), hostile } }));
    QDialog* form = application->getInsertTicketWindow();
    if (message) {
        Model::Ticket* model = application->getTicketModel();
        model->fetch();
        QTRY_COMPARE_WITH_TIMEOUT(model->rowCount(), 1, 20000);
        model->fetchDetail(model->index(0, 0));
        form = application->getTicketWindow()
                   ->getTicketDetailWindow()
                   ->getInsertTicketMessageWindow();
    } else {
        form->findChild<QLineEdit*>(QStringLiteral("object"))->setText(QStringLiteral("Oggetto"));
        form->findChild<QLineEdit*>(QStringLiteral("userEmail"))->setText(QStringLiteral("a@b.it"));
    }
    auto* text = form->findChild<QTextEdit*>(QString::fromLatin1(message ? "message" : "text"));
    text->setPlainText(QStringLiteral("Testo scritto con cura"));
    form->open();
    const QString box
        = boxText([form] { form->findChild<QPushButton*>(QStringLiteral("accept"))->click(); });
    QVERIFY2(box.contains(QStringLiteral("Errore: %1\nDescrizione: %2").arg(code, hostile)),
        qPrintable(box));
    QTRY_VERIFY(!application->getCommandManager()->isBusy());
    QVERIFY(!TestEnvironment::takeQuitRequest());
    QVERIFY(form->isVisible());
    QCOMPARE(text->toPlainText(), QStringLiteral("Testo scritto con cura"));
    form->close();
}

void TestFormFailures::outsideTextIsPlain_data()
{
    QTest::addColumn<int>("place");
    int place = 0;
    for (const char* name : { "session labels", "position record", "privacy notice", "server's box",
             "user's folder in a box", "connection's box", "proxy's realm" })
        QTest::newRow(name) << place++;
}

void TestFormFailures::outsideTextIsPlain()
{
    // Guards against a server's or a user's text drawn as markup: a server could draw a warning
    // with a link of its own in the program's windows.
    QFETCH(int, place);
    QStringList texts;
    switch (place) {
    case 0:
        texts << shown(application->getMainWindow(), "confidiInUso")
              << shown(application->getMainWindow(), "bancaInUso");
        break;
    case 1: {
        PositionDetailWindow* window = application->getPositionDetailWindow();
        DataRow record;
        for (const QString& key : Model::PositionDetails::getKeys())
            record.insert(key, hostile);
        Command::Search::PositionDetail command(
            application->getPositionDetailsModel(), QStringLiteral("1"), QStringLiteral("L"));
        command.useResponse({}, { record });
        texts << shown(window, "companyName") << shown(window, "ftStato");
        window->close();
        break;
    }
    case 2: {
        PrivacyWindow window;
        window.open(hostile);
        texts << window.findChild<QTextBrowser*>()->toPlainText();
        break;
    }
    case 3:
        texts << boxText(
            [this] { emit application->getPositionDetailsModel()->relatedFormsFound(hostile); });
        break;
    case 4: {
        QTemporaryDir folder;
        texts << boxText([&folder] {
            checkSaveFolder(nullptr, folder.filePath(hostile) + QStringLiteral("/x.pdf"));
        });
        break;
    }
    case 5:
        // A certificate's names reach the box through the TLS errors.
        texts << boxText(
            [] { Prompt::showNetworkError(NetworkManager::FatalError::TlsFailed, hostile); });
        break;
    case 6: {
        ProxyCredentialWindow window(false);
        window.setDescription(hostile);
        texts << shown(&window, "description");
        break;
    }
    }
    for (const QString& text : qAsConst(texts))
        QVERIFY2(text.contains(hostile), qPrintable(text));
}

QTEST_MAIN(TestFormFailures)
#include "tst_formfailures.moc"
