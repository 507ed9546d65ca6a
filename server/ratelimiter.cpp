#include "ratelimiter.h"

namespace Corvane::Server {

RateLimiter::RateLimiter(int maxFailures, std::int64_t windowSeconds)
    : maxFailures(maxFailures)
    , windowSeconds(windowSeconds)
{
}

void RateLimiter::forgetOld(std::deque<std::int64_t>& failures, std::int64_t now) const
{
    while (!failures.empty() && failures.front() <= now - windowSeconds)
        failures.pop_front();
}

bool RateLimiter::isBlocked(const std::string& key, std::int64_t now)
{
    const std::lock_guard<std::mutex> lock(mutex);
    const auto it = failuresByKey.find(key);
    if (it == failuresByKey.end())
        return false;
    forgetOld(it->second, now);
    if (it->second.empty()) {
        failuresByKey.erase(it);
        return false;
    }
    return static_cast<int>(it->second.size()) >= maxFailures;
}

void RateLimiter::recordFailure(const std::string& key, std::int64_t now)
{
    const std::lock_guard<std::mutex> lock(mutex);
    auto& failures = failuresByKey[key];
    forgetOld(failures, now);
    failures.push_back(now);
}

void RateLimiter::clear(const std::string& key)
{
    const std::lock_guard<std::mutex> lock(mutex);
    failuresByKey.erase(key);
}

}
