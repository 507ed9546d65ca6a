#pragma once

#include "protocol/datarow.h"

#include <QObject>
#include <QPointer>

namespace Corvane {

class ApplicationManager;
class CommandRequestManager;
class NetworkManager;
class ProxyConfigurator;
class XmlParser;

namespace Interface {
    class CommandInterface;
}

/// The single gate of every server operation: queues commands, runs one at a time, adds the
/// protocol's own form fields, has the reply decoded, applies the generic result check and the
/// session check, and hands the result to the command or, for a refused session, to the flow
/// manager. Created by the flow manager on first use and kept for the life of the process; it
/// never owns the commands it queues.
class CommandManager final : public QObject {
    Q_OBJECT
public:
    CommandManager(ProxyConfigurator* proxyConfigurator, NetworkManager* networkManager,
        ApplicationManager* applicationManager, QObject* parent = nullptr);
    ~CommandManager() override;

    void exec(Interface::CommandInterface* command);
    void executionAccomplished(Interface::CommandInterface* command);

    /// A transfer of the head command ended with a body.
    void onReplyReady(const QByteArray& body, const QString& contentType);
    /// A transfer of the head command failed at the network level; the network manager has
    /// reported it. The command ends without a result so the queue moves on.
    void onReplyFailed();

    QMap<QString, QString> getDecodedReply() const { return decodedReply; }
    QList<DataRow> getDataRows() const { return dataRows; }
    QString getLastErrorMessage() const { return lastErrorMessage; }
    /// Whether a command is running or waiting.
    bool isBusy() const { return !executionQueue.isEmpty(); }
    /// Whether the command is running or waiting; false once it has ended, with or without reply.
    bool isQueued(Interface::CommandInterface* command) const
    {
        return executionQueue.contains(command);
    }

    void updateServerUrl();
    /// Inactivity allowed to one transfer before it is aborted.
    void setTransferTimeout(int milliseconds);

private:
    void executeNext();
    /// Dequeues a finished command without calling it, and starts the next one.
    void finish(Interface::CommandInterface* command, const QString& path);
    bool validateResponse();
    bool isAuthenticationValid();

    CommandRequestManager* transport;
    ApplicationManager* applicationManager;
    XmlParser* parser;
    QMap<QString, QString> decodedReply;
    QList<DataRow> dataRows;
    QList<Interface::CommandInterface*> executionQueue;
    QString lastErrorMessage;
};

}
