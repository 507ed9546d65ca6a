#include "app/applicationmanager.h"
#include "e2esession.h"
#include "protocol/commandmanager.h"
#include "serverprocess.h"
#include "support/messageboxanswerer.h"
#include "support/testenvironment.h"
#include "ui/companywindow.h"
#include "ui/insertticketwindow.h"
#include "ui/loginwindow.h"
#include "ui/mainwindow.h"

#include <QProgressDialog>
#include <QStatusBar>
#include <QTableView>
#include <QTextEdit>
#include <QtTest>

#include <memory>

using namespace Corvane;
using namespace Corvane::Test;
using namespace Corvane::Test::E2e;

/// The server goes away under a signed-in client and comes back.
class TestNetworkFailure final : public E2eTest {
    Q_OBJECT
private slots:
    void initTestCase();
    void serverStopsAndReturns();
};

void TestNetworkFailure::initTestCase()
{
    QVERIFY(startServer());
    QVERIFY(session->signInReadyUser());
}

void TestNetworkFailure::serverStopsAndReturns()
{
    // Guards against a network failure after sign-in ending the program (and what was typed with
    // it), leaving a wait on screen, or leaving the session unusable once the server is back.
    ApplicationManager* application = session->application();
    CompanyWindow* list = application->getCompanyWindow();
    QTableView* table = filledList(list, "fetchButton");
    QVERIFY(table);
    const int rows = table->model()->rowCount();
    const QString firstRow = table->model()->index(0, 1).data().toString();

    InsertTicketWindow* ticket = application->getInsertTicketWindow();
    ticket->open();
    const QString subject = QStringLiteral("Rata non registrata");
    const QString text = QStringLiteral("La rata di marzo risulta ancora aperta, ma");
    type(ticket, "object", subject);
    child<QTextEdit>(ticket, "text")->setPlainText(text);

    QCOMPARE(server->stop(), 0);
    const QString boxTitle = QStringLiteral("Errore durante la connessione al server");
    const QString boxText
        = QStringLiteral("La connessione ha restituito un errore. Questo potrebbe "
                         "essere dovuto ad un problema momentaneo.");
    MessageBoxAnswerer answerer;
    answerer.expect(boxTitle, boxText, QMessageBox::Ok, MessageBoxAnswerer::Match::Contains);
    answerer.expect(boxTitle, boxText, QMessageBox::Ok, MessageBoxAnswerer::Match::Contains);
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
    list->getStatusBar()->clearMessage();
    click(list, "fetchButton");
    QTRY_VERIFY_WITH_TIMEOUT(
        list->getStatusBar()->currentMessage().startsWith(QStringLiteral("Trovat")), 20000);
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
}

QTEST_MAIN(TestNetworkFailure)
#include "tst_networkfailure.moc"
