#include "protocol/commandmanager.h"

#include "app/applicationmanager.h"
#include "app/logging.h"
#include "protocol/authenticatedcommandinterface.h"
#include "protocol/commandinterface.h"
#include "protocol/commandrequestmanager.h"
#include "protocol/downloadcommandinterface.h"
#include "protocol/noabicommandinterface.h"
#include "protocol/paginatedcommandinterface.h"
#include "protocol/xmlparser.h"

#include <QCoreApplication>
#include <QMetaEnum>

namespace Corvane {

namespace {
    using Interface::AuthenticatedCommandInterface;
    using Interface::CommandInterface;
    using Interface::DownloadCommandInterface;
    using Interface::NoAbiCommandInterface;
    using Interface::PaginatedCommandInterface;

    const QString esitoId = QStringLiteral("esito_id");

    /// The bank's ABI code: the label's part before the first "-", trimmed.
    QString abiCode(const QString& bankLabel)
    {
        return bankLabel.section(QLatin1Char('-'), 0, 0).trimmed();
    }
}

CommandManager::CommandManager(ProxyConfigurator* proxyConfigurator, NetworkManager* networkManager,
    ApplicationManager* applicationManager, QObject* parent)
    : QObject(parent)
    , transport(new CommandRequestManager(
          networkManager, proxyConfigurator, this, applicationManager->getServerUrl()))
    , applicationManager(applicationManager)
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
    if (executionQueue.contains(command)) {
        qCWarning(corvaneLog) << command->getPath() << static_cast<void*>(command)
                              << "Command pointer is already on the queue. Could be caused by "
                                 "calling an action multiple times with the same exact command "
                                 "object";
        return;
    }
    executionQueue.append(command);
    if (executionQueue.size() == 1) {
        executeNext();
        return;
    }
    qCDebug(corvaneLog) << "A" << command->getPath()
                        << "command execution request was enqueued while a"
                        << executionQueue.first()->getPath() << "execution was in progress.";
}

void CommandManager::executeNext()
{
    CommandInterface* head = executionQueue.first();

    QMap<QString, QString> params = head->getParameters();
    const QString path = head->getPath();
    params.insert(QStringLiteral("cmd"), path);

    const QString version = QCoreApplication::applicationVersion();
    if (dynamic_cast<AuthenticatedCommandInterface*>(head)
        && !params.contains(QStringLiteral("vers")))
        params.insert(QStringLiteral("vers"), version);
    if (dynamic_cast<PaginatedCommandInterface*>(head))
        params.insert(QStringLiteral("vers"), version);
    if (applicationManager->isDebugEnabled())
        params.insert(QStringLiteral("XDEBUG_SESSION"), QStringLiteral("qzv"));

    QString urlPath = head->getPath();
    if (!dynamic_cast<NoAbiCommandInterface*>(head))
        urlPath += QLatin1Char('/') + abiCode(applicationManager->getBank());

    transport->configurePostRequest(params, urlPath);
    transport->executePostRequest();
}

void CommandManager::onReplyReady(const QByteArray& body, const QString& contentType)
{
    if (executionQueue.isEmpty()) {
        qCCritical(corvaneLog) << "onReplyReady"
                               << "called with an empty execution queue";
        return;
    }
    CommandInterface* head = executionQueue.first();
    // The owner may release the command from inside useResponse: nothing below touches it after.
    const QString path = head->getPath();
    qCDebug(corvaneLog) << "onReplyReady"
                        << "Called for the command" << path;

    auto* download = dynamic_cast<DownloadCommandInterface*>(head);
    if (download && contentType != QLatin1String("text/html")) {
        download->useResponse(body);
        finish(head, path);
        return;
    }

    // The previous reply stays readable until this point: after a refused session the flow
    // manager reads it while the next command is already on its way.
    decodedReply.clear();
    decodedReply = parser->parse(body);
    dataRows = parser->takeRows();

    if (!validateResponse()) {
        finish(head, path);
        return;
    }
    if (dynamic_cast<AuthenticatedCommandInterface*>(head) && !isAuthenticationValid()) {
        finish(head, path);
        applicationManager->manageResponse(this);
        return;
    }
    head->useResponse(decodedReply, dataRows);
    finish(head, path);
}

void CommandManager::onReplyFailed()
{
    if (executionQueue.isEmpty())
        return;
    executionAccomplished(executionQueue.first());
}

bool CommandManager::validateResponse()
{
    const QString code = decodedReply[esitoId];
    const QMetaEnum codes = QMetaEnum::fromType<XmlParser::XML_RESPONSE>();
    for (int i = 0; i < codes.keyCount(); ++i) {
        if (code == QString::number(codes.value(i)))
            return true;
    }

    const QString path = executionQueue.first()->getPath();
    lastErrorMessage
        = QStringLiteral("Errore durante l'esecuzione della richiesta.\nComando: %1").arg(path);
    if (!code.isEmpty()) {
        lastErrorMessage += QStringLiteral("\nErrore: %1\nDescrizione: %2")
                                .arg(code,
                                    decodedReply.value(QStringLiteral("esito_descr"),
                                        QStringLiteral("Non definita")));
    }
    qCCritical(corvaneLog) << lastErrorMessage;
    applicationManager->showServerErrorDialog(this);
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
    finish(command, command->getPath());
}

void CommandManager::finish(CommandInterface* command, const QString& path)
{
    qCDebug(corvaneLog) << path << "Command execution completed";
    if (!executionQueue.removeOne(command)) {
        qCCritical(corvaneLog) << path << "was not found in the execution queue on"
                               << "executionAccomplished";
        return;
    }
    if (!executionQueue.isEmpty())
        executeNext();
}

void CommandManager::updateServerUrl()
{
    transport->updateServerUrl(applicationManager->getServerUrl());
}

void CommandManager::setTransferTimeout(int milliseconds)
{
    transport->setTransferTimeout(milliseconds);
}

}
