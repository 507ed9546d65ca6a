#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>

namespace Corvane::Server {

/// Counts attempts per key (a fiscal code, a user, a client address) within a sliding window and
/// refuses a key once it reached the limit. acquire() checks and counts in one step, so parallel
/// requests cannot all pass the check before any of them is counted. Thread-safe; lives as long
/// as the server.
class RateLimiter final {
public:
    RateLimiter(int maxAttempts, std::int64_t windowSeconds);

    /// Counts one attempt for key and returns true, or returns false, counting nothing, when
    /// the key already has maxAttempts attempts in the window.
    bool acquire(const std::string& key, std::int64_t now);
    /// Takes back the latest attempt of key: the request turned out not to count.
    void release(const std::string& key);
    bool isBlocked(const std::string& key, std::int64_t now);
    void clear(const std::string& key);

private:
    void forgetOld(std::deque<std::int64_t>& attempts, std::int64_t now) const;
    void forgetIdleKeys(std::int64_t now);

    int maxAttempts;
    std::int64_t windowSeconds;
    std::mutex mutex;
    std::map<std::string, std::deque<std::int64_t>> attemptsByKey;
    std::int64_t lastSweep = 0;
};

}
