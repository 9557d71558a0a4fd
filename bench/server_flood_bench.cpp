// A pinging player's round trip against a real AshenServer on 127.0.0.1,
// before and during a registration flood from another connection (50 a
// second for 20 s), over 3 runs with a fresh server each: median, p99 and
// worst, the pings never answered, what the flood's registrations got, and
// how long the server took to end on SIGTERM right after the flood.
//
//   bench_server_flood [AshenServer [its options...]]   (default: the one of this build)
//
// With "--register-limit 100000" every registration of the flood is hashed.
#include "base/sha256.h"
#include "bench_server.h"

#include <enet/enet.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int RUNS = 3;
constexpr int CALM_SECONDS = 10;
constexpr int FLOOD_SECONDS = 20;
constexpr int FLOOD_PER_SECOND = 50;
constexpr int PING_EVERY_MS = 100;
constexpr int ANSWER_GRACE_MS = 5000;

// One client: its own host and peer, the texts it received.
struct Client {
    ENetHost* host = nullptr;
    ENetPeer* peer = nullptr;
    std::vector<std::pair<std::string, Clock::time_point>> received;

    bool connect(uint16_t port) {
        host = enet_host_create(nullptr, 1, 2, 0, 0);
        ENetAddress address;
        enet_address_set_host(&address, "127.0.0.1");
        address.port = port;
        peer = enet_host_connect(host, &address, 2, 0);
        ENetEvent e;
        return enet_host_service(host, &e, 3000) > 0 && e.type == ENET_EVENT_TYPE_CONNECT;
    }
    ~Client() {
        if (host) enet_host_destroy(host);
    }
    void send(const std::string& text) {
        enet_peer_send(peer, 0, enet_packet_create(text.c_str(), text.size() + 1, ENET_PACKET_FLAG_RELIABLE));
        enet_host_flush(host);
    }
    void service() {
        ENetEvent e;
        while (enet_host_service(host, &e, 0) > 0)
            if (e.type == ENET_EVENT_TYPE_RECEIVE) {
                received.emplace_back(reinterpret_cast<const char*>(e.packet->data), Clock::now());
                enet_packet_destroy(e.packet);
            }
    }
};

void serviceFor(std::vector<Client*> clients, double ms) {
    const auto start = Clock::now();
    do {
        for (Client* c : clients) c->service();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    } while (benchMsSince(start) < ms);
}

std::string registration(const std::string& pseudo) {
    return "AUTH_REGISTER:" + sha256Hex(pseudo + "@exemple.fr") + ":" + pseudo + ":" + sha256Hex(pseudo) + ":M";
}

struct Pings {
    std::vector<double> trips; // ms, answered ones
    int lost = 0;
};

// Pings every 100 ms for `seconds`, meanwhile calling `each20ms` every 20 ms;
// answers are awaited a few seconds more.
Pings pingFor(Client& player, std::vector<Client*> others, int seconds, const std::function<void(int)>& each20ms) {
    std::map<std::string, Clock::time_point> sent;
    player.received.clear();
    const auto start = Clock::now();
    std::vector<Client*> all = others;
    all.push_back(&player);
    for (int tick = 0; tick < seconds * 50; ++tick) {
        if (tick % (PING_EVERY_MS / 20) == 0) {
            const std::string text = "PONG:" + std::to_string(tick);
            sent[text] = Clock::now();
            player.send("PING:" + std::to_string(tick));
        }
        if (each20ms) each20ms(tick);
        const double next = 20.0 * (tick + 1);
        while (benchMsSince(start) < next) serviceFor(all, 0);
    }
    for (const auto until = Clock::now() + std::chrono::milliseconds(ANSWER_GRACE_MS);
         Clock::now() < until && player.received.size() < sent.size();)
        serviceFor(all, 1);
    Pings p;
    for (const auto& [text, at] : player.received)
        if (auto it = sent.find(text); it != sent.end())
            p.trips.push_back(std::chrono::duration<double, std::milli>(at - it->second).count());
    p.lost = static_cast<int>(sent.size() - p.trips.size());
    return p;
}

void print(const char* phase, Pings p) {
    std::sort(p.trips.begin(), p.trips.end());
    if (p.trips.empty()) {
        std::printf("  %-7s no answer (%d pings lost)\n", phase, p.lost);
        return;
    }
    const auto at = [&](double q) { return p.trips[std::min(p.trips.size() - 1, static_cast<size_t>(q * p.trips.size()))]; };
    std::printf("  %-7s median %6.2f ms  p99 %7.2f ms  worst %7.2f ms  (%zu answered, %d lost)\n", phase, at(0.5), at(0.99),
                p.trips.back(), p.trips.size(), p.lost);
}

} // namespace

int main(int argc, char** argv) {
    const std::string exe = argc > 1 ? argv[1] : ASHEN_SERVER_EXE;
    const std::vector<std::string> options(argv + std::min(argc, 2), argv + argc);
    if (enet_initialize() != 0) return 1;
    std::printf("round trip of a player pinging every %d ms; flood: AUTH_REGISTER at %d/s for %d s from one connection\n",
                PING_EVERY_MS, FLOOD_PER_SECOND, FLOOD_SECONDS);
    for (int run = 1; run <= RUNS; ++run) {
        BenchServer server = startBenchServer(exe, options);
        if (server.port == 0) {
            std::fprintf(stderr, "%s did not start\n", exe.c_str());
            return 1;
        }
        Client player, flooder;
        if (!player.connect(server.port) || !flooder.connect(server.port)) return 1;
        player.send(registration("Joueur"));
        player.send("AUTH_LOGIN:" + sha256Hex("Joueur@exemple.fr") + ":" + sha256Hex("Joueur") + ":");
        serviceFor({&player, &flooder}, 2000);
        std::printf("run %d\n", run);
        print("before", pingFor(player, {&flooder}, CALM_SECONDS, nullptr));
        int flood = 0;
        const Pings during = pingFor(player, {&flooder}, FLOOD_SECONDS, [&](int) {
            flooder.send(registration("Flot" + std::to_string(run) + "x" + std::to_string(flood++)));
        });
        print("during", during);
        serviceFor({&player, &flooder}, 1000); // the flood's last answers
        size_t accepted = 0, refused = 0;
        for (const auto& [text, at] : flooder.received) {
            accepted += text == "REGISTER_OK";
            refused += text.rfind("REGISTER_FAIL:", 0) == 0;
        }
        std::printf("  flood: %d sent, %zu accepted, %zu refused, %zu unanswered\n", flood, accepted, refused,
                    flood - accepted - refused);
        const double stopMs = stopBenchServer(server);
        if (stopMs < 0) std::printf("  SIGTERM: still running after 10 s, killed\n");
        else std::printf("  SIGTERM: ended in %.0f ms\n", stopMs);
    }
    enet_deinitialize();
    return 0;
}
