// The connection's life over real ENet on 127.0.0.1: connecting on a lossy
// or dead port, the server going away, reconnecting, and both paths: what is
// sent (flushed at once, framed with its NUL) and what is received.
#include "core/scene.h"
#include "enet_test_server.h"
#include "fake_platform.h"
#include "net/connection.h"
#include "net/outgoing.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

long msSince(Clock::time_point start) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// Runs frames of network service (real time) until `condition` holds.
bool serviceUntil(const std::function<bool()>& condition, long ms) {
    for (const auto start = Clock::now(); msSince(start) < ms; std::this_thread::sleep_for(2ms)) {
        updateNetworkStatus();
        if (condition()) return true;
    }
    return false;
}

class Connection : public testing::Test {
protected:
    void SetUp() override { fake::reset(); }
    void TearDown() override { disconnectFromServer(); }
};

} // namespace

TEST_F(Connection, ServerDropIsSpokenOnceAndLaterSendsGoNowhere) {
    EnetTestServer server;
    sendShoot(); // before any connection: nothing, and no harm
    ASSERT_TRUE(connectToServer("127.0.0.1", server.port()));
    ASSERT_TRUE(server.waitUntil([&] { return server.connects() == 1; }, 2000));
    SceneManager::currentScene = Scene::LOBBY;

    server.disconnectClients();
    ASSERT_TRUE(serviceUntil([] { return !fake::spoken().empty(); }, 3000));
    serviceUntil([] { return false; }, 300);
    EXPECT_EQ(fake::spoken(), std::vector<std::string>{"Serveur deconnecte."});
    EXPECT_EQ(SceneManager::currentScene, Scene::LOBBY);

    // Sending into the dead connection loses the message without leaking it.
    sendShoot();
    std::this_thread::sleep_for(200ms);
    EXPECT_TRUE(server.packets().empty());

    // A new connection works without closing the dead one first.
    ASSERT_TRUE(connectToServer("127.0.0.1", server.port()));
    sendReload();
    EXPECT_TRUE(server.waitUntil([&] { return !server.packets().empty(); }, 2000));
    EXPECT_EQ(server.packets(), std::vector<std::string>{std::string("RELOAD", 7)});
}

TEST_F(Connection, DeadPortFailsWithinFiveSecondsAndALaterAttemptSucceeds) {
    auto start = Clock::now();
    EXPECT_FALSE(connectToServer("nom-inconnu.invalid", PORT_MAIN));
    EXPECT_LT(msSince(start), 4900) << "an unknown host fails at once";
    EXPECT_EQ(client, nullptr);

    uint16_t port;
    {
        EnetTestServer probe; // a port nobody listens on once it is gone
        ASSERT_TRUE(probe.listening());
        port = probe.port();
    }
    start = Clock::now();
    EXPECT_FALSE(connectToServer("127.0.0.1", port));
    const long took = msSince(start);
    EXPECT_GE(took, 4900);
    EXPECT_LE(took, 6500);
    EXPECT_EQ(client, nullptr);
    EXPECT_EQ(serverPeer, nullptr);
    EXPECT_TRUE(fake::spoken().empty()) << "the caller speaks the failure";

    EnetTestServer server(port, 2000);
    ASSERT_TRUE(server.listening());
    EXPECT_TRUE(connectToServer("127.0.0.1", port));
    EXPECT_TRUE(server.waitUntil([&] { return server.connects() == 1; }, 2000));
}

TEST_F(Connection, ConnectingAgainClosesTheOldConnection) {
    EnetTestServer first;
    EnetTestServer second;
    ASSERT_TRUE(connectToServer("127.0.0.1", first.port()));
    ASSERT_TRUE(connectToServer("127.0.0.1", second.port()));
    EXPECT_TRUE(first.waitUntil([&] { return first.disconnects() == 1; }, 2000))
        << "the first server is told at once, not after its time-out";
    sendAction();
    EXPECT_TRUE(second.waitUntil([&] { return second.packets().size() == 1; }, 2000));
    EXPECT_TRUE(first.packets().empty());

    disconnectFromServer();
    EXPECT_EQ(client, nullptr);
    EXPECT_EQ(serverPeer, nullptr);
    EXPECT_TRUE(second.waitUntil([&] { return second.disconnects() == 1; }, 2000));
    updateNetworkStatus(); // nothing to service, nothing to crash
}

TEST_F(Connection, LostConnectRequestsAreSentAgainAndMessagesTravelWhole) {
    EnetTestServer server;
    server.dropIncoming(2); // the first request and its first resend
    const auto start = Clock::now();
    ASSERT_TRUE(connectToServer("127.0.0.1", server.port()));
    EXPECT_LT(msSince(start), 5000);
    ASSERT_TRUE(server.waitUntil([&] { return server.connects() == 1; }, 2000));

    // Sent without any service of the client's host: each leaves at once.
    // (The other requests are heard through the keys and menus that send them.)
    requestMove('S');
    sendGetTeamMembers("Alpha");
    sendLeaveMaison();
    fake::setTime(4294967295u);
    handleF2();
    using namespace std::string_literals;
    const std::vector<std::string> framed = {"MOVE:S\0"s, "GET_TEAM_MEMBERS:Alpha\0"s, "LEAVE_MAISON\0"s,
                                             "PING:4294967295\0"s};
    server.messages(framed.size());
    EXPECT_EQ(server.packets(), framed);
    for (const auto& packet : server.received()) EXPECT_TRUE(packet.channel == 0 && packet.reliable) << packet.bytes;

    server.sendRaw("SAY:sans terminateur");
    server.sendRaw(std::string("SAY:avant\0SAY:apres", 19));
    server.sendRaw("");
    server.sendRaw(std::string(1, '\0'));
    server.send("SAY:" + std::string(100000, 'a'));
    server.send("SAY:dernier");
    ASSERT_TRUE(serviceUntil([] { return fake::lastSpoken() == "dernier"; }, 3000));
    const std::vector<std::string> expected = {"sans terminateur", "avant", std::string(100000, 'a'), "dernier"};
    EXPECT_EQ(fake::spoken(), expected);
}
