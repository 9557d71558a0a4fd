// Scripted players against a real AshenServer on 127.0.0.1, step by step
// (100, 300, 500 and 1,000 by default, each kept for the next): they register
// once (the accounts stay in a folder across runs), log in a few at a time,
// walk the lobby a step every 250 ms, chat on the radio now and then, and one
// in ten forms a team of four that plays in the house; a probe player pings
// every 100 ms. For each step it prints the server's CPU (from /proc, all its
// threads), its resident memory, the messages a second into and out of it
// (counted here), the probe's round trip (median, p99, worst), the players
// the server dropped, and the generator's own CPU: a step during which the
// generator used more than 80% of its core, or other processes more than 10%
// of the two cores, is marked invalid, since either may then be what delays
// the probe. The server is pinned on one core and the generator on another;
// the crowd stands still while newcomers log in (their password checks share
// the server's core), and walks again for a warm-up before each measure.
//
//   bench_load [--server EXE] [--steps 100,300,500,1000] [--seconds 20] [--play-share 0.1]
//              [--chat-every SECONDS] [--accounts DIR] [--cores SERVER,GENERATOR] [--server-log FILE]
//   bench_load --smoke   a few players for a few seconds on fresh accounts; fails when one is lost
#include "base/sha256.h"
#include "bench_server.h"
#include "protocol/wire.h"

#include <enet/enet.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <map>
#include <random>
#include <sstream>

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint64_t STEP_EVERY_MS = 250;
constexpr uint64_t PING_EVERY_MS = 100;
constexpr uint64_t SHOT_EVERY_MS = 1000;
constexpr size_t LOGINS_AT_ONCE = 24; // the server's hashing queue holds 32
constexpr uint64_t RETRY_MS = 500;      // after "busy"
constexpr uint64_t TEAM_RETRY_MS = 3000;
constexpr double GENERATOR_BUSY = 0.8;
constexpr double OTHERS_BUSY = 0.1;

struct Options {
    std::string server = ASHEN_SERVER_EXE;
    std::vector<size_t> steps = {100, 300, 500, 1000};
    double seconds = 20, warmup = 5, playShare = 0.1, chatEvery = 120;
    std::string accounts = "/tmp/ashen_load_accounts";
    std::string serverLog; // where the server's log is copied at the end, if anywhere
    int serverCore = 0, generatorCore = 1;
    bool smoke = false;
};

const Clock::time_point g_start = Clock::now();
uint64_t nowMs() { return static_cast<uint64_t>(benchMsSince(g_start)); }

double cpuSecondsOf(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2)); // after the command name
    std::string skip;
    for (int i = 3; i < 14; ++i) fields >> skip;
    double user = 0, system = 0;
    fields >> user >> system;
    return (user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double residentMb(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::atof(line.c_str() + 6) / 1024;
    return 0;
}

// CPU seconds the given cores spent busy, by anyone.
double coresBusySeconds(std::vector<int> cores) {
    std::ifstream in("/proc/stat");
    double busy = 0;
    for (std::string line; std::getline(in, line);) {
        int core = -1;
        if (std::sscanf(line.c_str(), "cpu%d", &core) != 1 || std::find(cores.begin(), cores.end(), core) == cores.end()) continue;
        std::istringstream fields(line.substr(line.find(' ')));
        double v[8] = {};
        for (double& f : v) fields >> f;
        busy += v[0] + v[1] + v[2] + v[5] + v[6] + v[7]; // all but idle and iowait
    }
    return busy / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double ownCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

enum class State { WAITING, CONNECTING, REGISTERING, LOGGING_IN, RETRY, LOBBY, HOUSE, LOST };

struct Player {
    int index = 0; // -1: the probe
    ENetPeer* peer = nullptr;
    State state = State::WAITING;
    int x = 0, y = 0;
    uint64_t nextAct = 0, nextChat = 0, nextShot = 0, nextStart = 0;
    bool registered = false;
    int team = -1;
    bool teamMade = false, joined = false;
    size_t members = 0; // the leader's team, as last listed
};

std::string pseudoOf(int i) { return i < 0 ? "Sonde" : "Charge" + std::to_string(i); }
std::string emailOf(int i) { return sha256Hex(pseudoOf(i) + "@charge.exemple"); }
std::string passOf(int i) { return sha256Hex("mot de passe de " + pseudoOf(i)); }
std::string teamOf(int t) { return "Equipe" + std::to_string(t); }
std::string reasonOf(const std::string& text) { return text.substr(text.find(':') + 1); }

struct Pings {
    std::map<uint32_t, Clock::time_point> sent;
    std::vector<double> trips;
    uint32_t next = 0;
};

// Every player but the probe shares one ENet host (one socket, the server
// tells the peers apart); the probe has its own, serviced between slices of
// the crowd's events so that its round trip waits on the crowd as little as
// possible.
class Load {
public:
    Load(const Options& o, uint16_t port, size_t most) : o_(o), random_(26) {
        enet_address_set_host(&server_, "127.0.0.1");
        server_.port = port;
        crowd_ = enet_host_create(nullptr, most + 1, 2, 0, 0);
        probeHost_ = enet_host_create(nullptr, 1, 2, 0, 0);
        if (crowd_) enet_socket_set_option(crowd_->socket, ENET_SOCKOPT_RCVBUF, 8 << 20);
        probe_.index = -1;
        players_.reserve(most);
    }
    ~Load() {
        if (crowd_) enet_host_destroy(crowd_);
        if (probeHost_) enet_host_destroy(probeHost_);
    }
    bool ok() const { return crowd_ && probeHost_ && error_.empty(); }
    const std::string& error() const { return error_; }

    void grow(size_t n) {
        while (players_.size() < n) {
            players_.emplace_back();
            players_.back().index = static_cast<int>(players_.size() - 1);
        }
    }
    // Players who are neither in nor lost, the probe included.
    size_t outside() const {
        size_t n = probe_.state != State::LOBBY;
        for (const Player& p : players_) n += p.state != State::LOBBY && p.state != State::HOUSE && p.state != State::LOST;
        return n;
    }
    // Who is still outside, for a failure: their pseudos and states.
    std::string whoIsOutside() const {
        std::string who;
        for (const Player& p : players_)
            if (p.state != State::LOBBY && p.state != State::HOUSE && p.state != State::LOST && who.size() < 200)
                who += " " + pseudoOf(p.index) + "(" + std::to_string(static_cast<int>(p.state)) + ")";
        if (probe_.state != State::LOBBY) who += " probe(" + std::to_string(static_cast<int>(probe_.state)) + ")";
        return who;
    }
    size_t count(State s) const {
        return static_cast<size_t>(std::count_if(players_.begin(), players_.end(), [s](const Player& p) { return p.state == s; }));
    }
    // Teams of four for `share` of the players; their leaders start games.
    void formTeams(double share) {
        const size_t teams = static_cast<size_t>(static_cast<double>(players_.size()) * share / 4);
        for (size_t i = 0; i < teams * 4; ++i) players_[i].team = static_cast<int>(i / 4);
    }

    // `walking` false: the crowd stands still (while newcomers log in, since
    // their password checks share the server's core); the probe pings unless `probing` is false.
    void run(double ms, bool walking = true, bool probing = true) {
        walking_ = walking;
        probing_ = probing;
        const uint64_t end = nowMs() + static_cast<uint64_t>(ms);
        while (nowMs() < end && error_.empty()) {
            const bool busy = service(crowd_, 512);
            service(probeHost_, 64);
            act();
            if (!busy) wait();
        }
    }

    // Counters of the current measure.
    uint64_t in = 0, out = 0, lost = 0;
    Pings pings;

private:
    void send(Player& p, const Message& m) {
        const std::string& t = m.text();
        enet_peer_send(p.peer, 0, enet_packet_create(t.c_str(), t.size() + 1, ENET_PACKET_FLAG_RELIABLE));
        ++out;
    }
    Player* playerOf(ENetPeer* peer) {
        const intptr_t i = reinterpret_cast<intptr_t>(peer->data);
        return i < 0 ? &probe_ : &players_[static_cast<size_t>(i)];
    }
    void connect(Player& p, ENetHost* host) {
        p.peer = enet_host_connect(host, &server_, 2, 0);
        if (p.peer == nullptr) return fail("no ENet peer left for " + pseudoOf(p.index));
        p.peer->data = reinterpret_cast<void*>(static_cast<intptr_t>(p.index));
        p.state = State::CONNECTING;
    }
    void fail(const std::string& why) {
        if (error_.empty()) error_ = why;
    }

    // Up to `most` events; true when some may be left.
    bool service(ENetHost* host, int most) {
        ENetEvent e;
        for (int n = 0; n < most; ++n) {
            if (enet_host_service(host, &e, 0) <= 0) return false;
            Player& p = *playerOf(e.peer);
            if (e.type == ENET_EVENT_TYPE_CONNECT) {
                enter(p);
            } else if (e.type == ENET_EVENT_TYPE_DISCONNECT) {
                if (p.state == State::LOBBY || p.state == State::HOUSE) ++lost;
                p.state = State::LOST;
            } else if (e.type == ENET_EVENT_TYPE_RECEIVE) {
                ++in;
                hear(p, std::string(packetMessage({reinterpret_cast<const char*>(e.packet->data), e.packet->dataLength})));
                enet_packet_destroy(e.packet);
            }
        }
        return true;
    }

    // Registers first; an account of an earlier run is refused as taken, and logs in.
    void enter(Player& p) {
        if (p.registered) return login(p);
        p.state = State::REGISTERING;
        send(p, Message(MSG_AUTH_REGISTER).field(emailOf(p.index)).field(pseudoOf(p.index)).field(passOf(p.index)).field("M"));
    }
    void login(Player& p) {
        p.state = State::LOGGING_IN;
        send(p, Message(MSG_AUTH_LOGIN).field(emailOf(p.index)).field(passOf(p.index)).field(""));
    }

    void hear(Player& p, const std::string& text) {
        const uint64_t now = nowMs();
        if (matchesKeyword(text, MSG_PONG)) {
            FieldCursor f = fieldsAfter(text, MSG_PONG);
            uint32_t seq = 0;
            if (readUint32(f, seq) && pings.sent.count(seq)) {
                pings.trips.push_back(benchMsSince(pings.sent[seq]));
                pings.sent.erase(seq);
            }
        } else if (matchesKeyword(text, MSG_REGISTER_OK, KeywordMatch::PREFIX) ||
                   (matchesKeyword(text, MSG_REGISTER_FAIL) && reasonOf(text).find("déjà") != std::string::npos)) {
            p.registered = true;
            login(p);
        } else if (matchesKeyword(text, MSG_REGISTER_FAIL) || matchesKeyword(text, MSG_AUTH_FAIL)) {
            // The server busy hashing: again in a moment. Anything else is the bench's fault.
            if (reasonOf(text).find("occupé") == std::string::npos) return fail(pseudoOf(p.index) + " refused: " + text);
            p.state = State::RETRY;
            p.nextAct = now + RETRY_MS;
        } else if (matchesKeyword(text, MSG_GOTO_LOBBY)) {
            p.state = State::LOBBY;
            p.x = p.y = 0;
            p.nextAct = now + random_() % STEP_EVERY_MS;
            p.nextChat = now + chatDelay();
            p.nextStart = now + 1000 + random_() % 2000;
        } else if (matchesKeyword(text, MSG_START_MAISON)) {
            p.state = State::HOUSE;
        } else if (matchesKeyword(text, MSG_POS)) {
            FieldCursor f = fieldsAfter(text, MSG_POS);
            const TileField t = readTile(f);
            p.x = t.x;
            p.y = t.y;
        } else if (matchesKeyword(text, MSG_TEAM_OK)) {
            p.teamMade = true;
        } else if (matchesKeyword(text, MSG_TEAM_JOIN_OK)) {
            p.joined = true;
        } else if (matchesKeyword(text, MSG_TEAM_MEMBERS)) {
            FieldCursor f = fieldsAfter(text, MSG_TEAM_MEMBERS);
            p.members = readList(f).size();
        }
    }

    // A step (or a shot) in a direction that stays inside the lobby's 21 tiles.
    void walk(Player& p) {
        static const char* ways[] = {"Z", "S", "Q", "D"};
        for (;;) {
            const int w = static_cast<int>(random_() % 4);
            const int x = p.x + (w == 3) - (w == 2), y = p.y + (w == 0) - (w == 1);
            if (p.state == State::HOUSE || (x >= 0 && x <= 20 && y >= 0 && y <= 20))
                return send(p, Message(MSG_MOVE).field(ways[w]));
        }
    }

    uint64_t chatDelay() {
        return static_cast<uint64_t>(std::exponential_distribution<>(1 / o_.chatEvery)(random_) * 1000);
    }

    void actOne(Player& p, uint64_t now) {
        if (p.state == State::WAITING && logins_ < LOGINS_AT_ONCE) {
            connect(p, p.index < 0 ? probeHost_ : crowd_);
            ++logins_;
        }
        if (p.nextAct > now) return;
        if (p.state == State::RETRY) return enter(p);
        p.nextAct = now + STEP_EVERY_MS;
        if (!walking_) return;
        if (p.state == State::HOUSE) {
            walk(p);
            if (now >= p.nextShot) {
                send(p, MSG_SHOOT);
                p.nextShot = now + SHOT_EVERY_MS;
            }
        } else if (p.state == State::LOBBY && p.index >= 0) {
            walk(p);
            if (now >= p.nextChat) {
                send(p, Message(MSG_CHAT_RADIO).field("Quelqu'un a vu la maison ? " + std::to_string(now)));
                p.nextChat = now + chatDelay();
            }
            team(p, now);
        }
    }

    void team(Player& p, uint64_t now) {
        if (p.team < 0) return;
        Player& leader = players_[static_cast<size_t>(p.team) * 4];
        if (&p == &leader) {
            if (!p.teamMade && now >= p.nextStart) {
                send(p, Message(MSG_CREATE_TEAM).field(teamOf(p.team)));
                p.nextStart = now + TEAM_RETRY_MS;
            } else if (p.teamMade && p.members == 4 && now >= p.nextStart) {
                send(p, MSG_START_GAME);
                p.nextStart = now + TEAM_RETRY_MS;
            }
        } else if (leader.teamMade && !p.joined && now >= p.nextStart) {
            send(p, Message(MSG_JOIN_TEAM).field(teamOf(p.team)));
            p.nextStart = now + TEAM_RETRY_MS;
        }
    }

    void act() {
        const uint64_t now = nowMs();
        if (now < actedAt_ + 2) return;
        actedAt_ = now;
        logins_ = 0;
        for (const Player& p : players_)
            logins_ += p.state == State::CONNECTING || p.state == State::REGISTERING || p.state == State::LOGGING_IN ||
                       p.state == State::RETRY;
        if (probe_.state != State::LOBBY) actOne(probe_, now);
        for (Player& p : players_) actOne(p, now);
        if (probing_ && probe_.state == State::LOBBY && now >= probe_.nextAct) {
            probe_.nextAct = now + PING_EVERY_MS;
            pings.sent[pings.next] = Clock::now();
            send(probe_, Message(MSG_PING).number(pings.next++));
            enet_host_flush(probeHost_);
        }
        enet_host_flush(crowd_);
    }

    void wait() {
        ENetSocketSet set;
        ENET_SOCKETSET_EMPTY(set);
        ENET_SOCKETSET_ADD(set, crowd_->socket);
        ENET_SOCKETSET_ADD(set, probeHost_->socket);
        enet_socketset_select(std::max(crowd_->socket, probeHost_->socket), &set, nullptr, 1);
    }

    const Options& o_;
    std::mt19937 random_;
    ENetAddress server_{};
    ENetHost* crowd_ = nullptr;
    ENetHost* probeHost_ = nullptr;
    std::vector<Player> players_;
    Player probe_;
    size_t logins_ = 0;
    uint64_t actedAt_ = 0;
    bool walking_ = true, probing_ = true;
    std::string error_;
};

bool parse(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--smoke") {
            o.smoke = true;
            continue;
        }
        if (i + 1 >= argc) return false;
        const std::string v = argv[++i];
        if (a == "--server") o.server = v;
        else if (a == "--seconds") o.seconds = std::atof(v.c_str());
        else if (a == "--play-share") o.playShare = std::atof(v.c_str());
        else if (a == "--chat-every") o.chatEvery = std::atof(v.c_str());
        else if (a == "--accounts") o.accounts = v;
        else if (a == "--server-log") o.serverLog = v;
        else if (a == "--cores") std::sscanf(v.c_str(), "%d,%d", &o.serverCore, &o.generatorCore);
        else if (a == "--steps") {
            o.steps.clear();
            std::istringstream in(v);
            for (std::string n; std::getline(in, n, ',');) o.steps.push_back(std::strtoul(n.c_str(), nullptr, 10));
        } else return false;
    }
    return !o.steps.empty() && o.seconds > 0;
}

std::string machine() {
    std::ifstream in("/proc/cpuinfo");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("model name", 0) == 0) return line.substr(line.find(':') + 2);
    return "?";
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parse(argc, argv, o)) {
        std::fprintf(stderr, "usage: see the head of bench/load_gen.cpp\n");
        return 2;
    }
    char scratch[] = "/tmp/ashen_load_XXXXXX";
    if (o.smoke) {
        o.steps = {8};
        o.seconds = 3;
        o.warmup = 4; // long enough for the team to start its game
        o.playShare = 0.5;
        o.chatEvery = 2;
        o.serverCore = o.generatorCore = -1; // beside the other tests
        if (mkdtemp(scratch) == nullptr) return 1;
        o.accounts = scratch;
    }
    const size_t most = *std::max_element(o.steps.begin(), o.steps.end());
    if (sysconf(_SC_NPROCESSORS_ONLN) < 2) o.serverCore = o.generatorCore = -1;
    std::vector<int> cores;
    if (o.serverCore >= 0) cores = {o.serverCore, o.generatorCore};
    if (o.generatorCore >= 0) {
        cpu_set_t set;
        CPU_ZERO(&set);
        CPU_SET(o.generatorCore, &set);
        sched_setaffinity(0, sizeof set, &set);
    }
    BenchServer server = startBenchServer(o.server,
                                          {"--data", o.accounts, "--max-players", std::to_string(most + 8),
                                           "--register-limit", "100000", "--pending-limit", "100000"},
                                          o.serverCore);
    if (server.port == 0 || enet_initialize() != 0) {
        std::fprintf(stderr, "%s did not start\n", o.server.c_str());
        return 1;
    }
    std::printf("%s; server on core %d, generator on core %d; a step every %llu ms, a radio message every %.0f s "
                "on average, %.0f%% in games of 4; %.0f s per measure\n",
                machine().c_str(), o.serverCore, o.generatorCore, static_cast<unsigned long long>(STEP_EVERY_MS),
                o.chatEvery, o.playShare * 100, o.seconds);
    std::printf("%7s %6s %6s %8s %9s %10s %8s %8s %8s %6s %6s %6s %7s\n", "players", "games", "cpu%", "rss MB", "in/s",
                "out/s", "median", "p99", "worst", "unans", "kicked", "gen%", "others%");
    bool healthy = true;
    {
        Load load(o, server.port, most);
        for (size_t n : o.steps) {
            load.grow(n);
            // Logins take a password check each: waited for while they make progress.
            for (auto [left, progressAt] = std::pair{load.outside(), nowMs()}; load.ok() && left > 0 && nowMs() < progressAt + 30000;) {
                load.run(100, false);
                if (load.outside() < left) progressAt = nowMs();
                left = std::min(left, load.outside());
            }
            if (!load.ok() || load.outside() > 0) {
                std::printf("%7zu  could not log everyone in: %zu left outside:%s %s\n", n, load.outside(),
                            load.whoIsOutside().c_str(), load.error().c_str());
                healthy = false;
                std::ifstream log(server.folder + "/server.log");
                for (std::string line; std::getline(log, line);)
                    if (line.find("refus") != std::string::npos || line.find("Sonde") != std::string::npos)
                        std::printf("  server: %s\n", line.c_str());
                break;
            }
            load.formTeams(o.playShare);
            load.run(o.warmup * 1000);
            load.in = load.out = load.lost = 0;
            load.pings = Pings{};
            const double serverCpu = cpuSecondsOf(server.pid), ownCpu = ownCpuSeconds(), busy = coresBusySeconds(cores);
            const auto start = Clock::now();
            load.run(o.seconds * 1000);
            const double elapsed = benchMsSince(start) / 1000;
            const double serverShare = (cpuSecondsOf(server.pid) - serverCpu) / elapsed;
            const double ownShare = (ownCpuSeconds() - ownCpu) / elapsed;
            // What other processes took of the two cores: they delay the probe as much as a busy generator.
            const double others = (coresBusySeconds(cores) - busy) / elapsed - serverShare - ownShare;
            const double rss = residentMb(server.pid);
            const uint64_t in = load.in, out = load.out;
            const size_t games = load.count(State::HOUSE) / 4;
            load.run(1000, true, false); // the last pings' answers
            std::vector<double>& t = load.pings.trips;
            std::sort(t.begin(), t.end());
            const auto at = [&](double q) { return t.empty() ? -1.0 : t[std::min(t.size() - 1, static_cast<size_t>(q * t.size()))]; };
            std::printf("%7zu %6zu %6.0f %8.1f %9.0f %10.0f %8.2f %8.2f %8.2f %6zu %6llu %6.0f %7.0f %s\n", n, games,
                        serverShare * 100, rss, out / elapsed, in / elapsed, at(0.5), at(0.99), t.empty() ? -1.0 : t.back(),
                        load.pings.sent.size(), static_cast<unsigned long long>(load.lost), ownShare * 100,
                        cores.empty() ? 0.0 : others * 100,
                        ownShare > GENERATOR_BUSY ? "invalid: generator busy"
                        : !cores.empty() && others > OTHERS_BUSY ? "invalid: other processes on the cores" : "");
            std::fflush(stdout);
            healthy = healthy && load.lost == 0 && !t.empty() && load.pings.sent.empty() && in > 0 && (!o.smoke || games > 0);
        }
    }
    if (!o.serverLog.empty())
        std::filesystem::copy_file(server.folder + "/server.log", o.serverLog, std::filesystem::copy_options::overwrite_existing);
    stopBenchServer(server);
    enet_deinitialize();
    if (o.smoke) std::filesystem::remove_all(scratch);
    return o.smoke && !healthy ? 1 : 0;
}
