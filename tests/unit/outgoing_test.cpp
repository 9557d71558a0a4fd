// What reaches the game server, byte for byte, over a real ENet connection.
#include "enet_test_server.h"
#include "fake_platform.h"
#include "net/connection.h"
#include "net/outgoing.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

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
    const PlayerProfile profile{"Zoé", "zoe@exemple.fr", "ignored-the-hash-is-passed-apart", "M"};
    const std::string hash(64, 'a');
    const std::pair<std::function<void()>, std::string> messages[] = {
        {[&] { sendAuthLogin(profile, hash, ""); }, "AUTH_LOGIN:zoe@exemple.fr:" + hash + ":"},
        {[&] { sendAuthLogin(profile, hash, "sésame"); }, "AUTH_LOGIN:zoe@exemple.fr:" + hash + ":sésame"},
        {[&] { sendAuthRegister(std::string(64, 'e'), "Zoé", hash, "F"); },
         "AUTH_REGISTER:" + std::string(64, 'e') + ":Zoé:" + hash + ":F"},
        {[] { requestMove('Z'); }, "MOVE:Z"},
        {[] { requestMove('S'); }, "MOVE:S"},
        {[] { requestMove('Q'); }, "MOVE:Q"},
        {[] { requestMove('D'); }, "MOVE:D"},
        {sendShoot, "SHOOT"},
        {sendReload, "RELOAD"},
        {sendCheckAmmo, "CHECK_AMMO"},
        {sendCheckHealth, "CHECK_HEALTH"},
        {[] { sendSwitchWeapon(0); }, "SWITCH:0"},
        {[] { sendSwitchWeapon(2); }, "SWITCH:2"},
        {sendAction, "ACTION"},
        {sendRevive, "REVIVE"},
        {sendRequestBox, "REQ_BOX"},
        {sendRequestRound, "REQ_ROUND"},
        {sendRequestKills, "REQ_KILLS"},
        {sendRequestPoints, "REQ_POINTS"},
        {[] { sendCreateTeam("Les Rôdeurs"); }, "CREATE_TEAM:Les Rôdeurs"},
        {[] { sendJoinTeam("Alpha"); }, "JOIN_TEAM:Alpha"},
        {sendGetTeams, "GET_TEAMS"},
        {[] { sendGetTeamMembers("Alpha"); }, "GET_TEAM_MEMBERS:Alpha"},
        {sendDestroyTeam, "DESTROY_TEAM"},
        {sendLeaveTeam, "LEAVE_TEAM"},
        {sendStartGame, "START_GAME"},
        {sendLeaveMaison, "LEAVE_MAISON"},
        {handleF1, "REQ_PLAYERS"},
        {[] { fake::setTime(4294967295u); handleF2(); }, "PING:4294967295"},
        {handleF3, "REQ_UPTIME"},
        {[] { sendGetMember(0); }, "GET_MEMBER:0"},
        {[] { sendGetMember(4); }, "GET_MEMBER:4"},
        {[] { sendRequestRanking(RANKING_KILLS); }, "REQ_RANKING:KILLS"},
        {[] { sendChatMp("bob", "on se retrouve : porte 2 ?"); }, "CHAT_MP:bob:on se retrouve : porte 2 ?"},
    };
    std::vector<std::string> expected;
    for (const auto& [send, text] : messages) {
        send();
        expected.push_back(text + '\0');
    }
    EXPECT_EQ(receivedAfter(expected.size()), expected);
    for (const auto& packet : server.received()) {
        EXPECT_EQ(packet.channel, 0) << packet.bytes;
        EXPECT_TRUE(packet.reliable) << packet.bytes;
    }
}

TEST_F(Outgoing, NothingIsSentWithoutAConnection) {
    disconnectFromServer();
    sendShoot();
    sendAuthLogin(PlayerProfile{}, "", "");
    disconnectFromServer(); // twice is harmless
    ASSERT_TRUE(connectToServer("127.0.0.1", server.port()));
    sendReload();
    EXPECT_EQ(receivedAfter(1), std::vector<std::string>{std::string("RELOAD", 7)});
}
