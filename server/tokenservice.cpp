#include "tokenservice.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageAuthenticationCode>

#include <openssl/crypto.h>
#include <openssl/rand.h>

namespace Corvane::Server {

namespace {
    constexpr auto base64Url = QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals;

    QByteArray sign(const QByteArray& signingInput, const std::string& key)
    {
        return QMessageAuthenticationCode::hash(
            signingInput, QByteArray::fromStdString(key), QCryptographicHash::Sha256)
            .toBase64(base64Url);
    }

    QByteArray newTokenId()
    {
        unsigned char bytes[16];
        RAND_bytes(bytes, sizeof bytes);
        return QByteArray(reinterpret_cast<const char*>(bytes), sizeof bytes).toHex();
    }
}

TokenService::TokenService(const std::string& key)
    : key(key)
{
}

std::string TokenService::issue(std::int64_t userId, const std::string& kind, std::int64_t now,
    std::int64_t lifetime, std::int64_t generation, const std::string& sessionId) const
{
    const QByteArray header
        = QByteArrayLiteral(R"({"alg":"HS256","typ":"JWT"})").toBase64(base64Url);
    QJsonObject claims;
    claims.insert(QStringLiteral("sub"), QString::number(userId));
    claims.insert(QStringLiteral("kind"), QString::fromStdString(kind));
    claims.insert(QStringLiteral("jti"), QString::fromLatin1(newTokenId()));
    claims.insert(QStringLiteral("iat"), static_cast<qint64>(now));
    claims.insert(QStringLiteral("exp"), static_cast<qint64>(now + lifetime));
    claims.insert(QStringLiteral("gen"), static_cast<qint64>(generation));
    if (!sessionId.empty())
        claims.insert(QStringLiteral("sid"), QString::fromStdString(sessionId));
    const QByteArray payload
        = QJsonDocument(claims).toJson(QJsonDocument::Compact).toBase64(base64Url);
    const QByteArray signingInput = header + '.' + payload;
    return (signingInput + '.' + sign(signingInput, key)).toStdString();
}

TokenService::Claims TokenService::verify(const std::string& token, std::int64_t now) const
{
    Claims claims;
    const QByteArray text = QByteArray::fromStdString(token);
    const QList<QByteArray> parts = text.split('.');
    if (parts.size() != 3)
        return claims;
    const QByteArray expected = sign(parts[0] + '.' + parts[1], key);
    if (expected.size() != parts[2].size()
        || CRYPTO_memcmp(
               expected.constData(), parts[2].constData(), static_cast<size_t>(expected.size()))
            != 0) {
        claims.status = Status::BadSignature;
        return claims;
    }
    const QJsonDocument header
        = QJsonDocument::fromJson(QByteArray::fromBase64(parts[0], QByteArray::Base64UrlEncoding));
    if (header.object().value(QStringLiteral("alg")).toString() != QLatin1String("HS256"))
        return claims;
    const QJsonObject payload
        = QJsonDocument::fromJson(QByteArray::fromBase64(parts[1], QByteArray::Base64UrlEncoding))
              .object();
    bool ok = false;
    claims.userId = payload.value(QStringLiteral("sub")).toString().toLongLong(&ok);
    claims.kind = payload.value(QStringLiteral("kind")).toString().toStdString();
    claims.tokenId = payload.value(QStringLiteral("jti")).toString().toStdString();
    claims.expires = static_cast<std::int64_t>(payload.value(QStringLiteral("exp")).toDouble());
    claims.generation = static_cast<std::int64_t>(payload.value(QStringLiteral("gen")).toDouble());
    claims.sessionId = payload.value(QStringLiteral("sid")).toString().toStdString();
    if (!ok || claims.kind.empty() || claims.tokenId.empty() || claims.expires == 0)
        return claims;
    claims.status = claims.expires <= now ? Status::Expired : Status::Valid;
    return claims;
}

}
