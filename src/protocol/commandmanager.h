#pragma once

#include "protocol/datarow.h"

#include <QObject>
#include <QPointer>

namespace Corvane {

class CommandRequestManager;
class NetworkManager;
struct ReplyLimits;
class ProxyConfigurator;
class XmlParser;

namespace Interface {
    class CommandHostInterface;
    class CommandInterface;
}

/// The single gate of every server operation: queues commands, runs one at a time, adds the
/// protocol's own form fields, has the reply decoded, applies the generic result check and the
/// session check, and hands the result to the command or, for a refused session, to the flow
/// manager (its host). Created by the component factory on first use and kept for the life of the
/// process; it never owns the commands it queues, but notices when one is destroyed.
class CommandManager final : public QObject {
    Q_OBJECT
public:
    CommandManager(ProxyConfigurator* proxyConfigurator, NetworkManager* networkManager,
        Interface::CommandHostInterface* host, QObject* parent = nullptr);
    ~CommandManager() override;

    void exec(Interface::CommandInterface* command);
    /// Drops a command that waits or runs: a running transfer is aborted and the command never
    /// hears of its reply; the queue goes on. A command destroyed while queued is dropped alike.
    void withdraw(Interface::CommandInterface* command);
    void executionAccomplished(Interface::CommandInterface* command);

    /// A transfer of the head command ended with a body.
    void onReplyReady(const QByteArray& body, const QString& contentType, int status = 200);
    /// A transfer of the head command failed at the network level; the network manager has
    /// reported it. The command ends without a result (a download hears of its failure) so the
    /// queue moves on.
    void onReplyFailed();
    /// A reply was stopped for its size: the generic error is shown and the command ends as
    /// failed.
    void onReplyTooLarge();
    /// The head command's streamed body has ended: whole (complete) or stopped.
    void onStreamEnded(bool complete);

    QMap<QString, QString> getDecodedReply() const { return decodedReply; }
    QList<DataRow> getDataRows() const { return dataRows; }
    QString getLastErrorMessage() const { return lastErrorMessage; }
    /// Whether a command is running, having its result delivered, or waiting.
    bool isBusy() const { return inFlight || delivering || !executionQueue.isEmpty(); }
    /// Whether the command is running or waiting; false once it has ended, with or without reply.
    bool isQueued(Interface::CommandInterface* command) const { return indexOf(command) >= 0; }

    void updateServerUrl();
    /// Inactivity allowed to one transfer before it is aborted.
    void setTransferTimeout(int milliseconds);
    /// Sizes and deadlines of the replies to come (tests shorten them).
    void setReplyLimits(const ReplyLimits& limits);

signals:
    /// A command has left the queue and its result, refusal or failure has been dealt with: its
    /// owner may free it now. Not emitted for a command withdrawn or destroyed while queued.
    void executionEnded(QObject* command);

private:
    struct QueuedCommand {
        Interface::CommandInterface* command = nullptr;
        /// The same command as an object; turns null when it is destroyed.
        QPointer<QObject> object;
        QMetaObject::Connection destroyedConnection;
    };

    int indexOf(Interface::CommandInterface* command) const;
    /// Starts the head of the queue unless a command is running or having its result delivered.
    void startNext();
    void executeNext();
    /// Takes the running command off the queue before its result is delivered, so that its owner
    /// may release it, or queue a new one, from inside the delivery.
    QueuedCommand takeRunning();
    /// The taken command's result has been delivered: tell its owner and start the next one.
    void endExecution(const QueuedCommand& ended, const QString& path);
    /// Removes a waiting or running command; a running one has its transfer aborted.
    void removeAt(int index);
    void dropDestroyed();
    bool validateResponse(const QString& path);
    bool isAuthenticationValid();

    CommandRequestManager* transport;
    Interface::CommandHostInterface* host;
    XmlParser* parser;
    QMap<QString, QString> decodedReply;
    QList<DataRow> dataRows;
    /// Waiting commands, preceded by the running one while its transfer is under way.
    QList<QueuedCommand> executionQueue;
    QString lastErrorMessage;
    /// The head's transfer is under way.
    bool inFlight = false;
    /// A result taken off the queue is being delivered (it may run a nested event loop).
    bool delivering = false;
    /// The path of the command sent last, for the log.
    QString runningPath;
};

}
