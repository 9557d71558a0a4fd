#include "server/limits.h"

#include <algorithm>

namespace {

// Keys that stopped coming are dropped now and then, so a table stays small.
constexpr size_t KEYS_BEFORE_SWEEP = 4096;

std::deque<uint64_t>& pruned(RecentEvents& recent, const std::string& key, uint64_t nowMs) {
    std::deque<uint64_t>& times = recent.byKey[key];
    while (!times.empty() && nowMs - times.front() >= recent.windowMs) times.pop_front();
    return times;
}

} // namespace

Flow bucketTake(TokenBucket& bucket, uint64_t arrivalMs) {
    // Arrival times of one connection never go back; a stamp from before the last is counted at it.
    const int64_t elapsed = arrivalMs > bucket.at ? static_cast<int64_t>(std::min<uint64_t>(arrivalMs - bucket.at, 3600000)) : 0;
    bucket.at = std::max(bucket.at, arrivalMs);
    bucket.tokens = std::min(FLOOD_BURST * 1000, bucket.tokens + elapsed * FLOOD_RATE);
    bucket.excess = std::max<int64_t>(0, bucket.excess - elapsed * FLOOD_RATE);
    if (bucket.tokens >= 1000) {
        bucket.tokens -= 1000;
        return Flow::PASS;
    }
    bucket.excess += 1000;
    return bucket.excess > FLOOD_ABUSE * 1000 ? Flow::ABUSE : Flow::DROP;
}

size_t recentCount(RecentEvents& recent, const std::string& key, uint64_t nowMs) {
    const size_t count = pruned(recent, key, nowMs).size();
    if (count == 0) recent.byKey.erase(key);
    return count;
}

void recentAdd(RecentEvents& recent, const std::string& key, uint64_t nowMs) {
    pruned(recent, key, nowMs).push_back(nowMs);
    if (recent.byKey.size() <= KEYS_BEFORE_SWEEP) return;
    for (auto it = recent.byKey.begin(); it != recent.byKey.end();) {
        while (!it->second.empty() && nowMs - it->second.front() >= recent.windowMs) it->second.pop_front();
        it = it->second.empty() ? recent.byKey.erase(it) : std::next(it);
    }
}
