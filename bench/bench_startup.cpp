#include "paintwatch.h"
#include "serverprocess.h"

#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <memory>

using Corvane::Bench::monotonicNanoseconds;
using Corvane::Test::ServerProcess;

namespace {

constexpr int runs = 10;

struct Figures {
    QList<qint64> milliseconds;
    QList<qint64> peakKib;
};

double median(QList<qint64> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const int middle = values.size() / 2;
    return values.size() % 2 ? double(values.at(middle))
                             : (double(values.at(middle - 1)) + double(values.at(middle))) / 2.0;
}

}

/// Start-up of the client, process start to its login window painted, beside a bare dialog
/// started and detected the same way. The client's first start meets a seeded tessaro-server on
/// 127.0.0.1 that answers at once; without a session its first reply leads to the login window.
class BenchStartup final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void bareDialog();
    void clientToLoginWindow();
    void cleanupTestCase();

private:
    /// Starts program in a fresh working folder and home; one run's figures.
    void launch(const QString& program, Figures& figures);

    std::unique_ptr<ServerProcess> server;
    Figures bare;
    Figures client;
};

void BenchStartup::initTestCase()
{
    server = std::make_unique<ServerProcess>(QStringLiteral(TESSARO_SERVER_PATH));
    QString error;
    QVERIFY2(server->start(QStringLiteral("demo"), error), qPrintable(error));
}

void BenchStartup::launch(const QString& program, Figures& figures)
{
    QTemporaryDir directory;
    QVERIFY(directory.isValid());
    const QString home = directory.filePath(QStringLiteral("home"));
    QVERIFY(QDir().mkpath(home));
    {
        QSettings config(directory.filePath(QStringLiteral("config.ini")), QSettings::IniFormat);
        config.setValue(QStringLiteral("ServerURL/Production"),
            QStringLiteral("https://localhost:%1").arg(server->getPort()));
        config.setValue(QStringLiteral("ServerURL/CaCertificates"), server->getCaPath());
    }

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("HOME"), home);
    environment.remove(QStringLiteral("XDG_DATA_HOME"));
    environment.remove(QStringLiteral("XDG_CONFIG_HOME"));
    environment.remove(QStringLiteral("XDG_CACHE_HOME"));

    QProcess child;
    child.setProcessEnvironment(environment);
    child.setWorkingDirectory(directory.path());
    const qint64 started = monotonicNanoseconds();
    child.start(program, QStringList());
    QVERIFY2(child.waitForFinished(30000), qPrintable(program));
    const QByteArray output = child.readAllStandardOutput();
    const int at = output.lastIndexOf("painted ");
    QVERIFY2(
        at >= 0 && child.exitCode() == 0, child.readAllStandardError().right(2000).constData());
    const QList<QByteArray> fields = output.mid(at).trimmed().split(' ');
    QCOMPARE(fields.size(), 3);
    figures.milliseconds.append((fields.at(1).toLongLong() - started) / 1000000);
    figures.peakKib.append(fields.at(2).toLongLong());
}

void BenchStartup::bareDialog()
{
    QBENCHMARK_ONCE
    {
        // The test library may call a benchmark function more than once: keep the last pass.
        bare = {};
        for (int run = 0; run < runs; ++run) {
            launch(QStringLiteral(BARE_DIALOG_PATH), bare);
            if (QTest::currentTestFailed())
                return;
        }
    }
}

void BenchStartup::clientToLoginWindow()
{
    QBENCHMARK_ONCE
    {
        // The test library may call a benchmark function more than once: keep the last pass.
        client = {};
        for (int run = 0; run < runs; ++run) {
            launch(QStringLiteral(CLIENT_PATH), client);
            if (QTest::currentTestFailed())
                return;
        }
    }
}

void BenchStartup::cleanupTestCase()
{
    if (server)
        server->stop();
    if (bare.milliseconds.size() != runs || client.milliseconds.size() != runs)
        return;
    const double bareTime = median(bare.milliseconds);
    const double clientTime = median(client.milliseconds);
    const double bareMemory = median(bare.peakKib) / 1024.0;
    const double clientMemory = median(client.peakKib) / 1024.0;
    qInfo("bare dialog: median %.0f ms, peak resident memory %.1f MiB (median of %d)", bareTime,
        bareMemory, runs);
    qInfo("Corvane to login window: median %.0f ms, peak resident memory %.1f MiB (median of %d)",
        clientTime, clientMemory, runs);
    qInfo("start-up ratio (Corvane / bare): %.2f (target: at most 2.0)", clientTime / bareTime);
    qInfo("memory ratio (Corvane / bare): %.2f (target: at most 1.8)", clientMemory / bareMemory);
}

QTEST_GUILESS_MAIN(BenchStartup)
#include "bench_startup.moc"
