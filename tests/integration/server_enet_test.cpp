// The real AshenServer over ENet on 127.0.0.1: exact bytes, and hostile peers
// that leave it serving the others.
#include "base/sha256.h"
#include "server_process.h"

#include <enet/enet.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <map>
#include <optional>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// A bare ENet peer that sends and records bytes exactly.
class RawPeer {
public:
    explicit RawPeer(uint16_t port) {
        host_ = enet_host_create(nullptr, 1, 2, 0, 0);
        ENetAddress address;
        enet_address_set_host(&address, "127.0.0.1");
        address.port = port;
        peer_ = enet_host_connect(host_, &address, 2, 0);
        ENetEvent e;
        connected_ = enet_host_service(host_, &e, 3000) > 0 && e.type == ENET_EVENT_TYPE_CONNECT;
    }
    ~RawPeer() { enet_host_destroy(host_); }
    bool connected() const { return connected_; }

    void sendBytes(const std::string& bytes, bool flush = true) {
        enet_peer_send(peer_, 0, enet_packet_create(bytes.data(), bytes.size(), ENET_PACKET_FLAG_RELIABLE));
        if (flush) enet_host_flush(host_);
    }
    void send(const std::string& text) { sendBytes(text + std::string(1, '\0')); }

    // Packets received until `count` arrived or `ms` passed.
    std::vector<std::string> receive(size_t count, int ms = 5000) {
        const auto end = Clock::now() + std::chrono::milliseconds(ms);
        while (received_.size() < count && Clock::now() < end) {
            ENetEvent e;
            while (enet_host_service(host_, &e, 5) > 0) {
                if (e.type == ENET_EVENT_TYPE_RECEIVE) {
                    framedRight_ = framedRight_ && e.channelID == 0 && (e.packet->flags & ENET_PACKET_FLAG_RELIABLE);
                    received_.emplace_back(reinterpret_cast<char*>(e.packet->data), e.packet->dataLength);
                    enet_packet_destroy(e.packet);
                } else if (e.type == ENET_EVENT_TYPE_DISCONNECT) {
                    disconnected_ = true;
                }
            }
        }
        auto got = std::move(received_);
        received_.clear();
        return got;
    }
    bool disconnected() const { return disconnected_; }
    // Every packet so far came reliable, on channel 0.
    bool framedRight() const { return framedRight_; }

private:
    ENetHost* host_ = nullptr;
    ENetPeer* peer_ = nullptr;
    bool connected_ = false;
    bool disconnected_ = false;
    bool framedRight_ = true;
    std::vector<std::string> received_;
};

std::string z(const std::string& text) { return text + std::string(1, '\0'); }

class ServerEnet : public testing::Test {
protected:
    static void SetUpTestSuite() { enet_initialize(); }
    static void TearDownTestSuite() { enet_deinitialize(); }

    // Registers and logs in; true once in the lobby.
    static bool login(RawPeer& peer, const std::string& pseudo) {
        const std::string mail = sha256Hex(pseudo + "@exemple.fr"), pass = sha256Hex(pseudo);
        peer.send("AUTH_REGISTER:" + mail + ":" + pseudo + ":" + pass + ":M");
        peer.send("AUTH_LOGIN:" + mail + ":" + pass + ":");
        return peer.receive(3) == std::vector<std::string>{z("REGISTER_OK"), z("AUTH_OK"), z("GOTO_LOBBY")};
    }
};

} // namespace

TEST_F(ServerEnet, RepliesAreOneReliablePacketOfTextAndNul) {
    ServerProcess server({"--test-port", "0", "--test-password", "sésame"});
    ASSERT_NE(server.port(), 0);
    EXPECT_NE(server.readLine(3000).find("écoute sur le port de test "), std::string::npos);
    RawPeer alice(server.port()), bob(server.port());
    ASSERT_TRUE(alice.connected() && bob.connected());
    ASSERT_TRUE(login(alice, "Alice"));
    ASSERT_TRUE(login(bob, "Bob"));
    EXPECT_EQ(alice.receive(1), std::vector<std::string>{z("LOBBY_JOIN:Bob")});
    bob.send("MOVE:D");
    bob.sendBytes("PING:77"); // no NUL: read to its end
    bob.send("CREATE_TEAM:Les Rats");
    EXPECT_EQ(bob.receive(4), (std::vector<std::string>{z("POS:1,0"), z("PONG:77"), z("TEAM_OK:Les Rats"),
                                                        z("TEAM_MEMBERS:Bob")}));
    EXPECT_EQ(alice.receive(1), std::vector<std::string>{z("REMOTE_MOVE:Bob:1,0")});
    EXPECT_TRUE(alice.framedRight() && bob.framedRight());
}

TEST_F(ServerEnet, AFloodAndAnOversizedPacketLeaveTheServerServingOthers) {
    ServerProcess server;
    ASSERT_NE(server.port(), 0);
    RawPeer alice(server.port()), flooder(server.port());
    ASSERT_TRUE(login(alice, "Alice"));
    ASSERT_TRUE(login(flooder, "Flot"));
    alice.receive(1); // Flot's arrival
    flooder.sendBytes(std::string(2048, 'A'));
    flooder.send("PING:1");
    EXPECT_EQ(flooder.receive(1), std::vector<std::string>{z("PONG:1")});
    for (int i = 0; i < 200; ++i) flooder.sendBytes(z("CHECK_HEALTH"), false);
    flooder.sendBytes(z("CHECK_HEALTH"));
    flooder.receive(1000, 2000);
    EXPECT_TRUE(flooder.disconnected());
    EXPECT_EQ(alice.receive(1), std::vector<std::string>{z("LOBBY_LEFT:Flot")});
    alice.send("REQ_PLAYERS");
    EXPECT_EQ(alice.receive(1), std::vector<std::string>{z("PLAYERS_LIST:1 joueur en ligne : Alice.")});
}

// A player who plays by the messages alone, as a blind player hears them:
// walks toward the zombies he hears, shoots when one is in the revolver's
// reach, reloads on an empty magazine. Fields are read as the client reads them.
class Player {
public:
    Player(RawPeer& peer, std::string pseudo) : peer_(peer), pseudo_(std::move(pseudo)) {}

    // Receives for `ms` and keeps what was heard; true once `until` was heard.
    bool listen(int ms, const std::string& until = {}) {
        for (std::string& packet : peer_.receive(SIZE_MAX, ms)) {
            std::string m = packet.substr(0, packet.find('\0'));
            read(m);
            heard.push_back(m);
            if (!until.empty() && m.rfind(until, 0) == 0) return true;
        }
        return false;
    }
    bool heardStart(const std::string& prefix) const {
        for (const std::string& m : heard)
            if (m.rfind(prefix, 0) == 0) return true;
        return false;
    }

    // One decision: shoot what is in reach, else walk toward the nearest zombie.
    void hunt() {
        const auto nearest = nearestZombie();
        if (!nearest) return;
        const int dx = nearest->first - x, dy = nearest->second - y;
        if (dx * dx + dy * dy <= 8 * 8) {
            peer_.send(emptyMagazine ? "RELOAD" : "SHOOT");
            emptyMagazine = false;
        } else {
            walkToward(nearest->first, nearest->second);
        }
    }
    void walkToward(int tx, int ty) {
        const int dx = tx - x, dy = ty - y;
        if (dx == 0 && dy == 0) return;
        const bool alongX = std::abs(dx) >= std::abs(dy) && !(blockedX && dy != 0);
        blockedX = false;
        peer_.send(alongX ? (dx > 0 ? "MOVE:D" : "MOVE:Q") : (dy > 0 ? "MOVE:Z" : "MOVE:S"));
        lastAlongX = alongX;
    }

    int x = 0, y = 0;
    std::map<int, std::pair<int, int>> zombies;
    std::vector<std::string> heard;

private:
    void read(const std::string& m) {
        int id = 0, a = 0, b = 0;
        if (std::sscanf(m.c_str(), "POS:%d,%d", &a, &b) == 2) x = a, y = b;
        else if (m == "WALL") blockedX = lastAlongX;
        else if (std::sscanf(m.c_str(), "Z_SPAWN:%d,%d,%d", &id, &a, &b) == 3) zombies[id] = {a, b};
        else if (std::sscanf(m.c_str(), "Z_POS:%d,%d,%d", &id, &a, &b) == 3) zombies[id] = {a, b};
        else if (std::sscanf(m.c_str(), "Z_DIE:%d,", &id) == 1) zombies.erase(id);
        else if (m.rfind("ROUND_START:", 0) == 0) zombies.clear();
        else if (m.rfind("SHOOT_FAIL:", 0) == 0) emptyMagazine = true;
    }
    std::optional<std::pair<int, int>> nearestZombie() const {
        std::optional<std::pair<int, int>> best;
        int bestD = INT_MAX;
        for (const auto& [id, at] : zombies) {
            const int d = std::abs(at.first - x) + std::abs(at.second - y);
            if (d < bestD) bestD = d, best = at;
        }
        return best;
    }

    RawPeer& peer_;
    std::string pseudo_;
    bool emptyMagazine = false;
    bool blockedX = false, lastAlongX = false;
};

TEST_F(ServerEnet, ATeamOfOnePlaysAGameToItsEndAndItsRoundIsRanked) {
    ServerProcess server;
    ASSERT_NE(server.port(), 0);
    RawPeer peer(server.port());
    ASSERT_TRUE(login(peer, "Zoe"));
    peer.send("CREATE_TEAM:Seule");
    peer.receive(2);
    peer.send("START_GAME");
    Player zoe(peer, "Zoe");
    ASSERT_TRUE(zoe.listen(1000, "START_MAISON"));
    peer.send("ACTION");
    ASSERT_TRUE(zoe.listen(1000, "SAY:Rien à utiliser ici."));

    // Round 1: six zombies come into the first room and are shot dead.
    const auto deadline = Clock::now() + std::chrono::seconds(90);
    while (!zoe.listen(100, "ROUND_END") && Clock::now() < deadline) zoe.hunt();
    ASSERT_TRUE(zoe.heardStart("ROUND_END_KILLS:Zoe:6")) << zoe.heard.size() << " messages heard";
    EXPECT_TRUE(zoe.heardStart("SHOOT_OK:Revolver"));
    EXPECT_TRUE(zoe.heardStart("Z_HIT:"));
    EXPECT_TRUE(zoe.heardStart("Z_DIE:"));
    EXPECT_FALSE(zoe.heardStart("PLAYER_DOWN:"));

    // In the calm, to the door at (50, 0), which her kills paid for.
    while ((zoe.x != 49 || zoe.y != 0) && Clock::now() < deadline) {
        zoe.walkToward(49, 0);
        zoe.listen(100);
    }
    peer.send("ACTION");
    EXPECT_TRUE(zoe.listen(1000, "DOOR_OPENED:50,0"));
    peer.send("MOVE:D");
    EXPECT_TRUE(zoe.listen(1000, "POS:50,0")) << "through the open door";

    // Round 2: she lets them come and bite until she is down and the game is over.
    while (!zoe.listen(100, "GOTO_LOBBY") && Clock::now() < deadline)
        if (zoe.heardStart("ROUND_START:2") && !zoe.heardStart("PLAYER_DOWN:") && !zoe.zombies.empty())
            zoe.walkToward(zoe.zombies.begin()->second.first, zoe.zombies.begin()->second.second);
    EXPECT_TRUE(zoe.heardStart("PLAYER_HIT:Zoe:25"));
    EXPECT_TRUE(zoe.heardStart("PLAYER_DOWN:Zoe:"));
    EXPECT_TRUE(zoe.heardStart("GAME_OVER_SIGNAL"));
    EXPECT_TRUE(zoe.heardStart("STATS:Partie terminée au round 2. Zoe : 6 zombies tués, "));
    ASSERT_TRUE(zoe.heardStart("GOTO_LOBBY"));

    peer.send("REQ_RANKING:ROUND");
    EXPECT_EQ(peer.receive(1), std::vector<std::string>{z("RANKING:ROUND:1;Zoe;2")});
    peer.send("MOVE:Z");
    EXPECT_EQ(peer.receive(1), std::vector<std::string>{z("POS:0,1")}) << "back on the lobby's map";
}
