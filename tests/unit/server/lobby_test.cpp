// The lobby map, its information requests, the rankings and hostile input.
#include "server_test_support.h"

#include "server/storage.h"

#include <sqlite3.h>

#include <algorithm>

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

TEST_F(ServerTest, RankingsNumberTheTenBestAndSaySoWhenTheyCannotBeRead) {
    const uint32_t alice = player("Alice");
    send(alice, "REQ_RANKING:POINTS");
    EXPECT_EQ(heard(alice), Texts{"RANKING:POINTS:"});
    // Twelve players' games, straight into the table as a finished game writes them.
    std::vector<GameRecord> games;
    std::string error;
    for (int i = 0; i < 12; ++i) {
        const std::string pseudo = "Joueur" + std::to_string(i);
        ASSERT_EQ(storageCreateAccount(emailOf(pseudo), pseudo, "$argon2id$stand-in", "M", error), RegisterResult::OK);
        games.push_back({pseudo, 100 * i, i, 12 - i});
    }
    ASSERT_EQ(storageRecordGames(games, error), games.size());
    send(alice, "REQ_RANKING:POINTS");
    send(alice, "REQ_RANKING:KILLS");
    send(alice, "REQ_RANKING:AUTRE");
    const Texts got = heard(alice);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0], "RANKING:POINTS:1;Joueur11;1100|2;Joueur10;1000|3;Joueur9;900|4;Joueur8;800|5;Joueur7;700|"
                      "6;Joueur6;600|7;Joueur5;500|8;Joueur4;400|9;Joueur3;300|10;Joueur2;200");
    EXPECT_EQ(got[1].rfind("RANKING:KILLS:1;Joueur11;11|2;Joueur10;10|", 0), 0u) << got[1];

    sqlite3* db = nullptr;
    sqlite3_open("data/accounts.sqlite", &db);
    sqlite3_exec(db, "DROP TABLE stats", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    send(alice, "REQ_RANKING:ROUND");
    send(alice, "PING:1");
    EXPECT_EQ(heard(alice), (Texts{"SAY:Classement indisponible, réessayez plus tard.", "PONG:1"}));
    EXPECT_NE(logged.back().find("classement illisible : no such table: stats"), std::string::npos) << logged.back();
}

TEST_F(ServerTest, HostileInputIsIgnoredAndFloodsAreThrottledBeforeTheyAreCutOff) {
    const uint32_t alice = player("Alice"), bob = player("Bob");
    send(alice, "MOVE:Z" + std::string(1100, ' '));
    send(alice, "CHAT_RADIO:\xC3\x28");
    send(alice, "CHAT_RADIO:caf\xC3\xA9\x80");
    send(alice, "CHAT_RADIO:salut\nSAY:piège"); // a line break hides nothing from the checks
    send(alice, "GET_TEAMS ");
    send(alice, "INCONNU");
    send(alice, "");
    sendBytes(alice, "REQ_PLAYERS"); // without its NUL: read to the end
    sendBytes(alice, std::string("PING:12\0PING:13", 15));
    EXPECT_EQ(heard(alice), (Texts{"PLAYERS_LIST:2 joueurs en ligne : Alice et Bob.", "PONG:12"}));
    EXPECT_TRUE(heard(bob).empty());

    // A reliable channel that stalled 3 s delivers its backlog at once: all of it is served.
    tick(3000);
    for (int i = 0; i < 60; ++i) arrive(alice, "PING:" + std::to_string(i), now);
    EXPECT_EQ(heard(alice).size(), 60u);
    // Far more at once: the excess is dropped, the player stays.
    tick(10000);
    for (int i = 0; i < 400; ++i) arrive(alice, "CHECK_HEALTH", now);
    const size_t served = heard(alice).size();
    EXPECT_TRUE(served > 60 && served < 400) << served;

    // 500 a second for 10 s, handled in one late batch as a backlog would be: only
    // arrival times count. Cut off well within the 10 s, and told why first.
    tick(10000);
    const uint64_t start = now;
    now += 10000;
    int cutAt = -1;
    for (int i = 0; i < 5000 && cutAt < 0; ++i) {
        arrive(alice, "MOVE:Z", start + 2 * i);
        const Texts got = heard(alice);
        if (!got.empty() && got.back() == "SAY:Vous envoyez beaucoup trop de messages : connexion fermée.") cutAt = i;
    }
    EXPECT_TRUE(cutAt > 0 && cutAt < 2500) << cutAt;
    EXPECT_EQ(heard(bob).back(), "LOBBY_LEFT:Alice");
    send(alice, "REQ_PLAYERS");
    tick(2000);
    EXPECT_TRUE(heard(alice).empty());
    EXPECT_EQ(closed, std::vector<uint32_t>{alice});
    send(bob, "REQ_PLAYERS");
    EXPECT_EQ(heard(bob), Texts{"PLAYERS_LIST:1 joueur en ligne : Bob."});
}

TEST_F(ServerTest, ConnectionsNotLoggedInAreCappedAndGiveWayWithAReason) {
    const uint32_t alice = player("Alice", "10.0.0.5");
    // At its address's limit a newcomer pushes out the oldest idle connection, which hears why.
    std::vector<uint32_t> waiting;
    for (int i = 0; i < 16; ++i) waiting.push_back(connect("10.0.0.5"));
    const uint32_t newest = connect("10.0.0.5");
    EXPECT_EQ(heard(waiting[0]), Texts{"SAY:Connexion fermée : d'autres connexions de votre adresse attendent."});
    arrive(waiting[1], "AUTH_LOGIN:" + emailOf("Alice") + ":" + passOf("x") + ":", now);
    connect("10.0.0.5");
    EXPECT_TRUE(heard(waiting[1]).empty()) << "its password is being checked";
    EXPECT_EQ(heard(waiting[2]).size(), 1u);
    settle();
    tick(2000);
    EXPECT_EQ(closed, (std::vector<uint32_t>{waiting[0], waiting[2]}));

    // Every address together: a newcomer is refused until the oldest has had 15 s to log in.
    for (int i = 0; i < 240; ++i) connect("10.2." + std::to_string(i / 16) + ".1");
    const uint32_t refused = connect("10.3.0.1");
    EXPECT_EQ(heard(refused), Texts{"SAY:Serveur saturé, réessayez dans un instant."});
    tick(13000);
    clearAll();
    connect("10.3.0.2");
    EXPECT_EQ(heard(waiting[1]), Texts{"SAY:Connexion fermée faute d'identification : le serveur est saturé."});

    // Left alone, one that never logs in is closed after five minutes; a player is not.
    tick(5 * 60000);
    EXPECT_EQ(heard(newest), Texts{"SAY:Connexion fermée : aucune identification en 5 minutes."});
    tick(2000);
    EXPECT_EQ(std::count(closed.begin(), closed.end(), newest), 1);
    EXPECT_EQ(std::count(closed.begin(), closed.end(), alice), 0);

    // Only logged-in players fill the server.
    ServerSettings one = settings();
    one.maxPlayers = 1;
    restart(one);
    const uint32_t first = connect(), second = connect(), again = connect();
    send(first, "AUTH_LOGIN:" + emailOf("Alice") + ":" + passOf("Alice") + ":");
    send(second, "AUTH_REGISTER:" + emailOf("Bob") + ":Bob:" + passOf("Bob") + ":M");
    send(second, "AUTH_LOGIN:" + emailOf("Bob") + ":" + passOf("Bob") + ":");
    send(again, "AUTH_LOGIN:" + emailOf("Alice") + ":" + passOf("Alice") + ":");
    EXPECT_EQ(heard(second), (Texts{"REGISTER_OK", "AUTH_FAIL:Serveur complet, réessayez plus tard."}));
    EXPECT_EQ(heard(again).front(), "AUTH_OK") << "the account's own place";
}

TEST_F(ServerTest, APeerThatStaysBehindHearsWhyAloneAndIsClosedWhileTheOthersCarryOn) {
    const uint32_t alice = player("Alice"), bob = player("Bob"), carol = player("Carol");
    const std::string why = "SAY:Connexion fermée : votre connexion ne suit plus, trop de messages en attente.";
    // Behind for nearly 5 s, by messages then by bytes, twice, catching up in between: kept.
    for (int i = 0; i < 2; ++i) {
        backlog(bob, 1500, 0);
        tick(4900);
        backlog(bob, 10, 70 * 1024);
        backlog(bob, 0, 0);
    }
    // Far behind: not waited for.
    backlog(carol, 0, 300 * 1024);
    EXPECT_EQ(heard(carol), Texts{why});
    EXPECT_EQ(cleared, std::vector<uint32_t>{carol});
    clearAll();
    // Behind 5 s in a row: what waited is dropped, and what this same loop pass had for her.
    backlog(alice, 2000, 0);
    tick(4999);
    backlog(alice, 2000, 0);
    EXPECT_TRUE(heard(alice).empty());
    clearAll();
    now += 1;
    Outbox pass;
    serverReceive(bob, std::string("CHAT_RADIO:encore là ?\0", 24), now, now, pass);
    serverBacklog(alice, 2000, 0, now, pass);
    EXPECT_EQ(pass.clears, std::vector<uint32_t>{alice});
    Texts toAlice, toBob;
    for (const GameSend& s : pass.sends) (s.player == alice ? toAlice : toBob).push_back(s.text);
    EXPECT_EQ(toAlice, Texts{why});
    EXPECT_EQ(toBob, (Texts{"CHAT_RADIO_FROM:Bob:encore là ?", "LOBBY_LEFT:Alice"}));
    tick(2000);
    EXPECT_EQ(closed, (std::vector<uint32_t>{carol, alice}));
    send(bob, "REQ_PLAYERS");
    EXPECT_EQ(heard(bob), Texts{"PLAYERS_LIST:1 joueur en ligne : Bob."});
}
