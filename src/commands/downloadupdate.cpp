#include "commands/downloadupdate.h"

#include "core/logging.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryFile>

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

DownloadUpdate::~DownloadUpdate() = default;

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
    if (openStream(200, QString()) && writeStream(body))
        closeStream();
    else
        useFailure();
}

bool DownloadUpdate::openStream(int, const QString&)
{
    partialMd5.reset();
    start.clear();
    partial = std::make_unique<QTemporaryFile>(
        QString::fromLatin1(archiveName) + QStringLiteral(".XXXXXX"));
    if (!partial->open()) {
        qCCritical(corvaneLog) << "Error while trying to open" << partial->fileTemplate()
                               << partial->errorString();
        partial.reset();
        return false;
    }
    return true;
}

bool DownloadUpdate::writeStream(const QByteArray& bytes)
{
    if (!partial)
        return false;
    if (start.size() < 4) {
        start += bytes.left(4 - start.size());
        if (start.size() == 4 && start != "PK\x03\x04") {
            qCWarning(corvaneLog) << "The update download is no ZIP archive: it starts with"
                                  << start;
            partial.reset();
            return false;
        }
    }
    partialMd5.addData(bytes);
    if (partial->write(bytes) != bytes.size()) {
        qCCritical(corvaneLog) << "Error while writing the update archive"
                               << partial->errorString();
        partial.reset();
        return false;
    }
    return true;
}

void DownloadUpdate::closeStream()
{
    const std::unique_ptr<QTemporaryFile> archive = std::move(partial);
    if (!archive || start != "PK\x03\x04") {
        qCWarning(corvaneLog) << "The update download is no ZIP archive";
        report();
        return;
    }
    const QString downloaded = QString::fromLatin1(partialMd5.result().toHex());
    qCDebug(corvaneLog) << "Comparing downloaded file md5: " << downloaded << "with:" << md5;
    if (downloaded != md5) {
        qCWarning(corvaneLog) << "Downloaded file is corrupted.";
        report();
        return;
    }
    // The signature covers the whole archive at once: it is read from the disk, not the heap.
    const qint64 size = archive->size();
    uchar* mapped = archive->flush() ? archive->map(0, size) : nullptr;
    const bool signedRelease = mapped
        && isSignedRelease(
            QByteArray::fromRawData(reinterpret_cast<const char*>(mapped), int(size)), signature);
    if (mapped)
        archive->unmap(mapped);
    if (!signedRelease) {
        qCWarning(corvaneLog) << "The update archive is not signed with the release key"
                              << (signature.isEmpty() ? "(no signature)" : "(wrong signature)");
        report();
        return;
    }

    const QString name = QString::fromLatin1(archiveName);
    if (QFile::exists(name)) {
        qCDebug(corvaneLog) << "The update file" << name
                            << "already exists. It will be overwrited.";
        QFile::remove(name);
    }
    // The archive takes its name only now that it is complete and checked.
    if (!archive->rename(name)) {
        qCCritical(corvaneLog) << "Error while trying to open" << name << archive->errorString();
        report();
        return;
    }
    archive->setAutoRemove(false);
    success = true;
    report();
}

void DownloadUpdate::useFailure()
{
    partial.reset();
    reportIfUnanswered();
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
