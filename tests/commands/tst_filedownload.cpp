#include "commands/search/filedownload.h"
#include "support/datarows.h"

#include <QtTest>

using namespace Corvane::Command::Search;

static const char* const xlsx = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";

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
    const char* csv = "Report;x\n";
    const char* pdf = "%PDF-1.4\n";
    Corvane::Test::addRows({ "status", "type", "body", "kind", "accepted" },
        { { "report csv", "200", "text/csv", csv, "report", "yes" },
            { "report csv charset", "200", "Text/CSV; charset=windows-1252", csv, "report", "yes" },
            { "report xlsx", "200", xlsx, "PK\x03\x04", "report", "yes" },
            { "report pdf", "200", "application/pdf", pdf, "report", "yes" },
            { "report 302", "302", "text/csv", csv, "report", "no" },
            { "report 403", "403", "text/csv", csv, "report", "no" },
            { "report empty", "200", "text/csv", "", "report", "no" },
            { "report desktop file", "200", "application/x-desktop", "[Desktop Entry]\n", "report",
                "no" },
            { "report no type", "200", "", csv, "report", "no" },
            { "report xml as csv", "200", "text/csv", "\xEF\xBB\xBF  <?xml version=\"1.0\"?><r/>",
                "report", "no" },
            { "report html as csv", "200", "text/csv", "\n<!DOCTYPE html><html></html>", "report",
                "no" },
            { "position pdf", "200", "application/pdf", pdf, "position", "yes" },
            { "position csv", "200", "text/csv", csv, "position", "no" },
            { "position no signature", "200", "application/pdf", "MZ\x90", "position", "no" } });
}

void TestFileDownload::expectedFile()
{
    // Guards against an error page, another status or another type saved as the file.
    QFETCH(QString, status);
    QFETCH(QString, type);
    QFETCH(QString, body);
    QFETCH(QString, kind);
    QFETCH(QString, accepted);
    const bool position = kind == "position";
    const QStringList types = position ? QStringList { "application/pdf" }
                                       : QStringList { "text/csv", "application/pdf", xlsx };
    QCOMPARE(isExpectedFile(
                 status.toInt(), type, body.toUtf8(), types, position ? "%PDF-" : QByteArray()),
        accepted == "yes");
}

QTEST_GUILESS_MAIN(TestFileDownload)
#include "tst_filedownload.moc"
