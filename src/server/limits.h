#pragma once
// The rates the server allows: a token bucket per connection for its
// messages, and counts of recent events per key (an address, an account) for
// logins and registrations. Times are the server's 64-bit milliseconds.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>

// The client's fastest pace is about 35 messages a second (two steps per
// 200 ms, a shot every 50 ms, a request every 200 ms). A reliable channel
// that stalled delivers its backlog at once: the burst lets 200 through.
constexpr int64_t FLOOD_BURST = 200;
constexpr int64_t FLOOD_RATE = 50; // messages a second, refilled
// Messages dropped beyond the rate are forgiven at FLOOD_RATE a second too;
// more than this many unforgiven is abuse (500 a second gets there in about 3 s).
constexpr int64_t FLOOD_ABUSE = 1000;

struct TokenBucket {
    int64_t tokens = FLOOD_BURST * 1000; // thousandths of a message
    int64_t excess = 0;                  // thousandths of dropped messages not yet forgiven
    uint64_t at = 0;                     // the last arrival counted
};

enum class Flow { PASS, DROP, ABUSE };
// Counts one message that arrived at `arrivalMs`.
Flow bucketTake(TokenBucket& bucket, uint64_t arrivalMs);

// Times of recent events per key, each kept for `windowMs`.
struct RecentEvents {
    uint64_t windowMs = 0;
    std::map<std::string, std::deque<uint64_t>> byKey;
};
// Events of `key` in the window up to `nowMs`.
size_t recentCount(RecentEvents& recent, const std::string& key, uint64_t nowMs);
void recentAdd(RecentEvents& recent, const std::string& key, uint64_t nowMs);
