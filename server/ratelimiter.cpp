#include "ratelimiter.h"

namespace Corvane::Server {

RateLimiter::RateLimiter(int maxAttempts, std::int64_t windowSeconds)
    : maxAttempts(maxAttempts)
    , windowSeconds(windowSeconds)
{
}

void RateLimiter::forgetOld(std::deque<std::int64_t>& attempts, std::int64_t now) const
{
    while (!attempts.empty() && attempts.front() <= now - windowSeconds)
        attempts.pop_front();
}

void RateLimiter::forgetIdleKeys(std::int64_t now)
{
    // Keys are chosen by clients (any fiscal code, any address): drop the idle ones now and then
    // so the map cannot grow without bound.
    if (now - lastSweep < windowSeconds)
        return;
    lastSweep = now;
    for (auto it = attemptsByKey.begin(); it != attemptsByKey.end();) {
        forgetOld(it->second, now);
        it = it->second.empty() ? attemptsByKey.erase(it) : std::next(it);
    }
}

bool RateLimiter::acquire(const std::string& key, std::int64_t now)
{
    const std::lock_guard<std::mutex> lock(mutex);
    forgetIdleKeys(now);
    auto& attempts = attemptsByKey[key];
    forgetOld(attempts, now);
    if (static_cast<int>(attempts.size()) >= maxAttempts)
        return false;
    attempts.push_back(now);
    return true;
}

void RateLimiter::release(const std::string& key)
{
    const std::lock_guard<std::mutex> lock(mutex);
    const auto it = attemptsByKey.find(key);
    if (it == attemptsByKey.end() || it->second.empty())
        return;
    it->second.pop_back();
    if (it->second.empty())
        attemptsByKey.erase(it);
}

bool RateLimiter::isBlocked(const std::string& key, std::int64_t now)
{
    const std::lock_guard<std::mutex> lock(mutex);
    const auto it = attemptsByKey.find(key);
    if (it == attemptsByKey.end())
        return false;
    forgetOld(it->second, now);
    if (it->second.empty()) {
        attemptsByKey.erase(it);
        return false;
    }
    return static_cast<int>(it->second.size()) >= maxAttempts;
}

void RateLimiter::clear(const std::string& key)
{
    const std::lock_guard<std::mutex> lock(mutex);
    attemptsByKey.erase(key);
}

}
