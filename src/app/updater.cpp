#include "app/updater.h"

#include "app/platform.h"
#include "commands/downloadupdate.h"
#include "core/logging.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QThread>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipfileinfo.h>

#include <algorithm>

namespace Corvane {

namespace {
    const QString unpackedFolderPrefix = QStringLiteral("corvane-update-");
    const QString updateParameter = QStringLiteral("update");

    /// The entry's path inside the folder it is unpacked into; empty when it would leave it (a
    /// parent step, an absolute or drive path) or names nothing.
    QString insidePath(const QString& entryName)
    {
        static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:"));
        // Windows takes a backslash for a separator, so it is one here too.
        const QString name = QString(entryName).replace(QLatin1Char('\\'), QLatin1Char('/'));
        if (name.startsWith(QLatin1Char('/')) || drive.match(name).hasMatch()
            || name.split(QLatin1Char('/')).contains(QStringLiteral(".."))
            || name.contains(QChar(0)))
            return {};
        return QDir::cleanPath(name);
    }

    struct Entry {
        QString path;
        qint64 size = 0;
        bool folder = false;
        QFileDevice::Permissions permissions;
    };

    /// The entries of an open archive, checked against the limits before anything is written.
    QString readEntries(QuaZip& zip, QList<Entry>& entries, qint64& total)
    {
        total = 0;
        for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
            QuaZipFileInfo64 info;
            if (!zip.getCurrentFileInfo(&info))
                return QStringLiteral("an unreadable entry");
            Entry entry;
            entry.path = insidePath(info.name);
            if (entry.path.isEmpty() || entry.path == QLatin1String(".") || info.isSymbolicLink())
                return QStringLiteral("a link or an entry outside its folder: %1")
                    .arg(info.name.left(200));
            if (entries.size() >= Updater::maximumEntries)
                return QStringLiteral("more than %1 entries").arg(Updater::maximumEntries);
            const auto size = static_cast<qint64>(info.uncompressedSize);
            const auto compressed = static_cast<qint64>(info.compressedSize);
            if (size < 0 || size > Updater::maximumUnpackedSize - total)
                return QStringLiteral("more than %1 bytes unpacked")
                    .arg(Updater::maximumUnpackedSize);
            if (size >= Updater::ratioCheckedFrom
                && size / std::max<qint64>(compressed, 1) > Updater::maximumRatio)
                return QStringLiteral("an entry compressed %1 times: %2")
                    .arg(size / std::max<qint64>(compressed, 1))
                    .arg(info.name.left(200));
            total += size;
            entry.size = size;
            entry.folder
                = info.name.endsWith(QLatin1Char('/')) || info.name.endsWith(QLatin1Char('\\'));
            entry.permissions = info.getPermissions();
            entries.append(entry);
        }
        if (zip.getZipError() != UNZ_OK)
            return QStringLiteral("an unreadable directory");
        if (entries.isEmpty())
            return QStringLiteral("no entries");
        return {};
    }

    /// Writes the archive's current entry to target: never more than announced, and only
    /// when its checksum holds.
    QString writeEntry(QuaZip& zip, const Entry& entry, const QString& target,
        const std::function<void(qint64)>& written, const std::atomic_bool& stop)
    {
        QuaZipFile in(&zip);
        QFile out(target);
        if (!in.open(QIODevice::ReadOnly))
            return QStringLiteral("an entry that does not open: %1").arg(entry.path);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return QStringLiteral("%1 cannot be written: %2").arg(target, out.errorString());
        QByteArray buffer(64 * 1024, Qt::Uninitialized);
        qint64 count = 0;
        for (;;) {
            if (stop)
                return QStringLiteral("stopped");
            const qint64 read = in.read(buffer.data(), buffer.size());
            if (read < 0)
                return QStringLiteral("a damaged entry: %1").arg(entry.path);
            if (read == 0)
                break;
            count += read;
            if (count > entry.size)
                return QStringLiteral("an entry larger than announced: %1").arg(entry.path);
            if (out.write(buffer.constData(), read) != read)
                return QStringLiteral("%1 cannot be written: %2").arg(target, out.errorString());
            written(read);
        }
        in.close();
        if (in.getZipError() != UNZ_OK || count != entry.size)
            return QStringLiteral("a damaged entry: %1").arg(entry.path);
        if (!out.flush())
            return QStringLiteral("%1 cannot be written: %2").arg(target, out.errorString());
        out.close();
        // Owner rights only: the folder is this user's alone.
        out.setPermissions((entry.permissions & QFileDevice::Permissions(0x7700))
            | QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        return {};
    }

    void start(const QString& name, const QString& parameter = QString())
    {
        if (!Platform::startProgram(QDir::current().absoluteFilePath(name), parameter))
            qCCritical(corvaneLog).noquote()
                << QStringLiteral("Unexpected error while trying to execute %1")
                       .arg(Updater::getUpdateProgramName());
    }

    bool rename(const QString& from, const QString& to, const QString& failure)
    {
        if (QFile::rename(from, to))
            return true;
        qCWarning(corvaneLog).noquote() << failure.arg(from, to);
        return false;
    }

    /// Removes the folder the update program was unpacked into, and only such a folder: the
    /// update program may also be started from elsewhere by hand.
    void removeUnpackedFolder(const QFileInfo& program)
    {
        const QDir folder = program.absoluteDir();
        const QString temp
            = QDir(QStandardPaths::writableLocation(QStandardPaths::TempLocation)).canonicalPath();
        if (!folder.dirName().startsWith(unpackedFolderPrefix)
            || QFileInfo(folder.absolutePath()).canonicalPath() != temp)
            return;
        if (!QDir(folder).removeRecursively())
            qCWarning(corvaneLog) << "Could not remove the unpacked update folder"
                                  << folder.absolutePath();
    }

    /// Copies the running update program into the installation folder under the update name.
    bool carryIntoInstallation(const QFileInfo& program)
    {
        const QString target = Updater::getUpdateProgramName();
        QFile::remove(target);
        const bool copied = QFile::copy(program.absoluteFilePath(), target);
        if (!copied)
            qCWarning(corvaneLog) << "Error while trying to copy" << program.absoluteFilePath()
                                  << "to the installation folder";
        removeUnpackedFolder(program);
        return copied;
    }

    /// The new executable takes the program's name; the previous one finishes the swap.
    void swapInNewProgram()
    {
        const QString program = Updater::getProgramName();
        const QString swapBackup = Updater::getSwapBackupName();
        const QString update = Updater::getUpdateProgramName();

        qCDebug(corvaneLog).noquote()
            << QStringLiteral("Renaming %1 to %2").arg(program, swapBackup);
        const bool backedUp = rename(
            program, swapBackup, QStringLiteral("Error while trying to rename file %1 to %2"));
        if (!backedUp && QFile::exists(program)) {
            // The installed program stays as it is: the update cannot take its place.
            start(program);
            return;
        }
        if (!rename(update, program, QStringLiteral("Error while trying to rename %1 to %2"))) {
            if (backedUp)
                rename(
                    swapBackup, program, QStringLiteral("Error while trying to restore %1 as %2"));
            start(QFile::exists(program) ? program : swapBackup);
            return;
        }
        if (backedUp)
            start(swapBackup, updateParameter);
        else
            start(program);
    }

    /// Run by the previous program: keeps it as the backup, moves the files of earlier releases
    /// aside once, and starts the new program.
    void finishSwap()
    {
        rename(Updater::getSwapBackupName(), Updater::getBackupName(),
            QStringLiteral("Error while trying to rename %1 to %2"));
        if (QDir::current().mkdir(QStringLiteral("old"))) {
            qCDebug(corvaneLog) << "Moving old corvane files to ./old";
            for (const char* legacy :
                { "CorvaneUpd.exe", "CorvaneWin.old", "NetProbe.exe", "serial.dat" }) {
                const QString name = QString::fromLatin1(legacy);
                if (!QFile::rename(name, QStringLiteral("old/") + name))
                    qCWarning(corvaneLog).noquote()
                        << QStringLiteral("Error while trying to move %1 to old subfolder")
                               .arg(name);
            }
        }
        start(Updater::getProgramName());
    }
}

Updater::Updater(const QString& tempPath, QObject* parent)
    : QObject(parent)
    , tempPath(tempPath)
{
    // The flow manager lives until the process ends: the folder must not outlive the event loop.
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
        &Updater::discardUnpacked);
}

Updater::~Updater() { discardUnpacked(); }

QString Updater::getArchiveName()
{
    return QString::fromLatin1(Command::DownloadUpdate::archiveName);
}

#ifdef Q_OS_WIN
QString Updater::getUpdateProgramName() { return QStringLiteral("update.exe"); }
QString Updater::getProgramName() { return QStringLiteral("Corvane.exe"); }
QString Updater::getSwapBackupName() { return QStringLiteral("Corvane.bak.exe"); }
QString Updater::getBackupName() { return QStringLiteral("Corvane.exe.bak"); }
#else
QString Updater::getUpdateProgramName() { return QStringLiteral("corvane-update"); }
QString Updater::getProgramName() { return QStringLiteral("corvane"); }
QString Updater::getSwapBackupName() { return QStringLiteral("corvane-previous"); }
QString Updater::getBackupName() { return QStringLiteral("corvane.bak"); }
#endif

QString Updater::getInstallationFolder()
{
    return QFileInfo(getProgramName()).isFile() ? QDir::currentPath()
                                                : QCoreApplication::applicationDirPath();
}

bool Updater::canReplaceProgram()
{
    return QFileInfo(getProgramName()).isFile() && QFileInfo(QDir::currentPath()).isWritable();
}

QString Updater::extract(const QString& archive, const QString& folder,
    const std::function<void(int)>& progress, const std::atomic_bool& stop)
{
    QuaZip zip(archive);
    if (!zip.open(QuaZip::mdUnzip))
        return QStringLiteral("it is no ZIP archive");
    QList<Entry> entries;
    qint64 total = 0;
    const QString refused = readEntries(zip, entries, total);
    if (!refused.isEmpty())
        return QStringLiteral("it holds ") + refused;
    const qint64 available = QStorageInfo(folder).bytesAvailable();
    if (available >= 0 && total > available)
        return QStringLiteral("%1 bytes do not fit in the %2 free in %3")
            .arg(total)
            .arg(available)
            .arg(folder);

    const QDir target(folder);
    qint64 done = 0;
    int shown = -1;
    const auto written = [&](qint64 bytes) {
        done += bytes;
        const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 100;
        if (percent != shown)
            progress(shown = percent);
    };
    int index = 0;
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile(), ++index) {
        const Entry& entry = entries.at(index);
        const QString path = target.filePath(entry.path);
        if (entry.folder) {
            if (!target.mkpath(entry.path))
                return QStringLiteral("%1 cannot be made").arg(path);
            continue;
        }
        if (!target.mkpath(QFileInfo(entry.path).path()))
            return QStringLiteral("%1 cannot be made").arg(QFileInfo(path).path());
        const QString failed = writeEntry(zip, entry, path, written, stop);
        if (!failed.isEmpty())
            return failed;
    }
    progress(100);
    return {};
}

void Updater::unpack(std::function<void(bool)> done)
{
    if (!QFile::remove(getBackupName()))
        qCWarning(corvaneLog) << "No previous backup file detected.";
    if (!QFile::remove(getUpdateProgramName()))
        qCWarning(corvaneLog) << "No previous update file detected.";

    qCDebug(corvaneLog).noquote()
        << QStringLiteral("Uncompressing the %1 update archive").arg(getArchiveName());
    // A folder of its own, closed to other users: a shared temporary folder would let another
    // local user plant the program that is about to be started.
    unpacked = std::make_unique<QTemporaryDir>(
        tempPath + QLatin1Char('/') + unpackedFolderPrefix + QStringLiteral("XXXXXX"));
    if (!unpacked->isValid()) {
        qCWarning(corvaneLog) << "Could not create the update folder:" << unpacked->errorString();
        unpacked.reset();
        done(false);
        return;
    }
    const QString archive = QFileInfo(getArchiveName()).absoluteFilePath();
    const QString folder = unpacked->path();
    auto failure = std::make_shared<QString>();
    stopUnpacking = false;
    // Unpacking a large archive takes a while: the window must keep drawing its progress.
    worker = QThread::create([this, archive, folder, failure] {
        *failure = extract(
            archive, folder, [this](int percent) { emit unpackProgressed(percent); },
            stopUnpacking);
    });
    connect(worker, &QThread::finished, this, [this, thread = worker, failure, done] {
        // A worker stopped by discardUnpacked is gone already.
        if (thread != worker)
            return;
        worker = nullptr;
        thread->deleteLater();
        const QString program = unpacked ? unpacked->filePath(getUpdateProgramName()) : QString();
        if (!failure->isEmpty() || !QFileInfo(program).isFile()) {
            if (failure->isEmpty())
                qCWarning(corvaneLog) << getArchiveName() << "holds no" << getUpdateProgramName();
            else
                qCWarning(corvaneLog).noquote()
                    << getArchiveName() << "could not be extracted:" << *failure;
            unpacked.reset();
            done(false);
            return;
        }
        QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner);
        if (!QFile::remove(getArchiveName()))
            qCWarning(corvaneLog) << "Could not remove" << getArchiveName();
        done(true);
    });
    worker->start();
}

QString Updater::getUnpackedFolder() const { return unpacked ? unpacked->path() : QString(); }

bool Updater::startUpdateProgram()
{
    const bool started = unpacked
        && Platform::startProgram(unpacked->filePath(getUpdateProgramName()), updateParameter);
    if (!started) {
        qCCritical(corvaneLog).noquote()
            << QStringLiteral("Unexpected error while trying to execute %1")
                   .arg(getUpdateProgramName());
        return false;
    }
    unpacked->setAutoRemove(false);
    unpacked.reset();
    return true;
}

void Updater::discardUnpacked()
{
    if (worker) {
        stopUnpacking = true;
        worker->wait();
        delete worker;
        worker = nullptr;
    }
    unpacked.reset();
}

void Updater::finishUpdate(const QString& runningProgram)
{
    const QFileInfo running(runningProgram);
    if (running.fileName() == getUpdateProgramName()
        && running.absoluteDir().canonicalPath() != QDir::current().canonicalPath()
        && !carryIntoInstallation(running)) {
        start(getProgramName());
        return;
    }
    if (QFile::exists(getUpdateProgramName())) {
        swapInNewProgram();
        return;
    }
    if (!QFile::exists(getSwapBackupName()))
        return;
    finishSwap();
}

}
