#include "models/commandrelease.h"

#include "commands/search/filedownload.h"
#include "core/logging.h"
#include "protocol/commandinterface.h"
#include "protocol/commandmanager.h"

namespace Corvane::Model {

void releaseEndedCommands(CommandManager* commandManager, QObject* owner)
{
    QObject::connect(
        commandManager, &CommandManager::executionEnded, owner, [owner](QObject* command) {
            if (command->parent() == owner)
                command->deleteLater();
        });
}

bool isStillQueued(CommandManager* commandManager, QObject* command)
{
    return commandManager->isQueued(dynamic_cast<Interface::CommandInterface*>(command));
}

void queueOwned(CommandManager* commandManager, QObject* owner, QObject* command)
{
    command->setParent(owner);
    queueCommand(commandManager, command);
}

void queueCommand(CommandManager* commandManager, QObject* command)
{
    commandManager->exec(dynamic_cast<Interface::CommandInterface*>(command));
}

void withdrawCommand(CommandManager* commandManager, QObject* command)
{
    if (!command)
        return;
    if (auto* queued = dynamic_cast<Interface::CommandInterface*>(command))
        commandManager->withdraw(queued);
    command->deleteLater();
}

void withdrawDownload(CommandManager* commandManager, QPointer<QObject>& running, const char* what)
{
    if (!running)
        return;
    qCDebug(corvaneLog) << what << "download withdrawn";
    withdrawCommand(commandManager, running);
    running = nullptr;
}

bool endDownload(
    QPointer<QObject>& running, const Command::Search::FileDownload* command, const char* what)
{
    if (command == running)
        running = nullptr;
    if (!command->isSuccess())
        qCWarning(corvaneLog) << "Error while downloading the" << what << "file";
    return command->isSuccess();
}

}
