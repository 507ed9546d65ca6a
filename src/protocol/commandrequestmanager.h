#pragma once

#include <QByteArray>
#include <QMap>
#include <QNetworkRequest>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>

class QNetworkReply;

namespace Corvane {

class CommandManager;
class NetworkManager;
class ProxyConfigurator;

namespace Interface {
    class DownloadCommandInterface;
}

/// What one reply may take: its size and its whole time. A server that sends more, or keeps a
/// reply trickling, must not fill the memory or hold the queue.
struct ReplyLimits {
    /// Any reply held in memory (every one but a streamed download); the largest page the
    /// server sends is a few MB.
    qint64 replyBytes = qint64(64) * 1024 * 1024;
    /// A download, written to disk as it arrives (or held, for one that is not streamed).
    qint64 downloadBytes = qint64(512) * 1024 * 1024;
    /// From sending to the last byte, however steadily bytes arrive.
    int replyDeadline = 5 * 60 * 1000;
    /// A download of the largest size allowed needs more than a page on a slow line.
    int downloadDeadline = 30 * 60 * 1000;
};

/// Turns one prepared command into one form-encoded HTTPS POST carrying the session tokens, and
/// hands the finished reply's body and content type back to the command manager. Created and
/// owned by the command manager; one request in flight at a time.
class CommandRequestManager final : public QObject {
    Q_OBJECT
public:
    /// Inactivity allowed to a transfer before it is aborted, so a silent server cannot hold the
    /// queue for ever.
    static constexpr int defaultTransferTimeout = 120000;

    CommandRequestManager(NetworkManager* networkManager, ProxyConfigurator* proxyConfigurator,
        CommandManager* commandManager, const QString& baseUrl, QObject* parent = nullptr);

    bool configurePostRequest(const QMap<QString, QString>& parameters, const QString& path);
    /// Sends the request; a download's body goes to stream as it arrives when stream is given,
    /// and download selects the download's limits.
    void executePostRequest(
        Interface::DownloadCommandInterface* stream = nullptr, bool download = false);
    /// Cancels the request in flight without a word to anyone: its reply is dropped unread.
    void abort();
    void updateServerUrl(const QString& baseUrl);
    void setTransferTimeout(int milliseconds) { transferTimeout = milliseconds; }
    void setLimits(const ReplyLimits& replyLimits) { limits = replyLimits; }

    /// The form body of the fields: UTF-8, every byte outside the unreserved set percent-encoded
    /// (so "+" travels as "%2B" and a blank as "%20"), names in ascending order.
    static QByteArray encodeForm(const QUrlQuery& fields);

private slots:
    void onDownloadProgress(qint64 bytesReceived, qint64 bytesTotal);

private:
    enum class Mode { Undecided, Buffer, Stream };

    /// The given reply has finished; it is handed on only while it is the one awaited.
    void onFinished(QNetworkReply* finished);
    /// The reply's headers are in: whether its body is streamed, and the announced size checked.
    /// False when the reply was stopped.
    bool useHeaders(QNetworkReply* headed);
    void onReadyRead(QNetworkReply* ready);
    /// Hands what has arrived to the stream; false when the reply was stopped.
    bool pumpStream(QNetworkReply* ready);
    /// Ends the transfer in flight silently and tells the command manager why: too large (the
    /// generic error) or a streamed body stopped.
    void stop(bool tooLarge);
    /// The awaited reply has passed its deadline: it ends as a time-out.
    void onDeadline();
    qint64 currentLimit() const;
    void loadSessionTokens();

    QUrl url;
    QUrlQuery query;
    QString authToken;
    QString twoFaToken;
    CommandManager* commandManager;
    NetworkManager* networkManager;
    QPointer<QNetworkReply> reply;
    QNetworkRequest request;
    QByteArray body;
    ProxyConfigurator* proxyConfigurator;
    int transferTimeout = defaultTransferTimeout;
    ReplyLimits limits;
    QTimer deadline;
    Interface::DownloadCommandInterface* stream = nullptr;
    bool download = false;
    Mode mode = Mode::Undecided;
    qint64 streamed = 0;
};

}
