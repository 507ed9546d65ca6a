#pragma once

#include "network/initializeresponderinterfaces.h"
#include "protocol/accepterinterfaces.h"

#include <QObject>
#include <QString>

namespace Corvane {

class ApplicationManager;
class ComponentFactory;
class Updater;

/// The self-update: the version check's answer, the download of the new program and its
/// unpacking, the update window, and the hand-over to the update run that swaps the programs.
/// A child of the flow manager.
class UpdateFlow final : public QObject,
                         public Interface::CheckVersionAccepterInterface,
                         public Interface::DownloadUpdateResponseAccepterInterface,
                         public Interface::UpdateInitializeResponderInterface {
    Q_OBJECT
    Q_INTERFACES(Corvane::Interface::CheckVersionAccepterInterface
            Corvane::Interface::DownloadUpdateResponseAccepterInterface
                Corvane::Interface::UpdateInitializeResponderInterface)
public:
    UpdateFlow(ApplicationManager* manager, ComponentFactory* factory);

    /// Asks the server whether version is the latest one.
    void checkVersion(const QString& version);
    /// The update run: swaps the executables in the working directory and starts the next one.
    static void finishUpdate();

    void onVersionUpToDate(Command::CheckVersion* command) override;
    void onUpdateAvailable(Command::CheckVersion* command) override;
    void manageDownloadUpdateResult(Command::DownloadUpdate* command) override;
    void initializeUpdate() override;

signals:
    /// The program is the latest one: the session may open.
    void versionUpToDate();

private:
    Updater* getUpdater();
    /// The parent of the update box and window.
    QWidget* getUpdateParent();
    QString getVersion() const;

    ApplicationManager* manager;
    ComponentFactory* factory;
    Updater* updater = nullptr;
};

}
