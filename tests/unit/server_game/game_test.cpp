// The game's rules on a fake clock, with scripted players.
#include <gtest/gtest.h>

#include <algorithm>

#include "server/game_state.h"

namespace {

constexpr uint32_t ALICE = 11, BOB = 22, CHLOE = 33;

struct GameTest : ::testing::Test {
    uint64_t now = 1000;
    std::vector<GameSend> out;
    std::unique_ptr<Game> game = gameCreate({{ALICE, "Alice"}, {BOB, "Bob"}}, now, 7, out);

    GamePlayer& player(uint32_t id) { return *std::find_if(game->players.begin(), game->players.end(), [&](auto& p) { return p.id == id; }); }
    void send(uint32_t id, const std::string& message) { gameHandle(*game, id, message, now, out); }
    // Ticks every 10 ms, as the server's loop does.
    void advance(uint64_t ms) {
        for (uint64_t end = now + ms; now != end;) {
            now += 10;
            gameTick(*game, now, out);
        }
    }
    // Round 1 under way with no zombie left to come: the test places its own.
    void startRound() {
        advance(FIRST_ROUND_DELAY_MS);
        game->toSpawn = 0;
        out.clear();
    }
    Zombie& addZombie(int x, int y, bool frozen = false, int health = 1000000) {
        return game->zombies.emplace_back(Zombie{game->nextZombieId++, {x, y}, health, frozen ? now + 3600000 : now});
    }
    void place(uint32_t id, int x, int y) {
        player(id).pos = {x, y};
        game->pathDirty = true;
    }
    // Texts one player received, in order; taken out of `out`. News that may
    // wait its turn (an announcement) reads "news " + text, news taken back
    // "withdraw " + text.
    std::vector<std::string> take(uint32_t id) {
        std::vector<std::string> texts;
        for (const GameSend& s : out)
            if (s.player == id) texts.push_back((s.withdraw ? "withdraw " : s.announcement ? "news " : "") + s.text);
        out.erase(std::remove_if(out.begin(), out.end(), [&](auto& s) { return s.player == id; }), out.end());
        return texts;
    }
    static int count(const std::vector<std::string>& texts, const std::string& prefix) {
        return static_cast<int>(std::count_if(texts.begin(), texts.end(), [&](auto& t) { return t.rfind(prefix, 0) == 0; }));
    }
};

using Texts = std::vector<std::string>;

TEST_F(GameTest, StartMovesWallsAndDoors) {
    EXPECT_EQ(take(ALICE), (Texts{"START_MAISON", "POS:0,0"})) << "every sound placed from the entrance";
    take(BOB);
    send(ALICE, "MOVE:Z\r"); // not a way
    send(ALICE, "MOVE:S");
    send(ALICE, "MOVE:Z");
    EXPECT_EQ(take(ALICE), (Texts{"WALL", "POS:0,1"}));
    EXPECT_EQ(take(BOB), Texts{"REMOTE_MOVE:Alice:0,1"});
    place(ALICE, 49, 0);
    send(ALICE, "ACTION");
    EXPECT_EQ(take(ALICE), Texts{"SAY:Cette porte coûte 750 points. Vous en avez 500."});
    now += 1000;
    send(ALICE, "MOVE:D"); // into the closed door
    EXPECT_EQ(take(ALICE), Texts{"WALL"});
    player(ALICE).points = 800;
    send(ALICE, "ACTION");
    EXPECT_EQ(take(BOB), Texts{"DOOR_OPENED:50,0"});
    EXPECT_EQ(take(ALICE), Texts{"DOOR_OPENED:50,0"});
    EXPECT_EQ(player(ALICE).points, 50);
    now += 1000;
    send(ALICE, "MOVE:D");
    send(ALICE, "MOVE:Z"); // the wall beside the door
    EXPECT_EQ(take(ALICE), (Texts{"POS:50,0", "WALL"}));
    // A third step right after two is not a player's hand.
    send(ALICE, "MOVE:D");
    send(ALICE, "MOVE:Q");
    EXPECT_EQ(take(ALICE), Texts{"POS:51,0"});
}

TEST_F(GameTest, ZombieWalksAroundAClosedDoorThenThroughItOnceOpened) {
    startRound();
    place(ALICE, 55, 3);
    place(BOB, 51, 1);
    game->doors[1] = true; // (50, 50) open, (50, 0) closed
    int id = addZombie(45, 3).id;
    advance(5 * gameZombieStepMs(1));
    Texts steps = take(ALICE);
    ASSERT_EQ(count(steps, "Z_POS:"), 5);
    EXPECT_EQ(steps.back(), "Z_POS:" + std::to_string(id) + ",45,8"); // heading for the far door
    player(BOB).points = 750;
    send(BOB, "ACTION");
    advance(30 * gameZombieStepMs(1));
    steps = take(ALICE);
    EXPECT_EQ(steps.front(), "DOOR_OPENED:50,0");
    EXPECT_EQ(count(steps, "Z_POS:" + std::to_string(id) + ",50,0"), 1);
    EXPECT_EQ(count(steps, "Z_POS:" + std::to_string(id) + ",50,50"), 0);
}

// A fall as the team hears it: who is down and where, the fallen player's
// hope and his reminders, who revived him, his grace and his health coming
// back, then out until the next round, and up again before it starts.
TEST_F(GameTest, ADownTheTeamHearsARevivalItsGraceAndTheNextRound) {
    game = gameCreate({{ALICE, "Alice"}, {BOB, "Bob"}, {CHLOE, "Chloé"}}, now, 7, out);
    startRound();
    place(ALICE, 10, 10);
    place(BOB, 30, 10);
    place(CHLOE, 30, 40);
    addZombie(11, 10);
    advance(3490);
    EXPECT_EQ(take(BOB), (Texts{"PLAYER_HIT:Alice:25", "PLAYER_HIT:Alice:25", "PLAYER_HIT:Alice:25"}));
    advance(1000);
    Texts heard = take(BOB);
    heard.resize(3); // then the zombie turns to Bob
    EXPECT_EQ(heard, (Texts{"PLAYER_HIT:Alice:25", "PLAYER_DOWN:Alice:10,10",
                            "news SAY:Alice est à terre en 10; 10. Réanimation possible pendant 30 secondes."}));
    EXPECT_EQ(count(take(ALICE), "news SAY:Vous êtes à terre : un coéquipier a encore 30 secondes pour vous réanimer."), 1);
    game->zombies.clear();
    addZombie(90, 25, true); // keeps the round open
    send(ALICE, "MOVE:D");
    send(ALICE, "SHOOT");
    send(ALICE, "MOVE:D");
    now += DOWN_REMINDER_GAP_MS;
    send(ALICE, "MOVE:Z");
    EXPECT_EQ(take(ALICE), (Texts{"SAY:Vous êtes à terre : un coéquipier a encore 30 secondes pour vous réanimer.",
                                  "SAY:Vous êtes à terre : un coéquipier a encore 26 secondes pour vous réanimer."}));
    place(BOB, 12, 10);
    send(BOB, "REVIVE");
    EXPECT_EQ(take(BOB), Texts{"SAY:Personne à réanimer à côté de vous."});
    place(BOB, 11, 11);
    send(BOB, "REVIVE");
    EXPECT_EQ(take(ALICE), (Texts{"withdraw SAY:Vous êtes à terre : un coéquipier a encore 30 secondes pour vous réanimer.",
                                  "REVIVED"})) << "if it was not said yet, it is no longer true";
    EXPECT_EQ(take(BOB), Texts{"SAY:Vous avez réanimé Alice."});
    EXPECT_EQ(take(CHLOE).back(), "news SAY:Bob a réanimé Alice.");

    // No bite in the grace; bites again after it; health back a step a second once the bites stop.
    place(BOB, 30, 10);
    addZombie(10, 11, true);
    advance(REVIVE_GRACE_MS);
    EXPECT_EQ(count(take(BOB), "PLAYER_HIT:Alice"), 0);
    advance(BITE_WINDUP_MS + 10);
    EXPECT_EQ(count(take(BOB), "PLAYER_HIT:Alice"), 1);
    take(ALICE);
    game->zombies.resize(1);
    advance(REGEN_DELAY_MS - 20);
    send(ALICE, "CHECK_HEALTH");
    advance(10);
    send(ALICE, "CHECK_HEALTH");
    advance(20000);
    send(ALICE, "CHECK_HEALTH");
    EXPECT_EQ(take(ALICE), (Texts{"HEALTH_MSG:Santé : 25 sur 100.", "HEALTH_MSG:Santé : 30 sur 100.",
                                  "HEALTH_MSG:Santé : 100 sur 100."}));

    // Left down, he is out for the round and back before the next one, "Réanimé." heard before "Round".
    gamePlayerDown(*game, player(ALICE), now, out);
    take(ALICE);
    advance(DOWN_TIMEOUT_MS);
    EXPECT_EQ(take(ALICE), (Texts{"withdraw SAY:Vous êtes à terre : un coéquipier a encore 30 secondes pour vous réanimer.",
                                  "YOU_DIED", "news SAY:Vous êtes hors jeu jusqu'au prochain round."}));
    EXPECT_EQ(take(CHLOE).back(), "news SAY:Alice est hors jeu jusqu'au prochain round.");
    game->zombies.clear();
    advance(10);
    EXPECT_EQ(take(ALICE), Texts{"ROUND_END"});
    advance(ROUND_CALM_MS - SPOKEN_LINE_GAP_MS - 10);
    EXPECT_TRUE(take(ALICE).empty());
    advance(10);
    EXPECT_EQ(take(ALICE), Texts{"REVIVED"});
    advance(SPOKEN_LINE_GAP_MS - 10);
    EXPECT_TRUE(take(ALICE).empty());
    advance(10);
    EXPECT_EQ(take(ALICE), Texts{"ROUND_START:2"});
}

// A blade strikes a zombie back a tile and holds it, so a player who keeps
// striking is never bitten; its kill has the blade's own sound, for its holder.
TEST_F(GameTest, AKnifeKeepsAZombieAtBay) {
    startRound();
    place(ALICE, 10, 10);
    place(BOB, 40, 40);
    send(ALICE, "SWITCH:0");
    Zombie& z = addZombie(11, 10, false, 100000);
    const std::string id = std::to_string(z.id);
    send(ALICE, "SHOOT");
    EXPECT_EQ(take(BOB), (Texts{"REMOTE_SHOOT:Alice:Couteau:10,10", "Z_HIT:" + id + ",Couteau:11,10", "Z_POS:" + id + ",12,10"}));
    for (int t = 0; t < 2000; ++t) { // 20 s, striking whenever it is within reach
        if (houseNextTo(player(ALICE).pos, game->zombies[0].pos)) send(ALICE, "SHOOT");
        advance(10);
    }
    Texts heard = take(BOB);
    EXPECT_EQ(count(heard, "PLAYER_HIT:"), 0);
    EXPECT_GE(count(heard, "Z_HIT:" + id), 15);
    game->zombies[0].health = 1;
    advance(1000);
    send(ALICE, "SHOOT");
    EXPECT_EQ(take(ALICE).back(), "PLAY_SOUND:mort_Couteau");
    EXPECT_EQ(count(take(BOB), "PLAY_SOUND:"), 0);
}

TEST_F(GameTest, PotionLiftsItsDrinkerOnceAndHoldsOffTheEnd) {
    startRound();
    gameRemovePlayer(*game, BOB, now, out);
    out.clear();
    addZombie(90, 25, true);
    place(ALICE, 52, 10);
    player(ALICE).points = 1499;
    send(ALICE, "ACTION");
    EXPECT_EQ(take(ALICE), Texts{"SAY:La potion de seconde vie coûte 1500 points. Vous en avez 1499."});
    player(ALICE).points = 1500;
    send(ALICE, "ACTION");
    advance(POTION_ARMING_MS - 10);
    EXPECT_EQ(take(ALICE), Texts{"POTION_BOUGHT"});
    advance(10);
    EXPECT_EQ(take(ALICE), Texts{"SECOND_CHANCE_READY"});
    gamePlayerDown(*game, player(ALICE), now, out);
    advance(POTION_REVIVE_MS);
    EXPECT_EQ(take(ALICE), (Texts{"PLAYER_DOWN:Alice:52,10",
                                  "news SAY:Vous êtes à terre : votre potion vous relève dans 5 secondes.",
                                  "withdraw SAY:Vous êtes à terre : votre potion vous relève dans 5 secondes.", "REVIVED"}));
    EXPECT_EQ(player(ALICE).health, START_HEALTH);
    gamePlayerDown(*game, player(ALICE), now, out); // no potion left: alone and down, the game ends
    advance(SPOKEN_LINE_GAP_MS);
    EXPECT_EQ(count(take(ALICE), "GAME_OVER_SIGNAL"), 1);
}

TEST_F(GameTest, BoxOpensOffersToItsBuyerThenMovesAndRests) {
    startRound();
    addZombie(90, 25, true);
    place(ALICE, 30, 21);
    place(BOB, 31, 19);
    player(ALICE).points = 2000;
    game->box.usesLeft = 2;
    send(ALICE, "ACTION");
    EXPECT_EQ(take(BOB), Texts{"BOX_OPENING_START:30,20"});
    advance(3000);
    Texts heard = take(ALICE);
    ASSERT_EQ(heard.size(), 2u);
    const std::string weapon = heard[1].substr(10, heard[1].find(':', 10) - 10);
    EXPECT_EQ(heard[1], "BOX_SPAWN:" + weapon + ":30,20");
    EXPECT_TRUE(weapon == "AK47" || weapon == "M16" || weapon == "FusilAPompe");
    send(BOB, "ACTION");
    EXPECT_EQ(take(BOB), (Texts{"BOX_SPAWN:" + weapon + ":30,20", "SAY:Cette arme ne vous est pas destinée."}));
    send(ALICE, "ACTION");
    send(ALICE, "SWITCH:2");
    EXPECT_EQ(take(ALICE), (Texts{"BOX_PICKUP_OK:" + weapon + ":30,20", "SWITCH_OK:" + weapon}));
    take(BOB);
    // Second use, left unclaimed: it goes, and the box moves.
    send(ALICE, "ACTION");
    advance(3000 + 10000);
    heard = take(BOB);
    ASSERT_EQ(heard.size(), 5u);
    EXPECT_EQ(heard[2], "BOX_DESPAWN");
    EXPECT_EQ(heard[3].rfind("BOX_TELEPORT:", 0), 0u);
    EXPECT_NE(heard[3], "BOX_TELEPORT:30,20");
    EXPECT_EQ(heard[4], "BOX_HIDDEN:30000");
    EXPECT_EQ(player(ALICE).points, 2000 - 2 * BOX_COST);
    const std::string spot = heard[3].substr(13);
    advance(29990);
    EXPECT_TRUE(take(BOB).empty());
    advance(10);
    EXPECT_EQ(take(BOB), Texts{"BOX_READY:" + spot});
}

TEST_F(GameTest, ShotsHitTheNearestZombieInReachNeverOneBehindAWallOrAClosedDoor) {
    startRound();
    place(ALICE, 47, 1);
    place(BOB, 30, 40);
    int throughDoor = addZombie(53, 0, true).id;  // 6 tiles, door (50, 0) closed
    addZombie(52, 2, true);                       // 5 tiles, wall
    int inReach = addZombie(47, 9, true).id;      // 8 tiles, clear
    addZombie(47, 30, true);                      // out of the revolver's reach
    auto shootMany = [&] {
        std::vector<int> hit;
        for (int i = 0; i < 30; ++i) {
            player(ALICE).slots[1].magazine = 6;
            send(ALICE, "SHOOT");
            now += 1000;
        }
        for (const std::string& t : take(BOB))
            if (t.rfind("Z_HIT:", 0) == 0) hit.push_back(std::stoi(t.substr(6)));
        return hit;
    };
    std::vector<int> hit = shootMany();
    ASSERT_FALSE(hit.empty());
    EXPECT_TRUE(std::all_of(hit.begin(), hit.end(), [&](int id) { return id == inReach; }));
    game->doors[0] = true;
    hit = shootMany();
    ASSERT_FALSE(hit.empty());
    EXPECT_TRUE(std::all_of(hit.begin(), hit.end(), [&](int id) { return id == throughDoor; }));
    EXPECT_EQ(take(ALICE).front(), "SHOOT_OK:Revolver");
}

TEST_F(GameTest, EmptyMagazineReloadAndTheFireGap) {
    startRound();
    addZombie(90, 25, true);
    for (int i = 0; i < 7; ++i) {
        send(ALICE, "SHOOT");
        send(ALICE, "SHOOT"); // too soon: ignored
        now += WEAPONS[REVOLVER].fireGapMs;
    }
    Texts heard = take(ALICE);
    EXPECT_EQ(count(heard, "SHOOT_OK:Revolver"), 6);
    EXPECT_EQ(heard.back(), "SHOOT_FAIL:Revolver");
    EXPECT_EQ(count(take(BOB), "REMOTE_SHOOT:Alice:Revolver:0,0"), 6);
    send(ALICE, "RELOAD");
    send(ALICE, "CHECK_AMMO");
    EXPECT_EQ(take(ALICE), (Texts{"RELOAD_OK:Revolver", "AMMO_MSG:Revolver : 6 balles chargées, 42 en réserve."}));
    player(ALICE).slots[1] = {REVOLVER, 0, 0};
    send(ALICE, "RELOAD");
    send(ALICE, "SWITCH:2");
    send(ALICE, "SWITCH:0");
    send(ALICE, "RELOAD");
    EXPECT_EQ(take(ALICE), (Texts{"AMMO_MSG:Plus de munitions pour Revolver.", "SAY:Aucune arme dans l'emplacement 3.",
                                  "SWITCH_OK:Couteau", "AMMO_MSG:Couteau : pas besoin de munitions."}));
}

TEST_F(GameTest, RoundEndsWithItsKillsThenTheNextStartsAfterTheCalm) {
    startRound();
    place(ALICE, 10, 10);
    place(BOB, 20, 20);
    send(ALICE, "SWITCH:0");
    send(BOB, "SWITCH:0");
    addZombie(11, 10, true, 1);
    addZombie(20, 21, true, 1);
    addZombie(21, 21, true, 1);
    for (int i = 0; i < 2; ++i) {
        send(ALICE, "SHOOT");
        send(BOB, "SHOOT");
        now += 1000;
    }
    gameTick(*game, now, out);
    Texts heard = take(ALICE);
    EXPECT_EQ(count(heard, "Z_DIE:"), 3);
    EXPECT_EQ(heard.back(), "ROUND_END_KILLS:Alice:1|Bob:2");
    EXPECT_EQ(player(BOB).points, 500 + 2 * POINTS_KILL);
    advance(ROUND_CALM_MS - 10);
    EXPECT_TRUE(take(ALICE).empty());
    advance(10);
    EXPECT_EQ(take(ALICE), Texts{"ROUND_START:2"});
    // Round 2 brings 8 zombies; the players are kept standing to count them all.
    for (int i = 0; i < 3000; ++i) {
        player(ALICE).health = player(BOB).health = 1000000;
        advance(10);
    }
    EXPECT_EQ(count(take(ALICE), "Z_SPAWN:"), 8);
}

TEST_F(GameTest, BonusesDoubleThePointsAndKillAtOneHitUntilTheyEnd) {
    startRound();
    addZombie(90, 25, true);
    send(ALICE, "SWITCH:0");
    addZombie(1, 1, true); // a full health zombie, far beyond one knife hit
    game->doublePoints = game->instantKill = true;
    game->doublePointsUntil = now + 1000;
    game->instantKillUntil = now + 2000;
    send(ALICE, "SHOOT");
    EXPECT_EQ(take(BOB).back(), "Z_DIE:2,Couteau:1,1");
    EXPECT_EQ(player(ALICE).points, 500 + 2 * POINTS_KILL);
    advance(1000);
    EXPECT_EQ(take(BOB), Texts{"BONUS_DOUBLE_POINTS_END"});
    advance(1000);
    EXPECT_EQ(take(BOB), (Texts{"PLAY_SOUND:bonus_insta", "news SAY:Fin de la mort instantanée."}));
}

// The last words: a box weapon on show taken back, then "Vous etes mort !",
// "Partie terminee." and the figures each heard whole, queries answered until
// the lobby, actions not.
TEST_F(GameTest, GameOverTellsTheStatisticsAndSendsEveryoneBack) {
    startRound();
    player(ALICE).kills = 3;
    player(ALICE).earned = 420;
    player(BOB).kills = 1;
    player(BOB).earned = 130;
    game->box.state = BoxState::OFFERED;
    game->box.weapon = AK47;
    gamePlayerDown(*game, player(BOB), now, out);
    EXPECT_EQ(take(ALICE), (Texts{"PLAYER_DOWN:Bob:0,0",
                                  "news SAY:Bob est à terre en 0; 0. Réanimation possible pendant 30 secondes."}));
    take(BOB);
    gamePlayerDown(*game, player(ALICE), now, out);
    EXPECT_EQ(take(BOB), (Texts{"PLAYER_DOWN:Alice:0,0", "BOX_DESPAWN"}));
    advance(SPOKEN_LINE_GAP_MS - 10);
    send(ALICE, "MOVE:Z");
    send(ALICE, "REQ_ROUND");
    send(ALICE, "CHECK_HEALTH");
    EXPECT_EQ(take(ALICE), (Texts{"PLAYER_DOWN:Alice:0,0", "BOX_DESPAWN", "SAY:Partie terminée au round 1.",
                                  "HEALTH_MSG:Partie terminée."}));
    advance(10);
    EXPECT_EQ(take(BOB), Texts{"GAME_OVER_SIGNAL"});
    advance(SPOKEN_LINE_GAP_MS - 10);
    EXPECT_TRUE(take(BOB).empty());
    advance(10);
    EXPECT_EQ(take(BOB), Texts{"STATS:Partie terminée au round 1. Alice : 3 zombies tués, 420 points. "
                               "Bob : 1 zombie tué, 130 points."});
    advance(GAME_OVER_LOBBY_MS - SPOKEN_LINE_GAP_MS - 10);
    EXPECT_FALSE(gameFinished(*game));
    send(BOB, "REQ_POINTS");
    advance(10);
    EXPECT_EQ(take(BOB), (Texts{"SAY:Vous avez 500 points.", "GOTO_LOBBY"}));
    EXPECT_TRUE(gameFinished(*game));
    std::vector<GameResult> results = gameResults(*game);
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0].pseudo, "Alice");
    EXPECT_EQ(results[0].points, 420);
    EXPECT_EQ(results[0].kills, 3);
    EXPECT_EQ(results[0].round, 1);
}

// Buying the sword or taking a box weapon over another weapon asks first; a
// second Enter after a pause confirms, a held one never does.
TEST_F(GameTest, ReplacingAWeaponAsksFirst) {
    startRound();
    addZombie(90, 25, true);
    place(ALICE, 1, 49);
    player(ALICE).slots[2] = {AK47, 30, 120};
    player(ALICE).points = 100;
    send(ALICE, "ACTION");
    EXPECT_EQ(take(ALICE), Texts{"SAY:L'épée coûte 500 points. Vous en avez 100."});
    player(ALICE).points = 1000;
    for (int i = 0; i < 6; ++i, now += 200) send(ALICE, "ACTION"); // Enter held
    EXPECT_EQ(take(ALICE), Texts{"SAY:Prendre l'Épée à la place de votre AK47 ? Appuyez de nouveau sur Entrée pour confirmer."});
    now += CONFIRM_PAUSE_MS;
    send(ALICE, "ACTION");
    EXPECT_EQ(take(ALICE), Texts{"EPEE_PICKUP_OK"});
    EXPECT_EQ(player(ALICE).points, 1000 - SWORD_COST);
    EXPECT_EQ(player(ALICE).slots[2].weapon, EPEE);

    place(ALICE, 30, 21);
    game->box = MysteryBox{0, BoxState::OFFERED, now + 60000, ALICE, M16, 3};
    const std::string question = "SAY:Prendre le M16 à la place de votre Épée ? Appuyez de nouveau sur Entrée pour confirmer.";
    send(ALICE, "ACTION");
    now += CONFIRM_WINDOW_MS + 10; // too late: asked again
    send(ALICE, "ACTION");
    now += CONFIRM_PAUSE_MS;
    send(ALICE, "ACTION");
    EXPECT_EQ(take(ALICE), (Texts{question, question, "BOX_PICKUP_OK:M16:30,20"}));
    EXPECT_EQ(player(ALICE).slots[2].weapon, M16);
}

TEST_F(GameTest, QueriesAnswerInWords) {
    send(ALICE, "REQ_ROUND");
    EXPECT_EQ(take(ALICE).back(), "SAY:La partie commence, premier round dans un instant.");
    startRound();
    game->toSpawn = 3;
    addZombie(90, 25, true);
    place(BOB, 7, 3);
    player(BOB).health = 75;
    player(ALICE).kills = 1;
    for (const char* q : {"REQ_ROUND", "REQ_KILLS", "REQ_POINTS", "REQ_BOX", "GET_MEMBER:1"}) send(ALICE, q);
    EXPECT_EQ(take(ALICE), (Texts{"SAY:Round 1, 4 zombies restants.", "SAY:1 zombie tué, dont 0 dans ce round.",
                                  "SAY:Vous avez 500 points.", "SAY:La boîte mystère est en 30; 20.",
                                  "SAY:Bob, en 7; 3, santé 75."}));
}

TEST_F(GameTest, LeavingSendsThePlayerBackAndAnEmptyGameEnds) {
    take(BOB);
    game->box.state = BoxState::OFFERED; // its loop would play on in the lobby
    gameRemovePlayer(*game, BOB, now, out);
    EXPECT_EQ(take(BOB), (Texts{"BOX_DESPAWN", "GOTO_LOBBY"}));
    EXPECT_EQ(take(ALICE).back(), "news SAY:Bob a quitté la partie.");
    send(BOB, "MOVE:Z");
    send(ALICE, "GET_MEMBER:1");
    EXPECT_TRUE(take(BOB).empty());
    EXPECT_EQ(take(ALICE), Texts{"SAY:Personne à cette place."});
    EXPECT_FALSE(gameFinished(*game));
    gameRemovePlayer(*game, ALICE, now, out);
    EXPECT_TRUE(gameFinished(*game));
}

TEST(GamesSideBySide, NeverHearEachOther) {
    std::vector<GameSend> outA, outB;
    auto a = gameCreate({{1, "A1"}, {2, "A2"}}, 0, 1, outA);
    auto b = gameCreate({{3, "B1"}}, 0, 2, outB);
    for (uint32_t t = 10; t < 60000; t += 10) {
        gameHandle(*a, 1, "MOVE:Z", t, outA);
        gameHandle(*a, 3, "SHOOT", t, outA); // not a member of a
        gameHandle(*b, 3, "SHOOT", t, outB);
        gameTick(*a, t, outA);
        gameTick(*b, t, outB);
    }
    ASSERT_FALSE(outB.empty());
    EXPECT_TRUE(std::all_of(outA.begin(), outA.end(), [](auto& s) { return s.player == 1 || s.player == 2; }));
    EXPECT_TRUE(std::all_of(outB.begin(), outB.end(), [](auto& s) { return s.player == 3; }));
}

// One whole game, scripted by the time since its start and what the players
// face: every message, in order, as "player:text".
std::vector<std::string> scriptedGame(uint64_t origin) {
    uint64_t now = origin;
    std::vector<GameSend> out;
    std::unique_ptr<Game> game = gameCreate({{ALICE, "Alice"}, {BOB, "Bob"}}, now, 7, out);
    GamePlayer& alice = game->players[0];
    GamePlayer& bob = game->players[1];
    alice.points = bob.points = 10000;
    bool revived = false;
    const auto send = [&](uint32_t id, const std::string& message) { gameHandle(*game, id, message, now, out); };
    for (uint64_t t = 0; t <= 150000 && !gameFinished(*game); t += 10, now += 10) {
        if (t == 0) {
            alice.pos = {30, 21}; // by the box
            send(ALICE, "ACTION");
        } else if (t == 3500) {
            send(ALICE, "ACTION");
            send(ALICE, "SWITCH:2");
            bob.pos = {52, 9}; // by the potion
            send(BOB, "ACTION");
        } else if (t == 4500) {
            alice.pos = {10, 10};
            bob.pos = {11, 11};
            game->pathDirty = true;
        }
        if (t >= 6000 && t % 400 == 0) send(ALICE, "SHOOT");
        if (t >= 6000 && t % 700 == 0) send(BOB, "SHOOT");
        if (t % 7000 == 0) send(ALICE, "RELOAD");
        if (t % 6000 == 0) send(BOB, "RELOAD");
        if (t % 5000 == 0) send(BOB, t % 10000 ? "MOVE:Z" : "MOVE:S");
        if (t % 1000 == 0 && alice.life == Life::DOWN && bob.life == Life::STANDING && !revived) {
            bob.pos = {11, 11};
            send(BOB, "REVIVE");
            revived = alice.life == Life::STANDING;
        }
        if (t % 200 == 0 && alice.life == Life::DOWN && revived) { // Bob runs rings around the room
            const Tile p = bob.pos;
            send(BOB, p.y <= 11 && p.x < 40 ? "MOVE:D" : p.x >= 40 && p.y < 40 ? "MOVE:Z" : p.y >= 40 && p.x > 11 ? "MOVE:Q" : "MOVE:S");
        }
        gameTick(*game, now, out);
    }
    std::vector<std::string> heard;
    for (const GameSend& s : out) heard.push_back(std::to_string(s.player) + ":" + s.text);
    return heard;
}

// A clock that started long ago, or wraps 32 bits mid-game, plays the same game.
TEST(WholeGame, SoundsTheSameWhateverTheClocksOrigin) {
    const std::vector<std::string> first = scriptedGame(1000);
    for (const char* kind : {"SHOOT_OK:", "RELOAD_OK:", "Z_POS:", "PLAYER_HIT:", "ROUND_START:2", "BOX_PICKUP_OK:",
                             "SECOND_CHANCE_READY", "REVIVED", "YOU_DIED", "Z_DIE:", "GAME_OVER_SIGNAL"})
        EXPECT_TRUE(std::any_of(first.begin(), first.end(), [&](auto& t) { return t.find(kind) != std::string::npos; }))
            << kind;
    for (uint64_t origin : {uint64_t{1} << 31, (uint64_t{1} << 32) - 10000}) EXPECT_EQ(scriptedGame(origin), first) << origin;
}

} // namespace
