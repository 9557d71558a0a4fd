// The real AshenServer over ENet on 127.0.0.1: exact bytes, and hostile peers
// (floods, idle crowds, malformed logins) that leave it serving the others.
#include "base/sha256.h"
#include "postgres_cluster.h"
#include "server_process.h"

#include <enet/enet.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <utility>
#include <memory>
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

    // Packets received until `count` arrived, the server dropped us or `ms` passed.
    std::vector<std::string> receive(size_t count, int ms = 5000) {
        const auto end = Clock::now() + std::chrono::milliseconds(ms);
        while (received_.size() < count && !disconnected_ && Clock::now() < end) service(5);
        auto got = std::move(received_);
        received_.clear();
        return got;
    }
    // What arrived by now, without waiting.
    std::vector<std::string> poll() {
        service(0);
        return std::exchange(received_, {});
    }
    void service(int ms) {
        ENetEvent e;
        while (enet_host_service(host_, &e, static_cast<enet_uint32>(ms)) > 0) {
            if (e.type == ENET_EVENT_TYPE_RECEIVE) {
                framedRight_ = framedRight_ && e.channelID == 0 && (e.packet->flags & ENET_PACKET_FLAG_RELIABLE);
                received_.emplace_back(reinterpret_cast<char*>(e.packet->data), e.packet->dataLength);
                enet_packet_destroy(e.packet);
            } else if (e.type == ENET_EVENT_TYPE_DISCONNECT) {
                disconnected_ = true;
            }
        }
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
std::string registration(const std::string& pseudo) {
    return "AUTH_REGISTER:" + sha256Hex(pseudo + "@exemple.fr") + ":" + pseudo + ":" + sha256Hex(pseudo) + ":M";
}
std::string loginOf(const std::string& pseudo) {
    return "AUTH_LOGIN:" + sha256Hex(pseudo + "@exemple.fr") + ":" + sha256Hex(pseudo) + ":";
}

class ServerEnet : public testing::Test {
protected:
    static void SetUpTestSuite() { enet_initialize(); }
    static void TearDownTestSuite() { enet_deinitialize(); }

    // Registers and logs in; true once in the lobby, where he hears the `others` there stand.
    static bool login(RawPeer& peer, const std::string& pseudo, size_t others = 0) {
        peer.send(registration(pseudo));
        peer.send(loginOf(pseudo));
        const std::vector<std::string> got = peer.receive(4 + others);
        return got.size() == 4 + others &&
               std::vector<std::string>(got.begin(), got.begin() + 4) ==
                   std::vector<std::string>{z("REGISTER_OK"), z("AUTH_OK"), z("USERNAME_OK:" + pseudo), z("GOTO_LOBBY")} &&
               std::all_of(got.begin() + 4, got.end(), [](const std::string& t) { return t.rfind("REMOTE_MOVE:", 0) == 0; });
    }
};

} // namespace

TEST_F(ServerEnet, RepliesAreOneReliablePacketOfTextAndNulAndAHostilePeerLeavesOthersServed) {
    ServerProcess server({"--test-port", "0", "--test-password", "sésame"});
    ASSERT_NE(server.port(), 0);
    EXPECT_NE(server.readLine(3000).find("écoute sur le port de test "), std::string::npos);
    RawPeer alice(server.port()), bob(server.port());
    ASSERT_TRUE(alice.connected() && bob.connected());
    ASSERT_TRUE(login(alice, "Alice"));
    ASSERT_TRUE(login(bob, "Bob", 1));
    EXPECT_EQ(alice.receive(2), (std::vector<std::string>{z("LOBBY_JOIN:Bob"), z("REMOTE_MOVE:Bob:0,0")}));
    bob.send("MOVE:D");
    bob.sendBytes("PING:77"); // no NUL: read to its end
    EXPECT_EQ(bob.receive(2), (std::vector<std::string>{z("POS:1,0"), z("PONG:77")}));
    EXPECT_EQ(alice.receive(1), std::vector<std::string>{z("REMOTE_MOVE:Bob:1,0")});
    EXPECT_TRUE(alice.framedRight() && bob.framedRight());

    // A flood far beyond a player's pace cuts its sender off, told why.
    for (int i = 0; i < 3000; ++i) bob.sendBytes(z("CHECK_HEALTH"), false);
    bob.sendBytes(z("CHECK_HEALTH"));
    const std::vector<std::string> got = bob.receive(SIZE_MAX, 10000);
    EXPECT_TRUE(bob.disconnected());
    EXPECT_EQ(got.back(), z("SAY:Vous envoyez beaucoup trop de messages : connexion fermée."));
    EXPECT_EQ(alice.receive(1), std::vector<std::string>{z("LOBBY_LEFT:Bob")});
    alice.send("REQ_PLAYERS");
    EXPECT_EQ(alice.receive(1), std::vector<std::string>{z("PLAYERS_LIST:1 joueur en ligne : Alice.")});
}

TEST_F(ServerEnet, ARegistrationFloodIsLimitedAndLeavesAPingingPlayerServed) {
    ServerProcess server;
    RawPeer alice(server.port()), flooder(server.port());
    ASSERT_TRUE(alice.connected() && flooder.connected());
    ASSERT_TRUE(login(alice, "Alice"));
    // 50 registrations a second for 4 s from one connection; Alice pings every 100 ms.
    std::vector<std::string> pongs, replies;
    const auto collect = [&] {
        for (std::string& t : alice.poll()) pongs.push_back(t);
        for (std::string& t : flooder.poll()) replies.push_back(t);
    };
    const auto start = Clock::now();
    const int sent = 200;
    for (int i = 0; i < sent; ++i) {
        flooder.send(registration("Flot" + std::to_string(i)));
        if (i % 5 == 0) alice.send("PING:" + std::to_string(i));
        while (Clock::now() < start + std::chrono::milliseconds(20 * (i + 1))) {
            collect();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    // What came while a hash was under way beyond a few requests was dropped: no player sends that.
    for (auto quiet = Clock::now(); Clock::now() < quiet + std::chrono::seconds(1);) {
        const size_t before = replies.size();
        collect();
        if (replies.size() != before) quiet = Clock::now();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(pongs.size(), size_t{sent / 5});
    EXPECT_EQ(std::count(replies.begin(), replies.end(), z("REGISTER_OK")), 4) << "five an hour, Alice's included";
    ASSERT_GT(replies.size(), size_t{sent / 2});
    EXPECT_EQ(replies.back(), z("REGISTER_FAIL:Trop de comptes créés depuis votre adresse, réessayez dans une heure."));
    EXPECT_FALSE(alice.disconnected() || flooder.disconnected());
}

TEST_F(ServerEnet, IdleConnectionsLeaveAPlayerRoomAndHearWhyTheyAreClosed) {
    ServerProcess server({"--max-players", "2"});
    std::vector<std::unique_ptr<RawPeer>> idle;
    for (int i = 0; i < 300; ++i) idle.push_back(std::make_unique<RawPeer>(server.port()));
    RawPeer alice(server.port());
    EXPECT_TRUE(login(alice, "Alice")) << "more connections than players: they have not logged in";
    for (const auto end = Clock::now() + std::chrono::milliseconds(2500); Clock::now() < end;)
        for (auto& peer : idle) peer->service(0); // closed once the reason can have been heard
    size_t dropped = 0;
    for (auto& peer : idle) {
        EXPECT_TRUE(peer->connected());
        const std::vector<std::string> heard = peer->poll();
        if (!peer->disconnected()) continue;
        ++dropped;
        EXPECT_EQ(heard, std::vector<std::string>{z("SAY:Connexion fermée : d'autres connexions de votre adresse attendent.")});
    }
    EXPECT_GE(dropped, idle.size() - 16);
}

TEST_F(ServerEnet, SigtermEndsTheServerWithinTwoSecondsWhateverIsQueued) {
    ServerProcess server({"--register-limit", "1000"});
    std::vector<std::unique_ptr<RawPeer>> players;
    for (int i = 0; i < 30; ++i) {
        players.push_back(std::make_unique<RawPeer>(server.port()));
        players.back()->send(registration("Joueur" + std::to_string(i)));
    }
    RawPeer junk(server.port());
    for (int i = 0; i < 3000; ++i) junk.sendBytes(z("REQ_PLAYERS"), false);
    junk.sendBytes(z("REQ_PLAYERS"));
    std::this_thread::sleep_for(std::chrono::milliseconds(300)); // hashes under way, more waiting
    EXPECT_EQ(server.stop(SIGTERM, 2000), 0);
}

TEST_F(ServerEnet, ServersOnOneDatabaseShareAccountsAndRankingsAndALoginOnOneEndsTheSessionOnAnother) {
    PostgresCluster& cluster = PostgresCluster::get();
    if (!cluster.ready()) {
        if (cluster.absent()) GTEST_SKIP() << cluster.problem();
        FAIL() << cluster.problem();
    }
    const std::string database = cluster.newDatabase(); // "?host=…&user=…", as a host may write it
    auto one = std::make_unique<ServerProcess>(std::vector<std::string>{"--database", database});
    ServerProcess two({"--database", database});
    ASSERT_TRUE(one->port() != 0 && two.port() != 0);
    const std::vector<std::string> replaced = {z("SAY:Votre compte vient de se connecter depuis un autre poste.")};
    const std::vector<std::string> loggedIn = {z("AUTH_OK"), z("USERNAME_OK:Zoé"), z("GOTO_LOBBY")};

    // Made on one, logged in on the other: the first session hears why alone, within 2 s, and ends.
    RawPeer first(one->port()), second(two.port());
    ASSERT_TRUE(login(first, "Zoé"));
    second.send(loginOf("Zoé"));
    EXPECT_EQ(second.receive(3), loggedIn);
    EXPECT_EQ(first.receive(1, 2000), replaced);
    first.receive(SIZE_MAX, 3000);
    EXPECT_TRUE(first.disconnected());

    // A game played to its end on one server is in the other's rankings.
    for (const char* step : {"CREATE_TEAM:Solo", "START_GAME", "LEAVE_MAISON"}) second.send(step);
    RawPeer bob(one->port());
    ASSERT_TRUE(login(bob, "Bob"));
    std::string ranking;
    for (int i = 0; i < 50 && ranking.find("Zoé") == std::string::npos; ++i) {
        bob.send("REQ_RANKING:ROUND");
        const std::vector<std::string> got = bob.receive(1);
        ranking = got.empty() ? "" : got.front();
    }
    EXPECT_EQ(ranking.rfind("RANKING:ROUND:1;Zoé;", 0), 0u) << ranking;

    // A server that restarts hears the others and is heard from its first login.
    EXPECT_EQ(one->stop(), 0);
    one = std::make_unique<ServerProcess>(std::vector<std::string>{"--database", database});
    RawPeer third(one->port());
    third.send(loginOf("Zoé"));
    EXPECT_EQ(third.receive(3), loggedIn);
    EXPECT_EQ(second.receive(SIZE_MAX, 3000).back(), replaced.back());

    // Two logins at once on both servers: both servers keep the same one.
    RawPeer here(one->port()), there(two.port());
    here.send(loginOf("Zoé"));
    there.send(loginOf("Zoé"));
    for (const auto end = Clock::now() + std::chrono::seconds(4);
         Clock::now() < end && !here.disconnected() && !there.disconnected();) {
        here.service(5);
        there.service(5);
    }
    std::vector<std::string> toHere = here.poll(), toThere = there.poll();
    EXPECT_NE(here.disconnected(), there.disconnected()) << "exactly one of the two stays";
    std::vector<std::string>& lost = here.disconnected() ? toHere : toThere;
    EXPECT_EQ(lost.back(), replaced.back());
    lost.pop_back();
    EXPECT_EQ(toHere, loggedIn);
    EXPECT_EQ(toThere, loggedIn);
}
