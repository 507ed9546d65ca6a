#include "app/account.h"
#include "app/applicationmanager.h"
#include "e2esession.h"
#include "models/company.h"
#include "models/position.h"
#include "models/report.h"
#include "models/searchfilters.h"
#include "models/ticket.h"
#include "protocol/commandmanager.h"
#include "support/messageboxanswerer.h"
#include "support/testenvironment.h"
#include "ui/companywindow.h"
#include "ui/insertticketwindow.h"
#include "ui/loginwindow.h"
#include "ui/mainwindow.h"
#include "ui/paginator.h"
#include "ui/positionwindow.h"
#include "ui/reportwindow.h"
#include "ui/ticketwindow.h"

#include <QtTest>
#include <QtWidgets>

using namespace Corvane;
using namespace Corvane::Test;
using namespace Corvane::Test::E2e;

/// A user signs in, picks a bank and works in the main window and the four lists.
class TestMainWindowFlow final : public E2eTest {
    Q_OBJECT
private slots:
    void initTestCase();

    void mainWindowShowsTheSession();
    void companySearchesSortsAndPages();
    void positionFilters();
    void reportDownloads();
    void ticketsAndNewTicket();
    void serverStopsAndReturns();
    void refusedSessionEndsTheProgram();
    void logoutEndsTheSession();

private:
    /// Triggers the main window's action of that name.
    void act(const char* name)
    {
        session->application()->getMainWindow()->findChild<QAction*>(name)->trigger();
    }
};

void TestMainWindowFlow::initTestCase()
{
    QVERIFY(startServer());
    QVERIFY(session->signInReadyUser());
}

void TestMainWindowFlow::mainWindowShowsTheSession()
{
    // Guards against a chosen bank leaving the user without a window, or the wrong session shown.
    ApplicationManager* application = session->application();
    MainWindow* window = session->application()->getMainWindow();
    QCOMPARE(window->windowTitle(), QStringLiteral("Tessaro - Corvane"));
    const QString confidi = child<QLabel>(window, "confidiInUso")->text();
    QVERIFY2(QRegularExpression(QStringLiteral("^\\d+ - \\S")).match(confidi).hasMatch(),
        qPrintable(confidi));
    QCOMPARE(confidi,
        QStringLiteral("%1 - %2")
            .arg(application->getConfidiId())
            .arg(application->getConfidiCompanyName()));
    QCOMPARE(child<QLabel>(window, "bancaInUso")->text(), application->getBank());
    QVERIFY(
        QRegularExpression(QStringLiteral("^\\d{5} - ")).match(application->getBank()).hasMatch());
    const QList<QLabel*> labels = window->statusBar()->findChildren<QLabel*>();
    QVERIFY(std::any_of(labels.cbegin(), labels.cend(), [application](QLabel* label) {
        return label->text()
            == QStringLiteral("Utente connesso: ") + application->getAccount()->getUsername();
    }));

    // A second initialization, as a late connection check would ask for, changes nothing.
    application->initializeApplication();
    QTest::qWait(200);
    QVERIFY(window->isVisible());
    QVERIFY(!visible<LoginWindow>());
}

void TestMainWindowFlow::companySearchesSortsAndPages()
{
    // Guards against a company filter, "Mostra tutto" or a sort not reaching the server, a page
    // button asking for the wrong page, or a short last page keeping rows.
    act("actionImprese");
    CompanyWindow* window = session->application()->getCompanyWindow();
    QTRY_VERIFY(window->isVisible());
    QVERIFY(window->windowTitle().endsWith(session->application()->getBank()));
    auto* province = child<QComboBox>(window, "province");
    // The province list is the server's, after an empty entry.
    QTRY_VERIFY_WITH_TIMEOUT(province->count() > 10, 20000);
    QCOMPARE(province->itemText(0), QString());
    Model::Company* model = session->application()->getCompanyModel();
    QHeaderView* header = child<QTableView>(window, "dataTable")->horizontalHeader();
    const auto sort = [window, header](int column, Qt::SortOrder order) {
        window->getStatusBar()->clearMessage();
        header->setSortIndicator(column, order);
    };
    const int all = search(window, "fetchButton");
    QVERIFY(all > 20);
    QCOMPARE(model->rowCount(), 20);

    // By name: every row carries the typed text.
    const QString name = model->index(0, 1).data().toString();
    type(window, "companyName", name);
    const int byName = search(window, "searchButton");
    QVERIFY(byName >= 1 && byName < all);
    for (const QString& found : columnValues(model, 1))
        QVERIFY2(found.contains(name, Qt::CaseInsensitive), qPrintable(found));

    // A one-row list refuses to sort and closes the progress dialog it opened.
    type(window, "fiscalCode", model->index(0, 4).data().toString());
    QCOMPARE(search(window, "searchButton"), 1);
    // The company name is the first column shown: the identifier is hidden.
    sort(0, Qt::AscendingOrder);
    QVERIFY(!window->getProgressDialog()->isVisible());
    QTest::qWait(300);
    QCOMPARE(shownCount(window), -1);
    QCOMPARE(model->getSearchFilters().sortKey, QStringLiteral("anag_id"));

    // By province: every row is in the chosen one.
    const QString initials = model->index(0, 3).data().toString();
    QCOMPARE(search(window, "fetchButton"), all);
    int chosen = -1;
    for (int i = 1; i < province->count() && chosen < 0; ++i) {
        if (model->getProvinceKey(province->itemText(i)) == initials)
            chosen = i;
    }
    QVERIFY2(chosen > 0, qPrintable(initials));
    province->setCurrentIndex(chosen);
    type(window, "city", QStringLiteral("zzzz"));
    type(window, "city", QString());
    QVERIFY(search(window, "searchButton") >= 1);
    for (const QString& found : columnValues(model, 3))
        QCOMPARE(found, initials);

    // "Mostra tutto" empties every field before it searches.
    type(window, "companyName", QStringLiteral("Nessuna"));
    type(window, "fiscalCode", QStringLiteral("123"));
    type(window, "city", QStringLiteral("Roma"));
    QCOMPARE(search(window, "fetchButton"), all);
    for (const char* field : { "companyName", "fiscalCode", "city" })
        QVERIFY2(child<QLineEdit>(window, field)->text().isEmpty(), field);
    QCOMPARE(province->currentIndex(), 0);

    // By company name, both ways: the server is asked with "ragsoc" and returns that order.
    for (Qt::SortOrder order : { Qt::AscendingOrder, Qt::DescendingOrder }) {
        sort(0, order);
        QTRY_VERIFY_WITH_TIMEOUT(shownCount(window) >= 0, 20000);
        QCOMPARE(model->getSearchFilters().sortKey, QStringLiteral("ragsoc"));
        QStringList names = columnValues(model, 1);
        QStringList sorted = names;
        std::sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
            return QString::compare(a, b, Qt::CaseInsensitive) < 0;
        });
        if (order == Qt::DescendingOrder)
            std::reverse(sorted.begin(), sorted.end());
        QCOMPARE(names, sorted);
    }
    // The consortium column has no order on the server: nothing is asked.
    const QStringList before = columnValues(model, 0);
    sort(5, Qt::AscendingOrder);
    QTest::qWait(300);
    QCOMPARE(shownCount(window), -1);
    QCOMPARE(columnValues(model, 0), before);
    QVERIFY(!window->getProgressDialog()->isVisible());

    // The pages.
    QCOMPARE(search(window, "fetchButton"), all);
    const int pages = (all + 19) / 20;
    QVERIFY(pages >= 3);
    Paginator* paginator = window->getPaginator();
    auto* label = child<QLabel>(paginator, "pageLabel");
    const auto enabled = [paginator](const char* name) {
        return child<QPushButton>(paginator, name)->isEnabled();
    };
    const auto go = [&](const char* button, int page) {
        window->getStatusBar()->clearMessage();
        click(paginator, button);
        QTRY_COMPARE_WITH_TIMEOUT(
            label->text(), QStringLiteral("Pagina %1 di %2").arg(page).arg(pages), 20000);
        QTRY_VERIFY(shownCount(window) >= 0);
    };
    QCOMPARE(label->text(), QStringLiteral("Pagina 1 di %1").arg(pages));
    QVERIFY(!enabled("firstPage") && !enabled("previousPage"));
    QVERIFY(enabled("nextPage") && enabled("lastPage"));
    const QStringList first = columnValues(model, 0);

    go("nextPage", 2);
    QVERIFY(enabled("firstPage") && enabled("previousPage") && enabled("nextPage"));
    QVERIFY(columnValues(model, 0) != first);
    go("previousPage", 1);
    QCOMPARE(columnValues(model, 0), first);
    go("lastPage", pages);
    QVERIFY(!enabled("nextPage") && !enabled("lastPage"));
    QCOMPARE(model->rowCount(), all - 20 * (pages - 1));
    go("firstPage", 1);
    QCOMPARE(columnValues(model, 0), first);
    window->close();
}

void TestMainWindowFlow::positionFilters()
{
    // Guards against the state, LCR or date filter of the positions not reaching the server.
    act("actionPosizioni");
    PositionWindow* window = session->application()->getPositionWindow();
    QTRY_VERIFY(window->isVisible());
    auto* status = child<QComboBox>(window, "status");
    QTRY_VERIFY_WITH_TIMEOUT(status->count() > 2, 20000);
    Model::Position* model = session->application()->getPositionModel();
    const int stateColumn = model->getColumnIndex(QStringLiteral("stato"));

    const int all = search(window, "fetchButton");
    QVERIFY(all > 0);
    const QString state = model->index(0, stateColumn).data().toString();
    status->setCurrentText(state);
    const int byState = search(window, "searchButton");
    QVERIFY(byState >= 1 && byState < all);
    for (const QString& found : columnValues(model, stateColumn))
        QCOMPARE(found, state);

    const QString lcr = model->index(0, 0).data().toString();
    QVERIFY(search(window, "fetchButton") == all);
    type(window, "lcr", lcr);
    QVERIFY(search(window, "searchButton") >= 1);
    for (const QString& found : columnValues(model, 0))
        QVERIFY2(found.contains(lcr), qPrintable(found));

    // The date filter: only resolutions within the range.
    auto* enable = child<QCheckBox>(window, "dateFilterEnabled");
    QVERIFY(!child<QDateEdit>(window, "fromDate")->isEnabled());
    QVERIFY(search(window, "fetchButton") == all);
    QVERIFY(!enable->isChecked());
    enable->setChecked(true);
    QVERIFY(child<QDateEdit>(window, "fromDate")->isEnabled());
    const QDate from = QDate::currentDate().addMonths(-6);
    const QDate to = QDate::currentDate().addMonths(-3);
    child<QDateEdit>(window, "fromDate")->setDate(from);
    child<QDateEdit>(window, "toDate")->setDate(to);
    const int inRange = search(window, "searchButton");
    QVERIFY(inRange >= 1 && inRange < all);
    const int dateColumn = model->getColumnIndex(QStringLiteral("data_delib_c"));
    for (const QString& found : columnValues(model, dateColumn)) {
        const QDate date = QDate::fromString(found, QStringLiteral("dd/MM/yyyy"));
        QVERIFY2(date >= from && date <= to, qPrintable(found));
    }
    // A period that ends before it starts is refused here, the list on screen kept.
    {
        MessageBoxAnswerer answerer;
        answerer.expect(QStringLiteral("Periodo non valido"),
            QStringLiteral("La data iniziale del periodo è successiva alla data finale."),
            QMessageBox::Ok);
        child<QDateEdit>(window, "toDate")->setDate(from.addDays(-1));
        const QString shown = window->getStatusBar()->currentMessage();
        const QString sentTo = model->getSearchFilters().dateTo;
        click(window, "searchButton");
        QTRY_VERIFY(answerer.allAnswered());
        QVERIFY2(answerer.getFailures().isEmpty(), qPrintable(answerer.problems()));
        QCOMPARE(window->getStatusBar()->currentMessage(), shown);
        QCOMPARE(model->getSearchFilters().dateTo, sentTo);
        QCOMPARE(model->getTotalResults(), inRange);
        QVERIFY(!window->getProgressDialog()->isVisible());
    }
    // "Mostra tutto" also switches the date filter off.
    QCOMPARE(search(window, "fetchButton"), all);
    QVERIFY(!enable->isChecked());
    window->close();
}

void TestMainWindowFlow::reportDownloads()
{
    // Guards against a report file not written as sent, not opened, or an empty one replacing a
    // file the user had.
    act("actionReport");
    ReportWindow* window = session->application()->getReportWindow();
    QTRY_VERIFY(window->isVisible());
    auto* enable = child<QCheckBox>(window, "dateFilterEnabled");
    QVERIFY(enable->isChecked());
    const QDate twoMonthsBack = QDate::currentDate().addMonths(-2);
    QCOMPARE(child<QDateEdit>(window, "fromDate")->date(),
        QDate(twoMonthsBack.year(), twoMonthsBack.month(), 1));
    Model::Report* model = session->application()->getReportModel();
    const QDate from = child<QDateEdit>(window, "fromDate")->date();
    const int inRange = search(window, "searchButton");
    QVERIFY(inRange >= 0);
    for (const QString& found : columnValues(model, 5)) {
        const QDate date = QDate::fromString(found, QStringLiteral("dd/MM/yyyy"));
        QVERIFY2(date >= from && date <= QDate::currentDate(), qPrintable(found));
    }
    // "Mostra tutto" shows every report: it switches the period filter off.
    QVERIFY(search(window, "fetchButton") > inRange);
    QVERIFY(!enable->isChecked());
    int full = -1;
    int empty = -1;
    for (int row = 0; row < model->rowCount(); ++row) {
        (model->index(row, 7).data().toString() == QLatin1String("Si") ? empty : full) = row;
    }
    QVERIFY2(full >= 0 && empty >= 0, "the bank needs an empty and a full report");

    OpenRecorder recorder;
    const QString target = QDir::current().filePath(QStringLiteral("scaricato.csv"));
    QString proposed;
    QString directory;
    const auto download = [&](const QString& path, int row) {
        answerFileDialog(path, &proposed, &directory);
        emit child<QTableView>(window, "dataTable")->doubleClicked(model->index(row, 4));
    };
    download(target, full);
    QCOMPARE(proposed, model->getValue(full, QStringLiteral("filename")));
    QCOMPARE(directory,
        QDir(QStandardPaths::writableLocation(QStandardPaths::DownloadLocation)).absolutePath());
    QTRY_COMPARE_WITH_TIMEOUT(recorder.opened.size(), 1, 20000);
    QCOMPARE(recorder.opened.first(), QUrl::fromLocalFile(target));
    QVERIFY(readAll(target).startsWith("Report;"));
    QVERIFY(!window->getProgressDialog()->isVisible());

    // An empty report says so and leaves the file already there as it was.
    MessageBoxAnswerer answerer;
    answerer.expect(QStringLiteral("Errore durante il download"),
        QStringLiteral("Il report selezionato è vuoto."), QMessageBox::Ok);
    const QByteArray before = readAll(target);
    download(target, empty);
    QTRY_COMPARE_WITH_TIMEOUT(answerer.answeredCount(), 1, 20000);
    QVERIFY(answerer.getFailures().isEmpty());
    QCOMPARE(readAll(target), before);
    QCOMPARE(recorder.opened.size(), 1);

    // A folder the file cannot go to is named, and nothing is asked of the server.
    const QString missing = QDir::current().filePath(QStringLiteral("manca"));
    answerer.expect(QStringLiteral("Errore durante il download"), QDir::toNativeSeparators(missing),
        QMessageBox::Ok, MessageBoxAnswerer::Match::Contains);
    download(missing + QStringLiteral("/scaricato.csv"), full);
    QTRY_COMPARE_WITH_TIMEOUT(answerer.answeredCount(), 2, 20000);
    QVERIFY(answerer.getFailures().isEmpty());
    QVERIFY(!QFileInfo::exists(missing));
    QVERIFY(!window->getProgressDialog()->isVisible());
    window->close();
}

void TestMainWindowFlow::ticketsAndNewTicket()
{
    // Guards against the ticket filters, the new-ticket checks or the refresh after an insert.
    act("actionVisualizza_Ticket");
    TicketWindow* window = session->application()->getTicketWindow();
    Model::Ticket* model = session->application()->getTicketModel();
    QTRY_VERIFY(window->isVisible());
    // The list comes at once, with the empty state filter sent as "0".
    QTRY_VERIFY_WITH_TIMEOUT(shownCount(window) > 0, 20000);
    QCOMPARE(model->getSearchFilters().ticketStatus, QStringLiteral("0"));
    const int all = model->getTotalResults();
    // The server orders tickets one way only: a header click changes nothing and shows no arrow.
    QHeaderView* header = child<QTableView>(window, "dataTable")->horizontalHeader();
    QVERIFY(!header->isSortIndicatorShown());
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
        QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
    QVERIFY(!window->getProgressDialog() || !window->getProgressDialog()->isVisible());
    QCOMPARE(
        window->getStatusBar()->currentMessage(), QStringLiteral("Trovati %1 ticket").arg(all));

    child<QComboBox>(window, "status")->setCurrentIndex(1);
    child<QCheckBox>(window, "dateFilterEnabled")->setChecked(true);
    child<QDateEdit>(window, "fromDate")->setDate(QDate::currentDate().addYears(-3));
    const int open = search(window, "searchButton");
    QVERIFY(open >= 0 && open < all);
    QCOMPARE(model->getSearchFilters().ticketStatus, QStringLiteral("1"));
    QVERIFY(!model->getSearchFilters().dateFrom.isEmpty());
    for (const QString& state : columnValues(model, 6))
        QCOMPARE(state, QStringLiteral("Aperto"));

    // The main window's action opens the one new-ticket dialog.
    InsertTicketWindow* insert = session->application()->getInsertTicketWindow();
    bool shown = false;
    QTimer closer;
    connect(&closer, &QTimer::timeout, insert, [insert, &shown] {
        if (QApplication::activeModalWidget() == insert) {
            shown = true;
            insert->reject();
        }
    });
    closer.start(20);
    act("actionNuovo_Ticket");
    closer.stop();
    QVERIFY(shown);
    insert->open();
    QCOMPARE(insert->windowTitle(), QStringLiteral("Nuovo ticket"));
    QVERIFY(!child<QLineEdit>(insert, "userEmail")->text().isEmpty());

    MessageBoxAnswerer answerer;
    answerer.expect(QStringLiteral("Campo Oggetto non valido"),
        QStringLiteral("Inserisci un oggetto per il nuovo ticket"), QMessageBox::Ok);
    answerer.expect(QStringLiteral("Campo Test non valido"),
        QStringLiteral("Inserisci un testo valido per il nuovo ticket"), QMessageBox::Ok);
    answerer.expect(QStringLiteral("Campo Email da notificare non valido"),
        QStringLiteral("Inserisci un email valida per la notifica delle risposte al nuovo ticket"),
        QMessageBox::Ok);
    answerer.expect(QStringLiteral("Ticket inserito"),
        QStringLiteral("Ticket inserito con successo.\nIl codice del nuovo ticket è: "),
        QMessageBox::Ok, MessageBoxAnswerer::Match::Contains);
    // Blanks alone are no subject and no text (the server would refuse them).
    type(insert, "object", QStringLiteral("   "));
    click(insert, "accept");
    QTRY_COMPARE(answerer.answeredCount(), 1);
    type(insert, "object", QStringLiteral("Accesso all'elenco"));
    child<QTextEdit>(insert, "text")->setPlainText(QStringLiteral(" \n\t\n"));
    click(insert, "accept");
    QTRY_COMPARE(answerer.answeredCount(), 2);
    child<QTextEdit>(insert, "text")->setPlainText(QStringLiteral("L'elenco non si apre più."));
    type(insert, "userEmail", QStringLiteral("utente@dominio"));
    click(insert, "accept");
    QTRY_COMPARE(answerer.answeredCount(), 3);
    QVERIFY(insert->isVisible());
    type(insert, "userEmail", QStringLiteral("utente@example.it"));
    click(insert, "accept");
    QTRY_COMPARE_WITH_TIMEOUT(answerer.answeredCount(), 4, 20000);
    QVERIFY2(answerer.getFailures().isEmpty(), qPrintable(answerer.problems()));
    QTRY_VERIFY(!insert->isVisible());
    QCOMPARE(child<QLineEdit>(insert, "object")->text(), QString());
    // The list is fetched again and holds the new ticket.
    QTRY_VERIFY_WITH_TIMEOUT(
        columnValues(model, 4).contains(QStringLiteral("Accesso all'elenco")), 20000);
    window->close();
}

void TestMainWindowFlow::serverStopsAndReturns()
{
    // Guards against a network failure after sign-in ending the program (and what was typed with
    // it), leaving a wait on screen, or leaving the session unusable once the server is back.
    ApplicationManager* application = session->application();
    CompanyWindow* list = application->getCompanyWindow();
    list->open();
    // Fetched afresh, so that no earlier request is still under way.
    QVERIFY(search(list, "fetchButton") > 0);
    auto* table = child<QTableView>(list, "dataTable");
    const int rows = table->model()->rowCount();
    const QString firstRow = table->model()->index(0, 1).data().toString();
    InsertTicketWindow* ticket = application->getInsertTicketWindow();
    ticket->open();
    const QString subject = QStringLiteral("Rata non registrata");
    const QString text = QStringLiteral("La rata di marzo risulta ancora aperta, ma");
    type(ticket, "object", subject);
    child<QTextEdit>(ticket, "text")->setPlainText(text);

    QCOMPARE(server->stop(), 0);
    MessageBoxAnswerer answerer;
    for (int i = 0; i < 2; ++i) {
        answerer.expect(QStringLiteral("Errore durante la connessione al server"),
            QStringLiteral("La connessione ha restituito un errore. Questo potrebbe essere dovuto "
                           "ad un problema momentaneo."),
            QMessageBox::Ok, MessageBoxAnswerer::Match::Contains);
    }
    click(list, "fetchButton");
    QTRY_COMPARE_WITH_TIMEOUT(answerer.answeredCount(), 1, 20000);
    QTRY_VERIFY(!list->getProgressDialog()->isVisible());
    click(ticket, "accept");
    QTRY_COMPARE_WITH_TIMEOUT(answerer.answeredCount(), 2, 20000);
    QTRY_VERIFY(!application->getCommandManager()->isBusy());
    QCOMPARE(answerer.getFailures(), QStringList());
    // Still running, every window as it was, nothing typed lost, no new sign-in asked for.
    QVERIFY(!TestEnvironment::takeQuitRequest());
    QVERIFY(visible<MainWindow>());
    QVERIFY(list->isVisible());
    QCOMPARE(table->model()->rowCount(), rows);
    QCOMPARE(table->model()->index(0, 1).data().toString(), firstRow);
    QVERIFY(ticket->isVisible());
    QCOMPARE(child<QLineEdit>(ticket, "object")->text(), subject);
    QCOMPARE(child<QTextEdit>(ticket, "text")->toPlainText(), text);
    QVERIFY(!visible<LoginWindow>());

    // The same actions work once the server is back on its port with its data.
    QString error;
    QVERIFY2(server->restart(error), qPrintable(error));
    QVERIFY(search(list, "fetchButton") >= 0);
    QCOMPARE(table->model()->rowCount(), rows);
    answerer.expect(QStringLiteral("Ticket inserito"),
        QStringLiteral("Ticket inserito con successo."), QMessageBox::Ok,
        MessageBoxAnswerer::Match::Contains);
    click(ticket, "accept");
    QTRY_COMPARE_WITH_TIMEOUT(answerer.answeredCount(), 3, 20000);
    QCOMPARE(answerer.getFailures(), QStringList());
    QTRY_VERIFY(!ticket->isVisible());
    QVERIFY(!visible<LoginWindow>());
    QVERIFY(!TestEnvironment::takeQuitRequest());
    list->close();
}

void TestMainWindowFlow::refusedSessionEndsTheProgram()
{
    // Guards against a refused session in the main window sending the user to the login window.
    const QByteArray token = readAll(sessionFile(QStringLiteral("auth.txt")));
    QFile::remove(sessionFile(QStringLiteral("auth.txt")));
    MessageBoxAnswerer answerer;
    answerer.expect(QStringLiteral("Sessione utente"),
        QStringLiteral("Sessione utente scaduta o non valida. Riavviare Corvane."),
        QMessageBox::Ok);
    ReportWindow* window = session->application()->getReportWindow();
    window->open();
    click(window, "searchButton");
    QTRY_COMPARE_WITH_TIMEOUT(answerer.answeredCount(), 1, 20000);
    QVERIFY(TestEnvironment::takeQuitRequest());
    QVERIFY(!visible<LoginWindow>());
    window->close();
    QFile file(sessionFile(QStringLiteral("auth.txt")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(token);
}

void TestMainWindowFlow::logoutEndsTheSession()
{
    // Guards against a logout that keeps the token, the log or the window.
    QVERIFY(QFile(QStringLiteral("corvane2.log")).size() > 0);
    MainWindow* window = session->application()->getMainWindow();
    act("actionEsci");
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(sessionFile(QStringLiteral("auth.txt"))), 20000);
    QVERIFY(!window->isVisible());
    QVERIFY(TestEnvironment::takeQuitRequest());
    QCOMPARE(QFile(QStringLiteral("corvane2.log")).size(), 0);
}

QTEST_MAIN(TestMainWindowFlow)
#include "tst_mainwindowflow.moc"
