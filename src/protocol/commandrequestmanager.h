#pragma once

#include <QByteArray>
#include <QMap>
#include <QNetworkRequest>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QUrlQuery>

class QNetworkReply;

namespace Corvane {

class CommandManager;
class NetworkManager;
class ProxyConfigurator;

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
    void executePostRequest();
    /// Cancels the request in flight without a word to anyone: its reply is dropped unread.
    void abort();
    void updateServerUrl(const QString& baseUrl);
    void setTransferTimeout(int milliseconds) { transferTimeout = milliseconds; }

    /// The form body of the fields: UTF-8, every byte outside the unreserved set percent-encoded
    /// (so "+" travels as "%2B" and a blank as "%20"), names in ascending order.
    static QByteArray encodeForm(const QUrlQuery& fields);

private slots:
    void onDownloadProgress(qint64 bytesReceived, qint64 bytesTotal);

private:
    /// The given reply has finished; it is handed on only while it is the one awaited.
    void onFinished(QNetworkReply* finished);
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
};

}
