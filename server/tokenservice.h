#pragma once

#include <cstdint>
#include <string>

namespace Corvane::Server {

/// Issues and checks the session tokens: HS256-signed JWTs naming the user, the kind of token
/// ("auth" or "twofa"), an id for revocation, an expiry, the user's token generation (raised when
/// the password changes) and, for a two-factor token, the id of the sign-in it completes.
/// Holds only the signing key.
class TokenService final {
public:
    enum class Status { Valid, Malformed, BadSignature, Expired };

    struct Claims {
        Status status = Status::Malformed;
        std::int64_t userId = 0;
        std::string kind;
        std::string tokenId;
        std::int64_t expires = 0;
        std::int64_t generation = 0;
        /// The auth token id a two-factor token belongs to ("" for an auth token).
        std::string sessionId;
    };

    static constexpr std::int64_t authLifetime = 8 * 3600;
    static constexpr std::int64_t twoFaLifetime = 30 * 24 * 3600;

    explicit TokenService(const std::string& key);

    std::string issue(std::int64_t userId, const std::string& kind, std::int64_t now,
        std::int64_t lifetime, std::int64_t generation, const std::string& sessionId = {}) const;
    Claims verify(const std::string& token, std::int64_t now) const;

private:
    std::string key;
};

}
