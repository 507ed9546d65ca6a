#include "app/updater.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

using Corvane::Updater;

namespace {

/// The process's peak resident memory in kB (VmHWM).
qint64 peakKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

}

/// Unpacking a release archive of 300 MB (one large, barely compressible entry beside small ones):
/// time, and the growth of peak memory, which must not follow the archive's size.
class BenchUnpack final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void extract();

private:
    QTemporaryDir folder;
    qint64 size = 300LL << 20;
};

void BenchUnpack::initTestCase()
{
    QuaZip zip(folder.filePath(QStringLiteral("release.zip")));
    QVERIFY(zip.open(QuaZip::mdCreate));
    QuaZipFile file(&zip);
    QVERIFY(file.open(QIODevice::WriteOnly, QuaZipNewInfo(QStringLiteral("corvane-update"))));
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    for (qint64 written = 0; written < size; written += chunk.size()) {
        QRandomGenerator::global()->fillRange(
            reinterpret_cast<quint32*>(chunk.data()), chunk.size() / 4);
        QVERIFY(file.write(chunk) == chunk.size());
    }
    file.close();
    for (int i = 0; i < 100; ++i) {
        QuaZipFile small(&zip);
        QVERIFY(small.open(
            QIODevice::WriteOnly, QuaZipNewInfo(QStringLiteral("lib/part%1.txt").arg(i))));
        small.write(QByteArray(4096, 'a' + char(i % 26)));
    }
    zip.close();
}

void BenchUnpack::extract()
{
    // Resets the peak so that only the unpacking counts.
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
    clear.close();
    const qint64 before = peakKilobytes();
    std::atomic_bool stop { false };
    QString failure;
    QBENCHMARK_ONCE
    {
        QTemporaryDir target(folder.filePath(QStringLiteral("out-XXXXXX")));
        failure = Updater::extract(
            folder.filePath(QStringLiteral("release.zip")), target.path(), [](int) {}, stop);
    }
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    qInfo("peak memory while unpacking %lld MB: +%lld kB (VmHWM %lld kB)", size >> 20,
        peakKilobytes() - before, peakKilobytes());
}

QTEST_MAIN(BenchUnpack)
#include "bench_unpack.moc"
