// QSslSocket::addDefaultCaCertificates is the one call that adds to the default CA list without
// switching off the on-demand system roots; the project hides every API deprecated in 5.15.
#undef QT_DISABLE_DEPRECATED_BEFORE
#define QT_DISABLE_DEPRECATED_BEFORE 0x050E00

#include "network/networkmanager.h"

#include "core/logging.h"

#include <QCoreApplication>
#include <QFile>
#include <QMetaEnum>
#include <QSslCertificate>
#include <QSslCipher>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QStringList>

namespace Corvane {

namespace {
    QString errorName(QNetworkReply::NetworkError code)
    {
        return QString::fromLatin1(
            QMetaEnum::fromType<QNetworkReply::NetworkError>().valueToKey(code));
    }
}

NetworkManager::NetworkManager(QObject* parent)
    : QNetworkAccessManager(parent)
{
    connect(this, &QNetworkAccessManager::sslErrors, this, &NetworkManager::onSslError);
    connect(this, &QNetworkAccessManager::encrypted, this, &NetworkManager::onEncryptedConnection);
}

int NetworkManager::addTrustedCaCertificates(const QString& pemPath)
{
    if (pemPath.isEmpty())
        return 0;
    QFile file(pemPath);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(corvaneLog) << "Could not read the CA certificates file" << pemPath
                              << file.errorString();
        return 0;
    }
    const QList<QSslCertificate> certificates
        = QSslCertificate::fromData(file.readAll(), QSsl::Pem);
    if (certificates.isEmpty()) {
        qCWarning(corvaneLog) << "No certificate found in the CA certificates file" << pemPath;
        return 0;
    }
    // The default configuration leaves the system roots to OpenSSL, which looks each one up in
    // the system store when a handshake needs it. Any QSslConfiguration setter for the CA list
    // switches that off, so keeping the system roots trusted would mean parsing the whole store
    // (about 300 certificates) at every start. Adding to the default list through QSslSocket
    // keeps the lookup on.
    const QList<QSslCertificate> trusted
        = QSslConfiguration::defaultConfiguration().caCertificates();
    QList<QSslCertificate> added;
    for (const QSslCertificate& certificate : certificates) {
        if (!trusted.contains(certificate) && !added.contains(certificate))
            added.append(certificate);
    }
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    QSslSocket::addDefaultCaCertificates(added);
    QT_WARNING_POP
    qCDebug(corvaneLog) << "Trusting" << certificates.size() << "CA certificates from" << pemPath;
    return certificates.size();
}

void NetworkManager::manageNetworkError(QNetworkReply::NetworkError code)
{
    qCCritical(corvaneLog) << "Network error catched. Code:" << errorName(code);

    if (code == QNetworkReply::ContentAccessDenied) {
        // An HTTP 403 carries a result code in its body; the transport handles it.
        return;
    }
    if (sessionOpen && sessionOpen()) {
        // Quitting now would take the open windows and what was typed in them; the settings
        // window has nothing to offer a connection that worked. The request alone fails.
        emit fatalErrorOccurred(code == QNetworkReply::ProxyAuthenticationRequiredError
                ? FatalError::ProxyAuthenticationRequired
                : FatalError::ConnectionFailed,
            QString::number(code));
        return;
    }

    switch (code) {
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:
    case QNetworkReply::UnknownNetworkError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyTimeoutError:
    case QNetworkReply::UnknownProxyError:
    case QNetworkReply::UnknownServerError:
        emit proxyErrorDetected();
        return;
    case QNetworkReply::ProxyAuthenticationRequiredError:
        emit fatalErrorOccurred(FatalError::ProxyAuthenticationRequired, QString());
        QCoreApplication::quit();
        return;
    default:
        emit fatalErrorOccurred(FatalError::ConnectionFailed, QString::number(code));
        QCoreApplication::quit();
        return;
    }
}

void NetworkManager::onSslError(QNetworkReply* reply, const QList<QSslError>& errors)
{
    // The transfer error that follows a TLS failure must not raise a second dialog.
    disconnect(reply, &QNetworkReply::errorOccurred, this, &NetworkManager::manageNetworkError);

    QStringList texts;
    for (const QSslError& error : errors)
        texts.append(error.errorString());
    const QString text = texts.join(QStringLiteral(", "));

    const QSslConfiguration configuration = reply->sslConfiguration();
    qCCritical(corvaneLog) << "Reply error:" << errorName(reply->error()) << reply->errorString();
    qCCritical(corvaneLog) << "SSL error:" << text;
    qCCritical(corvaneLog) << "peerVeryfyMode:" << configuration.peerVerifyMode();
    qCCritical(corvaneLog) << "Depth:" << configuration.peerVerifyDepth();
    qCCritical(corvaneLog) << "protocol:" << configuration.protocol();
    qCCritical(corvaneLog) << "sessionCipher:" << configuration.sessionCipher();
    qCCritical(corvaneLog) << "sessionProtocol:" << configuration.sessionProtocol();
    qCCritical(corvaneLog) << "peerCertificate:" << configuration.peerCertificate();
    qCCritical(corvaneLog) << "localCertificate" << configuration.localCertificate();
    qCCritical(corvaneLog) << "caCertificate" << configuration.caCertificates();

    emit closeProgressDialog();
    emit fatalErrorOccurred(FatalError::TlsFailed, text);
    QCoreApplication::quit();
}

void NetworkManager::onEncryptedConnection(QNetworkReply* reply)
{
    qCDebug(corvaneLog) << "onEncryptedConnection"
                        << "SLOT triggered";
    const QStringList names
        = reply->sslConfiguration().peerCertificate().subjectInfo(QSslCertificate::CommonName);
    qCDebug(corvaneLog)
        << "Established an encrypted connection with a certificate active on domain "
        << names.join(QStringLiteral(", "));
}

}
