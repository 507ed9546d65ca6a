#include "app/logmessagehandler.h"
#include "support/testenvironment.h"

#include <QtTest>

#include <cstdio>
#include <unistd.h>

using namespace Corvane;

namespace {

/// Runs the handler for one message and returns what it wrote to standard error.
QByteArray stderrOf(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    QTemporaryFile capture;
    if (!capture.open())
        return "capture failed";
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    dup2(capture.handle(), STDERR_FILENO);
    logMessageHandler(type, context, message);
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    capture.seek(0);
    return capture.readAll();
}

QStringList logLines()
{
    QFile log("corvane2.log");
    if (!log.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts);
}

}

class TestLogMessageHandler final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { Test::TestEnvironment::enterTemporaryWorkingDirectory(); }
    void init() { QFile::remove("corvane2.log"); }
    void linesByType_data();
    void linesByType();
    void missingContextAndAppending();
};

void TestLogMessageHandler::linesByType_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QByteArray>("stderrLine");
    QTest::newRow("debug") << int(QtDebugMsg) << "Debug"
                           << QByteArray("Debug: citta (src/x.cpp:42)\n");
    QTest::newRow("warning has no line number")
        << int(QtWarningMsg) << "Warning" << QByteArray("Warning: citta (src/x.cpp)\n");
    QTest::newRow("critical") << int(QtCriticalMsg) << "Critical"
                              << QByteArray("Critical: citta (src/x.cpp:42, void f())\n");
    QTest::newRow("fatal does not abort")
        << int(QtFatalMsg) << "Fatal" << QByteArray("Fatal: citta (src/x.cpp:42, void f())\n");
    QTest::newRow("info leaves no trace") << int(QtInfoMsg) << "" << QByteArray();
}

void TestLogMessageHandler::linesByType()
{
    // Guards against log lines in the wrong shape, which support staff search by pattern, and
    // info messages reaching the file or the console.
    QFETCH(int, type);
    QFETCH(QString, label);
    QFETCH(QByteArray, stderrLine);
    const QMessageLogContext context("src/x.cpp", 42, "void f()", "default");
    QCOMPARE(stderrOf(QtMsgType(type), context, "citta"), stderrLine);
    stderrOf(QtMsgType(type), context, "città");
    const QStringList lines = logLines();
    QCOMPARE(lines.size(), label.isEmpty() ? 0 : 2);
    if (label.isEmpty())
        return;
    QVERIFY(lines.first().contains(": citta ("));
    const QRegularExpression shape(QString(
        R"(^\[\w{3} \w{3} +\d{1,2} \d\d:\d\d:\d\d \d{4}\] %1: città \(src/x\.cpp:42, void f\(\)\)$)")
                                       .arg(label));
    QVERIFY2(shape.match(lines.last()).hasMatch(), qPrintable(lines.last()));
}

void TestLogMessageHandler::missingContextAndAppending()
{
    // Guards against a crash on release builds without log context, against truncation, and
    // against a log that others can read (one left so by an older version included).
    {
        QFile old("corvane2.log");
        QVERIFY(old.open(QIODevice::WriteOnly));
        QVERIFY(old.setPermissions(old.permissions() | QFileDevice::ReadOther));
    }
    const QMessageLogContext empty;
    stderrOf(QtDebugMsg, empty, "primo");
    stderrOf(QtCriticalMsg, empty, "secondo");
    const QStringList lines = logLines();
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines[0].endsWith("] Debug: primo (:0, )"), qPrintable(lines[0]));
    QVERIFY2(lines[1].endsWith("] Critical: secondo (:0, )"), qPrintable(lines[1]));
    QCOMPARE(int(QFile::permissions("corvane2.log")), 0x6600);
}

QTEST_GUILESS_MAIN(TestLogMessageHandler)
#include "tst_logmessagehandler.moc"
