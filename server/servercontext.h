#pragma once

#include "outbox.h"
#include "ratelimiter.h"
#include "tokenservice.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Corvane::Server {

class Database;

/// What every handler shares: the data folder, the database, the token keys, the limiters and
/// the outbox. One per running server, owned by the serve command.
class ServerContext final {
public:
    explicit ServerContext(const std::string& dataDirectory);

    const std::string& getDataDirectory() const;
    std::string getDatabasePath() const;
    /// The calling thread's connection.
    Database& database() const;
    const TokenService& getTokens() const;
    /// Failed logins per user fiscal code.
    RateLimiter& getLoginLimiter();
    /// Failed logins per client address, whatever the user (password spraying).
    RateLimiter& getLoginAddressLimiter();
    /// Wrong two-factor and activation codes per user.
    RateLimiter& getCodeLimiter();
    /// Public requests for access per client address, and account requests per consortium.
    RateLimiter& getRequestAddressLimiter();
    RateLimiter& getRequestConsortiumLimiter();
    Outbox& getOutbox();

    static std::int64_t now();
    static std::string databasePath(const std::string& dataDirectory);

private:
    std::string dataDirectory;
    std::unique_ptr<TokenService> tokens;
    RateLimiter loginLimiter;
    RateLimiter loginAddressLimiter;
    RateLimiter codeLimiter;
    RateLimiter requestAddressLimiter;
    RateLimiter requestConsortiumLimiter;
    Outbox outbox;
};

}
