#include "app/applicationmanager.h"
#include "app/devconfig.h"
#include "app/logging.h"
#include "app/resources.h"
#include "app/singleinstanceguard.h"
#include "app/systeminfo.h"

#include <QApplication>
#include <QFile>

#include <cstdlib>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral("5.2.0.0"));
    QCoreApplication::setApplicationName(QStringLiteral("Corvane"));
    Corvane::initResources();

    // Before the log handler is installed: this block reaches the console only.
    Corvane::logSystemInfo();

    // Both live until the process ends.
    auto* devConfig = new Corvane::DevConfig;
    auto* applicationManager = new Corvane::ApplicationManager(devConfig);
    Corvane::installTranslations();

    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.contains(QStringLiteral("update"))) {
        // The update run only renames and restarts executables; it never opens a session.
        qCDebug(corvaneLog) << "Application started with argument -update";
        return 0;
    }

    if (QFile::remove(QStringLiteral("CorvaneWin.exe")))
        qCDebug(corvaneLog) << "Removed CorvaneWin.exe installer file";
    if (QFile::remove(QStringLiteral("CorvaneWin_Setup.exe")))
        qCDebug(corvaneLog) << "Removed CorvaneWin_Setup.exe installer file";

    Corvane::SingleInstanceGuard guard;
    if (!guard.tryAcquire() && !Corvane::SingleInstanceGuard::confirmNewInstance())
        std::exit(0);

    applicationManager->start();
    return QApplication::exec();
}
