#include "app/applicationmanager.h"
#include "e2esession.h"
#include "models/amortization.h"
#include "models/anagraphic.h"
#include "models/company.h"
#include "models/position.h"
#include "models/positiondetails.h"
#include "models/ticket.h"
#include "models/ticketmessage.h"
#include "protocol/commandmanager.h"
#include "serverprocess.h"
#include "support/messageboxanswerer.h"
#include "support/testenvironment.h"
#include "ui/amortizationchart.h"
#include "ui/anagraphicwindow.h"
#include "ui/companywindow.h"
#include "ui/insertticketmessagewindow.h"
#include "ui/mainwindow.h"
#include "ui/paginator.h"
#include "ui/positiondetailwindow.h"
#include "ui/positionwindow.h"
#include "ui/ticketdetailwindow.h"
#include "ui/ticketwindow.h"

#include <QAccessible>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QProgressDialog>
#include <QPushButton>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTableView>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <qwt_plot_curve.h>
#include <qwt_plot_multi_barchart.h>
#include <qwt_scale_draw.h>

#include <memory>

using namespace Corvane;
using namespace Corvane::Test;
using namespace Corvane::Test::E2e;

namespace {

/// Clicks a list window's button and waits for the reply's count in its status bar.
bool search(AbstractTableWindow* window, const char* button)
{
    window->getStatusBar()->clearMessage();
    click(window, button);
    return QTest::qWaitFor(
        [window] {
            return window->getStatusBar()->currentMessage().startsWith(QLatin1String("Trovat"));
        },
        20000);
}

QString text(QWidget* parent, const char* name) { return child<QLabel>(parent, name)->text(); }

/// Triggers the tool bar action with that text.
void trigger(QWidget* window, const QString& label)
{
    for (QAction* action : window->findChild<QToolBar*>()->actions()) {
        if (action->text() == label) {
            action->trigger();
            return;
        }
    }
    QFAIL(qPrintable(label));
}

class OpenRecorder final : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

/// The conversation as its list reads it out to assistive technology, top to bottom.
QStringList shownMessages(TicketDetailWindow* window)
{
    auto* view = child<QListView>(window, "messagesView");
    // With no screen reader running Qt does not tell the list's interface of a new conversation:
    // a fresh one reads the list as it is now.
    QAccessible::deleteAccessibleInterface(
        QAccessible::uniqueId(QAccessible::queryAccessibleInterface(view)));
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(view);
    QStringList texts;
    for (int i = 0; i < list->childCount(); ++i)
        texts << list->child(i)->text(QAccessible::Name);
    return texts;
}
}

/// From the lists to a position in full, a company record and a ticket's conversation, against
/// a real tessaro-server over HTTPS.
class TestDetailFlow final : public E2eTest {
    Q_OBJECT
private slots:
    void initTestCase();

    void positionStages_data();
    void positionStages();
    void amortizationChart();
    void relatedFormsBoxOnce();
    void positionPdf();
    void companyRecord();
    void ticketConversation();

private:
    /// Lists the positions in that state and opens the row's detail; false when there is none.
    bool openPosition(const QString& state, int row);

    ApplicationManager* application = nullptr;
    /// Closes the related-forms box of the positions the tests open, except where it is tested.
    QTimer relatedBoxCloser;
};

void TestDetailFlow::initTestCase()
{
    QVERIFY(startServer());
    QVERIFY(session->signInReadyUser());
    application = session->application();
    connect(&relatedBoxCloser, &QTimer::timeout, this, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box && box->windowTitle() == QLatin1String("Trovate forme tecniche collegate"))
            box->accept();
    });
    relatedBoxCloser.start(20);
}

bool TestDetailFlow::openPosition(const QString& state, int row)
{
    PositionWindow* list = application->getPositionWindow();
    if (!list->isVisible()) {
        list->open();
        if (!QTest::qWaitFor(
                [list] { return child<QComboBox>(list, "status")->count() > 2; }, 20000))
            return false;
    }
    child<QComboBox>(list, "status")->setCurrentText(state);
    if (!search(list, "searchButton"))
        return false;
    Model::Position* model = application->getPositionModel();
    if (row >= model->rowCount())
        return false;
    PositionDetailWindow* detail = application->getPositionDetailWindow();
    detail->hide();
    const QString company = model->getValue(row, QStringLiteral("i_ragsoc"));
    emit child<QTableView>(list, "dataTable")->doubleClicked(model->index(row, 1));
    return QTest::qWaitFor(
        [detail, company] { return detail->isVisible() && text(detail, "companyName") == company; },
        20000);
}

void TestDetailFlow::positionStages_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<bool>("consortium");
    QTest::addColumn<bool>("bank");
    QTest::addColumn<bool>("perfection");
    QTest::addColumn<bool>("extinction");
    QTest::addColumn<bool>("plan");
    QTest::addColumn<bool>("mixedPlan");
    QTest::newRow("all four stages") << "Estinta" << true << true << true << true << true << false;
    QTest::newRow("disbursed, still paying")
        << "Perfezionata" << true << true << true << false << true << true;
    QTest::newRow("no resolution yet")
        << "In compilazione" << false << false << false << false << false << false;
}

void TestDetailFlow::positionStages()
{
    // Guards against a stage shown when the server says "NO" (or hidden when present), a plan
    // shown for none, unpaid instalments not greyed, and values of the previous position left.
    QFETCH(QString, state);
    QFETCH(bool, consortium);
    QFETCH(bool, bank);
    QFETCH(bool, perfection);
    QFETCH(bool, extinction);
    QFETCH(bool, plan);
    QFETCH(bool, mixedPlan);
    PositionDetailWindow* window = application->getPositionDetailWindow();
    auto* table = child<QTableView>(window, "ammortamentoTable");
    Model::Amortization* amortization = application->getAmortizationModel();
    // A plan with paid and unpaid instalments: the first position of the list that has one.
    const auto isMixed = [amortization] {
        QSet<QString> kinds;
        for (int i = 0; i < amortization->rowCount(); ++i)
            kinds << amortization->getValue(i, QStringLiteral("rata_pagata"));
        return kinds.contains(QStringLiteral("S")) && kinds.contains(QStringLiteral("N"));
    };
    int row = 0;
    for (;; ++row) {
        QVERIFY2(openPosition(state, row), "no position with the plan sought");
        QTRY_VERIFY_WITH_TIMEOUT(table->isVisible() == plan, 20000);
        if (!mixedPlan || isMixed())
            break;
    }
    Model::PositionDetails* details = application->getPositionDetailsModel();
    QCOMPARE(window->windowTitle(), QStringLiteral("Dettaglio posizioni"));
    QCOMPARE(text(window, "ftStato"), state);
    QCOMPARE(child<QGroupBox>(window, "ftGroup")->title(),
        QStringLiteral("Forma tecnica: %1    Codice QRV: %2")
            .arg(details->getValue(QStringLiteral("codice_ft")),
                details->getValue(QStringLiteral("codice_qrv"))));
    QVERIFY(text(window, "ftImporto")
                .endsWith(QStringLiteral(" garantito al ")
                    + details->getValue(QStringLiteral("gar_perc"))));

    const QList<std::tuple<bool, const char*, const char*, const char*, const char*>> stages {
        { consortium, "deliberaConfidiPresenteLabel", "dcWidget", "dcNumero", "DC_num" },
        { bank, "deliberaBancaPresenteLabel", "dbWidget", "dbNumero", "DB_num" },
        { perfection, "perfezionamentoPresenteLabel", "peWidget", "peNumero", "PE_numero" },
    };
    for (const auto& [present, missingLabel, data, label, key] : stages) {
        QVERIFY2(child<QWidget>(window, data)->isVisible() == present, data);
        QVERIFY2(child<QLabel>(window, missingLabel)->isVisible() == !present, missingLabel);
        // Nothing of an earlier position: each value is this reply's.
        QCOMPARE(text(window, label), details->getValue(QLatin1String(key)));
    }
    QCOMPARE(child<QWidget>(window, "esWidget")->isVisible(), extinction);
    QCOMPARE(text(window, "esTipologia"), details->getValue(QStringLiteral("ES_tipo")));

    // The plan: a table of instalments, or the notice that there is none.
    // Without a plan the table goes and uncovers the notice beneath it.
    QVERIFY(child<QLabel>(window, "ammortamentoLabel")->isVisible());
    QCOMPARE(child<QLabel>(window, "ammortamentoLabel")->text(),
        QStringLiteral("Piano di ammortamento non disponibile"));
    if (plan) {
        QVERIFY(amortization->rowCount() > 0);
        // The paid flag is drawn as colour, not as a column.
        QCOMPARE(table->model()->columnCount(), amortization->columnCount() - 1);
        for (int i = 0; i < amortization->rowCount(); ++i) {
            const bool unpaid
                = amortization->getValue(i, QStringLiteral("rata_pagata")) == QLatin1String("N");
            // Unpaid instalments in grey, dark enough to read.
            const QColor colour
                = amortization->index(i, 3).data(Qt::ForegroundRole).value<QColor>();
            QCOMPARE(colour.isValid(), unpaid);
            QVERIFY(!unpaid || (colour.hslSaturation() == 0 && colour.lightness() < 128));
        }
    }
}

void TestDetailFlow::amortizationChart()
{
    // Guards against a chart that misreads the Italian amounts, puts an instalment in the wrong
    // (paid/unpaid) bars, lags one plan behind, or stays on when a position has no plan.
    PositionDetailWindow* window = application->getPositionDetailWindow();
    auto* table = child<QTableView>(window, "ammortamentoTable");
    auto* chart = child<AmortizationChart>(window, "ammortamentoChart");
    auto* toggle = child<QPushButton>(window, "ammortamentoSwitch");
    Model::Amortization* plan = application->getAmortizationModel();
    const auto rows = [plan](const char* key) {
        QStringList values;
        for (int i = 0; i < plan->rowCount(); ++i)
            values << plan->getValue(i, QLatin1String(key));
        return values;
    };
    // The last row of the list with a plan of paid and unpaid instalments, so that the chart
    // drawn earlier belongs to another plan.
    int row = 0;
    for (;; ++row) {
        QVERIFY2(openPosition(QStringLiteral("Perfezionata"), row), "no plan half paid");
        QTRY_VERIFY_WITH_TIMEOUT(table->isVisible(), 20000);
        const QStringList paid = rows("rata_pagata");
        if (paid.contains(QStringLiteral("S")) && paid.contains(QStringLiteral("N")))
            break;
    }
    QVERIFY(!chart->isVisible());
    QCOMPARE(toggle->text(), QStringLiteral("Mostra grafico"));
    toggle->click();
    QVERIFY(chart->isVisible());
    QVERIFY(!table->isVisible());
    QCOMPARE(toggle->text(), QStringLiteral("Mostra tabella"));

    const QLocale italian(QLocale::Italian, QLocale::Italy);
    const auto amounts = [&rows, &italian](const char* key) {
        QList<double> values;
        for (const QString& text : rows(key)) {
            bool ok = false;
            values << italian.toDouble(text, &ok);
            if (!ok)
                qWarning() << "not an amount:" << key << text;
        }
        return values;
    };
    const QStringList paid = rows("rata_pagata");
    const QList<double> principal = amounts("quota_capitale");
    const QList<double> interest = amounts("quota_interesse");
    const QList<double> debt = amounts("debito_residuo");
    QwtPlotCurve* line = chart->getResidualDebtCurve();
    QwtPlotMultiBarChart* bars = chart->getInstalmentBars();
    QCOMPARE(int(line->dataSize()), plan->rowCount());
    QCOMPARE(int(bars->dataSize()), plan->rowCount());
    QCOMPARE(line->yAxis(), int(QwtPlot::yRight));
    QCOMPARE(bars->yAxis(), int(QwtPlot::yLeft));
    const QwtScaleDraw* instalmentAxis = chart->axisScaleDraw(QwtPlot::xBottom);
    double drawnPrincipal = 0.0;
    for (int i = 0; i < plan->rowCount(); ++i) {
        const bool isPaid = paid.at(i) == QLatin1String("S");
        const QwtSetSample bar = bars->sample(i);
        QCOMPARE(bar.value, line->sample(i).x());
        QCOMPARE(instalmentAxis->label(bar.value).text(), rows("numero_rata").at(i));
        QCOMPARE(line->sample(i).y(), debt.at(i));
        QCOMPARE(bar.set.size(), int(AmortizationChart::BarCount));
        QCOMPARE(bar.set.at(AmortizationChart::PaidPrincipal), isPaid ? principal.at(i) : 0.0);
        QCOMPARE(bar.set.at(AmortizationChart::PaidInterest), isPaid ? interest.at(i) : 0.0);
        QCOMPARE(bar.set.at(AmortizationChart::UnpaidPrincipal), isPaid ? 0.0 : principal.at(i));
        QCOMPARE(bar.set.at(AmortizationChart::UnpaidInterest), isPaid ? 0.0 : interest.at(i));
        drawnPrincipal += bar.set.at(AmortizationChart::PaidPrincipal)
            + bar.set.at(AmortizationChart::UnpaidPrincipal);
    }
    // The bars repay the whole loan and the line falls to nothing.
    QVERIFY(drawnPrincipal > 0.0);
    QCOMPARE(drawnPrincipal, debt.first() + principal.first());
    QCOMPARE(line->sample(plan->rowCount() - 1).y(), 0.0);
    // Both amount axes count in euro the Italian way, and reach above the highest value.
    for (int axis : { QwtPlot::yLeft, QwtPlot::yRight })
        QCOMPARE(chart->axisScaleDraw(axis)->label(1234567.0).text(), QStringLiteral("1.234.567"));
    QVERIFY(chart->axisInterval(QwtPlot::yRight).maxValue() >= debt.first());

    // A position without a plan: neither chart nor switch; the next plan opens on its table.
    QVERIFY(openPosition(QStringLiteral("In compilazione"), 0));
    QTRY_VERIFY(!chart->isVisible() && !toggle->isVisible() && !table->isVisible());
    QVERIFY(openPosition(QStringLiteral("Perfezionata"), row));
    QTRY_VERIFY_WITH_TIMEOUT(table->isVisible(), 20000);
    QVERIFY(!chart->isVisible());
    QVERIFY(toggle->isVisible());
}

void TestDetailFlow::relatedFormsBoxOnce()
{
    // Guards against the related forms never told, told twice, or told before the position shows.
    PositionWindow* list = application->getPositionWindow();
    Model::Position* model = application->getPositionModel();
    child<QComboBox>(list, "status")->setCurrentIndex(0);
    QVERIFY(search(list, "searchButton"));
    // Sorted by company, the forms of one file sit side by side.
    list->getStatusBar()->clearMessage();
    child<QTableView>(list, "dataTable")
        ->horizontalHeader()
        ->setSortIndicator(1, Qt::AscendingOrder);
    QTRY_VERIFY_WITH_TIMEOUT(
        list->getStatusBar()->currentMessage().startsWith(QLatin1String("Trovat")), 20000);
    int found = -1;
    for (int page = 0; page < 6 && found < 0; ++page) {
        QStringList files;
        for (int row = 0; row < model->rowCount(); ++row)
            files << model->getValue(row, QStringLiteral("pratica_id"));
        for (int row = 1; row < files.size() && found < 0; ++row) {
            if (files.at(row) == files.at(row - 1))
                found = row;
        }
        if (found < 0) {
            list->getStatusBar()->clearMessage();
            click(list->getPaginator(), "nextPage");
            QTRY_VERIFY_WITH_TIMEOUT(
                list->getStatusBar()->currentMessage().startsWith(QLatin1String("Trovat")), 20000);
        }
    }
    QVERIFY2(found > 0, "no position with a related technical form");

    PositionDetailWindow* detail = application->getPositionDetailWindow();
    detail->hide();
    relatedBoxCloser.stop();
    // Started again however this test ends, so that no later box is left open.
    const std::unique_ptr<QTimer, void (*)(QTimer*)> restart(
        &relatedBoxCloser, [](QTimer* timer) { timer->start(20); });
    // Each box is answered here, noting whether the position was already on screen.
    QStringList boxes;
    bool shownFirst = false;
    QTimer watch;
    connect(&watch, &QTimer::timeout, this, [detail, &boxes, &shownFirst] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        shownFirst = boxes.isEmpty() && detail->isVisible();
        boxes << box->windowTitle() + QLatin1Char(':') + box->text();
        box->accept();
    });
    watch.start(5);
    emit child<QTableView>(list, "dataTable")->doubleClicked(model->index(found, 1));
    QTRY_COMPARE_WITH_TIMEOUT(boxes.size(), 1, 20000);
    QVERIFY(shownFirst);
    QVERIFY2(boxes.first().startsWith(QLatin1String(
                 "Trovate forme tecniche collegate:La pratica comprende anche la forma tecnica")),
        qPrintable(boxes.first()));
    // No second box follows, whatever else the queue still runs.
    QTRY_VERIFY_WITH_TIMEOUT(!application->getCommandManager()->isBusy(), 20000);
    QTest::qWait(200);
    QCOMPARE(boxes.size(), 1);
}

void TestDetailFlow::positionPdf()
{
    // Guards against a wrong proposed name or folder, a PDF not written as sent or not opened,
    // and a cancelled dialog that still downloads.
    QVERIFY(openPosition(QStringLiteral("Perfezionata"), 1));
    PositionDetailWindow* window = application->getPositionDetailWindow();
    const QString qrv
        = application->getPositionDetailsModel()->getValue(QStringLiteral("codice_qrv"));
    OpenRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "open");

    QTRY_VERIFY_WITH_TIMEOUT(!application->getCommandManager()->isBusy(), 20000);
    QString proposed;
    QString directory;
    answerFileDialog(QString(), &proposed, &directory);
    trigger(window, QStringLiteral("Stampa PDF"));
    QCOMPARE(proposed, QStringLiteral("Pratica-%1.pdf").arg(qrv));
    QCOMPARE(directory,
        QDir(QStandardPaths::writableLocation(QStandardPaths::DownloadLocation)).absolutePath());
    QVERIFY(!window->getDownloadProgressDialog());
    QVERIFY(!application->getCommandManager()->isBusy());

    const QString target = QDir::current().filePath(QStringLiteral("pratica.pdf"));
    answerFileDialog(target, &proposed, &directory);
    trigger(window, QStringLiteral("Stampa PDF"));
    QTRY_COMPARE_WITH_TIMEOUT(recorder.opened.size(), 1, 20000);
    QCOMPARE(recorder.opened.first(), QUrl::fromLocalFile(target));
    QVERIFY(readAll(target).startsWith("%PDF"));
    QVERIFY(!window->getDownloadProgressDialog()->isVisible());
    // The wait told the bytes as they came and offered to give up.
    QVERIFY(window->getDownloadProgressDialog()->labelText().startsWith(
        QStringLiteral("Download del file in corso...\nRicevuti ")));
    QCOMPARE(window->getDownloadProgressDialog()->findChild<QPushButton*>()->text(),
        QStringLiteral("Annulla"));
    // The next save starts in the folder last saved to.
    answerFileDialog(QString(), &proposed, &directory);
    trigger(window, QStringLiteral("Stampa PDF"));
    QCOMPARE(directory, QDir::current().absolutePath());
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
}

void TestDetailFlow::companyRecord()
{
    // Guards against the record window opening the wrong company, from either list, or its
    // previous and next buttons leading nowhere.
    AnagraphicWindow* record = application->getAnagraphicWindow();
    const auto shows = [record](const QString& name) {
        return QTest::qWaitFor(
            [record, name] { return record->isVisible() && text(record, "companyName") == name; },
            20000);
    };
    // From the position detail.
    PositionDetailWindow* detail = application->getPositionDetailWindow();
    QVERIFY(detail->isVisible());
    click(detail, "showAnagraphicWindow");
    QVERIFY(shows(text(detail, "companyName")));
    QCOMPARE(text(record, "fiscalCode"), text(detail, "fiscalCode"));
    record->close();
    detail->close();

    // From the company list.
    CompanyWindow* list = application->getCompanyWindow();
    list->open();
    QVERIFY(search(list, "fetchButton"));
    Model::Company* companies = application->getCompanyModel();
    emit child<QTableView>(list, "dataTable")->doubleClicked(companies->index(2, 1));
    QVERIFY(shows(companies->getValue(2, QStringLiteral("ragione_sociale"))));
    QCOMPARE(record->windowTitle(), QStringLiteral("Dettaglio anagrafica impresa"));

    // A merged company: its successor, and back.
    Model::Anagraphic* model = application->getAnagraphicModel();
    auto* previous = child<QPushButton>(record, "previousButton");
    auto* next = child<QPushButton>(record, "nextButton");
    QString merged;
    for (int id = 10; id < 1000 && merged.isEmpty(); id += 50) {
        record->showAnagraphic(QString::number(id));
        QTRY_VERIFY_WITH_TIMEOUT(model->getId() == QString::number(id)
                && text(record, "companyName") != QLatin1String("n.d."),
            20000);
        if (next->isEnabled())
            merged = QString::number(id);
        else
            QVERIFY(model->getValue(QStringLiteral("anag_succ")).isEmpty());
    }
    QVERIFY2(!merged.isEmpty(), "no merged company");
    const QString older = text(record, "companyName");
    const QString successor = model->getValue(QStringLiteral("anag_succ"));
    next->click();
    QTRY_VERIFY_WITH_TIMEOUT(model->getId() == successor && previous->isEnabled(), 20000);
    QVERIFY(text(record, "companyName") != older);
    previous->click();
    QTRY_VERIFY_WITH_TIMEOUT(text(record, "companyName") == older, 20000);
    QCOMPARE(model->getId(), merged);
    record->close();
    list->close();
}

void TestDetailFlow::ticketConversation()
{
    // Guards against messages shown oldest first, a ticket showing another's messages, and a new
    // message (empty text refused) not followed by the conversation fetched again.
    TicketWindow* list = application->getTicketWindow();
    Model::Ticket* model = application->getTicketModel();
    list->open();
    QTRY_VERIFY_WITH_TIMEOUT(model->rowCount() > 3, 20000);
    TicketDetailWindow* window = list->getTicketDetailWindow();
    auto* table = child<QTableView>(list, "dataTable");
    const auto openTicket = [&](int row) {
        emit table->doubleClicked(model->index(row, 4));
        QVERIFY(window->isVisible());
        // The header is the list's; no message of an earlier ticket before the reply.
        QCOMPARE(text(window, "code"), model->getValue(row, QStringLiteral("codice")));
        QCOMPARE(window->windowTitle(),
            QStringLiteral("Dettaglio ticket ") + model->getValue(row, QStringLiteral("codice")));
        QVERIFY(shownMessages(window).isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(!child<QTextEdit>(window, "text")->toPlainText().isEmpty(), 20000);
    };
    int three = -1;
    for (int row = 0; row < model->rowCount() && three < 0; ++row) {
        openTicket(row);
        if (model->getTicketMessages().size() == 3)
            three = row;
    }
    QVERIFY2(three >= 0, "no ticket with three messages");
    QCOMPARE(text(window, "status"), model->getValue(three, QStringLiteral("stato")));
    QVERIFY(child<QLabel>(window, "status")->styleSheet().startsWith(QLatin1String("color: #")));
    const QStringList shown = shownMessages(window);
    QCOMPARE(shown.size(), 3);
    const QList<TicketMessage*> messages = model->getTicketMessages();
    // Newest first: the list from the top is the messages from the last.
    for (int i = 0; i < 3; ++i) {
        const TicketMessage* message = messages.at(2 - i);
        QVERIFY2(
            shown.at(i).endsWith(QLatin1Char('\n') + message->getText()), qPrintable(shown.at(i)));
        QVERIFY(shown.at(i).contains(QStringLiteral("Il: ")
            + message->getDateTime().toString(QStringLiteral("dd/MM/yyyy"))));
    }
    QPointer<TicketMessage> oldMessage = messages.first();

    // Another ticket: the first one's messages go, and are freed.
    const int other = three == 0 ? 1 : 0;
    openTicket(other);
    QVERIFY(oldMessage.isNull());
    QCOMPARE(shownMessages(window).size(), model->getTicketMessages().size());

    // A new message: blank text refused, then sent and the conversation fetched again.
    const int before = model->getTicketMessages().size();
    InsertTicketMessageWindow* dialog = window->getInsertTicketMessageWindow();
    MessageBoxAnswerer answerer;
    answerer.expect(QStringLiteral("Campo messaggio non valido"),
        QStringLiteral("Inserisci un testo valido per il nuovo messaggio"), QMessageBox::Ok);
    answerer.expect(QStringLiteral("Messaggio inserito"),
        QStringLiteral("Messaggio inserito con successo"), QMessageBox::Ok);
    const QString message = QStringLiteral("Grazie, attendo notizie.");
    QTimer driver;
    int step = 0;
    connect(&driver, &QTimer::timeout, this, [&] {
        if (QApplication::activeModalWidget() != dialog)
            return;
        if (step == 0) {
            step = 1;
            // Blanks alone are no message (the server would refuse them).
            child<QTextEdit>(dialog, "message")->setPlainText(QStringLiteral("  \n "));
            click(dialog, "accept");
        } else if (step == 1 && answerer.answeredCount() == 1) {
            step = 2;
            child<QTextEdit>(dialog, "message")->setPlainText(message);
            click(dialog, "accept");
        }
    });
    driver.start(20);
    trigger(window, QStringLiteral("Nuovo Messaggio"));
    driver.stop();
    QCOMPARE(answerer.answeredCount(), 2);
    QVERIFY2(answerer.getFailures().isEmpty(),
        qPrintable(answerer.getFailures().join(QLatin1Char('\n'))));
    QVERIFY(!dialog->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(shownMessages(window).size(), before + 1, 20000);
    const QStringList after = shownMessages(window);
    QVERIFY(std::any_of(after.cbegin(), after.cend(),
        [&message](const QString& shown) { return shown.endsWith(QLatin1Char('\n') + message); }));
    window->close();
    list->close();
}

QTEST_MAIN(TestDetailFlow)
#include "tst_detailflow.moc"
