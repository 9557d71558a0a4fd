// The main and test servers on their fixed ports at the configured host.
#include "enet_test_server.h"
#include "fake_platform.h"
#include "net/connection.h"
#include "net/outgoing.h"

#include <gtest/gtest.h>

#include <string>

TEST(GameServerPorts, LoginReachesTheMainThenTheTestServer) {
    const std::string host = HOSTNAME;
    if (host != "localhost" && host != "127.0.0.1") GTEST_SKIP() << "built for the game server " << host;
    fake::reset();
    EnetTestServer main(PORT_MAIN);
    EnetTestServer test(PORT_TEST);
    ASSERT_TRUE(main.listening()) << "port 1234 stayed busy";
    ASSERT_TRUE(test.listening()) << "port 1235 stayed busy";

    PlayerProfile profile;
    profile.email = "zoe@exemple.fr";
    const std::string hash(64, 'b');

    ASSERT_TRUE(connectToServer(HOSTNAME, PORT_MAIN));
    sendAuthLogin(profile, hash, "");
    ASSERT_TRUE(main.waitUntil([&] { return main.packets().size() == 1; }, 2000));
    EXPECT_EQ(main.packets()[0], std::string("AUTH_LOGIN:zoe@exemple.fr:" + hash + ":") + '\0');

    ASSERT_TRUE(connectToServer(HOSTNAME, PORT_TEST));
    sendAuthLogin(profile, hash, "motdepasse");
    ASSERT_TRUE(test.waitUntil([&] { return test.packets().size() == 1; }, 2000));
    EXPECT_EQ(test.packets()[0], std::string("AUTH_LOGIN:zoe@exemple.fr:" + hash + ":motdepasse") + '\0');
    EXPECT_TRUE(main.waitUntil([&] { return main.disconnects() == 1; }, 2000));
    disconnectFromServer();
}
