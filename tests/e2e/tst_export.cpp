#include "app/applicationmanager.h"
#include "e2esession.h"
#include "models/amortization.h"
#include "models/company.h"
#include "models/position.h"
#include "models/positiondetails.h"
#include "models/report.h"
#include "models/ticket.h"
#include "protocol/commandmanager.h"
#include "serverprocess.h"
#include "support/testenvironment.h"
#include "ui/companywindow.h"
#include "ui/mainwindow.h"
#include "ui/positiondetailwindow.h"
#include "ui/positionwindow.h"
#include "ui/reportwindow.h"
#include "ui/ticketwindow.h"
#include "ui/windowlayout.h"

#include <QAbstractProxyModel>
#include <QClipboard>
#include <QDir>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QProgressDialog>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace Corvane;
using namespace Corvane::Test;
using namespace Corvane::Test::E2e;
using Kind = Model::ExportColumn::Kind;

namespace {

/// The model columns a table shows, in the order the user sees them.
QList<int> shownColumns(QTableView* table)
{
    auto* proxy = qobject_cast<QAbstractProxyModel*>(table->model());
    QList<int> columns;
    QHeaderView* header = table->horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual)
        columns << proxy->mapToSource(proxy->index(0, header->logicalIndex(visual))).column();
    return columns;
}

/// The file read back by python3 (openpyxl for a workbook, the csv module for CSV).
QJsonObject readBack(const QString& path, int sample)
{
    QProcess python;
    python.start(QStringLiteral(SYSTEM_PYTHON),
        { QStringLiteral(READ_EXPORT_SCRIPT), path, QString::number(sample) });
    if (!python.waitForFinished(120000) || python.exitCode() != 0) {
        qWarning() << python.readAllStandardError();
        return {};
    }
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

/// A cell as readexport.py reads it back, for a value the list shows.
QString expectedCell(const QString& shown, Kind kind, bool csv)
{
    if (shown.isEmpty())
        return QStringLiteral("||");
    QString csvText = shown;
    if (kind == Kind::Amount || kind == Kind::Percentage)
        csvText.remove(QLatin1Char('.'));
    const QString number = QString::number(
        QLocale(QLocale::Italian).toDouble(shown) / (kind == Kind::Percentage ? 100 : 1), 'f', 4);
    switch (csv ? Kind::Text : kind) {
    case Kind::Amount:
        return QStringLiteral("n|#,##0.00|") + number;
    case Kind::Percentage:
        return QStringLiteral("n|0.00%|") + number;
    case Kind::Integer:
        return QStringLiteral("n|0|") + number;
    case Kind::Date:
        return QStringLiteral("d|dd/mm/yyyy|") + shown;
    case Kind::Code:
        return QStringLiteral("s|@|") + shown;
    case Kind::Text:
        break;
    }
    if (!csv)
        return QStringLiteral("s|General|") + shown;
    return QStringLiteral("s||") + csvText
        + (kind == Kind::Percentage ? QStringLiteral("%") : QString());
}

QProgressDialog* exportProgress()
{
    for (QWidget* widget : QApplication::allWidgets()) {
        if (widget->objectName() == QLatin1String("exportProgress") && widget->isVisible())
            return qobject_cast<QProgressDialog*>(widget);
    }
    return nullptr;
}

}

/// Export of the four lists and of a plan to a workbook and to CSV, the copy of rows, and the
/// list layout kept between runs, against a seeded tessaro-server.
class TestExport final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void everyResultWritten_data();
    void everyResultWritten();
    void cancelWritesNothing();
    void selectedRowsCopied();
    void restartKeepsLayout();

private:
    /// The window (none for the plan) and the model of a list.
    QPair<AbstractTableWindow*, Model::AbstractPaginatedTable*> list(const QString& name) const;
    /// Opens a position with a plan; its plan table, or null.
    QTableView* openPlan();

    std::unique_ptr<ServerProcess> server;
    std::unique_ptr<E2eSession> session;
    ApplicationManager* application = nullptr;
    QTimer boxCloser;
    QStringList boxes;
};

void TestExport::initTestCase()
{
    TestEnvironment::enterTemporaryWorkingDirectory();
    QString error;
    server = startDemoServer(QStringLiteral(TESSARO_SERVER_PATH), error);
    QVERIFY2(server, qPrintable(error));
    session = std::make_unique<E2eSession>(server.get());
    QVERIFY(session->signInReadyUser());
    application = session->application();
    // The positions ask whether to show related forms; no, here. Any other box is a fault.
    connect(&boxCloser, &QTimer::timeout, this, [this] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            if (box->windowTitle() != QLatin1String("Trovate forme tecniche collegate"))
                boxes << box->text();
            box->reject();
        }
    });
    boxCloser.start(20);
    auto* menuExport
        = application->getMainWindow()->findChild<QAction*>(QStringLiteral("actionEsporta"));
    QVERIFY(menuExport);
    QVERIFY(!menuExport->isEnabled());
}

void TestExport::cleanupTestCase()
{
    boxCloser.stop();
    session.reset();
    if (server)
        QCOMPARE(server->stop(), 0);
}

QPair<AbstractTableWindow*, Model::AbstractPaginatedTable*> TestExport::list(
    const QString& name) const
{
    if (name == QLatin1String("companies"))
        return { application->getCompanyWindow(), application->getCompanyModel() };
    if (name == QLatin1String("positions"))
        return { application->getPositionWindow(), application->getPositionModel() };
    if (name == QLatin1String("reports"))
        return { application->getReportWindow(), application->getReportModel() };
    if (name == QLatin1String("tickets"))
        return { application->getTicketWindow(), application->getTicketModel() };
    return { nullptr, application->getAmortizationModel() };
}

QTableView* TestExport::openPlan()
{
    QTableView* positions = filledList(application->getPositionWindow(), "fetchButton");
    if (!positions)
        return nullptr;
    PositionDetailWindow* detail = application->getPositionDetailWindow();
    auto* plan = child<QTableView>(detail, "ammortamentoTable");
    for (int row = 0; row < positions->model()->rowCount() && !plan->isVisible(); ++row) {
        detail->hide();
        emit positions->doubleClicked(positions->model()->index(row, 1));
        if (!QTest::qWaitFor([detail] { return detail->isVisible(); }, 20000))
            return nullptr;
        // A position without a plan shows none: the next one is tried.
        (void)QTest::qWaitFor([plan] { return plan->isVisible(); }, 2000);
    }
    return plan->isVisible() ? plan : nullptr;
}

void TestExport::everyResultWritten_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("via");
    QTest::addColumn<QString>("name");
    QTest::newRow("companies, workbook, Ctrl+E") << "companies"
                                                 << "xlsx"
                                                 << "shortcut"
                                                 << "Imprese";
    QTest::newRow("companies, CSV") << "companies"
                                    << "csv"
                                    << "button"
                                    << "Imprese";
    QTest::newRow("positions, workbook, File menu") << "positions"
                                                    << "xlsx"
                                                    << "menu"
                                                    << "Posizioni";
    QTest::newRow("positions, CSV") << "positions"
                                    << "csv"
                                    << "button"
                                    << "Posizioni";
    QTest::newRow("reports, workbook") << "reports"
                                       << "xlsx"
                                       << "button"
                                       << "Report";
    QTest::newRow("reports, CSV, Ctrl+E") << "reports"
                                          << "csv"
                                          << "shortcut"
                                          << "Report";
    QTest::newRow("tickets, workbook") << "tickets"
                                       << "xlsx"
                                       << "button"
                                       << "Ticket";
    QTest::newRow("tickets, CSV, File menu") << "tickets"
                                             << "csv"
                                             << "menu"
                                             << "Ticket";
    QTest::newRow("plan, workbook") << "plan"
                                    << "xlsx"
                                    << "button"
                                    << "";
    QTest::newRow("plan, CSV") << "plan"
                               << "csv"
                               << "button"
                               << "";
}

void TestExport::everyResultWritten()
{
    // Guards against an export that stops at the page on screen, loses or reorders rows, writes
    // amounts, percentages or dates as text (or codes as numbers), misses the bold frozen header,
    // or disturbs the page the list shows.
    QFETCH(QString, list);
    QFETCH(QString, suffix);
    QFETCH(QString, via);
    QFETCH(QString, name);
    const bool plan = list == QLatin1String("plan");
    const auto [window, model] = this->list(list);
    QTableView* table = plan
        ? openPlan()
        : filledList(window, list == QLatin1String("tickets") ? nullptr : "fetchButton");
    QVERIFY(table);
    const int total = model->getTotalResults();
    if (list == QLatin1String("companies") || list == QLatin1String("positions")) {
        QVERIFY(model->getPages().total > 1);
        QVERIFY(window->getStatusBar()->currentMessage().contains(QString::number(total)));
    }
    QVERIFY(total >= model->rowCount());
    const int pageShown = model->getPages().current;
    const QString firstShown = table->model()->index(0, 0).data().toString();

    const QString path = QDir::current().filePath(list + QLatin1Char('.') + suffix);
    QString proposed;
    QString folder;
    answerFileDialog(path, &proposed, &folder);
    QWidget* parent = plan ? static_cast<QWidget*>(application->getPositionDetailWindow()) : window;
    if (via == QLatin1String("menu")) {
        window->close();
        auto* action
            = application->getMainWindow()->findChild<QAction*>(QStringLiteral("actionEsporta"));
        QVERIFY(action->isEnabled());
        action->trigger();
    } else if (via == QLatin1String("shortcut")) {
        parent->activateWindow();
        QTRY_VERIFY(parent->isActiveWindow());
        QTest::keyClick(parent, Qt::Key_E, Qt::ControlModifier);
    } else {
        click(parent, plan ? "ammortamentoExport" : "exportButton");
    }
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(path), 120000);
    QTRY_VERIFY(!exportProgress());
    QCOMPARE(boxes, QStringList());
    if (!plan) {
        QCOMPARE(proposed, name + QStringLiteral(".xlsx"));
        QCOMPARE(model->getPages().current, pageShown);
        QCOMPARE(table->model()->index(0, 0).data().toString(), firstShown);
    }

    const QJsonObject file = readBack(path, table->model()->rowCount());
    QCOMPARE(file.value(QStringLiteral("count")).toInt(), total);
    const QList<int> columns = shownColumns(table);
    QStringList titles;
    for (int column : columns)
        titles << model->headerData(column, Qt::Horizontal).toString();
    QCOMPARE(file.value(QStringLiteral("header")).toVariant().toStringList(), titles);
    const bool csv = suffix == QLatin1String("csv");
    if (csv) {
        QVERIFY(file.value(QStringLiteral("bom")).toBool());
    } else {
        QVERIFY(file.value(QStringLiteral("headerBold")).toBool());
        QCOMPARE(file.value(QStringLiteral("frozen")).toString(), plan ? "A3" : "A2");
        QVERIFY(!file.value(QStringLiteral("filter")).toString().isEmpty());
        if (plan) {
            const QString title = file.value(QStringLiteral("title")).toString();
            Model::PositionDetails* details = application->getPositionDetailsModel();
            QVERIFY2(title.contains(details->getLcr())
                    && title.contains(details->getValue(QStringLiteral("impresa_rag_soc"))),
                qPrintable(title));
        }
    }
    // The first page of the export is the page on screen, in the same order.
    const QJsonArray rows = file.value(QStringLiteral("rows")).toArray();
    QCOMPARE(rows.size(), model->rowCount());
    for (int row = 0; row < model->rowCount(); ++row) {
        QStringList expected;
        for (int column : columns) {
            expected << expectedCell(
                model->index(row, column).data().toString(), model->getColumnKind(column), csv);
        }
        QCOMPARE(rows.at(row).toVariant().toStringList(), expected);
    }
    QCOMPARE(WindowLayout::getLastFolder(), QDir::currentPath());
    if (parent->isVisible())
        parent->close();
}

void TestExport::cancelWritesNothing()
{
    // Guards against a cancelled export that leaves a file (or a part of one), keeps asking for
    // pages, or leaves the list waiting.
    AbstractTableWindow* window = list(QStringLiteral("positions")).first;
    QTableView* table = filledList(window, "fetchButton");
    QVERIFY(table);
    QVERIFY(application->getPositionModel()->getPages().total > 3);
    QTemporaryDir folder(QDir::current().filePath(QStringLiteral("cancel-XXXXXX")));
    const QString path = folder.filePath(QStringLiteral("annullato.xlsx"));
    QString proposed;
    QString opened;
    answerFileDialog(path, &proposed, &opened);
    click(window, "exportButton");
    // Cancelled once the first page is written and more are to come.
    QTRY_VERIFY_WITH_TIMEOUT(exportProgress() && exportProgress()->value() > 0, 20000);
    QProgressDialog* progress = exportProgress();
    QVERIFY(progress->value() < progress->maximum());
    QPushButton* cancel = nullptr;
    for (QPushButton* button : progress->findChildren<QPushButton*>()) {
        if (button->text() == QLatin1String("Annulla"))
            cancel = button;
    }
    QVERIFY(cancel);
    QTest::mouseClick(cancel, Qt::LeftButton);
    QTRY_VERIFY(!exportProgress());
    QTRY_VERIFY(!application->getCommandManager()->isBusy());
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
        QStringList());
    QCOMPARE(boxes, QStringList());
    // The list still searches.
    window->getStatusBar()->clearMessage();
    click(window, "fetchButton");
    QTRY_VERIFY_WITH_TIMEOUT(
        window->getStatusBar()->currentMessage().startsWith(QLatin1String("Trovate")), 20000);
    window->close();
}

void TestExport::selectedRowsCopied()
{
    // Guards against a copy of the current cell only, of rows not selected, without the header
    // line, or a table menu that lost its orders.
    AbstractTableWindow* window = list(QStringLiteral("companies")).first;
    QTableView* table = filledList(window, "fetchButton");
    QVERIFY(table);
    QVERIFY(table->model()->rowCount() > 3);
    table->setFocus();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier,
        table->visualRect(table->model()->index(0, 0)).center());
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::ControlModifier,
        table->visualRect(table->model()->index(2, 1)).center());
    QStringList lines;
    QStringList header;
    for (int section = 0; section < table->model()->columnCount(); ++section)
        header << table->model()->headerData(section, Qt::Horizontal).toString();
    lines << header.join(QLatin1Char('\t'));
    for (int row : { 0, 2 }) {
        QStringList values;
        for (int section = 0; section < table->model()->columnCount(); ++section)
            values << table->model()->index(row, section).data().toString();
        lines << values.join(QLatin1Char('\t'));
    }
    const QString expected = lines.join(QLatin1Char('\n')) + QLatin1Char('\n');

    QGuiApplication::clipboard()->clear();
    QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), expected);

    QGuiApplication::clipboard()->clear();
    QTest::keyClick(table, Qt::Key_F10, Qt::ShiftModifier);
    QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()));
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QAction* copy = nullptr;
    bool sortOffered = false;
    for (QAction* action : menu->actions()) {
        if (action->text() == QLatin1String("Copia"))
            copy = action;
        sortOffered = sortOffered || action->text().startsWith(QLatin1String("Comune ("));
    }
    QVERIFY(copy);
    QVERIFY(sortOffered);
    copy->trigger();
    menu->close();
    QCOMPARE(QGuiApplication::clipboard()->text(), expected);
    window->close();
}

void TestExport::restartKeepsLayout()
{
    // Guards against a list that forgets its column widths or its order at the next start, or
    // that searches on its own when the remembered order is put back.
    CompanyWindow* window = application->getCompanyWindow();
    QTableView* table = filledList(window, "fetchButton");
    QVERIFY(table);
    QHeaderView* header = table->horizontalHeader();
    int citySection = -1;
    for (int section = 0; section < header->count(); ++section) {
        if (table->model()->headerData(section, Qt::Horizontal).toString()
            == QLatin1String("Comune"))
            citySection = section;
    }
    QVERIFY(citySection > 0);
    window->getStatusBar()->clearMessage();
    header->setSortIndicator(citySection, Qt::DescendingOrder);
    QTRY_VERIFY_WITH_TIMEOUT(
        window->getStatusBar()->currentMessage().startsWith(QLatin1String("Trovate")), 20000);
    const int width = header->sectionSize(0) + 37;
    header->resizeSection(0, width);
    window->close();

    Model::Company* model = application->getCompanyModel();
    CompanyWindow again(
        application, application->getHeaderToolbar(), model, application->getMainWindow());
    again.show();
    QVERIFY(!model->isSearching());
    QHeaderView* restored = child<QTableView>(&again, "dataTable")->horizontalHeader();
    QCOMPARE(restored->sectionSize(0), width);
    QCOMPARE(restored->sortIndicatorSection(), citySection);
    QCOMPARE(restored->sortIndicatorOrder(), Qt::DescendingOrder);
    // The first search asks for the remembered order; the rows it brings keep the widths.
    click(&again, "fetchButton");
    QCOMPARE(model->getSearchFilters().sortKey, QStringLiteral("comune"));
    QCOMPARE(model->getSearchFilters().sortDirection, QStringLiteral("0"));
    QTRY_VERIFY_WITH_TIMEOUT(!model->isSearching(), 20000);
    QCOMPARE(restored->sectionSize(0), width);
    again.hide();
}

QTEST_MAIN(TestExport)
#include "tst_export.moc"
