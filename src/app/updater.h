#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class QTemporaryDir;
class QThread;

namespace Corvane {

/// The file work of the self-update: the names of the update files on this platform, whether
/// this user may replace the installed program, the unpacking of the downloaded archive into a
/// private folder, the start of the unpacked update program, and the update run that swaps the
/// executables. Created by the flow manager, which owns it; the update run needs no instance.
///
/// The archive holds the new release at its top level, with the new executable under the update
/// program's name. Started from the unpacked folder, the update program copies itself into the
/// installation folder (the working directory) and removes the unpacked folder; the swap then
/// runs in two stages: the new executable takes the program's name and the previous one, started
/// under its swap name, moves itself to the backup name and starts the new one.
class Updater final : public QObject {
    Q_OBJECT
public:
    explicit Updater(const QString& tempPath, QObject* parent = nullptr);
    ~Updater() override;

    /// The downloaded archive, in the working directory.
    static QString getArchiveName();
    /// The new executable, in the archive and in the installation folder before the swap.
    static QString getUpdateProgramName();
    /// The installed program.
    static QString getProgramName();
    /// The previous program while the swap runs; it finishes the swap under this name.
    static QString getSwapBackupName();
    /// The previous program after the swap, until the next good download.
    static QString getBackupName();
    /// The folder an update would change: the working directory when it holds the program,
    /// otherwise the folder of the running program.
    static QString getInstallationFolder();
    /// Whether the program lies in the working directory and this user may replace it.
    static bool canReplaceProgram();

    /// What unpacking accepts: the archive's whole unpacked size, how far one entry of some size
    /// may have been compressed (beyond that it is built to fill the disk), how many entries.
    static constexpr qint64 maximumUnpackedSize = 512LL * 1024 * 1024;
    static constexpr qint64 maximumRatio = 100;
    static constexpr qint64 ratioCheckedFrom = 1024 * 1024;
    static constexpr int maximumEntries = 10000;

    /// Removes what an earlier update left and unpacks the downloaded archive, off the GUI thread,
    /// into a new folder that only this user can enter; done is then called on the GUI thread
    /// with the outcome. Before anything is written the archive's entries are read: an entry that
    /// would land outside the folder, an archive past the limits above or larger than the free
    /// space of the temporary folder is refused; while writing, an entry larger than announced
    /// or damaged stops it. An archive that fails, or lacks the update program, leaves nothing.
    void unpack(std::function<void(bool unpacked)> done);
    /// Whether an unpacking is running.
    bool isUnpacking() const { return worker != nullptr; }
    /// Unpacks archive into folder (see unpack) on the calling thread, reporting the share written
    /// in percent; stops early when stop is set. The reason it failed, or empty.
    static QString extract(const QString& archive, const QString& folder,
        const std::function<void(int percent)>& progress, const std::atomic_bool& stop);
    /// The folder of the last good unpack; empty when there is none.
    QString getUnpackedFolder() const;
    /// Starts the unpacked update program for the update run, in the working directory. From
    /// then on the unpacked folder is the update program's to remove.
    bool startUpdateProgram();
    /// Stops a running unpacking and removes the unpacked folder, if any.
    void discardUnpacked();

    /// The update run of the program at runningProgram (see the class comment). Every rename is
    /// checked: when the new executable cannot be put in place, the previous one is kept or
    /// restored and started, so the installation always keeps a program.
    static void finishUpdate(const QString& runningProgram);

signals:
    /// The share of the archive unpacked so far, in percent.
    void unpackProgressed(int percent);

private:
    QString tempPath;
    std::unique_ptr<QTemporaryDir> unpacked;
    QThread* worker = nullptr;
    std::atomic_bool stopUnpacking { false };
};

}
