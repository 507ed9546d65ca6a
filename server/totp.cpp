#include "totp.h"

#include <QByteArray>
#include <QMessageAuthenticationCode>
#include <QUrl>

#include <cstdio>
#include <openssl/crypto.h>
#include <openssl/rand.h>

namespace Corvane::Server {

namespace {
    const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567";
}

std::string Totp::base32Encode(const std::string& bytes)
{
    std::string result;
    unsigned buffer = 0;
    int bits = 0;
    for (const char byte : bytes) {
        buffer = (buffer << 8) | static_cast<unsigned char>(byte);
        bits += 8;
        while (bits >= 5) {
            result += alphabet[(buffer >> (bits - 5)) & 31];
            bits -= 5;
        }
    }
    if (bits > 0)
        result += alphabet[(buffer << (5 - bits)) & 31];
    return result;
}

std::string Totp::base32Decode(const std::string& text)
{
    std::string result;
    unsigned buffer = 0;
    int bits = 0;
    for (const char c : text) {
        int value = -1;
        if (c >= 'A' && c <= 'Z')
            value = c - 'A';
        else if (c >= 'a' && c <= 'z')
            value = c - 'a';
        else if (c >= '2' && c <= '7')
            value = c - '2' + 26;
        if (value < 0)
            continue;
        buffer = (buffer << 5) | static_cast<unsigned>(value);
        bits += 5;
        if (bits >= 8) {
            result += static_cast<char>((buffer >> (bits - 8)) & 0xff);
            bits -= 8;
        }
    }
    return result;
}

std::string Totp::newSecret()
{
    unsigned char bytes[20];
    RAND_bytes(bytes, sizeof bytes);
    return base32Encode(std::string(reinterpret_cast<const char*>(bytes), sizeof bytes));
}

std::string Totp::code(const std::string& base32Secret, std::int64_t unixTime)
{
    const auto step = static_cast<std::uint64_t>(unixTime / 30);
    QByteArray counter(8, '\0');
    for (int i = 0; i < 8; ++i)
        counter[7 - i] = static_cast<char>((step >> (8 * i)) & 0xff);
    const QByteArray mac = QMessageAuthenticationCode::hash(
        counter, QByteArray::fromStdString(base32Decode(base32Secret)), QCryptographicHash::Sha1);
    const int offset = mac[19] & 0x0f;
    const std::uint32_t binary = (static_cast<std::uint32_t>(mac[offset] & 0x7f) << 24)
        | (static_cast<std::uint32_t>(static_cast<unsigned char>(mac[offset + 1])) << 16)
        | (static_cast<std::uint32_t>(static_cast<unsigned char>(mac[offset + 2])) << 8)
        | static_cast<std::uint32_t>(static_cast<unsigned char>(mac[offset + 3]));
    char digits[7];
    std::snprintf(digits, sizeof digits, "%06u", binary % 1000000u);
    return digits;
}

bool Totp::verify(const std::string& base32Secret, const std::string& code, std::int64_t unixTime)
{
    return matchingStep(base32Secret, code, unixTime) >= 0;
}

std::int64_t Totp::matchingStep(
    const std::string& base32Secret, const std::string& code, std::int64_t unixTime)
{
    if (base32Secret.empty() || code.size() != 6)
        return -1;
    std::int64_t step = -1;
    for (int drift = -1; drift <= 1; ++drift) {
        const std::string expected = Totp::code(base32Secret, unixTime + drift * 30);
        if (CRYPTO_memcmp(expected.data(), code.data(), 6) == 0)
            step = unixTime / 30 + drift;
    }
    return step;
}

std::string Totp::provisioningUri(const std::string& base32Secret, const std::string& account)
{
    const QByteArray label = QUrl::toPercentEncoding(
        QStringLiteral("Tessaro:") + QString::fromStdString(account), ":");
    return "otpauth://totp/" + label.toStdString() + "?secret=" + base32Secret
        + "&issuer=Tessaro&algorithm=SHA1&digits=6&period=30";
}

}
