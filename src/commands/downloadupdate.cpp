#include "commands/downloadupdate.h"

#include "core/logging.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSaveFile>

#include <memory>
#include <openssl/evp.h>
#include <openssl/x509.h>

namespace Corvane::Command {

namespace {
    /// Whether signature (Base64) is the Ed25519 signature of data by the key built into the
    /// program: only the holder of the release key can make a server hand out a new program.
    bool isSignedRelease(const QByteArray& data, const QString& signature)
    {
        const QByteArray raw = QByteArray::fromBase64(signature.toLatin1(),
            QByteArray::AbortOnBase64DecodingErrors | QByteArray::Base64Encoding);
        if (raw.size() != 64)
            return false;
        const QByteArray der = QByteArray::fromBase64(CORVANE_UPDATE_PUBLIC_KEY);
        const auto* derBytes = reinterpret_cast<const unsigned char*>(der.constData());
        std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(
            d2i_PUBKEY(nullptr, &derBytes, der.size()), EVP_PKEY_free);
        std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(
            EVP_MD_CTX_new(), EVP_MD_CTX_free);
        if (!key || EVP_PKEY_id(key.get()) != EVP_PKEY_ED25519 || !context) {
            qCCritical(corvaneLog) << "The built-in update key is not an Ed25519 public key";
            return false;
        }
        return EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key.get()) == 1
            && EVP_DigestVerify(context.get(),
                   reinterpret_cast<const unsigned char*>(raw.constData()),
                   static_cast<size_t>(raw.size()),
                   reinterpret_cast<const unsigned char*>(data.constData()),
                   static_cast<size_t>(data.size()))
            == 1;
    }
}

DownloadUpdate::DownloadUpdate(Interface::DownloadUpdateResponseAccepterInterface* accepter,
    const QString& md5, const QString& version, const QString& signature)
    : accepter(accepter)
    , parameters { { QStringLiteral("file"), QStringLiteral("CorvaneWin") },
        { QStringLiteral("vers"), version } }
    , md5(md5)
    , signature(signature)
{
}

QString DownloadUpdate::getPath() const { return QStringLiteral("/corvane/v5/home/download_upd"); }

void DownloadUpdate::useResponse(QMap<QString, QString> decodedReply, QList<DataRow>)
{
    // A reply of the server in place of the archive ("Aggiornamento non disponibile").
    qCWarning(corvaneLog) << "The server answered the update download with"
                          << decodedReply.value(QStringLiteral("esito_id"))
                          << decodedReply.value(QStringLiteral("esito_descr")).left(200);
    report();
}

void DownloadUpdate::useResponse(QByteArray body)
{
    if (!body.startsWith("PK\x03\x04")) {
        qCWarning(corvaneLog) << "The update download is no ZIP archive:" << body.size()
                              << "bytes starting with" << body.left(16);
        report();
        return;
    }
    const QString downloaded
        = QString::fromLatin1(QCryptographicHash::hash(body, QCryptographicHash::Md5).toHex());
    qCDebug(corvaneLog) << "Comparing downloaded file md5: " << downloaded << "with:" << md5;
    if (downloaded != md5) {
        qCWarning(corvaneLog) << "Downloaded file is corrupted.";
        report();
        return;
    }
    if (!isSignedRelease(body, signature)) {
        qCWarning(corvaneLog) << "The update archive is not signed with the release key"
                              << (signature.isEmpty() ? "(no signature)" : "(wrong signature)");
        report();
        return;
    }

    const QString name = QString::fromLatin1(archiveName);
    if (QFile::exists(name))
        qCDebug(corvaneLog) << "The update file" << name
                            << "already exists. It will be overwrited.";
    // The archive replaces the old one only once it is complete on disk.
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly)) {
        qCCritical(corvaneLog) << "Error while trying to open" << name;
        report();
        return;
    }
    file.write(body);
    if (!file.commit()) {
        qCCritical(corvaneLog) << "Error while trying to open" << name << file.errorString();
        report();
        return;
    }
    success = true;
    report();
}

void DownloadUpdate::reportIfUnanswered()
{
    if (reported)
        return;
    qCWarning(corvaneLog) << "The update download ended without an archive";
    report();
}

void DownloadUpdate::report()
{
    reported = true;
    accepter->manageDownloadUpdateResult(this);
}

}
