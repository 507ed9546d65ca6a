#include "protocol/commandrequestmanager.h"

#include "app/logging.h"
#include "network/networkmanager.h"
#include "protocol/commandmanager.h"

#include <QDir>
#include <QFile>
#include <QMetaEnum>
#include <QNetworkReply>
#include <QSslConfiguration>
#include <QStandardPaths>
#include <QTextStream>

namespace Corvane {

namespace {
    constexpr qint64 largestLoggedReplySize = 49999;

    QByteArray headerValue(const QString& token)
    {
        QByteArray value = token.toUtf8();
        if (value.isNull())
            value = QByteArray("", 0);
        return value;
    }

    QString readTokenFile(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            return {};
        QTextStream stream(&file);
        return stream.readAll();
    }
}

CommandRequestManager::CommandRequestManager(NetworkManager* networkManager,
    ProxyConfigurator* proxyConfigurator, CommandManager* commandManager, const QString& baseUrl,
    QObject* parent)
    : QObject(parent)
    , url(baseUrl, QUrl::TolerantMode)
    , commandManager(commandManager)
    , networkManager(networkManager)
    , proxyConfigurator(proxyConfigurator)
{
    qCDebug(corvaneLog) << "Initializing network request manager with URL" << url;
}

void CommandRequestManager::updateServerUrl(const QString& baseUrl)
{
    url = QUrl(baseUrl, QUrl::TolerantMode);
}

bool CommandRequestManager::configurePostRequest(
    const QMap<QString, QString>& parameters, const QString& path)
{
    qCDebug(corvaneLog) << "Configuration of post request started";
    body.clear();
    query = QUrlQuery();
    loadSessionTokens();

    for (auto it = parameters.cbegin(); it != parameters.cend(); ++it)
        query.addQueryItem(it.key(), it.value());

    url.setPath(path, QUrl::DecodedMode);
    request = QNetworkRequest(url);
    request.setHeader(
        QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
    // A null value would drop the header; the server expects both, empty when there is no token.
    request.setRawHeader(QByteArrayLiteral("auth"), headerValue(authToken));
    request.setRawHeader(QByteArrayLiteral("twoFa"), headerValue(twoFaToken));
    request.setSslConfiguration(QSslConfiguration::defaultConfiguration());
    request.setTransferTimeout(transferTimeout);

    qCDebug(corvaneLog) << "Final URL for the request is: " << url.toString();
    return true;
}

void CommandRequestManager::loadSessionTokens()
{
    authToken.clear();
    twoFaToken.clear();

    const QString location = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir dir(location);
    if (!dir.exists()) {
        dir.mkpath(QStringLiteral("."));
        return;
    }
    // Tokens are credentials: the log only says that one was loaded.
    authToken = readTokenFile(dir.filePath(QStringLiteral("auth.txt")));
    if (!authToken.isEmpty())
        qCDebug(corvaneLog) << "Loaded the authentication token, length" << authToken.size();
    twoFaToken = readTokenFile(dir.filePath(QStringLiteral("twofa.txt")));
    if (!twoFaToken.isEmpty())
        qCDebug(corvaneLog) << "Loaded the two-factor token, length" << twoFaToken.size();
}

QByteArray CommandRequestManager::encodeForm(const QUrlQuery& fields)
{
    QByteArray encoded;
    const auto items = fields.queryItems(QUrl::FullyDecoded);
    for (const auto& [name, value] : items) {
        if (!encoded.isEmpty())
            encoded += '&';
        encoded += name.toUtf8().toPercentEncoding();
        encoded += '=';
        encoded += value.toUtf8().toPercentEncoding();
    }
    return encoded;
}

void CommandRequestManager::executePostRequest()
{
    qCDebug(corvaneLog) << "Executing the POST request with URL " << url.toString();
    reply = networkManager->post(request, encodeForm(query));
    connect(reply, &QNetworkReply::finished, this, &CommandRequestManager::onFinished);
    connect(
        reply, &QNetworkReply::downloadProgress, this, &CommandRequestManager::onDownloadProgress);
    connect(
        reply, &QNetworkReply::errorOccurred, networkManager, &NetworkManager::manageNetworkError);
}

void CommandRequestManager::onFinished()
{
    qCDebug(corvaneLog) << "onFinished"
                        << "SLOT triggered in" << metaObject()->className();
    // One request is in flight at a time, so the reply that finished is the last one posted.
    QNetworkReply* finished = reply;
    if (!finished)
        return;
    finished->deleteLater();

    const QNetworkReply::NetworkError error = finished->error();
    if (error != QNetworkReply::NoError && error != QNetworkReply::ContentAccessDenied) {
        qCDebug(corvaneLog) << "REPLY: "
                            << QMetaEnum::fromType<QNetworkReply::NetworkError>().valueToKey(error)
                            << ":" << finished->errorString();
        // The network manager reports the error; the command ends here so the queue moves on.
        commandManager->onReplyFailed();
        return;
    }

    const qint64 size = finished->bytesAvailable();
    body = finished->readAll();
    const QString contentType
        = QString::fromLatin1(finished->rawHeader(QByteArrayLiteral("Content-Type")));
    qCDebug(corvaneLog) << "REPLY header: " << contentType;
    if (size <= largestLoggedReplySize)
        qCDebug(corvaneLog) << "REPLY Finished: SIZE: " << size;
    commandManager->onReplyReady(body, contentType);
}

void CommandRequestManager::onDownloadProgress(qint64 bytesReceived, qint64 bytesTotal)
{
    qCDebug(corvaneLog) << "onDownloadProgress"
                        << "SLOT triggered in" << metaObject()->className();
    qCDebug(corvaneLog) << "Download progress:" << bytesReceived << "on" << bytesTotal;
}

}
