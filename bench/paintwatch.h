#pragma once

// What both start-up children share: they end on the first paint of their window and report the
// time and their peak resident memory to bench_startup on standard output.

#include <QApplication>
#include <QFile>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <unistd.h>

namespace Corvane::Bench {

inline qint64 monotonicNanoseconds()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

/// A line of this process's /proc status in KiB, or -1.
inline qint64 ownStatusKib(const QByteArray& name)
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
            // Where the memory went, for a look by hand.
            if (qEnvironmentVariableIsSet("CORVANE_BENCH_SMAPS")) {
                QFile maps(QStringLiteral("/proc/self/smaps"));
                QFile copy(qEnvironmentVariable("CORVANE_BENCH_SMAPS"));
                if (maps.open(QIODevice::ReadOnly) && copy.open(QIODevice::WriteOnly))
                    copy.write(maps.readAll());
            }
            ::_exit(0);
        });
        return false;
    }

private:
    const char* windowClass;
    bool seen = false;
};

}
