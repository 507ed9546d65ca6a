#pragma once

#include <string>

namespace Corvane::Server {

/// PBKDF2-HMAC-SHA256 password hashing with a random salt per user.
class PasswordHasher final {
public:
    static constexpr int defaultIterations = 100000;

    struct Hash {
        std::string salt;
        std::string hash;
        int iterations = defaultIterations;
    };

    static Hash hash(const std::string& password, int iterations = defaultIterations);
    static bool verify(const std::string& password, const Hash& stored);
    /// A readable random password for mailed credentials.
    static std::string randomPassword();
    /// Uniformly random decimal digits.
    static std::string randomDigits(int count);
};

}
