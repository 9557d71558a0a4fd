// Teams, chat and the games teams play, with a scripted game.
#include "server_test_support.h"

using TeamTest = ServerTest;

// Everyone concerned hears each change: its sound, the members, and who came
// or went by name. The names are news: each waits for the line before it.
TEST_F(TeamTest, ATeamsWholeLife) {
    const uint32_t a = player("Alice"), b = player("Bob"), c = player("Chloé"), d = player("Dan"), e = player("Ève");
    send(a, "CREATE_TEAM:");
    send(a, "CREATE_TEAM:Les|Rats");
    send(a, "CREATE_TEAM:Les (Rats)");
    send(a, "CREATE_TEAM:" + std::string(65, 'x'));
    send(a, "CREATE_TEAM:Les Rats");
    send(b, "CREATE_TEAM:les rats");
    EXPECT_EQ(heard(a), (Texts{"SAY:Nom d'équipe invalide.", "SAY:Nom d'équipe invalide.", "SAY:Nom d'équipe invalide.",
                               "SAY:Nom d'équipe invalide.", "PLAY_SOUND:team_create", "TEAM_OK:Les Rats",
                               "TEAM_MEMBERS:Alice"}));
    EXPECT_EQ(heard(b), Texts{"SAY:Ce nom d'équipe est déjà pris."});

    send(b, "JOIN_TEAM:Les Rats");
    EXPECT_EQ(heard(b), (Texts{"PLAY_SOUND:team_join", "TEAM_JOIN_OK:Les Rats", "TEAM_MEMBERS:Alice|Bob"}));
    EXPECT_EQ(heard(a), (Texts{"PLAY_SOUND:team_join", "TEAM_MEMBERS:Alice|Bob"})) << "\"Equipe rejointe\" is still said";
    tick(SPOKEN_LINE_GAP_MS);
    EXPECT_EQ(heard(a), Texts{"SAY:Bob a rejoint l'équipe."});
    send(c, "JOIN_TEAM:Les Rats");
    send(d, "JOIN_TEAM:les rats");
    tick(500);
    // An answer waits for nothing, and the news waits for it.
    send(a, "REQ_PLAYERS");
    EXPECT_EQ(heard(a), (Texts{"PLAY_SOUND:team_join", "TEAM_MEMBERS:Alice|Bob|Chloé", "PLAY_SOUND:team_join",
                               "TEAM_MEMBERS:Alice|Bob|Chloé|Dan",
                               "PLAYERS_LIST:5 joueurs en ligne : Alice, Bob, Chloé, Dan et Ève."}));
    tick(SPOKEN_LINE_GAP_MS - 10);
    EXPECT_TRUE(heard(a).empty());
    tick(10);
    EXPECT_EQ(heard(a), Texts{"SAY:Chloé a rejoint l'équipe."});
    tick(SPOKEN_LINE_GAP_MS);
    EXPECT_EQ(heard(a), Texts{"SAY:Dan a rejoint l'équipe."});
    send(e, "JOIN_TEAM:Les Rats");
    send(e, "GET_TEAMS");
    EXPECT_EQ(heard(e), (Texts{"TEAM_FULL", "TEAM_LIST:Les Rats (4/4)"}));
    send(e, "GET_TEAM_MEMBERS:Les Rats");
    EXPECT_EQ(heard(e), Texts{"SAY:Équipe Les Rats : Alice, Bob, Chloé et Dan."}) << "not taken for Ève's own team";
    send(b, "START_GAME");
    send(b, "DESTROY_TEAM");
    EXPECT_EQ(heard(b).back(), "SAY:Seul le chef peut dissoudre l'équipe.");

    tick(3 * SPOKEN_LINE_GAP_MS);
    clearAll();
    send(a, "LEAVE_TEAM");
    EXPECT_EQ(heard(a), (Texts{"PLAY_SOUND:team_leave", "LEFT_TEAM"}));
    EXPECT_EQ(heard(b), (Texts{"PLAY_SOUND:team_leave", "TEAM_MEMBERS:Bob|Chloé|Dan",
                               "SAY:Alice a quitté l'équipe. Vous la dirigez désormais."}));
    EXPECT_EQ(heard(c), (Texts{"PLAY_SOUND:team_leave", "TEAM_MEMBERS:Bob|Chloé|Dan",
                               "SAY:Alice a quitté l'équipe. Bob la dirige désormais."}));
    disconnect(c);
    EXPECT_EQ(heard(b), (Texts{"PLAY_SOUND:team_leave", "TEAM_MEMBERS:Bob|Dan", "LOBBY_LEFT:Chloé"}));
    tick(SPOKEN_LINE_GAP_MS);
    EXPECT_EQ(heard(b), Texts{"SAY:Chloé a quitté l'équipe."});
    send(b, "DESTROY_TEAM");
    EXPECT_EQ(heard(b), (Texts{"PLAY_SOUND:team_destroy", "TEAM_DESTROYED"}));
    EXPECT_EQ(heard(d), (Texts{"PLAY_SOUND:team_leave", "TEAM_MEMBERS:Bob|Chloé|Dan",
                               "SAY:Alice a quitté l'équipe. Bob la dirige désormais.", "PLAY_SOUND:team_leave",
                               "TEAM_MEMBERS:Bob|Dan", "LOBBY_LEFT:Chloé", "SAY:Chloé a quitté l'équipe.",
                               "PLAY_SOUND:team_destroy", "TEAM_DESTROYED"}));
    send(d, "GET_TEAMS");
    send(d, "CHAT_TEAM:allô ?");
    EXPECT_EQ(heard(d), (Texts{"TEAM_LIST:", "SAY:Vous n'êtes dans aucune équipe."}));
}

TEST_F(TeamTest, ChatGoesWhereItIsAddressedWithinItsLimits) {
    const uint32_t a = player("Alice"), b = player("Bob"), c = player("Chloé");
    send(a, "CREATE_TEAM:Duo");
    send(b, "JOIN_TEAM:Duo");
    clearAll();
    send(a, "CHAT_RADIO:salut : tout le monde");
    send(a, "CHAT_TEAM:on y va");
    send(a, "CHAT_MP:chloé:psst");
    send(a, "CHAT_MP:Personne:psst");
    send(a, "CHAT_RADIO:" + std::string(301, 'a'));
    EXPECT_EQ(heard(a), (Texts{"CHAT_RADIO_FROM:Alice:salut : tout le monde", "CHAT_TEAM_FROM:Alice:on y va",
                               "CHAT_MP_TO:Chloé:psst", "SAY:Aucun joueur connecté ne s'appelle Personne.",
                               "SAY:Message trop long, 300 caractères au plus."}));
    EXPECT_EQ(heard(b), (Texts{"CHAT_RADIO_FROM:Alice:salut : tout le monde", "CHAT_TEAM_FROM:Alice:on y va"}));
    EXPECT_EQ(heard(c), (Texts{"CHAT_RADIO_FROM:Alice:salut : tout le monde", "CHAT_MP_FROM:Alice:psst"}));

    tick(5000);
    for (int i = 0; i < 7; ++i) send(b, "CHAT_RADIO:" + std::to_string(i));
    EXPECT_EQ(heard(c).size(), 5u);
    const Texts warned = heard(b);
    EXPECT_EQ(warned.size(), 6u);
    EXPECT_EQ(warned.back(), "SAY:Vous envoyez trop de messages, patientez quelques secondes.");
    tick(5000);
    send(b, "CHAT_RADIO:de retour");
    EXPECT_EQ(heard(c), Texts{"CHAT_RADIO_FROM:Bob:de retour"});
}

TEST_F(TeamTest, AGameTakesItsMembersMessagesUntilTheyLeaveAndFillsTheStatistics) {
    const uint32_t a = player("Alice"), b = player("Bob"), c = player("Chloé");
    send(a, "CREATE_TEAM:Duo");
    send(b, "JOIN_TEAM:Duo");
    fake_game::opens = false;
    send(a, "START_GAME");
    EXPECT_EQ(heard(b).back(), "SAY:Les parties ne sont pas encore ouvertes.");
    fake_game::opens = true;
    clearAll();
    send(a, "START_GAME");
    EXPECT_EQ(heard(a), Texts{"START_MAISON"});
    EXPECT_EQ(heard(b), Texts{"START_MAISON"});
    // The game's news waits for the line its other messages make the client say (a round, one's own
    // fall; another's fall is only a sound); nothing else waits.
    tick(SPOKEN_LINE_GAP_MS);
    clearAll();
    fake_game::toSend = {{a, "ROUND_START:2"}, {a, "SAY:Bob est à terre en 3; 4.", true}, {a, "Z_SPAWN:1,3,4"},
                         {b, "PLAYER_DOWN:Alice:5,5"}, {b, "SAY:Alice est à terre en 5; 5.", true}};
    tick(10);
    EXPECT_EQ(heard(a), (Texts{"ROUND_START:2", "Z_SPAWN:1,3,4"}));
    EXPECT_EQ(heard(b), (Texts{"PLAYER_DOWN:Alice:5,5", "SAY:Alice est à terre en 5; 5."}));
    fake_game::toSend = {{b, "PLAYER_DOWN:Bob:3,4"}, {b, "SAY:Vous êtes à terre.", true}, {b, "SAY:Plus tard.", true}};
    tick(10);
    EXPECT_EQ(heard(b), Texts{"PLAYER_DOWN:Bob:3,4"});
    fake_game::toSend = {{b, "SAY:Vous êtes à terre."}}; // an answer that says what waits makes it needless
    tick(SPOKEN_LINE_GAP_MS);
    EXPECT_EQ(heard(a), Texts{"SAY:Bob est à terre en 3; 4."});
    EXPECT_EQ(heard(b), Texts{"SAY:Vous êtes à terre."});
    tick(SPOKEN_LINE_GAP_MS);
    EXPECT_EQ(heard(b), Texts{"SAY:Plus tard."});
    // Stale news goes first when it piles up.
    for (int i = 1; i <= 8; ++i) fake_game::toSend.push_back({a, "SAY:" + std::to_string(i), true});
    for (int i = 0; i < 8; ++i) tick(SPOKEN_LINE_GAP_MS);
    EXPECT_EQ(heard(a), (Texts{"SAY:3", "SAY:4", "SAY:5", "SAY:6", "SAY:7", "SAY:8"}));
    // News that no longer holds is taken back unsaid; a game over drops what still waits.
    fake_game::toSend = {{b, "SAY:Encore une", true}, {b, "SAY:Plus vraie", true}, {b, "SAY:Et la dernière", true},
                         {a, "SAY:Sans objet", true}, {a, "GAME_OVER_SIGNAL"}};
    tick(10);
    EXPECT_EQ(heard(b), Texts{"SAY:Encore une"});
    fake_game::toSend = {{b, "SAY:Plus vraie", false, true}};
    tick(SPOKEN_LINE_GAP_MS);
    EXPECT_EQ(heard(b), Texts{"SAY:Et la dernière"});
    EXPECT_EQ(heard(a), Texts{"GAME_OVER_SIGNAL"});
    fake_game::toSend = {{b, "SAY:Trop tard", true}};
    tick(10);
    send(a, "MOVE:Z");
    send(a, "CHAT_RADIO:dans la maison");
    send(c, "JOIN_TEAM:Duo");
    send(c, "MOVE:Z");
    EXPECT_TRUE(heard(a).size() == 1 && heard(b).size() == 1) << "only the chat; the lobby does not hear the house";
    EXPECT_EQ(heard(c), (Texts{"CHAT_RADIO_FROM:Alice:dans la maison", "SAY:Cette équipe est en partie.", "POS:0,1"}));

    send(b, "LEAVE_MAISON");
    EXPECT_EQ(heard(b), (Texts{"GOTO_LOBBY", "REMOTE_MOVE:Chloé:0,1"})) << "where the others in the lobby stand";
    tick(2 * SPOKEN_LINE_GAP_MS);
    EXPECT_TRUE(heard(b).empty()) << "the news of the game left behind is not heard in the lobby";
    send(b, "MOVE:Z");
    EXPECT_EQ(heard(b), Texts{"POS:0,1"});
    fake_game::results = {{"Alice", 1500, 30, 7}, {"Bob", 200, 4, 2}};
    fake_game::finished = true;
    tick(10);
    send(a, "MOVE:D");
    EXPECT_EQ(heard(a), (Texts{"REMOTE_MOVE:Bob:0,1", "REMOTE_MOVE:Chloé:0,1", "POS:1,0"})) << "back in the lobby at (0, 0)";
    send(a, "REQ_RANKING:POINTS");
    EXPECT_EQ(heard(a), Texts{"RANKING:POINTS:1;Alice;1500|2;Bob;200"});
    using fake_game::calls;
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[2].what + calls[2].message, "handleMOVE:Z");
    EXPECT_EQ(calls[3].what + std::to_string(calls[3].player), "remove" + std::to_string(b));
}
