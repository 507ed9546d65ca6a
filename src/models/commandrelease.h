#pragma once

#include <QPointer>

namespace Corvane {

class CommandManager;

namespace Model {

    /// Frees each command of owner (a command whose parent it is) once the queue is done with
    /// it, whether its reply was used, refused or never came.
    void releaseEndedCommands(CommandManager* commandManager, QObject* owner);

    /// Takes a command of owner off the queue, if it waits or runs, and frees it.
    void withdrawCommand(CommandManager* commandManager, QObject* command);

    /// Whether command still waits or runs in the queue.
    bool isStillQueued(CommandManager* commandManager, QObject* command);
    void queueCommand(CommandManager* commandManager, QObject* command);

    /// Queues the command make creates, unless pending still waits or runs: that one will
    /// deliver. A pending command the queue ended without a reply is freed first.
    template <typename Command, typename Make>
    void queueOnce(CommandManager* commandManager, QPointer<Command>& pending, Make make)
    {
        if (pending && isStillQueued(commandManager, pending))
            return;
        delete pending.data();
        pending = make();
        queueCommand(commandManager, pending);
    }

    /// Frees a command whose reply has been used, and forgets it as pending.
    template <typename Command> void releaseAnswered(QPointer<Command>& pending, Command* command)
    {
        if (command == pending)
            pending = nullptr;
        command->deleteLater();
    }

}
}
