#include "passwordhasher.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <stdexcept>

namespace Corvane::Server {

namespace {
    std::string derive(const std::string& password, const std::string& salt, int iterations)
    {
        std::string key(32, '\0');
        if (PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()),
                reinterpret_cast<const unsigned char*>(salt.data()), static_cast<int>(salt.size()),
                iterations, EVP_sha256(), static_cast<int>(key.size()),
                reinterpret_cast<unsigned char*>(key.data()))
            != 1) {
            throw std::runtime_error("PBKDF2 failed");
        }
        return key;
    }

    std::string randomBytes(size_t count)
    {
        std::string bytes(count, '\0');
        if (RAND_bytes(reinterpret_cast<unsigned char*>(bytes.data()), static_cast<int>(count))
            != 1)
            throw std::runtime_error("no random bytes");
        return bytes;
    }

    // Picks from alphabet without modulo bias.
    std::string randomFrom(const std::string& alphabet, int count)
    {
        std::string result;
        const unsigned limit = 256 - 256 % alphabet.size();
        while (static_cast<int>(result.size()) < count) {
            for (const char byte : randomBytes(static_cast<size_t>(count) * 2)) {
                const auto value = static_cast<unsigned char>(byte);
                if (value < limit && static_cast<int>(result.size()) < count)
                    result += alphabet[value % alphabet.size()];
            }
        }
        return result;
    }
}

PasswordHasher::Hash PasswordHasher::hash(const std::string& password, int iterations)
{
    Hash result;
    result.salt = randomBytes(16);
    result.iterations = iterations;
    result.hash = derive(password, result.salt, iterations);
    return result;
}

bool PasswordHasher::verify(const std::string& password, const Hash& stored)
{
    if (stored.hash.size() != 32 || stored.iterations <= 0)
        return false;
    const std::string candidate = derive(password, stored.salt, stored.iterations);
    return CRYPTO_memcmp(candidate.data(), stored.hash.data(), candidate.size()) == 0;
}

std::string PasswordHasher::randomPassword()
{
    return randomFrom("ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnpqrstuvwxyz23456789", 16);
}

std::string PasswordHasher::randomDigits(int count) { return randomFrom("0123456789", count); }

}
