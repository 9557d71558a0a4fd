// What reaches the game server, byte for byte, over a real ENet connection.
#include "enet_test_server.h"
#include "fake_platform.h"
#include "net/connection.h"
#include "net/outgoing.h"

#include <gtest/gtest.h>

namespace {

std::string framed(const std::string& text) { return text + std::string(1, '\0'); }

class Outgoing : public testing::Test {
protected:
    void SetUp() override {
        fake::reset();
        ASSERT_TRUE(server.listening());
        ASSERT_TRUE(connectToServer("127.0.0.1", server.port()));
        ASSERT_TRUE(server.waitUntil([&] { return server.connects() == 1; }, 2000));
    }
    void TearDown() override { disconnectFromServer(); }

    // No network service on the client side while waiting: every message
    // must leave on its own, flushed when sent.
    std::vector<std::string> receivedAfter(size_t count) {
        server.waitUntil([&] { return server.packets().size() >= count; }, 3000);
        return server.packets();
    }

    EnetTestServer server;
};

} // namespace

TEST_F(Outgoing, EveryMessageHasItsExactBytesAndLeavesAtOnce) {
    PlayerProfile profile;
    profile.username = "Zoé";
    profile.email = "zoe@exemple.fr";
    profile.passHash = "ignored-the-hash-is-passed-apart";
    const std::string hash(64, 'a');

    sendAuthLogin(profile, hash, "");
    sendAuthLogin(profile, hash, "sésame");
    sendAuthRegister(std::string(64, 'e'), "Zoé", hash, "F");
    requestMove('Z');
    requestMove('S');
    requestMove('Q');
    requestMove('D');
    sendShoot();
    sendReload();
    sendCheckAmmo();
    sendCheckHealth();
    sendSwitchWeapon(0);
    sendSwitchWeapon(2);
    sendAction();
    sendCreateTeam("Les Rôdeurs");
    sendJoinTeam("Alpha");
    sendGetTeams();
    sendGetTeamMembers("Alpha");
    sendDestroyTeam();
    sendLeaveTeam();
    sendStartGame();
    sendLeaveMaison();
    handleF1();
    fake::setTime(4294967295u);
    handleF2();
    handleF3();
    sendGetMember(0);
    sendGetMember(4);
    sendRequest("REQ_RANKING:KILLS");
    sendRequest("CHAT_MP:bob:on se retrouve : porte 2 ?");

    const std::vector<std::string> expected = {
        framed("AUTH_LOGIN:zoe@exemple.fr:" + hash + ":"),
        framed("AUTH_LOGIN:zoe@exemple.fr:" + hash + ":sésame"),
        framed("AUTH_REGISTER:" + std::string(64, 'e') + ":Zoé:" + hash + ":F"),
        framed("MOVE:Z"),
        framed("MOVE:S"),
        framed("MOVE:Q"),
        framed("MOVE:D"),
        framed("SHOOT"),
        framed("RELOAD"),
        framed("CHECK_AMMO"),
        framed("CHECK_HEALTH"),
        framed("SWITCH:0"),
        framed("SWITCH:2"),
        framed("ACTION"),
        framed("CREATE_TEAM:Les Rôdeurs"),
        framed("JOIN_TEAM:Alpha"),
        framed("GET_TEAMS"),
        framed("GET_TEAM_MEMBERS:Alpha"),
        framed("DESTROY_TEAM"),
        framed("LEAVE_TEAM"),
        framed("START_GAME"),
        framed("LEAVE_MAISON"),
        framed("REQ_PLAYERS"),
        framed("PING:4294967295"),
        framed("REQ_UPTIME"),
        framed("GET_MEMBER:0"),
        framed("GET_MEMBER:4"),
        framed("REQ_RANKING:KILLS"),
        framed("CHAT_MP:bob:on se retrouve : porte 2 ?"),
    };
    EXPECT_EQ(receivedAfter(expected.size()), expected);
    for (const auto& packet : server.received()) {
        EXPECT_EQ(packet.channel, 0) << packet.bytes;
        EXPECT_TRUE(packet.reliable) << packet.bytes;
    }
}

TEST_F(Outgoing, NothingIsSentWithoutAConnection) {
    disconnectFromServer();
    EXPECT_EQ(client, nullptr);
    EXPECT_EQ(serverPeer, nullptr);
    sendShoot();
    sendAuthLogin(PlayerProfile{}, "", "");
    disconnectFromServer(); // twice is harmless

    ASSERT_TRUE(connectToServer("127.0.0.1", server.port()));
    sendReload();
    EXPECT_EQ(receivedAfter(1), std::vector<std::string>{framed("RELOAD")});
}
