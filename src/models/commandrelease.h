#pragma once

class QObject;

namespace Corvane {

class CommandManager;

namespace Model {

    /// Frees each command of owner (a command whose parent it is) once the queue is done with
    /// it, whether its reply was used, refused or never came.
    void releaseEndedCommands(CommandManager* commandManager, QObject* owner);

    /// Takes a command of owner off the queue, if it waits or runs, and frees it.
    void withdrawCommand(CommandManager* commandManager, QObject* command);

}
}
