#include "app/account.h"
#include "app/applicationmanager.h"
#include "protocol/commandmanager.h"
#include "support/messageboxanswerer.h"
#include "support/testclient.h"
#include "support/testcommands.h"
#include "support/testenvironment.h"
#include "support/testserver.h"
#include "ui/companywindow.h"
#include "ui/maintenancewindow.h"
#include "ui/mainwindow.h"
#include "ui/servertextbox.h"

#include <QAction>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTableView>
#include <QtTest>

#include <memory>

using namespace Corvane;
using namespace Corvane::Test;

/// The main window and a list against a scripted server: what end-to-end runs against
/// tessaro-server cannot provoke (unknown result codes, dropped connections, long server texts).
class TestMainWindow final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void maintenanceWindowShowsItsEnd();
    void newPasswordIsAskedFirst_data();
    void newPasswordIsAskedFirst();
    void longServerTextFitsTheScreen_data();
    void longServerTextFitsTheScreen();
    void failedSearchLeavesTheListAsItWas_data();
    void failedSearchLeavesTheListAsItWas();

private:
    std::unique_ptr<TestServer> server;
    std::unique_ptr<TestClient> client;
};

void TestMainWindow::initTestCase()
{
    TestEnvironment::enterTemporaryWorkingDirectory();
    server = std::make_unique<TestServer>();
    server->setXmlReply(
        QStringLiteral("/corvane/v5/home/ticket_mail_utente"), resultReply(QStringLiteral("0")));
    client = std::make_unique<TestClient>(server->baseUrl());
    client->application()->getAccount()->setBank(QStringLiteral("03111 - Banca di prova"));
    client->application()->getMainWindow()->show();
}

void TestMainWindow::cleanupTestCase() { client.reset(); }

void TestMainWindow::maintenanceWindowShowsItsEnd()
{
    // Guards against the notice showing "n.d." after an end was given, or a wrong format.
    MaintenanceWindow* window = client->application()->getMainWindow()->getMaintenanceWindow();
    QCOMPARE(window->findChild<QLabel*>(QStringLiteral("maintenanceEndDate"))->text(),
        QStringLiteral("n.d."));
    window->setMaintenanceEnd(QDateTime(QDate(2026, 3, 7), QTime(18, 5)));
    QCOMPARE(window->findChild<QLabel*>(QStringLiteral("maintenanceEndDate"))->text(),
        QStringLiteral("07/03/2026"));
    QCOMPARE(window->findChild<QLabel*>(QStringLiteral("maintenanceEndTime"))->text(),
        QStringLiteral("18:05"));
}

void TestMainWindow::newPasswordIsAskedFirst_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("no sends nothing") << int(QMessageBox::No);
    QTest::newRow("yes sends the request") << int(QMessageBox::Yes);
}

void TestMainWindow::newPasswordIsAskedFirst()
{
    // Guards against one stray click replacing the user's password without a question.
    QFETCH(int, answer);
    const QString path = QStringLiteral("/corvane/v5/home/richiesta_password");
    server->setXmlReply(path, resultReply(QStringLiteral("0")));
    const auto sent = [&] {
        int count = 0;
        for (const RecordedRequest& request : server->requests())
            count += request.path == path ? 1 : 0;
        return count;
    };
    const int before = sent();
    MessageBoxAnswerer answerer;
    answerer.expect(QStringLiteral("Richiesta nuova password"),
        QStringLiteral("Vuoi richiedere una nuova password? Quella attuale non sarà più valida."),
        QMessageBox::StandardButton(answer));
    if (answer == QMessageBox::Yes)
        answerer.expect(QStringLiteral("Richiesta nuova password"),
            QStringLiteral("Controllare la mail"), QMessageBox::Ok,
            MessageBoxAnswerer::Match::Contains);
    client->application()
        ->getMainWindow()
        ->findChild<QAction*>(QStringLiteral("actionRequest_Password"))
        ->trigger();
    QTRY_VERIFY(answerer.allAnswered());
    QTRY_VERIFY(!client->commandManager()->isBusy());
    QVERIFY2(answerer.getFailures().isEmpty(), qPrintable(answerer.problems()));
    QCOMPARE(sent() - before, answer == QMessageBox::Yes ? 1 : 0);
}

void TestMainWindow::longServerTextFitsTheScreen_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("cut");
    QTest::newRow("short, as it is") << QStringLiteral("Errore: 999\n<b>Descrizione</b>") << false;
    QTest::newRow("many lines") << QStringLiteral("riga\n").repeated(2000) << true;
    QTest::newRow("one long word") << QStringLiteral("x").repeated(20000) << true;
}

void TestMainWindow::longServerTextFitsTheScreen()
{
    // Guards against a long server description growing a box past the screen, so that its
    // buttons cannot be reached, or against markup in it being drawn.
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

QTEST_MAIN(TestMainWindow)

namespace {
QStringList headers(const QAbstractItemModel* model)
{
    QStringList names;
    for (int column = 0; column < model->columnCount(); ++column)
        names << model->headerData(column, Qt::Horizontal).toString();
    return names;
}
}

void TestMainWindow::failedSearchLeavesTheListAsItWas_data()
{
    QTest::addColumn<QString>("outcome");
    QTest::newRow("unknown result code") << QStringLiteral("code");
    QTest::newRow("dropped connection") << QStringLiteral("drop");
    QTest::newRow("withdrawn with Annulla") << QStringLiteral("cancel");
}

void TestMainWindow::failedSearchLeavesTheListAsItWas()
{
    // Guards against a search without a page leaving its wait on screen or the old rows beside
    // a count of 0.
    QFETCH(QString, outcome);
    const QString path = QStringLiteral("/corvane/v5/search/lista_imprese/03111");
    const QList<DataRow> records {
        { { QStringLiteral("ragione_sociale"), QStringLiteral("Alfa") } },
        { { QStringLiteral("ragione_sociale"), QStringLiteral("Beta") } }
    };
    server->setXmlReply(path,
        xmlReply({ { QStringLiteral("esito_id"), QStringLiteral("0") },
                     { QStringLiteral("risultati"), QStringLiteral("2") },
                     { QStringLiteral("fusioni_presenti"), QStringLiteral("S") } },
            records));
    CompanyWindow* window = client->application()->getCompanyWindow();
    window->show();
    auto* searchButton = window->findChild<QPushButton*>(QStringLiteral("searchButton"));
    const QString shownStatus = QStringLiteral("Trovate 2 imprese");
    searchButton->click();
    QTRY_COMPARE(window->getStatusBar()->currentMessage(), shownStatus);
    QTRY_VERIFY(!window->getProgressDialog()->isVisible());

    MessageBoxAnswerer answerer;
    if (outcome == QLatin1String("code")) {
        server->setXmlReply(path, resultReply(QStringLiteral("999")));
        answerer.expect(QStringLiteral("Errore nella risposta del server"), QStringLiteral("999"),
            QMessageBox::No, MessageBoxAnswerer::Match::Contains);
    } else {
        ScriptedReply reply;
        reply.dropConnection = outcome == QLatin1String("drop");
        reply.delayMs = outcome == QLatin1String("cancel") ? 3000 : 0;
        server->setReply(path, reply);
        if (reply.dropConnection) {
            answerer.expect(QStringLiteral("Errore durante la connessione al server"),
                QStringLiteral("La connessione"), QMessageBox::Ok,
                MessageBoxAnswerer::Match::Contains);
        }
    }
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
    QStringList names;
    for (int column = 0; column < model->columnCount(); ++column)
        names << model->index(1, column).data().toString();
    QVERIFY(names.contains(QStringLiteral("Beta")));
    QVERIFY(headers(model).contains(QStringLiteral("Confidi")));

    // The "Confidi" column leaves again with a list that has no mergers.
    server->setXmlReply(path,
        xmlReply({ { QStringLiteral("esito_id"), QStringLiteral("0") },
                     { QStringLiteral("risultati"), QStringLiteral("2") },
                     { QStringLiteral("fusioni_presenti"), QStringLiteral("N") } },
            records));
    searchButton->click();
    QTRY_VERIFY(!headers(model).contains(QStringLiteral("Confidi")));
    window->hide();
}

#include "tst_mainwindow.moc"
