#include "commands/search/positiondetail.h"
#include "commands/ticketdetail.h"
#include "models/amortization.h"
#include "models/anagraphic.h"
#include "models/positiondetails.h"
#include "models/ticket.h"
#include "models/ticketconversation.h"
#include "models/ticketmessage.h"
#include "protocol/commandmanager.h"
#include "support/datarows.h"
#include "support/messageboxanswerer.h"
#include "support/testclient.h"
#include "support/testcommands.h"
#include "support/testenvironment.h"
#include "support/testserver.h"
#include "ui/anagraphicwindow.h"
#include "ui/insertticketwindow.h"
#include "ui/positiondetailwindow.h"
#include "ui/ticketdetailwindow.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QTextEdit>
#include <QtTest>

#include <functional>
#include <memory>

using namespace Corvane;
using namespace Corvane::Test;

namespace {

QString labelText(QWidget* parent, const char* name)
{
    return parent->findChild<QLabel*>(QString::fromLatin1(name))->text();
}

}

/// What the end-to-end path cannot reach: stage values the server never sends, message dates it
/// never garbles, a conversation longer than any of the demo's, and the order of the
/// related-forms box against the position.
class TestDetailWindows final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void stagePresence_data();
    void stagePresence();
    void messageDate_data();
    void messageDate();
    void longConversationIsOneList();
    void recordWindowsKeepTheirSize();
    void relatedFormsAfterPosition();
    void newTicketWithoutCodeIsAFailure();
    void hostilePositionDownload_data();
    void hostilePositionDownload();

private:
    std::unique_ptr<TestServer> server;
    std::unique_ptr<TestClient> client;
    Model::PositionDetails* details = nullptr;
    Model::Amortization* amortization = nullptr;
    PositionDetailWindow* window = nullptr;
};

void TestDetailWindows::initTestCase()
{
    TestEnvironment::enterTemporaryWorkingDirectory();
    server = std::make_unique<TestServer>();
    client = std::make_unique<TestClient>(server->baseUrl());
    details = new Model::PositionDetails(client->commandManager());
    amortization = new Model::Amortization(client->commandManager());
    window = new PositionDetailWindow(nullptr, amortization, details);
}

void TestDetailWindows::cleanupTestCase()
{
    delete window;
    delete amortization;
    delete details;
    client.reset();
}

void TestDetailWindows::stagePresence_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("missingLabel");
    QTest::addColumn<QString>("data");
    QTest::addColumn<bool>("missing");
    const QList<QStringList> stages {
        { "DC_presente", "deliberaConfidiPresenteLabel", "dcWidget" },
        { "DB_presente", "deliberaBancaPresenteLabel", "dbWidget" },
        { "PE_presente", "perfezionamentoPresenteLabel", "peWidget" },
        { "ES_presente", "", "esWidget" },
    };
    for (const QStringList& stage : stages) {
        for (const char* value : { "NO", "no", "", "SI" }) {
            QTest::addRow("%s %s", qPrintable(stage.at(0)), value)
                << stage.at(0) << QString::fromLatin1(value) << stage.at(1) << stage.at(2)
                << (qstrcmp(value, "NO") == 0);
        }
    }
}

void TestDetailWindows::stagePresence()
{
    // Guards against a stage hidden for anything but the exact "NO", or shown for it.
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QString, missingLabel);
    QFETCH(QString, data);
    QFETCH(bool, missing);
    DataRow record;
    for (const QString& field : Model::PositionDetails::getKeys())
        record.insert(field, QStringLiteral("SI"));
    record.insert(key, value);
    Command::Search::PositionDetail command(details, QStringLiteral("1"), QStringLiteral("L"));
    command.useResponse({}, { record });
    QVERIFY(window->isVisible());
    QCOMPARE(window->findChild<QWidget*>(data)->isVisible(), !missing);
    if (!missingLabel.isEmpty())
        QCOMPARE(window->findChild<QLabel*>(missingLabel)->isVisible(), missing);
}

void TestDetailWindows::messageDate_data()
{
    addRows({ "sent", "date", "time" },
        { { "server form", "05/03/2024 14:30:09", "05/03/2024", "14:30:09" },
            { "ISO form", "2024-03-05T14:30:09", "", "" }, { "no time", "05/03/2024", "", "" },
            { "impossible day", "31/02/2024 10:00:00", "", "" }, { "empty", "", "", "" } });
}

void TestDetailWindows::messageDate()
{
    // Guards against a message date that does not parse shown as a wrong date or time.
    QFETCH(QString, sent);
    QFETCH(QString, date);
    QFETCH(QString, time);
    server->setXmlReply(QStringLiteral("/corvane/v5/home/ticket_mail_utente"),
        resultReply(
            QStringLiteral("0"), { { { QStringLiteral("email"), QStringLiteral("a@b.it") } } }));
    Model::Ticket model(client->commandManager());
    auto* command = new Command::TicketDetail(&model, QStringLiteral("1"));
    command->useResponse({},
        { { { QStringLiteral("testo"), QStringLiteral("Richiesta") } },
            { { QStringLiteral("testo"), QStringLiteral("Risposta") },
                { QStringLiteral("utente_tipo"), QStringLiteral("assistenza") },
                { QStringLiteral("data_msg"), sent } } });
    QCOMPARE(model.getTicketText(), QStringLiteral("Richiesta"));
    QCOMPARE(model.getTicketMessages().size(), 1);
    Model::TicketConversation conversation;
    QAbstractItemModelTester tester(&conversation);
    conversation.setMessages(model.getTicketMessages());
    const QModelIndex shown = conversation.index(0);
    QCOMPARE(shown.data(Model::TicketConversation::DateRole).toString(), date);
    QCOMPARE(shown.data(Model::TicketConversation::TimeRole).toString(), time);
    QCOMPARE(
        shown.data(Model::TicketConversation::AuthorRole).toString(), QStringLiteral("assistenza"));
}

void TestDetailWindows::longConversationIsOneList()
{
    // Guards against a widget per message (a long ticket takes minutes and gigabytes to open), a
    // long message cut to the height of a short one, and a conversation the keyboard cannot
    // scroll.
    server->setXmlReply(
        QStringLiteral("/corvane/v5/home/ticket_mail_utente"), resultReply(QStringLiteral("0")));
    Model::Ticket model(client->commandManager());
    TicketDetailWindow window(&model);
    window.resize(1000, 680);
    window.open();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const int widgets = window.findChildren<QWidget*>().size();
    QList<DataRow> records { { { QStringLiteral("testo"), QStringLiteral("Richiesta") } } };
    for (int i = 0; i < 2000; ++i) {
        records.append({ { QStringLiteral("testo"),
            QStringLiteral("Messaggio %1 ").arg(i).repeated(i == 0 ? 200 : 1) } });
    }
    auto* command = new Command::TicketDetail(&model, QStringLiteral("1"));
    command->useResponse({}, records);
    auto* view = window.findChild<QListView*>(QStringLiteral("messagesView"));
    QCOMPARE(view->model()->rowCount(), 2000);
    QCOMPARE(window.findChildren<QWidget*>().size(), widgets);
    // The newest message comes first; the oldest, long one, shows all its lines.
    const int shortHeight = view->sizeHintForIndex(view->model()->index(0, 0)).height();
    QVERIFY(view->sizeHintForIndex(view->model()->index(1999, 0)).height() > 2 * shortHeight);
    view->setFocus();
    QCOMPARE(view->verticalScrollBar()->value(), 0);
    QTest::keyClick(view, Qt::Key_End);
    QTRY_COMPARE(view->verticalScrollBar()->value(), view->verticalScrollBar()->maximum());
    QVERIFY(view->verticalScrollBar()->maximum() > 0);
    window.close();
}

void TestDetailWindows::recordWindowsKeepTheirSize()
{
    // Guards against a company record or a ticket conversation that forgets, at the next start,
    // the size the user gave it.
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QDir::currentPath());
    Model::Anagraphic anagraphic(client->commandManager());
    Model::Ticket ticket(client->commandManager());
    const QList<std::function<QWidget*()>> windows {
        [&anagraphic] { return new AnagraphicWindow(&anagraphic); },
        [&ticket] { return new TicketDetailWindow(&ticket); },
    };
    for (const auto& make : windows) {
        QSize chosen;
        {
            std::unique_ptr<QWidget> window(make());
            window->show();
            chosen = window->size() + QSize(37, 23);
            window->resize(chosen);
            window->hide();
        }
        std::unique_ptr<QWidget> window(make());
        QCOMPARE(window->size(), chosen);
    }
}

void TestDetailWindows::relatedFormsAfterPosition()
{
    // Guards against the related-forms box shown before the position, or more than once, and
    // against values of the previous position left on screen.
    for (const char* path :
        { "/corvane/v5/search/dett_pratica", "/corvane/v5/search/dett_pratica/" })
        server->setXmlReply(QString::fromLatin1(path),
            resultReply(QStringLiteral("0"),
                { { { QStringLiteral("impresa_rag_soc"), QStringLiteral("Officine Rossi") } } }));
    for (const char* path :
        { "/corvane/v5/search/ft_collegate", "/corvane/v5/search/ft_collegate/" })
        server->setXmlReply(QString::fromLatin1(path), resultReply(QStringLiteral("10")));
    window->hide();
    // Each box is answered here, noting whether the position was already on screen.
    QStringList boxes;
    bool windowShown = false;
    QTimer watch;
    connect(&watch, &QTimer::timeout, this, [this, &boxes, &windowShown] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        windowShown = boxes.isEmpty() && window->isVisible();
        boxes << box->windowTitle() + QLatin1Char(':') + box->text();
        box->accept();
    });
    watch.start(5);

    details->fetch(QStringLiteral("1"), QStringLiteral("L"));
    // Related forms that come back before the position wait for it.
    Command::Search::FtRelated related(details, QStringLiteral("1"), QStringLiteral("L"));
    related.useResponse({},
        { { { QStringLiteral("ft_descr"), QStringLiteral("Anche la forma FT2") },
            { QStringLiteral("pratica_forma_tecnica_id"), QStringLiteral("2") } } });
    QVERIFY(boxes.isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(boxes.size(), 1, 10000);
    QVERIFY(windowShown);
    QCOMPARE(boxes.first(), QStringLiteral("Trovate forme tecniche collegate:Anche la forma FT2"));
    QCOMPARE(labelText(window, "companyName"), QStringLiteral("Officine Rossi"));
    QCOMPARE(labelText(window, "dcNumero"), QString());
    QTRY_VERIFY_WITH_TIMEOUT(!client->commandManager()->isBusy(), 10000);
    QTest::qWait(100);
    QCOMPARE(boxes.size(), 1);
}

void TestDetailWindows::newTicketWithoutCodeIsAFailure()
{
    // Guards against a new ticket the server gave no code for reported as inserted, and the
    // typed request thrown away.
    server->setXmlReply(
        QStringLiteral("/corvane/v5/home/ticketIns"), resultReply(QStringLiteral("0")));
    Model::Ticket model(client->commandManager());
    InsertTicketWindow window(&model);
    window.findChild<QLineEdit*>(QStringLiteral("object"))->setText(QStringLiteral("Oggetto"));
    window.findChild<QTextEdit*>(QStringLiteral("text"))->setPlainText(QStringLiteral("Testo"));
    window.findChild<QLineEdit*>(QStringLiteral("userEmail"))->setText(QStringLiteral("a@b.it"));
    MessageBoxAnswerer answerer;
    answerer.expect(QStringLiteral("Ticket non inserito"),
        QStringLiteral("Il server non ha restituito il codice del nuovo ticket"), QMessageBox::Ok,
        MessageBoxAnswerer::Match::Contains);
    window.open();
    window.findChild<QPushButton*>(QStringLiteral("accept"))->click();
    QTRY_VERIFY(answerer.allAnswered());
    QVERIFY2(answerer.getFailures().isEmpty(), qPrintable(answerer.problems()));
    QVERIFY(window.isVisible());
    QCOMPARE(window.getText(), QStringLiteral("Testo"));
}

void TestDetailWindows::hostilePositionDownload_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<QByteArray>("body");
    const QByteArray pdf = "%PDF-1.4\n";
    QTest::newRow("html page") << 200 << QByteArray("text/html")
                               << QByteArray("<html><body>Errore interno</body></html>");
    QTest::newRow("xml session expired")
        << 200 << QByteArray("text/xml")
        << QByteArray("<?xml version=\"1.0\"?><root><esito_id>-2</esito_id>"
                      "<esito_descr>Sessione scaduta</esito_descr></root>");
    QTest::newRow("xml as pdf") << 200 << QByteArray("application/pdf")
                                << QByteArray("<?xml version=\"1.0\"?><root/>");
    QTest::newRow("wrong type") << 200 << QByteArray("application/x-desktop")
                                << QByteArray("[Desktop Entry]\nExec=sh\n");
    QTest::newRow("not a pdf") << 200 << QByteArray("application/pdf") << QByteArray("MZ\x90\0");
    QTest::newRow("forbidden") << 403 << QByteArray("application/pdf") << pdf;
    QTest::newRow("redirect") << 302 << QByteArray("application/pdf") << pdf;
}

void TestDetailWindows::hostilePositionDownload()
{
    // Guards against a reply that is not the position's PDF replacing the user's file, or
    // leaving the window waiting without a word.
    QFETCH(int, status);
    QFETCH(QByteArray, type);
    QFETCH(QByteArray, body);
    ScriptedReply reply;
    reply.status = status;
    reply.contentType = type;
    reply.body = body;
    server->setReply(QStringLiteral("/corvane/v5/search/download_posizione/"), reply);
    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("Pratica-1.pdf"));
    QFile mine(target);
    QVERIFY(mine.open(QIODevice::WriteOnly));
    mine.write("mine");
    mine.close();
    MessageBoxAnswerer answerer;
    // A page the parser cannot read is also the server's generic error.
    if (type == "text/html") {
        answerer.expect(QStringLiteral("Errore nella risposta del server"),
            QStringLiteral("Errore durante l'esecuzione della richiesta."), QMessageBox::No,
            MessageBoxAnswerer::Match::Contains);
    }
    answerer.expect(QStringLiteral("Errore durante il download"),
        QStringLiteral("non è stato scaricato correttamente"), QMessageBox::Ok,
        MessageBoxAnswerer::Match::Contains);
    details->downloadPosition(target, QStringLiteral("1"), QStringLiteral("L"));
    QTRY_VERIFY_WITH_TIMEOUT(answerer.allAnswered(), 20000);
    QVERIFY2(answerer.getFailures().isEmpty(), qPrintable(answerer.problems()));
    QVERIFY(mine.open(QIODevice::ReadOnly));
    QCOMPARE(mine.readAll(), QByteArray("mine"));
    QCOMPARE(QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
        QStringList { QStringLiteral("Pratica-1.pdf") });
}

QTEST_MAIN(TestDetailWindows)
#include "tst_detailwindows.moc"
