// The game server's throughput, printed: logins per second (Argon2id
// verification included) and messages per second through the dispatch on a
// fake clock, without the network. Times are the thread's CPU time: the
// machine is shared, and a wall clock would count the moments other processes
// held the core.
#include "base/sha256.h"
#include "server/storage.h"
#include "server/server.h"

#include <ctime>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <stdlib.h>

namespace {

double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

double secondsSince(double start) { return cpuSeconds() - start; }

std::string mailOf(int i) { return sha256Hex("joueur" + std::to_string(i) + "@exemple.fr"); }
std::string passOf(int i) { return sha256Hex("mdp" + std::to_string(i)); }

// Sends `count` messages round-robin over `peers`, one fake millisecond apart,
// so that no peer passes the flood limit; returns messages per second.
double dispatchRate(const std::vector<uint32_t>& peers, const std::vector<std::string>& mix, int count, uint64_t& now) {
    Outbox out;
    size_t replies = 0;
    const double start = cpuSeconds();
    for (int i = 0; i < count; ++i) {
        ++now;
        serverReceive(peers[i % peers.size()], mix[i % mix.size()], now, now, out);
        replies += out.sends.size();
        out.sends.clear();
    }
    const double rate = count / secondsSince(start);
    std::printf("    (%.1f replies per message)\n", static_cast<double>(replies) / count);
    return rate;
}

} // namespace

int main() {
    char pattern[] = "/tmp/ashen_server_bench_XXXXXX";
    if (mkdtemp(pattern) == nullptr) return 1;
    const std::string folder = pattern;
    uint64_t now = 1000;
    ServerSettings settings;
    settings.workerThreads = 0; // the hashes run in serverTick, on this thread
    if (!serverStart(settings, folder + "/data", now)) return 1;

    const int players = 50;
    std::string error;
    for (int i = 0; i < players; ++i)
        storageCreateAccount(mailOf(i), "Joueur" + std::to_string(i), storageHashPassword(passOf(i)), "M", error);

    Outbox out;
    std::vector<uint32_t> peers;
    const double start = cpuSeconds();
    for (int i = 0; i < players; ++i) {
        const uint32_t peer = serverConnect("10.0.0." + std::to_string(i), false, now, out);
        serverReceive(peer, "AUTH_LOGIN:" + mailOf(i) + ":" + passOf(i) + ":", now, now, out);
        serverTick(now, out);
        peers.push_back(peer);
    }
    std::printf("logins (Argon2id, interactive limits): %.1f per second\n", players / secondsSince(start));

    std::printf("dispatch, lobby mix with %d players in the lobby:\n", players);
    // Seven kinds over fifty peers: each peer walks up and down and so is heard by the 49 others.
    const std::vector<std::string> mix = {"MOVE:Z", "CHECK_HEALTH", "MOVE:S", "PING:123456", "GET_TEAMS", "INCONNU",
                                          "REQ_UPTIME"};
    std::printf("  %.0f messages per second\n", dispatchRate(peers, mix, 1000000, now));
    std::printf("dispatch, information only (no fan-out):\n");
    const std::vector<std::string> info = {"CHECK_HEALTH", "PING:123456", "GET_TEAMS", "REQ_UPTIME"};
    std::printf("  %.0f messages per second\n", dispatchRate(peers, info, 1000000, now));

    serverStop();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
