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
#include "ui/companywindow.h"
#include "ui/downloadoutcome.h"
#include "ui/insertticketmessagewindow.h"
#include "ui/insertticketwindow.h"
#include "ui/maintenancewindow.h"
#include "ui/mainwindow.h"
#include "ui/positiondetailwindow.h"
#include "ui/privacywindow.h"
#include "ui/prompts.h"
#include "ui/servertextbox.h"
#include "ui/ticketdetailwindow.h"
#include "ui/ticketwindow.h"

#include <QtTest>
#include <QtWidgets>

#include <functional>
#include <memory>

Q_DECLARE_METATYPE(Corvane::Test::ScriptedReply)
/// The boxes an action opens, in order: title, text, answer and whether the text is a part.
using Boxes = QList<std::tuple<QString, QString, int, bool>>;
Q_DECLARE_METATYPE(Boxes)

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

/// Title and drawn text of the first message box trigger opens (then closed); null without one.
QString boxText(const std::function<void()>& trigger)
{
    QString text;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&text] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box && text.isNull()) {
            text = box->windowTitle() + QLatin1Char('\n') + shown(box, "qt_msgbox_label");
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

/// The main window and its forms when the scripted server says no, or too much (what
/// tessaro-server cannot provoke), and outside text shown as the characters it holds.
class TestFormFailures final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void maintenanceWindowShowsItsEnd();
    void menuActionAnswers_data();
    void menuActionAnswers();
    void unexpectedCodeKeepsTheForm_data();
    void unexpectedCodeKeepsTheForm();
    void failedSearchLeavesTheListAsItWas_data();
    void failedSearchLeavesTheListAsItWas();
    void longServerTextFitsTheScreen_data();
    void longServerTextFitsTheScreen();
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
    application->getAccount()->setBank(QStringLiteral("03111 - ") + hostile);
    application->getMainWindow()->show();
}

void TestFormFailures::cleanupTestCase()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        widget->hide();
    client.reset();
}

void TestFormFailures::maintenanceWindowShowsItsEnd()
{
    // Guards against the notice showing "n.d." after an end was given, or a wrong format.
    MaintenanceWindow* window = application->getMainWindow()->getMaintenanceWindow();
    const auto label = [window](const char* name) {
        return window->findChild<QLabel*>(QLatin1String(name))->text();
    };
    QCOMPARE(label("maintenanceEndDate"), QStringLiteral("n.d."));
    window->setMaintenanceEnd(QDateTime(QDate(2026, 3, 7), QTime(18, 5)));
    QCOMPARE(label("maintenanceEndDate"), QStringLiteral("07/03/2026"));
    QCOMPARE(label("maintenanceEndTime"), QStringLiteral("18:05"));
}

void TestFormFailures::menuActionAnswers_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("command");
    QTest::addColumn<ScriptedReply>("reply");
    QTest::addColumn<Boxes>("boxes");
    QTest::addColumn<int>("sent");
    ScriptedReply refused;
    refused.body = xmlReply({ { QStringLiteral("esito_id"), QStringLiteral("999") } });
    ScriptedReply dropped;
    dropped.dropConnection = true;
    ScriptedReply accepted;
    accepted.body = resultReply(QStringLiteral("0"));
    const QString logout = QStringLiteral("actionEsci");
    const QString request = QStringLiteral("actionRequest_Password");
    const QString newPassword = QStringLiteral("Richiesta nuova password");
    const auto question = [&newPassword](int answer) {
        return std::make_tuple(newPassword,
            QStringLiteral(
                "Vuoi richiedere una nuova password? Quella attuale non sarà più valida."),
            answer, false);
    };
    // Not closing the program is the answer that keeps the session.
    QTest::newRow("logout, server error")
        << logout << "logout" << refused
        << Boxes { { QStringLiteral("Errore nella risposta del server"), QString(), QMessageBox::No,
               true } }
        << 1;
    QTest::newRow("logout, connection dropped")
        << logout << "logout" << dropped
        << Boxes { { QStringLiteral("Errore durante la connessione al server"), QString(),
               QMessageBox::Ok, true } }
        << 1;
    QTest::newRow("new password, no sends nothing")
        << request << "richiesta_password" << accepted << Boxes { question(QMessageBox::No) } << 0;
    QTest::newRow("new password, yes sends the request")
        << request << "richiesta_password" << accepted
        << Boxes { question(QMessageBox::Yes),
               { newPassword, QStringLiteral("Controllare la mail"), QMessageBox::Ok, true } }
        << 1;
}

void TestFormFailures::menuActionAnswers()
{
    // Guards against a failed logout ending the session or window, and a password replaced unasked.
    QFETCH(QString, action);
    QFETCH(QString, command);
    QFETCH(ScriptedReply, reply);
    QFETCH(Boxes, boxes);
    QFETCH(int, sent);
    const QString path = QStringLiteral("/corvane/v5/home/") + command;
    server->setReply(path, reply);
    const auto count = [&] {
        const QList<RecordedRequest> requests = server->requests();
        return std::count_if(requests.cbegin(), requests.cend(),
            [&path](const RecordedRequest& request) { return request.path == path; });
    };
    const auto before = count();
    MainWindow* window = application->getMainWindow();
    MessageBoxAnswerer answerer;
    for (const auto& [title, text, button, part] : boxes) {
        answerer.expect(title, text, QMessageBox::StandardButton(button),
            part ? MessageBoxAnswerer::Match::Contains : MessageBoxAnswerer::Match::Exact);
    }
    window->findChild<QAction*>(action)->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(
        answerer.allAnswered() && !application->getCommandManager()->isBusy(), 20000);
    QVERIFY2(answerer.problems().isEmpty(), qPrintable(answerer.problems()));
    QCOMPARE(count() - before, sent);
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
    QTest::addColumn<QString>("told"); // a part of the box's title and text
    const QString error = QStringLiteral("Errore: %1\nDescrizione: ") + hostile;
    QTest::newRow("ticket refused as invalid") << false << "318" << error.arg(318);
    QTest::newRow("ticket, unknown code") << false << "999" << error.arg(999);
    QTest::newRow("message, ticket gone") << true << "10" << error.arg(10);
    QTest::newRow("ticket accepted without its code")
        << false << "0"
        << QStringLiteral("Ticket non inserito\nIl server non ha restituito il codice del nuovo "
                          "ticket");
}

void TestFormFailures::unexpectedCodeKeepsTheForm()
{
    // Guards against an unexpected code, or no ticket code, ending the form and losing its text.
    QFETCH(bool, message);
    QFETCH(QString, code);
    QFETCH(QString, told);
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
    QVERIFY2(box.contains(told), qPrintable(box));
    QTRY_VERIFY(!application->getCommandManager()->isBusy());
    QVERIFY(!TestEnvironment::takeQuitRequest());
    QVERIFY(form->isVisible());
    QCOMPARE(text->toPlainText(), QStringLiteral("Testo scritto con cura"));
    form->close();
}

void TestFormFailures::outsideTextIsPlain()
{
    // Guards against a server's or a user's text drawn as markup (a forged warning with a link).
    MainWindow* main = application->getMainWindow();
    PositionDetailWindow* position = application->getPositionDetailWindow();
    DataRow record;
    for (const QString& key : Model::PositionDetails::getKeys())
        record.insert(key, hostile);
    Command::Search::PositionDetail command(
        application->getPositionDetailsModel(), QStringLiteral("1"), QStringLiteral("L"));
    command.useResponse({}, { record });
    PrivacyWindow privacy;
    privacy.open(hostile);
    ProxyCredentialWindow proxy(false);
    proxy.setDescription(hostile);
    QTemporaryDir folder;
    const QList<QPair<const char*, QString>> texts {
        { "consortium label", shown(main, "confidiInUso") },
        { "bank label", shown(main, "bancaInUso") },
        { "position's company", shown(position, "companyName") },
        { "position's state", shown(position, "ftStato") },
        { "privacy notice", privacy.findChild<QTextBrowser*>()->toPlainText() },
        { "proxy's realm", shown(&proxy, "description") },
        { "server's box", boxText([this] {
             emit application->getPositionDetailsModel()->relatedFormsFound(hostile);
         }) },
        { "user's folder in a box", boxText([&folder] {
             checkSaveFolder(nullptr, folder.filePath(hostile) + QStringLiteral("/x.pdf"));
         }) },
        // A certificate's names reach the box through the TLS errors.
        { "connection's box", boxText([] {
             Prompt::showNetworkError(NetworkManager::FatalError::TlsFailed, hostile);
         }) },
    };
    position->close();
    for (const auto& [place, text] : texts)
        QVERIFY2(text.contains(hostile), qPrintable(QStringLiteral("%1: %2").arg(place, text)));
}

void TestFormFailures::failedSearchLeavesTheListAsItWas_data()
{
    QTest::addColumn<QString>("outcome");
    QTest::newRow("unknown result code") << QStringLiteral("code");
    QTest::newRow("withdrawn with Annulla") << QStringLiteral("cancel");
}

void TestFormFailures::failedSearchLeavesTheListAsItWas()
{
    // Guards against a failed search losing the rows or leaving its wait; a stale "Confidi" column.
    QFETCH(QString, outcome);
    const QString path = QStringLiteral("/corvane/v5/search/lista_imprese/03111");
    const auto page = [&](const char* mergers) {
        server->setXmlReply(path,
            xmlReply({ { QStringLiteral("esito_id"), QStringLiteral("0") },
                         { QStringLiteral("risultati"), QStringLiteral("2") },
                         { QStringLiteral("fusioni_presenti"), QString::fromLatin1(mergers) } },
                { { { QStringLiteral("ragione_sociale"), QStringLiteral("Alfa") } },
                    { { QStringLiteral("ragione_sociale"), QStringLiteral("Beta") } } }));
    };
    page("S");
    CompanyWindow* window = application->getCompanyWindow();
    window->show();
    auto* searchButton = window->findChild<QPushButton*>(QStringLiteral("searchButton"));
    const QString shownStatus = QStringLiteral("Trovate 2 imprese");
    searchButton->click();
    QTRY_COMPARE(window->getStatusBar()->currentMessage(), shownStatus);
    QTRY_VERIFY(!window->getProgressDialog()->isVisible());

    MessageBoxAnswerer answerer;
    ScriptedReply reply;
    reply.delayMs = outcome == QLatin1String("cancel") ? 3000 : 0;
    if (outcome == QLatin1String("code")) {
        reply.body = resultReply(QStringLiteral("999"));
        answerer.expect(QStringLiteral("Errore nella risposta del server"), QStringLiteral("999"),
            QMessageBox::No, MessageBoxAnswerer::Match::Contains);
    }
    server->setReply(path, reply);
    searchButton->click();
    QVERIFY(window->getProgressDialog()->isVisible());
    QCOMPARE(window->getStatusBar()->currentMessage(), QStringLiteral("Ricerca in corso..."));
    if (outcome == QLatin1String("cancel")) {
        auto* cancel = window->getProgressDialog()->findChild<QPushButton*>();
        QVERIFY(cancel);
        QCOMPARE(cancel->text(), QStringLiteral("Annulla"));
        cancel->click();
    }
    QTRY_VERIFY(!window->getProgressDialog()->isVisible());
    QTRY_VERIFY(!client->commandManager()->isBusy());
    TestEnvironment::takeQuitRequest();
    QVERIFY2(answerer.getFailures().isEmpty(), qPrintable(answerer.problems()));
    QCOMPARE(window->getStatusBar()->currentMessage(), shownStatus);
    auto* model = window->findChild<QTableView*>(QStringLiteral("dataTable"))->model();
    QCOMPARE(model->rowCount(), 2);
    const auto rowOrHeader = [model](int row) {
        QStringList texts;
        for (int column = 0; column < model->columnCount(); ++column) {
            texts << (row < 0 ? model->headerData(column, Qt::Horizontal)
                              : model->index(row, column).data())
                         .toString();
        }
        return texts;
    };
    QVERIFY(rowOrHeader(1).contains(QStringLiteral("Beta")));
    QVERIFY(rowOrHeader(-1).contains(QStringLiteral("Confidi")));
    page("N");
    searchButton->click();
    QTRY_VERIFY(!rowOrHeader(-1).contains(QStringLiteral("Confidi")));
    window->hide();
}

void TestFormFailures::longServerTextFitsTheScreen_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("cut");
    QTest::newRow("short, as it is") << QStringLiteral("Errore: 999\n<b>Descrizione</b>") << false;
    QTest::newRow("many lines") << QStringLiteral("riga\n").repeated(2000) << true;
    QTest::newRow("one long word") << QStringLiteral("x").repeated(20000) << true;
}

void TestFormFailures::longServerTextFitsTheScreen()
{
    // Guards against a long server text pushing a box's buttons off screen, or drawn as markup.
    QFETCH(QString, text);
    QFETCH(bool, cut);
    QMessageBox box;
    setServerText(box, text);
    box.show();
    const QRect screen = box.screen()->availableGeometry();
    QVERIFY(box.frameGeometry().height() <= screen.height());
    QVERIFY(box.frameGeometry().width() <= screen.width());
    QCOMPARE(box.textFormat(), Qt::PlainText);
    QCOMPARE(box.text() == text, !cut);
    QCOMPARE(box.detailedText(), cut ? text : QString());
}

QTEST_MAIN(TestFormFailures)
#include "tst_formfailures.moc"
