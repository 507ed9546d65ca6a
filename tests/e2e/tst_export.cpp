#include "app/applicationmanager.h"
#include "e2esession.h"
#include "models/company.h"
#include "models/position.h"
#include "models/positiondetails.h"
#include "protocol/commandmanager.h"
#include "ui/companywindow.h"
#include "ui/mainwindow.h"
#include "ui/positiondetailwindow.h"
#include "ui/positionwindow.h"
#include "ui/reportwindow.h"
#include "ui/ticketwindow.h"
#include "ui/windowlayout.h"

#include <QtTest>
#include <QtWidgets>

using namespace Corvane;
using namespace Corvane::Test;
using namespace Corvane::Test::E2e;
using Kind = Model::ExportColumn::Kind;

namespace {

/// The file read back by python3 (openpyxl for a workbook, the csv module for CSV).
QJsonObject readBack(const QString& path, int sample)
{
    QProcess python;
    python.start(QStringLiteral(SYSTEM_PYTHON),
        { QStringLiteral(READ_EXPORT_SCRIPT), path, QString::number(sample) });
    if (!python.waitForFinished(120000) || python.exitCode() != 0)
        qWarning() << python.readAllStandardError();
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

/// A cell as readexport.py reads it back, for a value the list shows.
QString expectedCell(QString shown, Kind kind, bool csv)
{
    const bool fraction = kind == Kind::Amount || kind == Kind::Percentage;
    const QLatin1String percent(kind == Kind::Percentage ? "%" : "");
    if (shown.isEmpty())
        return QStringLiteral("|");
    if (csv)
        return QStringLiteral("s|") + (fraction ? shown.remove(QLatin1Char('.')) : shown) + percent;
    if (fraction || kind == Kind::Integer) {
        const double value = QLocale(QLocale::Italian).toDouble(shown);
        return QStringLiteral("n|") + QString::number(value / (percent.size() ? 100 : 1), 'f', 4);
    }
    return QLatin1String(kind == Kind::Date ? "d|" : "s|") + shown;
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

/// Export of the four lists and a plan to a workbook and CSV, copied rows, the kept layout.
class TestExport final : public E2eTest {
    Q_OBJECT
private slots:
    void initTestCase();
    void everyResultWritten_data();
    void everyResultWritten();
    void cancelWritesNothing();
    void selectedRowsCopied();
    void restartKeepsLayout();

private:
    /// Opens the list, or a position's plan when window is null, and exports its search to path
    /// by the button, "shortcut" (Ctrl+E) or "menu" (File); the list's table, or null.
    QTableView* startExport(AbstractTableWindow* window, const QString& path, const QString& via);

    /// The boxes seen but the positions' question whether to show related forms: none expected.
    QStringList otherBoxes() const
    {
        return QStringList(boxes.titles).filter(QRegularExpression("^(?!Trovate forme tecniche)"));
    }

    ApplicationManager* application = nullptr;
    QAction* menuExport = nullptr;
    BoxCloser boxes;
    QString proposed;
    QString folder;
};

void TestExport::initTestCase()
{
    QVERIFY(startServer());
    QVERIFY(session->signInReadyUser());
    application = session->application();
    boxes.titles.clear();
    // With no list open there is nothing to export.
    menuExport = application->getMainWindow()->findChild<QAction*>(QStringLiteral("actionEsporta"));
    QVERIFY(menuExport && !menuExport->isEnabled());
}

QTableView* TestExport::startExport(
    AbstractTableWindow* window, const QString& path, const QString& via)
{
    QWidget* parent
        = window ? static_cast<QWidget*>(window) : application->getPositionDetailWindow();
    QTableView* table = window
        ? filledList(window, window == application->getTicketWindow() ? nullptr : "fetchButton")
        : child<QTableView>(parent, "ammortamentoTable");
    if (!table || (!window && openPlan(application) < 0))
        return nullptr;
    answerFileDialog(path, &proposed, &folder);
    if (via == QLatin1String("menu")) {
        window->close();
        menuExport->trigger();
    } else if (via == QLatin1String("shortcut")) {
        parent->activateWindow();
        if (!QTest::qWaitFor([parent] { return parent->isActiveWindow(); }))
            return nullptr;
        QTest::keyClick(parent, Qt::Key_E, Qt::ControlModifier);
    } else {
        click(parent, window ? "exportButton" : "ammortamentoExport");
    }
    return table;
}

void TestExport::everyResultWritten_data()
{
    QTest::addColumn<AbstractTableWindow*>("window"); // none for the plan
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("via");
    const auto add = [](AbstractTableWindow* window, const char* name, const char* viaXlsx,
                         const char* viaCsv) {
        QTest::addRow("%s, xlsx, %s", name, viaXlsx) << window << name << "xlsx" << viaXlsx;
        QTest::addRow("%s, csv, %s", name, viaCsv) << window << name << "csv" << viaCsv;
    };
    add(application->getCompanyWindow(), "Imprese", "shortcut", "button");
    add(application->getPositionWindow(), "Posizioni", "menu", "button");
    add(application->getReportWindow(), "Report", "button", "shortcut");
    add(application->getTicketWindow(), "Ticket", "button", "menu");
    add(nullptr, "piano", "button", "button");
}

void TestExport::everyResultWritten()
{
    // Guards against an export that misses rows, or mistypes, misplaces or mistitles their cells.
    QFETCH(AbstractTableWindow*, window);
    QFETCH(QString, name);
    QFETCH(QString, suffix);
    QFETCH(QString, via);
    const QString path = QDir::current().filePath(name + QLatin1Char('.') + suffix);
    QTableView* table = startExport(window, path, via);
    QVERIFY(table);
    auto* proxy = qobject_cast<QAbstractProxyModel*>(table->model());
    auto* model = qobject_cast<Model::AbstractPaginatedTable*>(proxy->sourceModel());
    if (name == QLatin1String("Imprese") || name == QLatin1String("Posizioni"))
        QVERIFY(model->getPages().total > 1);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(path), 120000);
    QTRY_VERIFY(!exportProgress());
    QCOMPARE(otherBoxes(), QStringList());
    if (window)
        QCOMPARE(proposed, name + QStringLiteral(".xlsx"));
    QCOMPARE(WindowLayout::getLastFolder(), QDir::currentPath());

    const QJsonObject file = readBack(path, model->rowCount());
    QCOMPARE(file.value(QStringLiteral("count")).toInt(), model->getTotalResults());
    if (!window && suffix == QLatin1String("xlsx")) {
        const QString title = file.value(QStringLiteral("title")).toString();
        Model::PositionDetails* details = application->getPositionDetailsModel();
        QVERIFY2(title.contains(details->getLcr())
                && title.contains(details->getValue(QStringLiteral("impresa_rag_soc"))),
            qPrintable(title));
    }
    // The header, then the page on screen in its order, in the columns the table shows.
    const QJsonArray rows = file.value(QStringLiteral("rows")).toArray();
    QCOMPARE(rows.size(), model->rowCount() + 1);
    for (int row = -1; row < model->rowCount(); ++row) {
        QStringList expected;
        for (int visual = 0; visual < proxy->columnCount(); ++visual) {
            const int logical = table->horizontalHeader()->logicalIndex(visual);
            const int column = proxy->mapToSource(proxy->index(0, logical)).column();
            expected << (row < 0
                    ? QStringLiteral("s|") + proxy->headerData(logical, Qt::Horizontal).toString()
                    : expectedCell(model->index(row, column).data().toString(),
                        model->getColumnKind(column), suffix == QLatin1String("csv")));
        }
        QCOMPARE(rows.at(row + 1).toVariant().toStringList(), expected);
    }
    table->window()->close();
}

void TestExport::cancelWritesNothing()
{
    // Guards against a cancelled export that leaves a file, or a part of one, or a busy queue.
    QTemporaryDir folder(QDir::current().filePath(QStringLiteral("cancel-XXXXXX")));
    QVERIFY(startExport(application->getPositionWindow(),
        folder.filePath(QStringLiteral("annullato.xlsx")), QStringLiteral("button")));
    QVERIFY(application->getPositionModel()->getPages().total > 3);
    // Cancelled once the first page is written and more are to come.
    QTRY_VERIFY_WITH_TIMEOUT(exportProgress() && exportProgress()->value() > 0, 20000);
    QVERIFY(exportProgress()->value() < exportProgress()->maximum());
    const auto buttons = exportProgress()->findChildren<QPushButton*>();
    for (QPushButton* button : buttons) {
        if (button->text() == QLatin1String("Annulla"))
            QTest::mouseClick(button, Qt::LeftButton);
    }
    QTRY_VERIFY(!exportProgress());
    QTRY_VERIFY(!application->getCommandManager()->isBusy());
    QVERIFY(!application->getPositionModel()->isSearching());
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
        QStringList());
    QCOMPARE(otherBoxes(), QStringList());
    application->getPositionWindow()->close();
}

void TestExport::selectedRowsCopied()
{
    // Guards against a copy (Ctrl+C or menu) of the current cell only, other rows, or no header.
    AbstractTableWindow* window = application->getCompanyWindow();
    QTableView* table = filledList(window, "fetchButton");
    QVERIFY(table && table->model()->rowCount() > 3);
    const QAbstractItemModel* shown = table->model();
    table->setFocus();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier,
        table->visualRect(shown->index(0, 0)).center());
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::ControlModifier,
        table->visualRect(shown->index(2, 1)).center());
    QString expected;
    for (int row : { -1, 0, 2 }) {
        QStringList values;
        for (int column = 0; column < shown->columnCount(); ++column) {
            values << (row < 0 ? shown->headerData(column, Qt::Horizontal)
                               : shown->index(row, column).data())
                          .toString();
        }
        expected += values.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    for (bool byMenu : { false, true }) {
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(table, byMenu ? Qt::Key_F10 : Qt::Key_C,
            byMenu ? Qt::ShiftModifier : Qt::ControlModifier);
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            const auto actions = menu->actions();
            for (QAction* action : actions) {
                if (action->text() == QLatin1String("Copia"))
                    action->trigger();
            }
            menu->close();
        }
        QCOMPARE(QGuiApplication::clipboard()->text(), expected);
    }
    window->close();
}

void TestExport::restartKeepsLayout()
{
    // Guards against a restart that loses widths or order, or searches on its own to restore them.
    CompanyWindow* window = application->getCompanyWindow();
    QTableView* table = filledList(window, "fetchButton");
    QVERIFY(table);
    QHeaderView* header = table->horizontalHeader();
    int city = header->count() - 1;
    while (city > 0 && table->model()->headerData(city, Qt::Horizontal) != QStringLiteral("Comune"))
        --city;
    QVERIFY(city > 0);
    window->getStatusBar()->clearMessage();
    header->setSortIndicator(city, Qt::DescendingOrder);
    QTRY_VERIFY_WITH_TIMEOUT(shownCount(window) >= 0, 20000);
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
