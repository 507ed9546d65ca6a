#include "protocol/commandrequestmanager.h"

#include "core/logging.h"
#include "network/networkmanager.h"
#include "protocol/commandmanager.h"
#include "protocol/downloadcommandinterface.h"

#include <QDir>
#include <QFile>
#include <QMetaEnum>
#include <QNetworkReply>
#include <QSslConfiguration>
#include <QStandardPaths>
#include <QTextStream>

#include <algorithm>
#include <utility>

namespace Corvane {

namespace {
    constexpr qint64 largestLoggedReplySize = 49999;
    /// What a streamed body is read in at most, so a burst never sits in memory at once.
    constexpr qint64 streamChunk = 256 * 1024;

    QByteArray headerValue(const QString& token)
    {
        QByteArray value = token.toUtf8();
        if (value.isNull())
            value = QByteArray("", 0);
        return value;
    }

    /// The token in the file, or nothing when the file is missing or its text holds a control
    /// character (CR, LF, NUL...), which must never reach a header line.
    QString readTokenFile(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            return {};
        QTextStream stream(&file);
        const QString token = stream.readAll();
        const bool control = std::any_of(token.cbegin(), token.cend(),
            [](QChar ch) { return ch.category() == QChar::Other_Control; });
        if (control) {
            qCWarning(corvaneLog) << "The token file" << path
                                  << "holds a control character; its header is sent empty";
            return {};
        }
        return token;
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
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, this, &CommandRequestManager::onDeadline);
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

void CommandRequestManager::executePostRequest(
    Interface::DownloadCommandInterface* streamTarget, bool isDownload)
{
    qCDebug(corvaneLog) << "Executing the POST request with URL " << url.toString();
    QNetworkReply* posted = networkManager->post(request, encodeForm(query));
    reply = posted;
    stream = streamTarget;
    download = isDownload;
    mode = Mode::Undecided;
    streamed = 0;
    deadline.start(download ? limits.downloadDeadline : limits.replyDeadline);
    // A streamed body waits in the network layer, not in memory, while the disk catches up.
    if (stream)
        posted->setReadBufferSize(streamChunk * 4);
    connect(posted, &QNetworkReply::metaDataChanged, this, [this, posted] {
        if (posted == reply && mode == Mode::Undecided)
            useHeaders(posted);
    });
    connect(posted, &QNetworkReply::readyRead, this, [this, posted] { onReadyRead(posted); });
    // Each reply reports itself: a late signal of an earlier one never reads the current one.
    connect(posted, &QNetworkReply::finished, this, [this, posted] { onFinished(posted); });
    connect(
        posted, &QNetworkReply::downloadProgress, this, &CommandRequestManager::onDownloadProgress);
    connect(
        posted, &QNetworkReply::errorOccurred, networkManager, &NetworkManager::manageNetworkError);
}

void CommandRequestManager::abort()
{
    QNetworkReply* aborted = reply;
    reply = nullptr;
    stream = nullptr;
    deadline.stop();
    if (!aborted)
        return;
    qCDebug(corvaneLog) << "Aborting the request in flight";
    // A withdrawn request is no network failure: the network manager must not report it.
    disconnect(aborted, &QNetworkReply::errorOccurred, networkManager,
        &NetworkManager::manageNetworkError);
    aborted->abort();
    aborted->deleteLater();
}

void CommandRequestManager::onFinished(QNetworkReply* finished)
{
    qCDebug(corvaneLog) << "onFinished"
                        << "SLOT triggered in" << metaObject()->className();
    finished->deleteLater();
    if (finished != reply) {
        qCDebug(corvaneLog) << "Ignoring a reply that is no longer awaited";
        return;
    }

    const QNetworkReply::NetworkError error = finished->error();
    if (error != QNetworkReply::NoError && error != QNetworkReply::ContentAccessDenied) {
        reply = nullptr;
        stream = nullptr;
        deadline.stop();
        qCDebug(corvaneLog) << "REPLY: "
                            << QMetaEnum::fromType<QNetworkReply::NetworkError>().valueToKey(error)
                            << ":" << finished->errorString();
        // The network manager reports the error; the command ends here so the queue moves on.
        commandManager->onReplyFailed();
        return;
    }
    // A reply without a body brings no readyRead: its headers are looked at here.
    if (mode == Mode::Undecided && !useHeaders(finished))
        return;
    if (mode == Mode::Stream) {
        if (!pumpStream(finished))
            return;
        reply = nullptr;
        stream = nullptr;
        deadline.stop();
        qCDebug(corvaneLog) << "REPLY streamed: SIZE: " << streamed;
        commandManager->onStreamEnded(true);
        return;
    }
    if (finished->bytesAvailable() > currentLimit()) {
        stop(true);
        return;
    }
    reply = nullptr;
    deadline.stop();

    const qint64 size = finished->bytesAvailable();
    body = finished->readAll();
    const QString contentType
        = QString::fromLatin1(finished->rawHeader(QByteArrayLiteral("Content-Type")));
    qCDebug(corvaneLog) << "REPLY header: " << contentType;
    if (size <= largestLoggedReplySize)
        qCDebug(corvaneLog) << "REPLY Finished: SIZE: " << size;
    // Handed on as a copy, so the bytes go as soon as the command manager is done with them.
    const QByteArray received = std::exchange(body, QByteArray());
    commandManager->onReplyReady(received, contentType,
        finished->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt());
}

qint64 CommandRequestManager::currentLimit() const
{
    // A page sent in place of a streamed file is held like any other reply.
    return mode == Mode::Stream || (download && !stream) ? limits.downloadBytes : limits.replyBytes;
}

bool CommandRequestManager::useHeaders(QNetworkReply* headed)
{
    const QString contentType
        = QString::fromLatin1(headed->rawHeader(QByteArrayLiteral("Content-Type")));
    // An XML reply in place of a file is a page for the command manager, never a file.
    mode = stream && contentType != QLatin1String("text/html") ? Mode::Stream : Mode::Buffer;
    if (mode == Mode::Buffer)
        headed->setReadBufferSize(0);
    const QVariant announced = headed->header(QNetworkRequest::ContentLengthHeader);
    if (announced.isValid() && announced.toLongLong() > currentLimit()) {
        qCWarning(corvaneLog) << "The reply announces" << announced.toLongLong()
                              << "bytes, more than the" << currentLimit() << "allowed";
        stop(true);
        return false;
    }
    if (mode == Mode::Stream
        && !stream->openStream(
            headed->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), contentType)) {
        stop(false);
        return false;
    }
    return true;
}

void CommandRequestManager::onReadyRead(QNetworkReply* ready)
{
    if (ready != reply)
        return;
    if (mode == Mode::Undecided && !useHeaders(ready))
        return;
    if (mode == Mode::Stream) {
        pumpStream(ready);
        return;
    }
    // Held by the reply until it has finished: only its size is watched here.
    if (ready->bytesAvailable() > currentLimit())
        stop(true);
}

bool CommandRequestManager::pumpStream(QNetworkReply* ready)
{
    while (ready->bytesAvailable() > 0) {
        const QByteArray chunk = ready->read(streamChunk);
        streamed += chunk.size();
        if (streamed > currentLimit()) {
            qCWarning(corvaneLog) << "The download passed the" << currentLimit()
                                  << "bytes allowed; it is stopped";
            stop(false);
            return false;
        }
        if (!stream->writeStream(chunk)) {
            stop(false);
            return false;
        }
    }
    return true;
}

void CommandRequestManager::stop(bool tooLarge)
{
    QNetworkReply* stopped = reply;
    const bool streaming = mode == Mode::Stream;
    reply = nullptr;
    stream = nullptr;
    deadline.stop();
    if (!stopped)
        return;
    // The stop is this side's own: the network manager has no failure to report.
    disconnect(stopped, &QNetworkReply::errorOccurred, networkManager,
        &NetworkManager::manageNetworkError);
    stopped->abort();
    stopped->deleteLater();
    if (tooLarge && !streaming)
        commandManager->onReplyTooLarge();
    else
        commandManager->onStreamEnded(false);
}

void CommandRequestManager::onDeadline()
{
    if (!reply)
        return;
    qCWarning(corvaneLog) << "The request passed its deadline of"
                          << (download ? limits.downloadDeadline : limits.replyDeadline)
                          << "ms; it ends as a time-out";
    // Aborted with the error still reported: the network manager tells the user, and the
    // finished reply ends the command like any failed transfer.
    reply->abort();
}

void CommandRequestManager::onDownloadProgress(qint64 bytesReceived, qint64 bytesTotal)
{
    qCDebug(corvaneLog) << "onDownloadProgress"
                        << "SLOT triggered in" << metaObject()->className();
    qCDebug(corvaneLog) << "Download progress:" << bytesReceived << "on" << bytesTotal;
}

}
