#include "app/updateflow.h"

#include "app/applicationmanager.h"
#include "app/componentfactory.h"
#include "app/updater.h"
#include "app/updatewindow.h"
#include "commands/checkversion.h"
#include "commands/downloadupdate.h"
#include "core/logging.h"
#include "protocol/commandmanager.h"
#include "ui/mainwindow.h"
#include "ui/servertextbox.h"

#include <QCoreApplication>
#include <QDir>
#include <QMessageBox>
#include <QStandardPaths>

namespace Corvane {

namespace {
    /// A title between two blank banner lines.
    void logUpdateBanner(const char* title)
    {
        const char* blank = "------------------                   ------------------";
        qCDebug(corvaneLog) << blank;
        qCDebug(corvaneLog) << title;
        qCDebug(corvaneLog) << blank;
    }
}

UpdateFlow::UpdateFlow(ApplicationManager* manager, ComponentFactory* factory)
    : QObject(manager)
    , manager(manager)
    , factory(factory)
{
}

void UpdateFlow::checkVersion(const QString& version)
{
    manager->execute(new Command::CheckVersion(this, version));
}

QString UpdateFlow::getVersion() const { return manager->getVersion(); }

void UpdateFlow::initializeUpdate()
{
    qCDebug(corvaneLog)
        << "Starting the updated CorvaneWin.exe process. Current application will quit soon.";
    getUpdater()->startUpdateProgram();
    QCoreApplication::exit(0);
}

void UpdateFlow::finishUpdate() { Updater::finishUpdate(QCoreApplication::applicationFilePath()); }

void UpdateFlow::onVersionUpToDate(Command::CheckVersion* command)
{
    qCDebug(corvaneLog) << "manageAuthenticationResult"
                        << "Called by the command" << command->metaObject()->className();
    command->deleteLater();
    emit versionUpToDate();
}

void UpdateFlow::onUpdateAvailable(Command::CheckVersion* command)
{
    command->deleteLater();
    if (!command->isUpdateNeeded())
        return;
    logUpdateBanner("------------------ UPDATING CORVANE  ------------------");
    qCDebug(corvaneLog) << "Current version:" << getVersion()
                        << "New version:" << command->getLastVersion();

    if (!Updater::canReplaceProgram()) {
        // A system-wide installation belongs to the package manager, not to this user.
        qCWarning(corvaneLog) << "The installation folder" << Updater::getInstallationFolder()
                              << "cannot be changed by this user: no update";
        factory->getUpdateWindow()->showUpdateError(
            QStringLiteral("La cartella di installazione %1 non è modificabile da questo utente. "
                           "Aggiornare Corvane con il gestore dei pacchetti del sistema.")
                .arg(QDir::toNativeSeparators(Updater::getInstallationFolder())));
        factory->getUpdateWindow()->show();
        return;
    }

    qCDebug(corvaneLog) << "Starting update file download...";
    auto* download = new Command::DownloadUpdate(
        this, command->getMd5(), command->getLastVersion(), command->getSignature());
    // A network failure or a refused reply reaches no accepter: the window must still leave its
    // wait.
    connect(manager->getCommandManager(), &CommandManager::executionEnded, download,
        [download](QObject* ended) {
            if (ended == download)
                download->reportIfUnanswered();
        });
    manager->execute(download);
    // The new version's name is the server's text.
    showServerText(getUpdateParent(), QMessageBox::Information,
        QStringLiteral("Aggiornamento Corvane"),
        QStringLiteral("E' disponibile una nuova versione Corvane.\nVerrà ora avviata la "
                       "procedura automatica di aggiornamento.\n\nVersione corrente: "
                       "%1\nUltima versione: %2")
            .arg(getVersion(), command->getLastVersion()));
    factory->getUpdateWindow()->show();
}

void UpdateFlow::manageDownloadUpdateResult(Command::DownloadUpdate* command)
{
    qCDebug(corvaneLog) << "manageDownloadUpdateResult"
                        << "Called by the command" << command->metaObject()->className()
                        << "with result" << command->isSuccess();
    command->deleteLater();
    if (!command->isSuccess()) {
        qCDebug(corvaneLog) << "Corvane update file was not correctly downloaded.";
        logUpdateBanner("------------------  UPDATE ABORTED   ------------------");
        factory->getUpdateWindow()->showUpdateError();
        factory->getUpdateWindow()->exec();
        return;
    }
    factory->getUpdateWindow()->advanceStep();
    connect(getUpdater(), &Updater::unpackProgressed, factory->getUpdateWindow(),
        &UpdateWindow::setInstallProgress, Qt::UniqueConnection);
    getUpdater()->unpack([this](bool unpacked) {
        if (!unpacked) {
            factory->getUpdateWindow()->showUpdateError();
            return;
        }
        factory->getUpdateWindow()->advanceStep();
        logUpdateBanner("------------------      UPDATED      ------------------");
    });
}

Updater* UpdateFlow::getUpdater()
{
    if (!updater)
        updater = new Updater(QStandardPaths::writableLocation(QStandardPaths::TempLocation), this);
    return updater;
}

QWidget* UpdateFlow::getUpdateParent()
{
    // The main window when there is one. It is not created for this: its windows and models fetch
    // their look-ups on creation, and without a session every such request would end the program
    // in the middle of the update.
    return factory->find<MainWindow>();
}

}
