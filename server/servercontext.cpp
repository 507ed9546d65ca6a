#include "servercontext.h"

#include "database.h"

#include <chrono>
#include <stdexcept>

namespace Corvane::Server {

ServerContext::ServerContext(const std::string& dataDirectory)
    : dataDirectory(dataDirectory)
    , loginLimiter(5, 60)
    , loginAddressLimiter(30, 60)
    , codeLimiter(5, 60)
    , requestAddressLimiter(10, 600)
    , requestConsortiumLimiter(10, 600)
    , outbox(dataDirectory + "/outbox")
{
    database().migrate();
    Statement key = database().prepare("SELECT value FROM settings WHERE key = 'token_key'");
    if (!key.step())
        throw std::runtime_error("the data folder has no token key: run seed first");
    tokens = std::make_unique<TokenService>(key.text(0));
}

const std::string& ServerContext::getDataDirectory() const { return dataDirectory; }

std::string ServerContext::getDatabasePath() const { return databasePath(dataDirectory); }

std::string ServerContext::databasePath(const std::string& dataDirectory)
{
    return dataDirectory + "/tessaro.sqlite";
}

Database& ServerContext::database() const { return Database::forThread(getDatabasePath()); }

const TokenService& ServerContext::getTokens() const { return *tokens; }

RateLimiter& ServerContext::getLoginLimiter() { return loginLimiter; }

RateLimiter& ServerContext::getLoginAddressLimiter() { return loginAddressLimiter; }

RateLimiter& ServerContext::getCodeLimiter() { return codeLimiter; }

RateLimiter& ServerContext::getRequestAddressLimiter() { return requestAddressLimiter; }

RateLimiter& ServerContext::getRequestConsortiumLimiter() { return requestConsortiumLimiter; }

Outbox& ServerContext::getOutbox() { return outbox; }

std::int64_t ServerContext::now()
{
    return std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}
