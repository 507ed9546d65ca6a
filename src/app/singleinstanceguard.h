#pragma once

#include <QSharedMemory>
#include <QString>

namespace Corvane {

/// Tells whether another Corvane runs, through a named shared-memory segment held for the life
/// of the process. A segment left behind by a crashed instance is cleared first, so it never
/// blocks later starts. A local object of the entry point.
class SingleInstanceGuard final {
public:
    static constexpr const char* defaultKey = "4f1c2a9e-7b3d-4e58-a6c0-91d2e3b4f5a7";

    explicit SingleInstanceGuard(const QString& key = QString::fromLatin1(defaultKey));

    /// True when this process now holds the segment; false when another instance does.
    bool tryAcquire();
    /// Gives the segment up, so that a new instance this process starts is not refused.
    void release();
    /// Releases the guard this process holds, if any.
    static void releaseHeld();
    ~SingleInstanceGuard();

    /// Asks whether to start another instance beside the running one.
    static bool confirmNewInstance();

private:
    QSharedMemory memory;
};

}
