#pragma once

#include <QList>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSslError>

#include <functional>
#include <utility>

namespace Corvane {

/// The program's one network access manager. Besides sending, it logs the certificate of every
/// encrypted connection, ends the program on TLS errors, and sorts transfer errors into "the
/// network set-up is wrong" (proxyErrorDetected) and "the server cannot be reached"
/// (fatalErrorOccurred, then quit); the windows' side tells the user. Once a session is open
/// (see setSessionOpen) a transfer error ends only its request: the windows and what was typed
/// in them stay. Created without a parent by the component factory and kept for the life of the
/// process.
class NetworkManager final : public QNetworkAccessManager {
    Q_OBJECT
public:
    /// Failures told to the user; before a session is open they end the program.
    enum class FatalError { ProxyAuthenticationRequired, ConnectionFailed, TlsFailed };
    Q_ENUM(FatalError)

    explicit NetworkManager(QObject* parent = nullptr);

    /// Adds the certificates of a PEM file to the CA list of the default TLS configuration, so a
    /// server signed by a private authority is trusted beside the system roots. Returns how many
    /// certificates were added; an unreadable file adds none and is logged.
    static int addTrustedCaCertificates(const QString& pemPath);

    /// Asked at each transfer error: whether a session is in use (the main window exists). Then
    /// every transfer error, a time-out included, is told with the connection error box and ends
    /// only its request; TLS failures still end the program. Unset, no session is open.
    void setSessionOpen(std::function<bool()> isOpen) { sessionOpen = std::move(isOpen); }

signals:
    void proxyErrorDetected();
    void closeProgressDialog();
    /// Emitted for the user to be told, just before the program is ended unless a session is
    /// open; detail is the transfer's error code, or the TLS errors' texts.
    void fatalErrorOccurred(Corvane::NetworkManager::FatalError error, const QString& detail);

public slots:
    void manageNetworkError(QNetworkReply::NetworkError code);

private slots:
    void onSslError(QNetworkReply* reply, const QList<QSslError>& errors);
    void onEncryptedConnection(QNetworkReply* reply);

private:
    std::function<bool()> sessionOpen;
};

}
