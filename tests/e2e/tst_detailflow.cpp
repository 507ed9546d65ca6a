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
#include "support/datarows.h"
#include "support/messageboxanswerer.h"
#include "ui/amortizationchart.h"
#include "ui/anagraphicwindow.h"
#include "ui/companywindow.h"
#include "ui/insertticketmessagewindow.h"
#include "ui/paginator.h"
#include "ui/positiondetailwindow.h"
#include "ui/positionwindow.h"
#include "ui/ticketdetailwindow.h"
#include "ui/ticketwindow.h"

#include <QAccessible>
#include <QtTest>
#include <QtWidgets>
#include <qwt_plot_curve.h>
#include <qwt_plot_multi_barchart.h>
#include <qwt_scale_draw.h>

using namespace Corvane;
using namespace Corvane::Test;
using namespace Corvane::Test::E2e;

namespace {

/// The conversation as its list reads it out to assistive technology, top to bottom.
QStringList shownMessages(TicketDetailWindow* window)
{
    auto* view = child<QListView>(window, "messagesView");
    // With no screen reader running Qt does not tell the list's interface of a new conversation.
    QAccessible::deleteAccessibleInterface(
        QAccessible::uniqueId(QAccessible::queryAccessibleInterface(view)));
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(view);
    QStringList texts;
    for (int i = 0; i < list->childCount(); ++i)
        texts << list->child(i)->text(QAccessible::Name);
    return texts;
}
}

/// From the lists to a position in full, a company record and a ticket's conversation.
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
    auto* status = child<QComboBox>(list, "status");
    if (!list->isVisible()) {
        list->open();
        if (!QTest::qWaitFor([status] { return status->count() > 2; }, 20000))
            return false;
    }
    status->setCurrentText(state);
    Model::Position* model = application->getPositionModel();
    if (search(list, "searchButton") < 0 || row >= model->rowCount())
        return false;
    PositionDetailWindow* detail = application->getPositionDetailWindow();
    detail->hide();
    const QString company = model->getValue(row, QStringLiteral("i_ragsoc"));
    emit child<QTableView>(list, "dataTable")->doubleClicked(model->index(row, 1));
    return QTest::qWaitFor(
        [detail, company] {
            return detail->isVisible() && labelText(detail, "companyName") == company;
        },
        20000);
}

void TestDetailFlow::positionStages_data()
{
    // What the detail shows: the stages, a plan, a plan half paid.
    addRows({ "state", "shown" },
        { { "all four stages", "Estinta", "dc db pe es plan" },
            { "disbursed, still paying", "Perfezionata", "dc db pe plan mixed" },
            { "no resolution yet", "In compilazione", "" } });
}

void TestDetailFlow::positionStages()
{
    // Guards against a stage shown when the server says "NO" (or hidden when present), a plan
    // shown for none, unpaid instalments not greyed, and values of the previous position left.
    QFETCH(QString, state);
    QFETCH(QString, shown);
    const QStringList parts = shown.split(QLatin1Char(' '));
    const bool plan = parts.contains(QStringLiteral("plan"));
    PositionDetailWindow* window = application->getPositionDetailWindow();
    auto* table = child<QTableView>(window, "ammortamentoTable");
    Model::Amortization* amortization = application->getAmortizationModel();
    // With mixedPlan, the first position of the list whose plan has paid and unpaid instalments.
    for (int row = 0;; ++row) {
        QVERIFY2(openPosition(state, row), "no position with the plan sought");
        QTRY_VERIFY_WITH_TIMEOUT(table->isVisible() == plan, 20000);
        if (!parts.contains(QStringLiteral("mixed")) || halfPaidPlan(application))
            break;
    }
    Model::PositionDetails* details = application->getPositionDetailsModel();
    const auto value = [details](const char* key) { return details->getValue(QLatin1String(key)); };
    QCOMPARE(window->windowTitle(), QStringLiteral("Dettaglio posizioni"));
    QCOMPARE(labelText(window, "ftStato"), state);
    QCOMPARE(child<QGroupBox>(window, "ftGroup")->title(),
        QStringLiteral("Forma tecnica: %1    Codice QRV: %2")
            .arg(value("codice_ft"), value("codice_qrv")));
    QVERIFY(labelText(window, "ftImporto").endsWith(" garantito al " + value("gar_perc")));
    const QList<std::tuple<const char*, const char*, const char*, const char*>> stages {
        { "deliberaConfidiPresenteLabel", "dcWidget", "dcNumero", "DC_num" },
        { "deliberaBancaPresenteLabel", "dbWidget", "dbNumero", "DB_num" },
        { "perfezionamentoPresenteLabel", "peWidget", "peNumero", "PE_numero" },
        { nullptr, "esWidget", "esTipologia", "ES_tipo" },
    };
    for (const auto& [missingLabel, data, label, key] : stages) {
        const bool present = parts.contains(QString::fromLatin1(data, 2));
        QVERIFY2(child<QWidget>(window, data)->isVisible() == present, data);
        QVERIFY2(!missingLabel || child<QLabel>(window, missingLabel)->isVisible() == !present,
            missingLabel);
        // Nothing of an earlier position: each value is this reply's.
        QCOMPARE(labelText(window, label), value(key));
    }
    // Without a plan the table goes and uncovers the notice beneath it.
    QVERIFY(child<QLabel>(window, "ammortamentoLabel")->isVisible());
    QCOMPARE(labelText(window, "ammortamentoLabel"),
        QStringLiteral("Piano di ammortamento non disponibile"));
    QVERIFY(!plan || amortization->rowCount() > 0);
    // The paid flag is drawn as colour, not as a column.
    QVERIFY(!plan || table->model()->columnCount() == amortization->columnCount() - 1);
    for (int i = 0; plan && i < amortization->rowCount(); ++i) {
        const bool unpaid
            = amortization->getValue(i, QStringLiteral("rata_pagata")) == QLatin1String("N");
        // Unpaid instalments in grey, dark enough to read.
        const QColor colour = amortization->index(i, 3).data(Qt::ForegroundRole).value<QColor>();
        QCOMPARE(colour.isValid(), unpaid);
        QVERIFY(!unpaid || (colour.hslSaturation() == 0 && colour.lightness() < 128));
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
    // The last row of the list with a half paid plan, so that the chart drawn earlier belongs
    // to another plan.
    int row = 0;
    for (;; ++row) {
        QVERIFY2(openPosition(QStringLiteral("Perfezionata"), row), "no plan half paid");
        QTRY_VERIFY_WITH_TIMEOUT(table->isVisible(), 20000);
        if (halfPaidPlan(application))
            break;
    }
    QVERIFY(!chart->isVisible());
    QCOMPARE(toggle->text(), QStringLiteral("Mostra grafico"));
    toggle->click();
    QVERIFY(chart->isVisible());
    QVERIFY(!table->isVisible());
    QCOMPARE(toggle->text(), QStringLiteral("Mostra tabella"));

    const auto rows = [plan](const char* key) {
        QStringList values;
        for (int i = 0; i < plan->rowCount(); ++i)
            values << plan->getValue(i, QLatin1String(key));
        return values;
    };
    const auto amounts = [&rows](const char* key) {
        QList<double> values;
        for (const QString& text : rows(key)) {
            bool ok = false;
            values << QLocale(QLocale::Italian, QLocale::Italy).toDouble(text, &ok);
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
    QVERIFY(search(list, "searchButton") >= 0);
    // Sorted by company, the forms of one file sit side by side.
    list->getStatusBar()->clearMessage();
    child<QTableView>(list, "dataTable")
        ->horizontalHeader()
        ->setSortIndicator(1, Qt::AscendingOrder);
    QTRY_VERIFY_WITH_TIMEOUT(shownCount(list) >= 0, 20000);
    int found = -1;
    for (int page = 0; page < 6 && found < 0; ++page) {
        QStringList files;
        for (int row = 0; row < model->rowCount(); ++row)
            files << model->getValue(row, QStringLiteral("pratica_id"));
        for (int row = 1; row < files.size() && found < 0; ++row) {
            if (files.at(row) == files.at(row - 1))
                found = row;
        }
        QVERIFY(found >= 0 || search(list, "nextPage") >= 0);
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
    QTRY_VERIFY_WITH_TIMEOUT(!application->getCommandManager()->isBusy(), 20000);
    QString proposed;
    QString directory;
    // Answered with path, or cancelled without one.
    const auto print = [&](const QString& path) {
        answerFileDialog(path, &proposed, &directory);
        trigger(window, QStringLiteral("Stampa PDF"));
    };
    print(QString());
    QCOMPARE(proposed, QStringLiteral("Pratica-%1.pdf").arg(qrv));
    QCOMPARE(directory,
        QDir(QStandardPaths::writableLocation(QStandardPaths::DownloadLocation)).absolutePath());
    QVERIFY(!window->getDownloadProgressDialog());
    QVERIFY(!application->getCommandManager()->isBusy());

    const QString target = QDir::current().filePath(QStringLiteral("pratica.pdf"));
    print(target);
    QTRY_COMPARE_WITH_TIMEOUT(recorder.opened.size(), 1, 20000);
    QCOMPARE(recorder.opened.first(), QUrl::fromLocalFile(target));
    QVERIFY(readAll(target).startsWith("%PDF"));
    QProgressDialog* progress = window->getDownloadProgressDialog();
    QVERIFY(!progress->isVisible());
    // The wait told the bytes as they came and offered to give up.
    QVERIFY(progress->labelText().startsWith("Download del file in corso...\nRicevuti "));
    QCOMPARE(progress->findChild<QPushButton*>()->text(), QStringLiteral("Annulla"));
    // The next save starts in the folder last saved to.
    print(QString());
    QCOMPARE(directory, QDir::current().absolutePath());
}

void TestDetailFlow::companyRecord()
{
    // Guards against the record window opening the wrong company, from either list, or its
    // previous and next buttons leading nowhere.
    AnagraphicWindow* record = application->getAnagraphicWindow();
    const auto shows = [record](const QString& name) {
        return QTest::qWaitFor(
            [record, name] {
                return record->isVisible() && labelText(record, "companyName") == name;
            },
            20000);
    };
    // From the position detail.
    PositionDetailWindow* detail = application->getPositionDetailWindow();
    QVERIFY(detail->isVisible());
    click(detail, "showAnagraphicWindow");
    QVERIFY(shows(labelText(detail, "companyName")));
    QCOMPARE(labelText(record, "fiscalCode"), labelText(detail, "fiscalCode"));
    record->close();
    detail->close();
    // From the company list.
    CompanyWindow* list = application->getCompanyWindow();
    list->open();
    QVERIFY(search(list, "fetchButton") >= 0);
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
                && labelText(record, "companyName") != QLatin1String("n.d."),
            20000);
        if (next->isEnabled())
            merged = QString::number(id);
        else
            QVERIFY(model->getValue(QStringLiteral("anag_succ")).isEmpty());
    }
    QVERIFY2(!merged.isEmpty(), "no merged company");
    const QString older = labelText(record, "companyName");
    const QString successor = model->getValue(QStringLiteral("anag_succ"));
    next->click();
    QTRY_VERIFY_WITH_TIMEOUT(model->getId() == successor && previous->isEnabled(), 20000);
    QVERIFY(labelText(record, "companyName") != older);
    previous->click();
    QTRY_VERIFY_WITH_TIMEOUT(labelText(record, "companyName") == older, 20000);
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
    const auto openTicket = [&](int row) {
        emit child<QTableView>(list, "dataTable")->doubleClicked(model->index(row, 4));
        QVERIFY(window->isVisible());
        // The header is the list's; no message of an earlier ticket before the reply.
        const QString code = model->getValue(row, QStringLiteral("codice"));
        QCOMPARE(labelText(window, "code"), code);
        QCOMPARE(window->windowTitle(), QStringLiteral("Dettaglio ticket ") + code);
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
    QCOMPARE(labelText(window, "status"), model->getValue(three, QStringLiteral("stato")));
    QVERIFY(child<QLabel>(window, "status")->styleSheet().startsWith(QLatin1String("color: #")));
    const QStringList shown = shownMessages(window);
    QCOMPARE(shown.size(), 3);
    const QList<TicketMessage*> messages = model->getTicketMessages();
    // Newest first: the list from the top is the messages from the last.
    for (int i = 0; i < 3; ++i) {
        const TicketMessage* message = messages.at(2 - i);
        QVERIFY2(shown.at(i).endsWith('\n' + message->getText()), qPrintable(shown.at(i)));
        QVERIFY(shown.at(i).contains(
            "Il: " + message->getDateTime().toString(QStringLiteral("dd/MM/yyyy"))));
    }
    QPointer<TicketMessage> oldMessage = messages.first();
    // Another ticket: the first one's messages go, and are freed.
    openTicket(three == 0 ? 1 : 0);
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
    // Blanks alone are no message (the server would refuse them), then the message.
    QStringList texts { QStringLiteral("  \n "), message };
    QTimer driver;
    connect(&driver, &QTimer::timeout, this, [&] {
        if (QApplication::activeModalWidget() == dialog && !texts.isEmpty()
            && answerer.answeredCount() == 2 - texts.size()) {
            child<QTextEdit>(dialog, "message")->setPlainText(texts.takeFirst());
            click(dialog, "accept");
        }
    });
    driver.start(20);
    trigger(window, QStringLiteral("Nuovo Messaggio"));
    driver.stop();
    QCOMPARE(answerer.answeredCount(), 2);
    QVERIFY2(answerer.getFailures().isEmpty(), qPrintable(answerer.problems()));
    QVERIFY(!dialog->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(shownMessages(window).size(), before + 1, 20000);
    const QStringList after = shownMessages(window);
    QVERIFY(std::any_of(after.cbegin(), after.cend(),
        [&message](const QString& shown) { return shown.endsWith('\n' + message); }));
    window->close();
    list->close();
}

QTEST_MAIN(TestDetailFlow)
#include "tst_detailflow.moc"
