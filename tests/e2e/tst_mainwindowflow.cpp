#include "app/account.h"
#include "app/applicationmanager.h"
#include "e2esession.h"
#include "models/amortization.h"
#include "models/anagraphic.h"
#include "models/company.h"
#include "models/position.h"
#include "models/positiondetails.h"
#include "models/report.h"
#include "models/searchfilters.h"
#include "models/ticket.h"
#include "models/ticketmessage.h"
#include "protocol/commandmanager.h"
#include "support/datarows.h"
#include "support/messageboxanswerer.h"
#include "support/testenvironment.h"
#include "ui/amortizationchart.h"
#include "ui/anagraphicwindow.h"
#include "ui/companywindow.h"
#include "ui/insertticketmessagewindow.h"
#include "ui/insertticketwindow.h"
#include "ui/loginwindow.h"
#include "ui/mainwindow.h"
#include "ui/paginator.h"
#include "ui/positiondetailwindow.h"
#include "ui/positionwindow.h"
#include "ui/reportwindow.h"
#include "ui/ticketdetailwindow.h"
#include "ui/ticketwindow.h"
#include "ui/windowlayout.h"

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

/// A user signs in, picks a bank and works in the main window, the four lists, a position in full,
/// a company record and a ticket's conversation; the server goes away and comes back.
class TestMainWindowFlow final : public E2eTest {
    Q_OBJECT
private slots:
    void initTestCase();

    void mainWindowShowsTheSession();
    void companySearchesSortsAndPages();
    void positionFilters();
    void positionStages_data();
    void positionStages();
    void amortizationChart();
    void relatedFormsBoxOnce();
    void positionPdf();
    void companyRecord();
    void reportDownloads();
    void ticketConversation();
    void ticketsAndNewTicket();
    void serverStopsAndReturns();
    void refusedSessionEndsTheProgram();
    void logoutEndsTheSession();

private:
    /// Triggers the main window's action of that name.
    void act(const char* name)
    {
        application->getMainWindow()->findChild<QAction*>(name)->trigger();
    }
    /// Lists the positions in that state and opens the row's detail; false when there is none.
    bool openPosition(const QString& state, int row);
    /// Opens the list's row with Enter, as the keyboard alone does.
    void enter(AbstractTableWindow* list, int row);

    ApplicationManager* application = nullptr;
    /// Closes the related-forms box of the positions the tests open, except where it is tested.
    QTimer relatedBoxCloser;
};

void TestMainWindowFlow::initTestCase()
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

void TestMainWindowFlow::mainWindowShowsTheSession()
{
    // Guards against a chosen bank leaving the user without a window, or the wrong session shown.
    MainWindow* window = application->getMainWindow();
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
    QVERIFY(std::any_of(labels.cbegin(), labels.cend(), [this](QLabel* label) {
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
    // Guards against a filter, "Mostra tutto", a sort or a page button not reaching the server.
    act("actionImprese");
    CompanyWindow* window = application->getCompanyWindow();
    QTRY_VERIFY(window->isVisible());
    QVERIFY(window->windowTitle().endsWith(application->getBank()));
    auto* province = child<QComboBox>(window, "province");
    // The province list is the server's, after an empty entry.
    QTRY_VERIFY_WITH_TIMEOUT(province->count() > 10, 20000);
    QCOMPARE(province->itemText(0), QString());
    Model::Company* model = application->getCompanyModel();
    auto* table = child<QTableView>(window, "dataTable");
    QHeaderView* header = table->horizontalHeader();
    const auto sort = [window, header](int column, Qt::SortOrder order) {
        window->getStatusBar()->clearMessage();
        header->setSortIndicator(column, order);
    };
    const int all = search(window, "fetchButton");
    QVERIFY(all > 20);
    QCOMPARE(model->rowCount(), 20);

    // By name, Enter in the field searching: every row carries the typed text.
    const QString name = model->index(0, 1).data().toString();
    type(window, "companyName", name);
    window->getStatusBar()->clearMessage();
    QTest::keyClick(child<QLineEdit>(window, "companyName"), Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(shownCount(window) >= 0, 20000);
    const int byName = shownCount(window);
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
    // From the keyboard, the table's menu sorts by city.
    table->setFocus();
    table->setCurrentIndex(table->model()->index(0, 0));
    QTest::keyClick(table, Qt::Key_F10, Qt::ShiftModifier);
    QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()));
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    const QList<QAction*> actions = menu->actions();
    const auto byCity = std::find_if(actions.cbegin(), actions.cend(),
        [](QAction* action) { return action->text().startsWith(QLatin1String("Comune")); });
    QVERIFY(byCity != actions.cend());
    (*byCity)->trigger();
    menu->close();
    QTRY_VERIFY_WITH_TIMEOUT(shownCount(window) >= 0, 20000);
    QCOMPARE(model->getSearchFilters().sortKey, QStringLiteral("comune"));

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
        QVERIFY(search(window, button) >= 0);
        QTRY_COMPARE(label->text(), QStringLiteral("Pagina %1 di %2").arg(page).arg(pages));
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
    PositionWindow* window = application->getPositionWindow();
    QTRY_VERIFY(window->isVisible());
    auto* status = child<QComboBox>(window, "status");
    QTRY_VERIFY_WITH_TIMEOUT(status->count() > 2, 20000);
    Model::Position* model = application->getPositionModel();
    const int stateColumn = model->getColumnIndex(QStringLiteral("stato"));

    const int all = search(window, "fetchButton");
    QVERIFY(all > 0);
    // Tab leaves the table for the next field.
    auto* table = child<QTableView>(window, "dataTable");
    window->activateWindow();
    QTRY_VERIFY(window->isActiveWindow());
    table->setFocus();
    QVERIFY(table->hasFocus());
    QTest::keyClick(table, Qt::Key_Tab);
    QVERIFY(!table->hasFocus());
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

void TestMainWindowFlow::enter(AbstractTableWindow* list, int row)
{
    auto* table = child<QTableView>(list, "dataTable");
    table->setFocus();
    table->setCurrentIndex(table->model()->index(row, 0));
    list->getStatusBar()->clearMessage();
    QTest::keyClick(table, Qt::Key_Return);
    QVERIFY2(list->getStatusBar()->currentMessage().isEmpty(), "Enter searched again");
}

bool TestMainWindowFlow::openPosition(const QString& state, int row)
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
    enter(list, row);
    return showsCompany(detail, model->getValue(row, QStringLiteral("i_ragsoc")));
}

void TestMainWindowFlow::positionStages_data()
{
    // What the detail shows: the stages, a plan, a plan half paid.
    addRows({ "state", "shown" },
        { { "all four stages", "Estinta", "dc db pe es plan" },
            { "disbursed, still paying", "Perfezionata", "dc db pe plan mixed" },
            { "no resolution yet", "In compilazione", "" } });
}

void TestMainWindowFlow::positionStages()
{
    // Guards against a stage or plan shown wrongly, unpaid instalments not greyed, stale values.
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

void TestMainWindowFlow::amortizationChart()
{
    // Guards against a chart misreading amounts or paid flags, a plan behind, or left on for none.
    PositionDetailWindow* window = application->getPositionDetailWindow();
    auto* table = child<QTableView>(window, "ammortamentoTable");
    auto* chart = child<AmortizationChart>(window, "ammortamentoChart");
    auto* toggle = child<QPushButton>(window, "ammortamentoSwitch");
    Model::Amortization* plan = application->getAmortizationModel();
    // The first position with a half paid plan, opened after one without a plan.
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

void TestMainWindowFlow::relatedFormsBoxOnce()
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
    const BoxRecorder boxes(detail);
    emit child<QTableView>(list, "dataTable")->doubleClicked(model->index(found, 1));
    QTRY_COMPARE_WITH_TIMEOUT(boxes.getBoxes().size(), 1, 20000);
    QVERIFY(boxes.watchedShownFirst());
    QVERIFY2(boxes.getBoxes().first().startsWith(QLatin1String(
                 "Trovate forme tecniche collegate:La pratica comprende anche la forma tecnica")),
        qPrintable(boxes.getBoxes().first()));
    // No second box follows, whatever else the queue still runs.
    QTRY_VERIFY_WITH_TIMEOUT(!application->getCommandManager()->isBusy(), 20000);
    QVERIFY(!QTest::qWaitFor([&boxes] { return boxes.getBoxes().size() > 1; }, 200));
}

void TestMainWindowFlow::positionPdf()
{
    // Guards against a wrong name or folder, a PDF not written or opened, a cancel that downloads.
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

void TestMainWindowFlow::companyRecord()
{
    // Guards against the wrong company opened, or its merger buttons leading nowhere or unfocused.
    AnagraphicWindow* record = application->getAnagraphicWindow();
    // From the position detail.
    PositionDetailWindow* detail = application->getPositionDetailWindow();
    QVERIFY(detail->isVisible());
    click(detail, "showAnagraphicWindow");
    QVERIFY(showsCompany(record, labelText(detail, "companyName")));
    QCOMPARE(labelText(record, "fiscalCode"), labelText(detail, "fiscalCode"));
    record->close();
    detail->close();
    // From the company list.
    CompanyWindow* list = application->getCompanyWindow();
    list->open();
    QVERIFY(search(list, "fetchButton") >= 0);
    Model::Company* companies = application->getCompanyModel();
    enter(list, 2);
    QVERIFY(showsCompany(record, companies->getValue(2, QStringLiteral("ragione_sociale"))));
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
    // Pressed from the keyboard: the focus stays in the record as it goes to the successor.
    record->activateWindow();
    QTRY_VERIFY(record->isActiveWindow());
    next->setFocus();
    QTest::keyClick(next, Qt::Key_Space);
    QVERIFY(record->focusWidget() && record->focusWidget()->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(model->getId() == successor && previous->isEnabled(), 20000);
    QVERIFY(record->focusWidget() == next || record->focusWidget() == previous);
    QVERIFY(labelText(record, "companyName") != older);
    previous->click();
    QTRY_VERIFY_WITH_TIMEOUT(labelText(record, "companyName") == older, 20000);
    QCOMPARE(model->getId(), merged);
    record->close();
    list->close();
}

void TestMainWindowFlow::ticketConversation()
{
    // Guards against messages oldest first or another ticket's, or a new one not fetched again.
    TicketWindow* list = application->getTicketWindow();
    Model::Ticket* model = application->getTicketModel();
    list->open();
    QTRY_VERIFY_WITH_TIMEOUT(model->rowCount() > 3, 20000);
    TicketDetailWindow* window = list->getTicketDetailWindow();
    const auto openTicket = [&](int row) {
        enter(list, row);
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

void TestMainWindowFlow::reportDownloads()
{
    // Guards against a report not written as sent or opened, or an empty one replacing a file.
    act("actionReport");
    ReportWindow* window = application->getReportWindow();
    QTRY_VERIFY(window->isVisible());
    auto* enable = child<QCheckBox>(window, "dateFilterEnabled");
    QVERIFY(enable->isChecked());
    const QDate twoMonthsBack = QDate::currentDate().addMonths(-2);
    QCOMPARE(child<QDateEdit>(window, "fromDate")->date(),
        QDate(twoMonthsBack.year(), twoMonthsBack.month(), 1));
    Model::Report* model = application->getReportModel();
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
    // As on a first run: no folder saved to yet (the position's PDF went to one).
    WindowLayout::setLastFolder(QString());
    const QString target = QDir::current().filePath(QStringLiteral("scaricato.csv"));
    QString proposed;
    QString directory;
    const auto download = [&](const QString& path, int row) {
        answerFileDialog(path, &proposed, &directory);
        enter(window, row);
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
    TicketWindow* window = application->getTicketWindow();
    // Already opened once: the reply of this opening is awaited, not the earlier one's.
    window->getStatusBar()->clearMessage();
    act("actionVisualizza_Ticket");
    Model::Ticket* model = application->getTicketModel();
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
    InsertTicketWindow* insert = application->getInsertTicketWindow();
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
    // Blanks alone are no subject and no text (the server would refuse them); Enter on the
    // focused button presses it.
    type(insert, "object", QStringLiteral("   "));
    child<QPushButton>(insert, "accept")->setFocus();
    QTest::keyClick(child<QPushButton>(insert, "accept"), Qt::Key_Return);
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
    // Guards against a lost server ending the program, losing typed text, or the session after.
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
    ReportWindow* window = application->getReportWindow();
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
    MainWindow* window = application->getMainWindow();
    act("actionEsci");
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(sessionFile(QStringLiteral("auth.txt"))), 20000);
    QVERIFY(!window->isVisible());
    QVERIFY(TestEnvironment::takeQuitRequest());
    QCOMPARE(QFile(QStringLiteral("corvane2.log")).size(), 0);
}

QTEST_MAIN(TestMainWindowFlow)
#include "tst_mainwindowflow.moc"
