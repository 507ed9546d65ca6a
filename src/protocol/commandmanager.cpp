#include "protocol/commandmanager.h"

#include "core/logging.h"
#include "protocol/authenticatedcommandinterface.h"
#include "protocol/commandhostinterface.h"
#include "protocol/commandinterface.h"
#include "protocol/commandrequestmanager.h"
#include "protocol/downloadcommandinterface.h"
#include "protocol/failurereportingcommandinterface.h"
#include "protocol/noabicommandinterface.h"
#include "protocol/xmlparser.h"

#include <QCoreApplication>
#include <QMetaEnum>

namespace Corvane {

namespace {
    using Interface::AuthenticatedCommandInterface;
    using Interface::CommandInterface;
    using Interface::DownloadCommandInterface;
    using Interface::FailureReportingCommandInterface;
    using Interface::NoAbiCommandInterface;
    using Interface::PaginatedCommandInterface;

    const QString esitoId = QStringLiteral("esito_id");

    /// The codes that say the session itself is gone or not yet complete, whatever was asked.
    bool isSessionRefusal(const QString& code)
    {
        bool number = false;
        switch (code.toInt(&number)) {
        case XmlParser::UNK_USER:
        case XmlParser::JWT_AUTH_NOT_FOUND:
        case XmlParser::ACTIVATION_CODE_NOT_FOUND:
        case XmlParser::PASSWORD_EXPIRED:
        case XmlParser::TWOFA_NOT_ACTIVE:
        case XmlParser::JWT_2FA_NOT_FOUND:
        case XmlParser::TWOFA_AUTH_NOT_VALID:
        case XmlParser::JWT_NOT_VALID:
            return number;
        default:
            return false;
        }
    }

    /// The bank's ABI code: the label's part before the first "-", trimmed.
    QString abiCode(const QString& bankLabel)
    {
        return bankLabel.section(QLatin1Char('-'), 0, 0).trimmed();
    }
}

CommandManager::CommandManager(ProxyConfigurator* proxyConfigurator, NetworkManager* networkManager,
    Interface::CommandHostInterface* host, QObject* parent)
    : QObject(parent)
    , transport(
          new CommandRequestManager(networkManager, proxyConfigurator, this, host->getServerUrl()))
    , host(host)
    , parser(new XmlParser)
{
}

CommandManager::~CommandManager()
{
    transport->deleteLater();
    parser->deleteLater();
}

void CommandManager::exec(CommandInterface* command)
{
    qCDebug(corvaneLog) << "exec"
                        << "Called for the command" << command->getPath();
    if (isQueued(command)) {
        qCWarning(corvaneLog) << command->getPath() << static_cast<void*>(command)
                              << "Command pointer is already on the queue. Could be caused by "
                                 "calling an action multiple times with the same exact command "
                                 "object";
        return;
    }
    auto* object = dynamic_cast<QObject*>(command);
    if (!object) {
        qCCritical(corvaneLog) << command->getPath()
                               << "is not an object whose destruction can be noticed; not queued";
        return;
    }
    QueuedCommand entry;
    entry.command = command;
    entry.object = object;
    entry.destroyedConnection
        = connect(object, &QObject::destroyed, this, [this] { dropDestroyed(); });
    executionQueue.append(entry);
    if (inFlight || delivering) {
        qCDebug(corvaneLog) << "A" << command->getPath()
                            << "command execution request was enqueued while a" << runningPath
                            << "execution was in progress.";
        return;
    }
    startNext();
}

void CommandManager::withdraw(CommandInterface* command)
{
    const int index = indexOf(command);
    if (index < 0) {
        qCDebug(corvaneLog) << "withdraw"
                            << "The command is not on the queue";
        return;
    }
    qCDebug(corvaneLog) << "withdraw"
                        << "Called for the command" << command->getPath();
    removeAt(index);
}

int CommandManager::indexOf(CommandInterface* command) const
{
    for (int i = 0; i < executionQueue.size(); ++i) {
        const QueuedCommand& entry = executionQueue.at(i);
        if (entry.command == command && entry.object)
            return i;
    }
    return -1;
}

void CommandManager::startNext()
{
    if (inFlight || delivering || executionQueue.isEmpty())
        return;
    executeNext();
}

void CommandManager::executeNext()
{
    CommandInterface* head = executionQueue.first().command;
    inFlight = true;

    QMap<QString, QString> params = head->getParameters();
    const QString path = head->getPath();
    runningPath = path;
    params.insert(QStringLiteral("cmd"), path);

    const QString version = QCoreApplication::applicationVersion();
    if (dynamic_cast<AuthenticatedCommandInterface*>(head)
        && !params.contains(QStringLiteral("vers")))
        params.insert(QStringLiteral("vers"), version);
    if (dynamic_cast<PaginatedCommandInterface*>(head))
        params.insert(QStringLiteral("vers"), version);
    if (host->isDebugEnabled())
        params.insert(QStringLiteral("XDEBUG_SESSION"), QStringLiteral("qzv"));

    QString urlPath = head->getPath();
    if (!dynamic_cast<NoAbiCommandInterface*>(head))
        urlPath += QLatin1Char('/') + abiCode(host->getBank());

    auto* download = dynamic_cast<DownloadCommandInterface*>(head);
    transport->configurePostRequest(params, urlPath);
    transport->executePostRequest(
        download && download->streamsBody() ? download : nullptr, download != nullptr);
}

CommandManager::QueuedCommand CommandManager::takeRunning()
{
    QueuedCommand running = executionQueue.takeFirst();
    disconnect(running.destroyedConnection);
    inFlight = false;
    delivering = true;
    return running;
}

void CommandManager::endExecution(const QueuedCommand& ended, const QString& path)
{
    qCDebug(corvaneLog) << path << "Command execution completed";
    delivering = false;
    // The owner may have released the command during the delivery.
    if (ended.object)
        emit executionEnded(ended.object);
    startNext();
}

void CommandManager::removeAt(int index)
{
    const QueuedCommand removed = executionQueue.takeAt(index);
    disconnect(removed.destroyedConnection);
    if (index == 0 && inFlight) {
        inFlight = false;
        transport->abort();
        startNext();
    }
}

void CommandManager::dropDestroyed()
{
    // From the back, so that starting the next command never meets one that is gone.
    for (int i = executionQueue.size() - 1; i >= 0; --i) {
        if (!executionQueue.at(i).object) {
            qCDebug(corvaneLog) << "A queued command was destroyed; it leaves the queue";
            removeAt(i);
        }
    }
}

void CommandManager::onReplyReady(const QByteArray& body, const QString& contentType, int status)
{
    if (!inFlight) {
        qCCritical(corvaneLog) << "onReplyReady"
                               << "called with no command running";
        return;
    }
    const QueuedCommand ended = takeRunning();
    CommandInterface* command = ended.command;
    // The owner may release the command from inside the delivery: nothing after it touches it.
    const QString path = command->getPath();
    qCDebug(corvaneLog) << "onReplyReady"
                        << "Called for the command" << path;

    auto* download = dynamic_cast<DownloadCommandInterface*>(command);
    if (download && contentType != QLatin1String("text/html")) {
        download->useReplyHeaders(status, contentType);
        download->useResponse(body);
        endExecution(ended, path);
        return;
    }

    // The previous reply stays readable until this point: after a refused session the flow
    // manager reads it while the next command is already on its way.
    decodedReply.clear();
    decodedReply = parser->parse(body);
    dataRows = parser->takeRows();

    // A form's command hears of its own failures; an unreadable reply stays the generic error.
    const QString code = decodedReply.value(esitoId);
    auto* reporting = dynamic_cast<FailureReportingCommandInterface*>(command);
    if (reporting && !code.isEmpty() && code != QString::number(XmlParser::OK)
        && !isSessionRefusal(code)) {
        qCWarning(corvaneLog) << path << "was refused with the result code" << code;
        reporting->useFailure(code,
            decodedReply.value(QStringLiteral("esito_descr"), QStringLiteral("Non definita")));
        endExecution(ended, path);
        return;
    }

    const bool authenticated = dynamic_cast<AuthenticatedCommandInterface*>(command);
    if (!validateResponse(path)) {
        // A page in place of the file: the download hears of its failure, its owner waits for it.
        if (download)
            command->useResponse(decodedReply, dataRows);
        endExecution(ended, path);
        return;
    }
    if (authenticated && !isAuthenticationValid()) {
        endExecution(ended, path);
        host->manageResponse(this);
        return;
    }
    command->useResponse(decodedReply, dataRows);
    endExecution(ended, path);
}

void CommandManager::onReplyFailed()
{
    if (!inFlight)
        return;
    const QueuedCommand ended = takeRunning();
    const QString path = ended.command->getPath();
    // A download's window waits for an outcome; other commands' owners hear executionEnded.
    if (auto* download = dynamic_cast<DownloadCommandInterface*>(ended.command))
        download->useFailure();
    endExecution(ended, path);
}

void CommandManager::onReplyTooLarge()
{
    if (!inFlight)
        return;
    const QueuedCommand ended = takeRunning();
    const QString path = ended.command->getPath();
    lastErrorMessage
        = QStringLiteral("Errore durante l'esecuzione della richiesta.\nComando: %1").arg(path);
    qCCritical(corvaneLog) << "The reply to" << path << "was stopped: it is larger than allowed";
    host->showServerErrorDialog(this);
    if (ended.object) {
        if (auto* download = dynamic_cast<DownloadCommandInterface*>(ended.command))
            download->useFailure();
    }
    endExecution(ended, path);
}

void CommandManager::onStreamEnded(bool complete)
{
    if (!inFlight)
        return;
    const QueuedCommand ended = takeRunning();
    const QString path = ended.command->getPath();
    auto* download = dynamic_cast<DownloadCommandInterface*>(ended.command);
    if (complete)
        download->closeStream();
    else
        download->useFailure();
    endExecution(ended, path);
}

bool CommandManager::validateResponse(const QString& path)
{
    const QString code = decodedReply[esitoId];
    const QMetaEnum codes = QMetaEnum::fromType<XmlParser::XML_RESPONSE>();
    for (int i = 0; i < codes.keyCount(); ++i) {
        if (code == QString::number(codes.value(i)))
            return true;
    }

    lastErrorMessage
        = QStringLiteral("Errore durante l'esecuzione della richiesta.\nComando: %1").arg(path);
    if (!code.isEmpty()) {
        lastErrorMessage += QStringLiteral("\nErrore: %1\nDescrizione: %2")
                                .arg(code,
                                    decodedReply.value(QStringLiteral("esito_descr"),
                                        QStringLiteral("Non definita")));
    }
    // The server's description can be of any length: the log keeps its start.
    constexpr int loggedLength = 4096;
    qCCritical(corvaneLog) << (lastErrorMessage.size() > loggedLength
            ? lastErrorMessage.left(loggedLength) + QStringLiteral(" [cut]")
            : lastErrorMessage);
    host->showServerErrorDialog(this);
    return false;
}

bool CommandManager::isAuthenticationValid()
{
    const QString code = decodedReply.value(esitoId);
    return code == QString::number(XmlParser::OK)
        || code == QString::number(XmlParser::NO_SEARCH_RESULT);
}

void CommandManager::executionAccomplished(CommandInterface* command)
{
    const int index = indexOf(command);
    if (index < 0) {
        qCCritical(corvaneLog) << command->getPath() << "was not found in the execution queue on"
                               << "executionAccomplished";
        return;
    }
    qCDebug(corvaneLog) << command->getPath() << "Command execution completed";
    removeAt(index);
}

void CommandManager::updateServerUrl() { transport->updateServerUrl(host->getServerUrl()); }

void CommandManager::setTransferTimeout(int milliseconds)
{
    transport->setTransferTimeout(milliseconds);
}

void CommandManager::setReplyLimits(const ReplyLimits& limits) { transport->setLimits(limits); }

}
