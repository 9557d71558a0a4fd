// The real AshenServer over ENet on 127.0.0.1: exact bytes, and hostile peers
// that leave it serving the others.
#include "base/sha256.h"
#include "server_process.h"

#include <enet/enet.h>

#include <chrono>

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

TEST_F(ServerEnet, RepliesAreOneReliablePacketOfTextAndNulAndAHostilePeerLeavesOthersServed) {
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
    EXPECT_EQ(bob.receive(2), (std::vector<std::string>{z("POS:1,0"), z("PONG:77")}));
    EXPECT_EQ(alice.receive(1), std::vector<std::string>{z("REMOTE_MOVE:Bob:1,0")});
    EXPECT_TRUE(alice.framedRight() && bob.framedRight());

    // An oversized packet is dropped; a flood cuts its sender off.
    bob.sendBytes(std::string(2048, 'A'));
    bob.send("PING:1");
    EXPECT_EQ(bob.receive(1), std::vector<std::string>{z("PONG:1")});
    for (int i = 0; i < 200; ++i) bob.sendBytes(z("CHECK_HEALTH"), false);
    bob.sendBytes(z("CHECK_HEALTH"));
    bob.receive(1000, 2000);
    EXPECT_TRUE(bob.disconnected());
    EXPECT_EQ(alice.receive(1), std::vector<std::string>{z("LOBBY_LEFT:Bob")});
    alice.send("REQ_PLAYERS");
    EXPECT_EQ(alice.receive(1), std::vector<std::string>{z("PLAYERS_LIST:1 joueur en ligne : Alice.")});
}
