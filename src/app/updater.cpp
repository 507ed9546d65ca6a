#include "app/updater.h"

#include "core/logging.h"
#include "app/platform.h"
#include "commands/downloadupdate.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <quazip/JlCompress.h>
#include <quazip/quazip.h>
#include <quazip/quazipfileinfo.h>

namespace Corvane {

namespace {
    const QString unpackedFolderPrefix = QStringLiteral("corvane-update-");
    const QString updateParameter = QStringLiteral("update");

    /// The first entry of the archive whose path would leave the folder it is unpacked into
    /// (a parent step, an absolute or drive path, a link); empty when there is none or when
    /// the archive cannot be read at all.
    QString findEscapingEntry(const QString& archive)
    {
        QuaZip zip(archive);
        if (!zip.open(QuaZip::mdUnzip))
            return {};
        static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:"));
        for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
            QuaZipFileInfo64 info;
            if (!zip.getCurrentFileInfo(&info))
                return QStringLiteral("(unreadable entry)");
            // Windows takes a backslash for a separator, so it is one here too.
            const QString name = QString(info.name).replace(QLatin1Char('\\'), QLatin1Char('/'));
            const QStringList parts = name.split(QLatin1Char('/'));
            if (name.startsWith(QLatin1Char('/')) || drive.match(name).hasMatch()
                || parts.contains(QStringLiteral("..")) || info.isSymbolicLink())
                return info.name;
        }
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

Updater::~Updater() = default;

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

bool Updater::unpack()
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
        return false;
    }
    const QString escaping = findEscapingEntry(getArchiveName());
    if (!escaping.isEmpty()) {
        qCWarning(corvaneLog) << getArchiveName()
                              << "holds an entry outside its folder:" << escaping;
        unpacked.reset();
        return false;
    }
    const QStringList files = JlCompress::extractDir(getArchiveName(), unpacked->path());
    if (files.isEmpty()) {
        qCWarning(corvaneLog).noquote() << getArchiveName() << "could not be extracted";
        unpacked.reset();
        return false;
    }
    const QString program = unpacked->filePath(getUpdateProgramName());
    if (!QFileInfo(program).isFile()) {
        qCWarning(corvaneLog) << getArchiveName() << "holds no" << getUpdateProgramName();
        unpacked.reset();
        return false;
    }
    QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner);
    if (!QFile::remove(getArchiveName()))
        qCWarning(corvaneLog) << "Could not remove" << getArchiveName();
    return true;
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

void Updater::discardUnpacked() { unpacked.reset(); }

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
