#include "support/releasesigning.h"

#include <memory>
#include <openssl/evp.h>
#include <openssl/pem.h>

namespace Corvane::Test {

QString signRelease(const QByteArray& data)
{
    std::unique_ptr<BIO, decltype(&BIO_free)> file(
        BIO_new_file(CORVANE_DEMO_SIGNING_KEY_PATH, "r"), BIO_free);
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(
        file ? PEM_read_bio_PrivateKey(file.get(), nullptr, nullptr, nullptr) : nullptr,
        EVP_PKEY_free);
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(
        EVP_MD_CTX_new(), EVP_MD_CTX_free);
    unsigned char signature[64];
    size_t length = sizeof signature;
    if (!key || !context
        || EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, key.get()) != 1
        || EVP_DigestSign(context.get(), signature, &length,
               reinterpret_cast<const unsigned char*>(data.constData()),
               static_cast<size_t>(data.size()))
            != 1)
        return {};
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(signature), static_cast<int>(length)).toBase64());
}

}
