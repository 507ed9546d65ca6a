#pragma once

#include <QPointer>

namespace Corvane {

class CommandManager;

namespace Command::Search {
    class FileDownload;
}

namespace Model {

    /// Frees each command of owner (a command whose parent it is) once the queue is done with
    /// it, whether its reply was used, refused or never came.
    void releaseEndedCommands(CommandManager* commandManager, QObject* owner);

    /// Takes a command of owner off the queue, if it waits or runs, and frees it.
    void withdrawCommand(CommandManager* commandManager, QObject* command);

    /// Queues command as owner's: freed once the queue ends it without a reply, if owner
    /// releases ended commands, and with owner at the latest.
    void queueOwned(CommandManager* commandManager, QObject* owner, QObject* command);

    /// Drops what pending still waits for and queues command in its place, as owner's.
    template <typename Pending, typename Command>
    Command* replacePending(CommandManager* commandManager, QObject* owner,
        QPointer<Pending>& pending, Command* command)
    {
        withdrawCommand(commandManager, pending);
        pending = command;
        queueOwned(commandManager, owner, command);
        return command;
    }

    /// Takes the file download under way, if any, off the queue and forgets it; what names the
    /// file in the log ("Report", "Position").
    void withdrawDownload(
        CommandManager* commandManager, QPointer<QObject>& running, const char* what);

    /// A file download has ended: forgets it if it is the one under way and tells whether it
    /// saved its file, logging a failure; what names the file ("report", "position").
    bool endDownload(
        QPointer<QObject>& running, const Command::Search::FileDownload* command, const char* what);

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
