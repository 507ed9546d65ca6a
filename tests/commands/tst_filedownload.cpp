#include "commands/search/filedownload.h"
#include "support/datarows.h"

#include <QtTest>

using namespace Corvane::Command::Search;

static const QString xlsx = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";

/// The checks a downloaded file passes before it may reach the user's folder.
class TestFileDownload final : public QObject {
    Q_OBJECT
private slots:
    void safeName_data();
    void safeName();
    void expectedFile_data();
    void expectedFile();
};

void TestFileDownload::safeName_data()
{
    Corvane::Test::addRows({ "suggested", "name" },
        { { "plain", "Report 03-2024.csv", "Report 03-2024.csv" },
            { "climbs out", "../.config/autostart/x.desktop", "x.desktop" },
            { "absolute", "/etc/passwd", "passwd" }, { "backslash", "a/b\\c.pdf", "c.pdf" },
            { "hidden", ".bashrc", "bashrc" }, { "line break", "x\ny.csv", "xy.csv" },
            { "tab", "a\tb.csv", "ab.csv" }, { "unicode line break", "a\u2028b.csv", "ab.csv" },
            { "empty", "", "report.csv" }, { "dots", "..", "report.csv" },
            { "folder only", "a/b/", "report.csv" }, { "blanks", " \r\n ", "report.csv" } });
    QTest::newRow("nul") << QString("a") + QChar(0) + "b.csv"
                         << "ab.csv";
}

void TestFileDownload::safeName()
{
    // Guards against a server-chosen name leaving the folder, hiding the file or breaking lines.
    QFETCH(QString, suggested);
    QFETCH(QString, name);
    QCOMPARE(safeFileName(suggested, "report.csv"), name);
}

void TestFileDownload::expectedFile_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("position");
    QTest::addColumn<bool>("accepted");
    const QByteArray csv = "Report;x\n";
    const QByteArray pdf = "%PDF-1.4\n";
    QTest::newRow("report csv") << 200 << "text/csv" << csv << false << true;
    QTest::newRow("report csv charset")
        << 200 << "Text/CSV; charset=windows-1252" << csv << false << true;
    QTest::newRow("report xlsx") << 200 << xlsx << QByteArray("PK\x03\x04") << false << true;
    QTest::newRow("report pdf") << 200 << "application/pdf" << pdf << false << true;
    QTest::newRow("report 302") << 302 << "text/csv" << csv << false << false;
    QTest::newRow("report 403") << 403 << "text/csv" << csv << false << false;
    QTest::newRow("report empty") << 200 << "text/csv" << QByteArray() << false << false;
    QTest::newRow("report desktop file")
        << 200 << "application/x-desktop" << QByteArray("[Desktop Entry]\n") << false << false;
    QTest::newRow("report no type") << 200 << "" << csv << false << false;
    QTest::newRow("report xml as csv")
        << 200 << "text/csv" << QByteArray("\xEF\xBB\xBF  <?xml version=\"1.0\"?><r/>") << false
        << false;
    QTest::newRow("report html as csv")
        << 200 << "text/csv" << QByteArray("\n<!DOCTYPE html><html></html>") << false << false;
    QTest::newRow("position pdf") << 200 << "application/pdf" << pdf << true << true;
    QTest::newRow("position csv") << 200 << "text/csv" << csv << true << false;
    QTest::newRow("position no signature")
        << 200 << "application/pdf" << QByteArray("MZ\x90") << true << false;
}

void TestFileDownload::expectedFile()
{
    // Guards against an error page, another status or another type saved as the file.
    QFETCH(int, status);
    QFETCH(QString, type);
    QFETCH(QByteArray, body);
    QFETCH(bool, position);
    QFETCH(bool, accepted);
    const QStringList types = position ? QStringList { "application/pdf" }
                                       : QStringList { "text/csv", "application/pdf", xlsx };
    QCOMPARE(
        isExpectedFile(status, type, body, types, position ? "%PDF-" : QByteArray()), accepted);
}

QTEST_GUILESS_MAIN(TestFileDownload)
#include "tst_filedownload.moc"
