#include "app/startup.h"
#include "serverprocess.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <unistd.h>

using Corvane::Test::ServerProcess;

namespace {

const char* const clientMode = "--child-client";
const char* const dialogMode = "--child-dialog";
constexpr int runs = 10;

qint64 monotonicNanoseconds()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

/// A line of this process's /proc status in KiB, or -1.
qint64 ownStatusKib(const QByteArray& name)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(name + ':'))
            return line.mid(name.size() + 1).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

/// Ends the child once the first window of the watched class has been painted: prints the
/// monotonic time and the peak resident memory for the parent, then leaves at once.
class PaintWatch final : public QObject {
public:
    explicit PaintWatch(const char* windowClass)
        : windowClass(windowClass)
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Paint || seen || !watched->isWidgetType())
            return false;
        if (!static_cast<QWidget*>(watched)->window()->inherits(windowClass))
            return false;
        seen = true;
        // Reported after this paint event has been handled.
        QTimer::singleShot(0, [] {
            std::printf("painted %lld %lld\n", static_cast<long long>(monotonicNanoseconds()),
                static_cast<long long>(ownStatusKib("VmHWM")));
            std::fflush(stdout);
            ::_exit(0);
        });
        return false;
    }

private:
    const char* windowClass;
    bool seen = false;
};

int runChild(int argc, char* argv[], const QByteArray& mode)
{
    QApplication application(argc, argv);
    if (mode == clientMode) {
        PaintWatch watch("Corvane::LoginWindow");
        application.installEventFilter(&watch);
        return Corvane::runClient(QStringLiteral(CORVANE_VERSION));
    }
    PaintWatch watch("QDialog");
    application.installEventFilter(&watch);
    QDialog dialog;
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("Nome utente")));
    layout->addWidget(new QPushButton(QStringLiteral("Accedi")));
    dialog.show();
    return QApplication::exec();
}

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
/// started and detected the same way. The client's first start meets a local seeded
/// tessaro-server: version check, Init refused, login window.
class BenchStartup final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void bareDialog();
    void clientToLoginWindow();
    void cleanupTestCase();

private:
    /// Starts this executable in mode in a fresh working folder and home; one run's figures.
    void launch(const char* mode, Figures& figures);

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

void BenchStartup::launch(const char* mode, Figures& figures)
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
    child.start(QCoreApplication::applicationFilePath(), { QString::fromLatin1(mode) });
    QVERIFY2(child.waitForFinished(30000), mode);
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
            launch(dialogMode, bare);
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
            launch(clientMode, client);
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
    qInfo("start-up ratio (Corvane / bare): %.2f (target: at most 3.0)", clientTime / bareTime);
    qInfo("memory ratio (Corvane / bare): %.2f (target: at most 2.0)", clientMemory / bareMemory);
}

int main(int argc, char* argv[])
{
    if (argc > 1 && (qstrcmp(argv[1], clientMode) == 0 || qstrcmp(argv[1], dialogMode) == 0))
        return runChild(argc, argv, QByteArray(argv[1]));
    QCoreApplication application(argc, argv);
    BenchStartup bench;
    return QTest::qExec(&bench, argc, argv);
}

#include "bench_startup.moc"
