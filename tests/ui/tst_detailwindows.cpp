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
#include "ui/positiondetailwindow.h"
#include "ui/ticketdetailwindow.h"
#include "ui/windowlayout.h"

#include <QtTest>
#include <QtWidgets>

#include <functional>
#include <memory>

using namespace Corvane;
using namespace Corvane::Test;

namespace {

/// A list window as the program builds it: named, with a table of four columns.
struct ListWindow : QWidget {
    ListWindow()
    {
        setObjectName(QStringLiteral("positionWindow"));
        model.setColumnCount(4);
        auto* table = new QTableView(this);
        table->setModel(&model);
        (new QVBoxLayout(this))->addWidget(table);
        resize(300, 200);
        WindowLayout::remember(this, table->horizontalHeader());
    }
    QStandardItemModel model;
};

}

/// Detail windows where the end-to-end path cannot go (odd stage values and dates, a huge
/// conversation, early related forms, hostile downloads), and the layout kept between runs.
class TestDetailWindows final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void stagePresence_data();
    void stagePresence();
    void messageDate_data();
    void messageDate();
    void longConversationIsOneList();
    void layoutKeptBetweenRuns();
    void relatedFormsAfterPosition();
    void hostilePositionDownload_data();
    void hostilePositionDownload();

private:
    std::unique_ptr<TestServer> server;
    std::unique_ptr<TestClient> client;
    std::unique_ptr<Model::PositionDetails> details;
    std::unique_ptr<Model::Amortization> amortization;
    std::unique_ptr<PositionDetailWindow> window;
};

void TestDetailWindows::initTestCase()
{
    TestEnvironment::enterTemporaryWorkingDirectory();
    // The layout file of this run only.
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QDir::currentPath());
    server = std::make_unique<TestServer>();
    client = std::make_unique<TestClient>(server->baseUrl());
    details = std::make_unique<Model::PositionDetails>(client->commandManager());
    amortization = std::make_unique<Model::Amortization>(client->commandManager());
    window = std::make_unique<PositionDetailWindow>(nullptr, amortization.get(), details.get());
}

void TestDetailWindows::stagePresence_data()
{
    addRows({ "value" }, { { "lower case", "no" }, { "empty", "" } });
}

void TestDetailWindows::stagePresence()
{
    // Guards against a stage hidden for anything but the exact "NO".
    QFETCH(QString, value);
    DataRow record;
    for (const QString& key : Model::PositionDetails::getKeys())
        record.insert(key, key.endsWith(QLatin1String("_presente")) ? value : QStringLiteral("SI"));
    Command::Search::PositionDetail command(
        details.get(), QStringLiteral("1"), QStringLiteral("L"));
    command.useResponse({}, { record });
    QVERIFY(window->isVisible());
    const QList<QPair<const char*, const char*>> stages { { "dcWidget",
                                                              "deliberaConfidiPresenteLabel" },
        { "dbWidget", "deliberaBancaPresenteLabel" },
        { "peWidget", "perfezionamentoPresenteLabel" }, { "esWidget", nullptr } };
    for (const auto& [data, missingLabel] : stages) {
        QVERIFY2(window->findChild<QWidget*>(QLatin1String(data))->isVisible(), data);
        QVERIFY2(
            !missingLabel || !window->findChild<QLabel*>(QLatin1String(missingLabel))->isVisible(),
            missingLabel);
    }
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
    // Guards against a widget per message (minutes to open), long ones cut, or no keyboard scroll.
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

void TestDetailWindows::layoutKeptBetweenRuns()
{
    // Guards against a restart losing sizes, columns, sort or last folder; a screen gone restored.
    Model::Anagraphic anagraphic(client->commandManager());
    Model::Ticket ticket(client->commandManager());
    const QList<std::function<QWidget*()>> windows {
        [&anagraphic] { return new AnagraphicWindow(&anagraphic); },
        [&ticket] { return new TicketDetailWindow(&ticket); },
        [] { return new ListWindow; },
    };
    for (const auto& make : windows) {
        QSize chosen;
        {
            std::unique_ptr<QWidget> window(make());
            window->show();
            chosen = window->size() + QSize(37, 23);
            window->resize(chosen);
            if (auto* table = window->findChild<QTableView*>()) {
                QHeaderView* header = table->horizontalHeader();
                header->resizeSection(1, 123);
                header->moveSection(3, 0);
                header->setSortIndicator(2, Qt::DescendingOrder);
            }
            window->hide();
        }
        std::unique_ptr<QWidget> window(make());
        QCOMPARE(window->size(), chosen);
        if (auto* table = window->findChild<QTableView*>()) {
            QHeaderView* header = table->horizontalHeader();
            QCOMPARE(header->sectionSize(1), 123);
            QCOMPARE(header->visualIndex(3), 0);
            QCOMPARE(header->sortIndicatorSection(), 2);
            QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
        }
    }
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Corvane"),
        QStringLiteral("layout"));
    settings.setValue(QStringLiteral("positionWindow/screen"), QStringLiteral("HDMI-scollegato"));
    settings.sync();
    QCOMPARE(ListWindow().size(), QSize(300, 200));

    // A last folder since removed gives way to the downloads.
    QVERIFY(QDir().mkpath(QStringLiteral("esportazioni")));
    WindowLayout::setLastFolder(QStringLiteral("esportazioni/posizioni.xlsx"));
    QVERIFY(QDir(QStringLiteral("esportazioni")).removeRecursively());
    QCOMPARE(WindowLayout::getLastFolder(),
        QStandardPaths::writableLocation(QStandardPaths::DownloadLocation));
}

void TestDetailWindows::relatedFormsAfterPosition()
{
    // Guards against related forms told before the position or twice.
    for (const char* path :
        { "/corvane/v5/search/dett_pratica", "/corvane/v5/search/dett_pratica/" })
        server->setXmlReply(QString::fromLatin1(path),
            resultReply(QStringLiteral("0"),
                { { { QStringLiteral("impresa_rag_soc"), QStringLiteral("Officine Rossi") } } }));
    for (const char* path :
        { "/corvane/v5/search/ft_collegate", "/corvane/v5/search/ft_collegate/" })
        server->setXmlReply(QString::fromLatin1(path), resultReply(QStringLiteral("10")));
    window->hide();
    const BoxRecorder boxes(window.get());

    details->fetch(QStringLiteral("1"), QStringLiteral("L"));
    // Related forms that come back before the position wait for it.
    Command::Search::FtRelated related(details.get(), QStringLiteral("1"), QStringLiteral("L"));
    related.useResponse({},
        { { { QStringLiteral("ft_descr"), QStringLiteral("Anche la forma FT2") },
            { QStringLiteral("pratica_forma_tecnica_id"), QStringLiteral("2") } } });
    QVERIFY(boxes.getBoxes().isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(boxes.getBoxes().size(), 1, 10000);
    QVERIFY(boxes.watchedShownFirst());
    QCOMPARE(boxes.getBoxes().first(),
        QStringLiteral("Trovate forme tecniche collegate:Anche la forma FT2"));
    QCOMPARE(window->findChild<QLabel*>(QStringLiteral("companyName"))->text(),
        QStringLiteral("Officine Rossi"));
    QTRY_VERIFY_WITH_TIMEOUT(!client->commandManager()->isBusy(), 10000);
    // No second box follows once the queue is idle.
    QVERIFY(!QTest::qWaitFor([&boxes] { return boxes.getBoxes().size() > 1; }, 200));
}

void TestDetailWindows::hostilePositionDownload_data()
{
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("html page") << QByteArray("text/html")
                               << QByteArray("<html><body>Errore interno</body></html>");
    QTest::newRow("xml session expired")
        << QByteArray("text/xml")
        << QByteArray("<?xml version=\"1.0\"?><root><esito_id>-2</esito_id>"
                      "<esito_descr>Sessione scaduta</esito_descr></root>");
    QTest::newRow("not a pdf") << QByteArray("application/pdf") << QByteArray("MZ\x90\0");
}

void TestDetailWindows::hostilePositionDownload()
{
    // Guards against a reply that is not the PDF replacing the user's file, or failing silently.
    QFETCH(QByteArray, type);
    QFETCH(QByteArray, body);
    server->setReply(QStringLiteral("/corvane/v5/search/download_posizione/"), { 200, type, body });
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
