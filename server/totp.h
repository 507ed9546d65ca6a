#pragma once

#include <cstdint>
#include <string>

namespace Corvane::Server {

/// Time-based one-time codes of six digits over 30-second steps (HMAC-SHA1), as authenticator
/// apps compute them from a Base32 secret.
class Totp final {
public:
    static std::string newSecret();
    static std::string code(const std::string& base32Secret, std::int64_t unixTime);
    /// Accepts the code of the current step and of one step either side, for clock drift.
    static bool verify(
        const std::string& base32Secret, const std::string& code, std::int64_t unixTime);
    /// The 30-second step whose code matches (current step or one either side), or -1.
    static std::int64_t matchingStep(
        const std::string& base32Secret, const std::string& code, std::int64_t unixTime);
    static std::string provisioningUri(const std::string& base32Secret, const std::string& account);

    static std::string base32Encode(const std::string& bytes);
    static std::string base32Decode(const std::string& text);
};

}
