#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>

namespace Corvane::Server {

/// Counts failed logins per fiscal code and blocks a code after too many within a window.
/// Thread-safe; lives as long as the server.
class RateLimiter final {
public:
    RateLimiter(int maxFailures, std::int64_t windowSeconds);

    bool isBlocked(const std::string& key, std::int64_t now);
    void recordFailure(const std::string& key, std::int64_t now);
    void clear(const std::string& key);

private:
    void forgetOld(std::deque<std::int64_t>& failures, std::int64_t now) const;

    int maxFailures;
    std::int64_t windowSeconds;
    std::mutex mutex;
    std::map<std::string, std::deque<std::int64_t>> failuresByKey;
};

}
