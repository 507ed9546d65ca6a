#include "app/applicationmanager.h"
#include "e2esession.h"
#include "models/amortization.h"
#include "models/position.h"
#include "serverprocess.h"
#include "support/testenvironment.h"
#include "ui/companywindow.h"
#include "ui/mainwindow.h"
#include "ui/positiondetailwindow.h"
#include "ui/positionwindow.h"
#include "ui/reportwindow.h"
#include "ui/ticketwindow.h"

#include <QAccessible>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMessageBox>
#include <QScreen>
#include <QStyle>
#include <QTableView>
#include <QToolBar>
#include <QToolTip>
#include <QtTest>

#include <memory>

using namespace Corvane;
using namespace Corvane::Test;
using namespace Corvane::Test::E2e;

namespace {

/// Whether the cell's whole value shows in its column.
bool fits(QTableView* table, const QModelIndex& index)
{
    const QVariant fontData = index.data(Qt::FontRole);
    const QFont font = fontData.isValid() ? fontData.value<QFont>() : table->font();
    // The item's text margin on each side, and the grid line.
    const int margins
        = 2 * (table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table) + 1)
        + (table->showGrid() ? 1 : 0);
    return QFontMetrics(font).horizontalAdvance(index.data().toString()) + margins
        <= table->columnWidth(index.column());
}

/// The tool tip the table shows over the cell, or an empty text when it shows none.
QString toolTipOver(QTableView* table, const QModelIndex& index)
{
    QToolTip::hideText();
    const QPoint position = table->visualRect(index).center();
    QHelpEvent event(QEvent::ToolTip, position, table->viewport()->mapToGlobal(position));
    QApplication::sendEvent(table->viewport(), &event);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

}

/// What a user reads in the tables and the tool bar on the demo data, at the scale the test runs
/// in (ctest runs it at 100 %, at 200 % and with text at 150 %): no value, header or button cut.
class TestColumnLayout final : public E2eTest {
    Q_OBJECT
public:
    /// As the program starts: scaled with the screen, with the large pixmaps.
    static void initMain()
    {
        QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
        QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    }

private slots:
    void initTestCase();

    void everyCellReads_data();
    void everyCellReads();
    void narrowedColumnShowsTheValue();
    void wholePlanInView();
    void wholeToolBar();

private:
    QTableView* filledList(const QString& name);

    BoxCloser boxes;
};

void TestColumnLayout::initTestCase()
{
    // A desktop with larger text (CORVANE_TEST_FONT_SCALE=1.5) has it before any window opens.
    if (const double scale = qEnvironmentVariable("CORVANE_TEST_FONT_SCALE").toDouble();
        scale > 0) {
        QFont font = QApplication::font();
        font.setPointSizeF(font.pointSizeF() * scale);
        QApplication::setFont(font);
    }
    QVERIFY(startServer());
    QVERIFY(session->signInReadyUser());
}

QTableView* TestColumnLayout::filledList(const QString& name)
{
    ApplicationManager* application = session->application();
    AbstractTableWindow* list = nullptr;
    if (name == QLatin1String("companies"))
        list = application->getCompanyWindow();
    else if (name == QLatin1String("positions"))
        list = application->getPositionWindow();
    else if (name == QLatin1String("reports"))
        list = application->getReportWindow();
    else
        list = application->getTicketWindow();
    return E2e::filledList(list, name == QLatin1String("tickets") ? nullptr : "fetchButton");
}

void TestColumnLayout::everyCellReads_data()
{
    QTest::addColumn<QString>("list");
    for (const char* list : { "companies", "positions", "reports", "tickets" })
        QTest::newRow(list) << QString::fromLatin1(list);
}

void TestColumnLayout::everyCellReads()
{
    // Guards against a value or a header cut by its column ("1...." for an amount), and a table
    // announced without a name or with the model's hidden columns.
    QFETCH(QString, list);
    QTableView* table = filledList(list);
    QVERIFY(table);
    QHeaderView* header = table->horizontalHeader();
    QStringList cut;
    int shown = 0;
    for (int section = 0; section < header->count(); ++section) {
        if (header->isSectionHidden(section))
            continue;
        ++shown;
        if (header->sectionSizeHint(section) > header->sectionSize(section))
            cut << table->model()->headerData(section, Qt::Horizontal).toString();
        for (int row = 0; row < table->model()->rowCount(); ++row) {
            const QModelIndex index = table->model()->index(row, section);
            if (!fits(table, index) && toolTipOver(table, index) != index.data().toString())
                cut << index.data().toString();
        }
    }
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QLatin1String(" | "))));
    QAccessibleInterface* interface = QAccessible::queryAccessibleInterface(table);
    QVERIFY(!interface->text(QAccessible::Name).isEmpty());
    QCOMPARE(interface->tableInterface()->columnCount(), shown);
    // The window shows every column, when the screen is wide enough.
    if (table->window()->width() < table->screen()->availableGeometry().width())
        QTRY_VERIFY(header->length() <= table->viewport()->width());
}

void TestColumnLayout::narrowedColumnShowsTheValue()
{
    // Guards against a value the user's narrowing cuts with no way left to read it.
    QTableView* table = filledList(QStringLiteral("positions"));
    QVERIFY(table);
    table->window()->activateWindow();
    const QModelIndex index = table->model()->index(0, 1);
    const int width = table->columnWidth(1);
    table->setColumnWidth(1, 20);
    QVERIFY(!fits(table, index));
    QTRY_COMPARE(toolTipOver(table, index), index.data().toString());
    table->setColumnWidth(1, width);
    QToolTip::hideText();
}

void TestColumnLayout::wholePlanInView()
{
    // Guards against a plan whose headers are cut or whose last column hides past the window.
    ApplicationManager* application = session->application();
    QTableView* positions = filledList(QStringLiteral("positions"));
    QVERIFY(positions);
    PositionDetailWindow* detail = application->getPositionDetailWindow();
    auto* plan = child<QTableView>(detail, "ammortamentoTable");
    for (int row = 0; row < positions->model()->rowCount() && !plan->isVisible(); ++row) {
        detail->hide();
        emit positions->doubleClicked(positions->model()->index(row, 1));
        QTRY_VERIFY_WITH_TIMEOUT(detail->isVisible(), 20000);
        // A position without a plan shows none: the next one is tried.
        (void)QTest::qWaitFor([plan] { return plan->isVisible(); }, 2000);
    }
    QVERIFY(plan->isVisible());
    QHeaderView* header = plan->horizontalHeader();
    for (int section = 0; section < header->count(); ++section) {
        QVERIFY2(header->sectionSizeHint(section) <= header->sectionSize(section),
            qPrintable(plan->model()->headerData(section, Qt::Horizontal).toString()));
        for (int row = 0; row < plan->model()->rowCount(); ++row)
            QVERIFY(fits(plan, plan->model()->index(row, section)));
    }
    QVERIFY(header->length() <= plan->viewport()->width());
    QTRY_VERIFY(plan->mapTo(detail, QPoint(plan->width(), 0)).x() <= detail->width());
    QVERIFY(detail->maximumWidth() > detail->width());
    detail->close();
}

void TestColumnLayout::wholeToolBar()
{
    // Guards against tool bar buttons hidden behind the overflow button.
    auto* toolbar = session->application()->getMainWindow()->findChild<QToolBar*>();
    QVERIFY(toolbar);
    for (QAction* action : toolbar->actions()) {
        if (!action->isSeparator())
            QVERIFY2(toolbar->widgetForAction(action)->isVisible(), qPrintable(action->text()));
    }
}

QTEST_MAIN(TestColumnLayout)
#include "tst_columnlayout.moc"
