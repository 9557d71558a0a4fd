// The lobby map, its information requests, the rankings and hostile input.
#include "server_test_support.h"

#include "server/accounts.h"

TEST_F(ServerTest, WalkingTheLobbyStopsAtItsEdgesAndIsHeardByTheOthers) {
    const uint32_t alice = player("Alice"), bob = player("Bob");
    send(alice, "MOVE:S");
    send(alice, "MOVE:Q");
    send(alice, "MOVE:x");
    send(alice, "MOVE:ZZ");
    send(alice, "MOVE:Z");
    send(alice, "MOVE:D");
    EXPECT_EQ(heard(alice), (Texts{"WALL", "WALL", "POS:0,1", "POS:1,1"}));
    EXPECT_EQ(heard(bob), (Texts{"REMOTE_MOVE:Alice:0,1", "REMOTE_MOVE:Alice:1,1"}));
    for (int i = 0; i < 21; ++i) send(bob, "MOVE:D");
    EXPECT_EQ(heard(bob).back(), "WALL");
    EXPECT_EQ(heard(alice).back(), "REMOTE_MOVE:Bob:20,0");
}

TEST_F(ServerTest, InformationRequestsAreAnsweredInFrench) {
    const uint32_t alice = player("Alice");
    send(alice, "REQ_PLAYERS");
    EXPECT_EQ(heard(alice), Texts{"PLAYERS_LIST:1 joueur en ligne : Alice."});
    player("Bob");
    player("Zoé");
    send(alice, "REQ_PLAYERS");
    send(alice, "CHECK_HEALTH");
    send(alice, "PING:4294967295");
    send(alice, "PING:4294967296");
    send(alice, "PING:-1");
    send(alice, "REQ_UPTIME");
    tick(90061000);
    send(alice, "REQ_UPTIME");
    EXPECT_EQ(heard(alice), (Texts{"PLAYERS_LIST:3 joueurs en ligne : Alice, Bob et Zoé.",
                                   "HEALTH_MSG:100 points de vie sur 100.", "PONG:4294967295",
                                   "UPTIME:Serveur en ligne depuis 0 seconde.",
                                   "UPTIME:Serveur en ligne depuis 1 jour, 1 heure, 1 minute et 1 seconde."}));
}

TEST_F(ServerTest, RankingsListTheTenBestOfTheStatisticsTable) {
    const uint32_t alice = player("Alice");
    send(alice, "REQ_RANKING:POINTS");
    EXPECT_EQ(heard(alice), Texts{"RANKING:POINTS:"});
    // Twelve players' games, straight into the table as a finished game writes them.
    for (int i = 0; i < 12; ++i) {
        const std::string pseudo = "Joueur" + std::to_string(i);
        ASSERT_EQ(accountsRegister(emailOf(pseudo), pseudo, passOf(pseudo), "M"), RegisterResult::OK);
        accountsRecordGame(pseudo, 100 * i, i, 12 - i);
    }
    accountsRecordGame("joueur1", 50, 20, 1); // a worse game keeps the best, adds the kills
    send(alice, "REQ_RANKING:POINTS");
    send(alice, "REQ_RANKING:KILLS");
    send(alice, "REQ_RANKING:ROUND");
    send(alice, "REQ_RANKING:AUTRE");
    const Texts got = heard(alice);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0], "RANKING:POINTS:1;Joueur11;1100|2;Joueur10;1000|3;Joueur9;900|4;Joueur8;800|5;Joueur7;700|"
                      "6;Joueur6;600|7;Joueur5;500|8;Joueur4;400|9;Joueur3;300|10;Joueur2;200");
    EXPECT_EQ(got[1].rfind("RANKING:KILLS:1;Joueur1;21|2;Joueur11;11|3;Joueur10;10|", 0), 0u) << got[1];
    EXPECT_EQ(got[2].rfind("RANKING:ROUND:1;Joueur0;12|2;Joueur1;11|3;Joueur2;10|", 0), 0u) << got[2];
}

TEST_F(ServerTest, HostileInputIsIgnoredAndAFloodIsCutOff) {
    const uint32_t alice = player("Alice"), bob = player("Bob");
    send(alice, "MOVE:Z" + std::string(1100, ' '));
    send(alice, "CHAT_RADIO:\xC3\x28");
    send(alice, "CHAT_RADIO:caf\xC3\xA9\x80");
    send(alice, "GET_TEAMS ");
    send(alice, "INCONNU");
    send(alice, "");
    sendBytes(alice, "REQ_PLAYERS"); // without its NUL: read to the end
    sendBytes(alice, std::string("PING:12\0PING:13", 15));
    EXPECT_EQ(heard(alice), (Texts{"PLAYERS_LIST:2 joueurs en ligne : Alice et Bob.", "PONG:12"}));
    EXPECT_TRUE(heard(bob).empty());

    tick(1000);
    for (int i = 0; i < 50; ++i) send(alice, "CHECK_HEALTH");
    EXPECT_TRUE(closed.empty()) << "50 a second are allowed";
    tick(1000);
    for (int i = 0; i < 51; ++i) send(alice, "CHECK_HEALTH");
    EXPECT_EQ(closed, std::vector<uint32_t>{alice});
    EXPECT_EQ(heard(bob), Texts{"LOBBY_LEFT:Alice"});
    send(bob, "REQ_PLAYERS");
    EXPECT_EQ(heard(bob), Texts{"PLAYERS_LIST:1 joueur en ligne : Bob."});

    for (int i = 0; i < 15; ++i) connect(); // 16 at most, logged in or not
    EXPECT_EQ(connect(), 0u);
}
