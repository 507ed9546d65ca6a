#include "support/testenvironment.h"
#include "ui/windowlayout.h"

#include <QDir>
#include <QHeaderView>
#include <QSettings>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

using namespace Corvane;

namespace {

/// A list window as the program builds it: named, with a table of four columns.
struct ListWindow {
    ListWindow()
    {
        window.setObjectName(QStringLiteral("positionWindow"));
        model.setColumnCount(4);
        table = new QTableView(&window);
        table->setModel(&model);
        (new QVBoxLayout(&window))->addWidget(table);
        window.resize(300, 200);
        WindowLayout::remember(&window, table->horizontalHeader());
    }
    QWidget window;
    QStandardItemModel model;
    QTableView* table;
};

}

class TestWindowLayout final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void restartKeepsLayout();
    void layoutFromDetachedScreenIgnored();
    void lastFolder();
};

void TestWindowLayout::initTestCase()
{
    Test::TestEnvironment::enterTemporaryWorkingDirectory();
    // The layout file of this run only.
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QDir::currentPath());
}

void TestWindowLayout::restartKeepsLayout()
{
    // Guards against a restart that loses the window's size, the column widths, their order
    // or the sort arrow.
    {
        ListWindow list;
        list.window.show();
        list.window.resize(640, 410);
        QHeaderView* header = list.table->horizontalHeader();
        header->resizeSection(1, 123);
        header->moveSection(3, 0);
        header->setSortIndicator(2, Qt::DescendingOrder);
        list.window.hide();
    }
    ListWindow list;
    QHeaderView* header = list.table->horizontalHeader();
    QCOMPARE(list.window.size(), QSize(640, 410));
    QCOMPARE(header->sectionSize(1), 123);
    QCOMPARE(header->visualIndex(3), 0);
    QCOMPARE(header->sortIndicatorSection(), 2);
    QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
}

void TestWindowLayout::layoutFromDetachedScreenIgnored()
{
    // Guards against a window restored onto a screen that is no longer attached.
    {
        ListWindow list;
        list.window.show();
        list.window.resize(700, 500);
        list.window.hide();
    }
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Corvane"),
        QStringLiteral("layout"));
    settings.setValue(QStringLiteral("positionWindow/screen"), QStringLiteral("HDMI-scollegato"));
    settings.sync();
    ListWindow list;
    QCOMPARE(list.window.size(), QSize(300, 200));
}

void TestWindowLayout::lastFolder()
{
    // Guards against a save dialog that forgets the folder last chosen, or offers one that is gone.
    QCOMPARE(WindowLayout::getLastFolder(),
        QStandardPaths::writableLocation(QStandardPaths::DownloadLocation));
    QVERIFY(QDir().mkpath(QStringLiteral("esportazioni")));
    WindowLayout::setLastFolder(QStringLiteral("esportazioni/posizioni.xlsx"));
    QCOMPARE(
        WindowLayout::getLastFolder(), QDir::current().filePath(QStringLiteral("esportazioni")));
    QVERIFY(QDir(QStringLiteral("esportazioni")).removeRecursively());
    QCOMPARE(WindowLayout::getLastFolder(),
        QStandardPaths::writableLocation(QStandardPaths::DownloadLocation));
}

QTEST_MAIN(TestWindowLayout)
#include "tst_windowlayout.moc"
