#include "app/startup.h"

#include "app/applicationmanager.h"
#include "app/devconfig.h"
#include "app/resources.h"
#include "app/sessionstore.h"
#include "app/singleinstanceguard.h"
#include "app/systeminfo.h"
#include "core/logging.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <cstdlib>

namespace Corvane {

QString settleWorkingFolder(const QString& programFolder)
{
    // Tried rather than asked: the permission bits say nothing of read-only mounts, and an
    // administrator writes anywhere.
    QTemporaryFile probe(QDir(programFolder).filePath(QStringLiteral(".corvane-XXXXXX")));
    if (probe.open())
        return QDir::currentPath();

    // The folder of the session files, closed to other users.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (!SessionStore::makeFolder() || !QDir::setCurrent(folder))
        qCWarning(corvaneLog) << "Cannot work in" << folder;
    return QDir::currentPath();
}

int runClient(const QString& version)
{
    QCoreApplication::setApplicationVersion(version);
    QCoreApplication::setApplicationName(QStringLiteral("Corvane"));
    initResources();
    // Before anything reads or writes a file of the working folder.
    settleWorkingFolder(QCoreApplication::applicationDirPath());

    // Before the log handler is installed: this block reaches the console only.
    logSystemInfo();

    // Both live until the process ends.
    auto* devConfig = new DevConfig;
    auto* applicationManager = new ApplicationManager(devConfig);
    installTranslations();

    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.contains(QStringLiteral("update"))) {
        // The update run only renames and restarts executables; it never opens a session.
        qCDebug(corvaneLog) << "Application started with argument -update";
        applicationManager->finishUpdate();
        return 0;
    }

    if (QFile::remove(QStringLiteral("CorvaneWin.exe")))
        qCDebug(corvaneLog) << "Removed CorvaneWin.exe installer file";
    if (QFile::remove(QStringLiteral("CorvaneWin_Setup.exe")))
        qCDebug(corvaneLog) << "Removed CorvaneWin_Setup.exe installer file";

    SingleInstanceGuard guard;
    if (!guard.tryAcquire() && !SingleInstanceGuard::confirmNewInstance())
        std::exit(0);

    applicationManager->start();
    return QApplication::exec();
}

}
