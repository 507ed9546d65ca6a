#include "app/account.h"
#include "app/applicationmanager.h"
#include "app/confidi.h"
#include "app/updatewindow.h"
#include "commands/search/anagraphic.h"
#include "commands/search/positiondetail.h"
#include "models/anagraphic.h"
#include "models/positiondetails.h"
#include "models/ticket.h"
#include "protocol/commandmanager.h"
#include "support/messageboxanswerer.h"
#include "support/testclient.h"
#include "support/testcommands.h"
#include "support/testenvironment.h"
#include "support/testserver.h"
#include "ui/anagraphicwindow.h"
#include "ui/downloadoutcome.h"
#include "ui/insertticketmessagewindow.h"
#include "ui/insertticketwindow.h"
#include "ui/mainwindow.h"
#include "ui/positiondetailwindow.h"
#include "ui/privacywindow.h"
#include "ui/ticketdetailwindow.h"
#include "ui/ticketwindow.h"

#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
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

/// A widget's text as it is drawn: the accessible name of a label holding markup is its
/// rendering, of one holding plain text the characters themselves.
QString shown(QWidget* widget)
{
    QAccessible::deleteAccessibleInterface(
        QAccessible::uniqueId(QAccessible::queryAccessibleInterface(widget)));
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
}

QString shown(QWidget* parent, const char* name)
{
    return shown(parent->findChild<QWidget*>(QString::fromLatin1(name)));
}

/// Runs trigger and returns, as drawn, the text of the first message box it opens, which is
/// then closed.
QString boxText(const std::function<void()>& trigger)
{
    QString text;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&text] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !text.isNull())
            return;
        text = shown(box, "qt_msgbox_label");
        box->accept();
    });
    watch.start(10);
    trigger();
    // No box leaves the text null, which no expected text matches.
    if (!QTest::qWaitFor([&text] { return !text.isNull(); }, 20000))
        return QString();
    return text;
}

QString sessionFile(const QString& name)
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QLatin1Char('/')
        + name;
}

void verifyAnswered(const MessageBoxAnswerer& answerer)
{
    QTRY_VERIFY_WITH_TIMEOUT(answerer.allAnswered(), 20000);
    QVERIFY2(answerer.getFailures().isEmpty(),
        qPrintable(answerer.getFailures().join(QLatin1Char('\n'))));
}

}

/// What the forms do when the server says no: a logout that fails, a ticket or message refused
/// with a code the client does not expect, and text from outside shown as the characters it
/// holds. Against the scripted server, in one signed-in client.
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
    /// Lists one ticket whose code, subject and state are value, chooses it and waits for its
    /// conversation of one message, written by value and saying value.
    void chooseTicket(const QString& value);
    void scriptTicketList(const QString& value);

    std::unique_ptr<TestServer> server;
    std::unique_ptr<TestClient> client;
    ApplicationManager* application = nullptr;
};

void TestFormFailures::initTestCase()
{
    TestEnvironment::enterTemporaryWorkingDirectory();
    QCoreApplication::setApplicationVersion(QStringLiteral("5.2.0.0"));
    server = std::make_unique<TestServer>();
    client = std::make_unique<TestClient>(server->baseUrl());
    application = client->application();
    server->setXmlReply(QStringLiteral("/corvane/v5/home/ticket_mail_utente"),
        resultReply(
            QStringLiteral("0"), { { { QStringLiteral("email"), QStringLiteral("a@b.it") } } }));
    // A new ticket fetches the list again.
    scriptTicketList(QStringLiteral("TK-7"));
    ApplicationManager::writeSessionFile(QStringLiteral("auth.txt"), QStringLiteral("auth-token"));
    // A session in use: the main window is up, as after a bank was chosen.
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

void TestFormFailures::scriptTicketList(const QString& value)
{
    const DataRow row { { QStringLiteral("ticket_id"), QStringLiteral("7") },
        { QStringLiteral("codice"), value }, { QStringLiteral("oggetto"), value },
        { QStringLiteral("stato"), value },
        { QStringLiteral("stato_colore"), QStringLiteral("#008000") },
        { QStringLiteral("data_inserimento_formattata"), QStringLiteral("05/03/2024 14:30:09") } };
    const QMap<QString, QString> page { { QStringLiteral("esito_id"), QStringLiteral("0") },
        { QStringLiteral("risultati"), QStringLiteral("1") },
        { QStringLiteral("tot_pag"), QStringLiteral("1") },
        { QStringLiteral("cur_pag"), QStringLiteral("1") },
        { QStringLiteral("start"), QStringLiteral("0") } };
    for (const char* path : { "/corvane/v5/home/ticket", "/corvane/v5/home/ticket/" })
        server->setXmlReply(QString::fromLatin1(path), xmlReply(page, { row }));
}

void TestFormFailures::chooseTicket(const QString& value)
{
    scriptTicketList(value);
    server->setXmlReply(QStringLiteral("/corvane/v5/home/ticket_dett"),
        resultReply(QStringLiteral("0"),
            { { { QStringLiteral("testo"), QStringLiteral("Richiesta") } },
                { { QStringLiteral("testo"), value }, { QStringLiteral("utente_tipo"), value },
                    { QStringLiteral("data_msg"), QStringLiteral("05/03/2024 14:30:09") } } }));
    Model::Ticket* model = application->getTicketModel();
    TicketDetailWindow* window = application->getTicketWindow()->getTicketDetailWindow();
    model->fetch();
    QTRY_VERIFY_WITH_TIMEOUT(
        model->rowCount() == 1 && model->getValue(0, QStringLiteral("codice")) == value, 20000);
    model->fetchDetail(model->index(0, 0));
    window->open();
    QTRY_COMPARE_WITH_TIMEOUT(model->getTicketMessages().size(), 1, 20000);
}

void TestFormFailures::failedLogoutKeepsTheMainWindow_data()
{
    QTest::addColumn<ScriptedReply>("reply");
    QTest::addColumn<QString>("boxTitle");
    QTest::addColumn<int>("button");
    ScriptedReply refused;
    refused.body = xmlReply({ { QStringLiteral("esito_id"), QStringLiteral("999") },
        { QStringLiteral("esito_descr"), QStringLiteral("Errore interno") } });
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
    // Guards against a logout that fails hiding the main window, which leaves a running program
    // with no window, or ending the session anyway.
    QFETCH(ScriptedReply, reply);
    QFETCH(QString, boxTitle);
    QFETCH(int, button);
    server->setReply(QStringLiteral("/corvane/v5/home/logout"), reply);
    MainWindow* window = application->getMainWindow();
    window->show();
    MessageBoxAnswerer answerer;
    answerer.expect(boxTitle, QString(), QMessageBox::StandardButton(button),
        MessageBoxAnswerer::Match::Contains);
    window->findChild<QAction*>(QStringLiteral("actionEsci"))->trigger();
    verifyAnswered(answerer);
    QTRY_VERIFY(!application->getCommandManager()->isBusy());
    // The network failure still ends the program until that failure is mended on its own.
    TestEnvironment::takeQuitRequest();
    QVERIFY(window->isVisible());
    QVERIFY(window->isEnabled());
    QVERIFY(QFile::exists(sessionFile(QStringLiteral("auth.txt"))));
}

void TestFormFailures::unexpectedCodeKeepsTheForm_data()
{
    QTest::addColumn<bool>("message");
    QTest::addColumn<QString>("code");
    QTest::newRow("ticket refused as invalid") << false << QStringLiteral("318");
    QTest::newRow("ticket, unknown code") << false << QStringLiteral("999");
    QTest::newRow("message rate-limited") << true << QStringLiteral("201");
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
    const QString typed = QStringLiteral("Testo scritto con cura");
    QDialog* form = nullptr;
    QTextEdit* text = nullptr;
    if (message) {
        chooseTicket(QStringLiteral("TK-7"));
        form = application->getTicketWindow()
                   ->getTicketDetailWindow()
                   ->getInsertTicketMessageWindow();
        text = form->findChild<QTextEdit*>(QStringLiteral("message"));
    } else {
        form = application->getInsertTicketWindow();
        form->findChild<QLineEdit*>(QStringLiteral("object"))->setText(QStringLiteral("Oggetto"));
        text = form->findChild<QTextEdit*>(QStringLiteral("text"));
    }
    text->setPlainText(typed);
    form->open();
    const int sent = server->requestCount();
    const QString box
        = boxText([form] { form->findChild<QPushButton*>(QStringLiteral("accept"))->click(); });
    QVERIFY(server->requestCount() > sent);
    QVERIFY2(box.contains(
                 QStringLiteral("Errore: ") + code + QStringLiteral("\nDescrizione: ") + hostile),
        qPrintable(box));
    QVERIFY(!box.contains(QStringLiteral("Sessione")));
    QTRY_VERIFY(!application->getCommandManager()->isBusy());
    QVERIFY(!TestEnvironment::takeQuitRequest());
    QVERIFY(form->isVisible());
    QCOMPARE(text->toPlainText(), typed);
    form->close();
    application->getTicketWindow()->getTicketDetailWindow()->close();
}

void TestFormFailures::outsideTextIsPlain_data()
{
    QTest::addColumn<int>("place");
    const char* const places[] = { "ticket header", "ticket message", "main window session",
        "position detail", "company record", "update error", "privacy notice", "related forms box",
        "new ticket box", "unwritable folder box" };
    for (int place = 0; place < int(std::size(places)); ++place)
        QTest::newRow(places[place]) << place;
}

void TestFormFailures::outsideTextIsPlain()
{
    // Guards against a server's or a user's text drawn as markup: a server could draw a warning
    // with a link of its own in the program's windows.
    QFETCH(int, place);
    QStringList texts;
    switch (place) {
    case 0: {
        chooseTicket(hostile);
        TicketDetailWindow* window = application->getTicketWindow()->getTicketDetailWindow();
        texts << shown(window, "code") << shown(window, "object") << shown(window, "status");
        window->close();
        break;
    }
    case 1: {
        chooseTicket(hostile);
        TicketDetailWindow* window = application->getTicketWindow()->getTicketDetailWindow();
        auto* view = window->findChild<QListView*>(QStringLiteral("messagesView"));
        QVERIFY(view);
        shown(view);
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(view);
        QCOMPARE(list->childCount(), 1);
        QCOMPARE(list->child(0)->text(QAccessible::Name),
            QStringLiteral("Inserito da: %1 Il: 05/03/2024 Alle: 14:30:09\n%1").arg(hostile));
        window->close();
        return;
    }
    case 2: {
        MainWindow* window = application->getMainWindow();
        window->show();
        texts << shown(window, "confidiInUso") << shown(window, "bancaInUso");
        break;
    }
    case 3: {
        DataRow record;
        for (const QString& key : Model::PositionDetails::getKeys())
            record.insert(key, hostile);
        PositionDetailWindow* window = application->getPositionDetailWindow();
        Command::Search::PositionDetail command(
            application->getPositionDetailsModel(), QStringLiteral("1"), QStringLiteral("L"));
        command.useResponse({}, { record });
        texts << shown(window, "companyName") << shown(window, "address")
              << shown(window, "ftStato") << shown(window, "dcNumero");
        window->close();
        break;
    }
    case 4: {
        DataRow record;
        for (const QString& key : Model::Anagraphic::getKeys())
            record.insert(key, hostile);
        AnagraphicWindow* window = application->getAnagraphicWindow();
        Command::Search::Anagraphic command(application->getAnagraphicModel(), QStringLiteral("1"));
        command.useResponse({}, { record });
        texts << shown(window, "companyName") << shown(window, "address")
              << shown(window, "fiscalCode");
        window->close();
        break;
    }
    case 5:
        application->getUpdateWindow()->showUpdateError(hostile);
        texts << shown(application->getUpdateWindow(), "errorLabel");
        application->getUpdateWindow()->hide();
        break;
    case 6: {
        PrivacyWindow window;
        window.open(hostile);
        texts << window.findChild<QTextBrowser*>()->toPlainText();
        break;
    }
    case 7:
        texts << boxText(
            [this] { emit application->getPositionDetailsModel()->relatedFormsFound(hostile); });
        break;
    case 8: {
        server->setXmlReply(QStringLiteral("/corvane/v5/home/ticketIns"),
            resultReply(QStringLiteral("0"), { { { QStringLiteral("codice_ticket"), hostile } } }));
        InsertTicketWindow* form = application->getInsertTicketWindow();
        form->findChild<QLineEdit*>(QStringLiteral("object"))->setText(QStringLiteral("Oggetto"));
        form->findChild<QTextEdit*>(QStringLiteral("text"))->setPlainText(QStringLiteral("Testo"));
        form->open();
        texts << boxText(
            [form] { form->findChild<QPushButton*>(QStringLiteral("accept"))->click(); });
        QTRY_VERIFY(!application->getCommandManager()->isBusy());
        break;
    }
    case 9: {
        QTemporaryDir folder;
        const QString missing = folder.filePath(hostile);
        texts << boxText(
            [&missing] { checkSaveFolder(nullptr, missing + QStringLiteral("/x.pdf")); });
        break;
    }
    }
    QVERIFY(!texts.isEmpty());
    for (const QString& text : qAsConst(texts))
        QVERIFY2(text.contains(hostile), qPrintable(text));
}

QTEST_MAIN(TestFormFailures)
#include "tst_formfailures.moc"
