// What the player hears, reads back in the history and what changes when
// the server's account, chat, lobby and game-world messages arrive.
#include "client_test_support.h"
#include "core/local_player.h"
#include "core/scene.h"
#include "core/speech.h"
#include "net/connection.h"
#include "scenes/menu.h"
#include "world/doors.h"
#include "world/game_sounds.h"
#include "world/world_state.h"
#include "world/zombies.h"


namespace {

const char* const kLabels[] = {"Global", "Radio", "Équipe", "Message privé", "Jeu"};

// The newest entry of a category as the history keys read it ("" when
// empty). Speaks, so call it after checking speech; clears the spoken list.
std::string newestIn(HistoryCategory category) {
    const std::string prefix = std::string("Historique ") + kLabels[static_cast<int>(category)];
    std::string found;
    for (int i = 0; i < 5; ++i, historyCycleCategory(true)) {
        historyAnnounceCurrent();
        const std::string heard = fake::lastSpoken();
        if (heard.rfind(prefix + ". ", 0) == 0) found = heard.substr(prefix.size() + 2);
        if (!found.empty() || heard == prefix + " vide.") break;
    }
    fake::clearSpoken();
    return found;
}

std::string handle(const std::string& message) {
    return heard([&] { handleIncomingPacket(message); });
}

class Incoming : public TempFolder {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        startAudio(10000);
        SceneManager::currentScene = Scene::MENU;
        myProfile = PlayerProfile{};
    }
};

using namespace std::string_literals;

class GameWorld : public Incoming {
protected:
    void SetUp() override {
        Incoming::SetUp();
        myProfile = PlayerProfile{"Alice", "alice@example.org", std::string(64, 'a'), "F"};
        SceneManager::currentScene = Scene::MAISON;
        isInMaison = true;
        fake::setTime(1000);
    }
    // Zombie footsteps heard while handling one message (unscripted draws pick the first sound).
    static int zombieSteps(const std::string& message) {
        const std::string got = handle(message), step = "[step_zombie_1";
        int n = 0;
        for (size_t at = got.find(step); at != std::string::npos; at = got.find(step, at + 1)) ++n;
        return n;
    }
};

} // namespace

TEST_F(Incoming, ChatIsHeardAndFiledUnderItsCategory) {
    EXPECT_EQ(handle("CHAT_RADIO_FROM:Léa:tout le monde au bunker"), "Radio Léa dit : tout le monde au bunker [chat]");
    EXPECT_EQ(handle("CHAT_TEAM_FROM:Marc:rdv : porte 2 : vite"), "Équipe Marc dit : rdv : porte 2 : vite [chat]");
    EXPECT_EQ(handle("CHAT_MP_FROM:Inès:tu as des munitions ?"), "MP Inès dit : tu as des munitions ? [mp]");
    EXPECT_EQ(handle("CHAT_MP_TO:Inès:oui, 30"), "MP à Inès : oui, 30 [mp]");
    EXPECT_EQ(newestIn(HistoryCategory::RADIO), "Radio Léa : tout le monde au bunker");
    EXPECT_EQ(newestIn(HistoryCategory::TEAM), "Équipe Marc : rdv : porte 2 : vite");
    EXPECT_EQ(newestIn(HistoryCategory::PRIVATE), "MP à Inès : oui, 30");
    historyNavigate(false);
    EXPECT_EQ(fake::lastSpoken(), "MP Inès : tu as des munitions ?");
    EXPECT_EQ(newestIn(HistoryCategory::GAME), "");
    EXPECT_EQ(newestIn(HistoryCategory::GLOBAL), "MP à Inès : oui, 30");
}

// Login and registration results, heard and filed; a failure returns to the menu.
TEST_F(Incoming, AccountMessages) {
    EXPECT_EQ(handle("AUTH_OK"), "Connexion réussie. [ui_valid]");
    EXPECT_EQ(SceneManager::currentScene, Scene::MENU) << "the lobby waits for GOTO_LOBBY";
    EXPECT_EQ(newestIn(HistoryCategory::GAME), "Connexion réussie.");

    // The menu announces itself first, so the reason is heard to its end.
    SceneManager::currentScene = Scene::LOBBY;
    EXPECT_EQ(handle("AUTH_FAIL:Mot de passe incorrect."),
              "Menu principal. / Connexion échouée. Mot de passe incorrect. [music_menu_1] [ui_back]");
    EXPECT_EQ(SceneManager::currentScene, Scene::MENU);
    EXPECT_EQ(newestIn(HistoryCategory::GAME), "Connexion échouée. Mot de passe incorrect.");
    EXPECT_EQ(handle("AUTH_FAIL:"), "Connexion échouée.  [ui_back]");

    SceneManager::currentScene = Scene::LOBBY;
    EXPECT_EQ(handle("REGISTER_FAIL:Pseudo déjà pris"),
              "Menu principal. / Création du compte échouée. Pseudo déjà pris [music_menu_1] [ui_back]");
    EXPECT_EQ(SceneManager::currentScene, Scene::MENU);
    SceneManager::currentScene = Scene::MAISON;
    EXPECT_EQ(handle("REGISTER_OK:bienvenue"), "Menu principal. / Compte créé et enregistré. [music_menu_1] [ui_valid]");
    EXPECT_EQ(SceneManager::currentScene, Scene::MENU);
    EXPECT_EQ(handle("USERNAME_FAIL:trop long"), "Impossible de modifier le pseudo. trop long [ui_back]");

    // Every login names the pseudo: saved, and spoken only when it replaces another.
    myProfile = PlayerProfile{"", "zoe@exemple.fr", std::string(64, 'c'), "F"};
    EXPECT_EQ(handle("USERNAME_OK:Zoé"), "") << "a machine that knew no pseudo";
    EXPECT_EQ(loadIdentity().username, "Zoé");
    EXPECT_EQ(handle("USERNAME_OK:Zoé"), "");
    EXPECT_EQ(handle("USERNAME_OK:Zoé_2"), "Pseudo modifié. [ui_valid]");
    EXPECT_EQ(myProfile.username, "Zoé_2");
    EXPECT_EQ(loadIdentity().email, "zoe@exemple.fr") << "the new pseudo is saved";
    EXPECT_EQ(loadIdentity().username, "Zoé_2");
    // An empty pseudo would wipe the saved identity.
    EXPECT_EQ(handle("USERNAME_OK:"), "");
    EXPECT_EQ(myProfile.username, "Zoé_2");
    EXPECT_EQ(loadIdentity().username, "Zoé_2");
    EXPECT_EQ(newestIn(HistoryCategory::GLOBAL), "Connexion échouée. ") << "only the login's are filed";

    // In the menu already, a registration rebuilds it without entering it again.
    ASSERT_TRUE(saveIdentity(PlayerProfile{"Zoé", std::string(64, 'e'), std::string(64, 'c'), "F"}));
    menuOptions = {"Créer un compte", "Options", "Quitter"};
    isSelectingServer = isSelectingMenuMusic = true;
    menuSelection = 2;
    EXPECT_EQ(handle("REGISTER_OK"), "Compte créé et enregistré. [ui_valid]") << "no menu music restart";
    EXPECT_FALSE(isSelectingServer || isSelectingMenuMusic);
    EXPECT_EQ(menuSelection, 0);
    EXPECT_EQ(menuOptions.front(), "Connexion au serveur");
}

TEST_F(Incoming, LobbyPresenceAndFunctionKeyReplies) {
    EXPECT_EQ(heard([] {
                  for (const char* message :
                       {"LOBBY_JOIN:Léa", "LOBBY_LEFT:Marc", "PLAYERS_LIST:3 joueurs : Léa, Inès, Zoé",
                        "UPTIME:Serveur en ligne depuis 2 h", "SECOND_CHANCE_READY", "PLAY_SOUND:online",
                        "PLAY_SOUND:nom_inconnu", "SAY:Bienvenue : bonne chance", "PONG:", "PONG:abc", "PONG:-3",
                        "PONG:4294967296", "PONG:99999999999999999999999"})
                      handleIncomingPacket(message);
                  // The round trip of the F2 ping, also across the tick counter's wrap.
                  fake::setTime(1500);
                  handleIncomingPacket("PONG:1458");
                  fake::setTime(10);
                  handleIncomingPacket("PONG:4294967295");
              }),
              "Léa s'est connecté. / Marc s'est déconnecté. / 3 joueurs : Léa, Inès, Zoé / Serveur en ligne depuis 2 h"
              " / Bienvenue : bonne chance / 42 millisecondes / 11 millisecondes [online] [offline] [cloche] [online]");
    EXPECT_EQ(newestIn(HistoryCategory::GLOBAL), "");
}

TEST_F(Incoming, OnlyWellFormedKeywordsAreActedOn) {
    SceneManager::currentScene = Scene::LOBBY;
    EXPECT_EQ(heard([] {
                  for (const std::string& ignored :
                       {"AUTH_OK "s, "AUTH_OK\n"s, "AUTH_OKAY"s, "auth_ok"s, "SECOND_CHANCE_READY!"s, "SAY"s, "SAY:"s,
                        " SAY:x"s, "AUTH_FAIL"s, "CHAT_RADIO_FROM"s, "INCONNU:x"s, ""s, "\0SAY:cache"s, "POS:x,4"s,
                        "POS:3"s, "ROUND_END "s, "TEAM_FULL "s, "LEFT_TEAM\n"s, "RANKING:KILLS"s, "SHOOT_OK"s})
                      handleIncomingPacket(ignored);
              }),
              "");
    EXPECT_EQ(SceneManager::currentScene, Scene::LOBBY);

    // A NUL or a line break ends the message (a NUL within a text: net_connection_test).
    handleIncomingPacket("SAY:ligne un\r\nligne deux");
    EXPECT_EQ(fake::lastSpoken(), "ligne un");
    handleIncomingPacket("AUTH_OK\0garbage"s);
    EXPECT_EQ(fake::lastSpoken(), "Connexion réussie.");
    EXPECT_EQ(newestIn(HistoryCategory::GLOBAL), "Connexion réussie.");
}

// Back in the lobby, then walking it: his own echoed step is not heard.
TEST_F(Incoming, LobbyEntryAndItsWalk) {
    myProfile.username = "Alice";
    localPlayer = TilePosition{7, 3};
    setLocalDead(true);
    EXPECT_EQ(handle("GOTO_LOBBY"), "Map d'attente. [music_lobby]");
    EXPECT_EQ(SceneManager::currentScene, Scene::LOBBY);
    EXPECT_EQ(localPlayer.x + localPlayer.y, 0);
    EXPECT_FALSE(isLocalDead());
    EXPECT_EQ(handle("GOTO_LOBBY"), "") << "already there: nothing starts again";

    fake::scriptDraws({0, 1});
    EXPECT_EQ(handle("POS:2,-5"), " [step_lobby_0]");
    EXPECT_EQ(localPlayer.x * 100 + localPlayer.y, 195);
    EXPECT_EQ(handle("REMOTE_MOVE:Alice:3,5"), "");
    EXPECT_EQ(handle("REMOTE_MOVE:Bob:3;6"), " [step_lobby_1@3,6]");
    EXPECT_EQ(handle("WALL"), " [wall_lobby@2,-5]");
    EXPECT_EQ(handle("HEALTH_MSG:100 points de vie sur 100."), "100 points de vie sur 100.");
}

TEST_F(GameWorld, PlayersWeaponsDoorsAndTheEndOfAGame) {
    fake::scriptDraws({0, 1, 0});
    EXPECT_EQ(handle("POS:3,4"), " [step_maison_0]") << "the local player's own step sounds at the listener";
    EXPECT_EQ(localPlayer.x * 100 + localPlayer.y, 304);
    EXPECT_EQ(fake::audio::listener().position.x, 3.0f);
    EXPECT_EQ(fake::audio::listener().position.z, 4.0f);
    EXPECT_EQ(handle("REMOTE_MOVE:Bob:3,6"), " [step_maison_1@3,6]");

    EXPECT_EQ(handle("REMOTE_SHOOT:Alice:AK47:3,4"), "");
    EXPECT_EQ(handle("REMOTE_SHOOT:Bob:AK47:1,2"), " [fire_AK47@1,2]");
    EXPECT_EQ(handle("SHOOT_OK:M16"), " [fire_M16]");
    EXPECT_EQ(handle("SHOOT_FAIL:Revolver"), " [empty_Revolver]");
    EXPECT_EQ(handle("RELOAD_OK:AK47"), " [reload_AK47]");
    EXPECT_EQ(handle("SWITCH_OK: ak47"), " ak47 [equip_AK47]");
    EXPECT_EQ(handle("AMMO_MSG:30 balles : chargeur plein"), "30 balles : chargeur plein");
    EXPECT_EQ(handle("WALL"), " [wall_maison@3,4]");
    EXPECT_EQ(handle("POTION_BOUGHT"), "Vous buvez la potion... [potion_vie]");

    // Deaths: everyone's is heard, only the local one is spoken and kills the keys.
    EXPECT_EQ(handle("PLAYER_DOWN:Bob:1,1"), " [player_death]");
    EXPECT_EQ(handle("PLAYER_DOWN:Alice:3,4"), "Vous etes mort ! [player_death] [player_death_female]");
    EXPECT_TRUE(isLocalDead());
    EXPECT_EQ(handle("REVIVED"), "Réanimé. [ui_valid]");
    EXPECT_FALSE(isLocalDead());
    myProfile.gender = "M";
    EXPECT_EQ(handle("YOU_DIED"), " [player_death] [player_death_male]");
    EXPECT_TRUE(isLocalDead());

    // A bite is the local player's by e-mail even under another pseudo, or by pseudo.
    EXPECT_EQ(handle("PLAYER_HIT:alice@example.org:12"), " [morsure@3,4] [cri_homme@3,4]");
    myProfile.gender = "f";
    EXPECT_EQ(handle("PLAYER_HIT:Alice:12"), " [morsure@3,4] [cri_femme@3,4]");
    EXPECT_EQ(handle("PLAYER_HIT:Bob:12"), "");
    myProfile.email.clear();
    EXPECT_EQ(handle("PLAYER_HIT::12"), "") << "an empty e-mail is nobody's";

    EXPECT_EQ(handle("DOOR_OPENED:70,50"), " [door_open@70,50]");
    EXPECT_FALSE(isDoorClosedAt(70, 50));
    EXPECT_EQ(handle("DOOR_CLOSED:70,50"), " [door_close@70,50]");
    EXPECT_TRUE(isDoorClosedAt(70, 50));
    EXPECT_EQ(handle("DOOR_CLOSED:60,0"), " [door_close@60,0]");
    EXPECT_FALSE(isDoorClosedAt(60, 0)) << "no door there";

    EXPECT_EQ(handle("GAME_OVER_SIGNAL"), "Partie terminee. [game_over]");
    EXPECT_EQ(SceneManager::currentScene, Scene::MAISON) << "the server sends the players back itself";
    EXPECT_EQ(handle("STATS:Kills : 12, points : 3400"), "Kills : 12, points : 3400");
    EXPECT_EQ(newestIn(HistoryCategory::GAME), "Kills : 12, points : 3400");
    historyNavigate(false);
    EXPECT_EQ(fake::lastSpoken(), "Partie terminée.") << "filed with its accent";
}

TEST_F(GameWorld, BoxRoundsAndBonuses) {
    const std::string opening = "Round terminé. Nombre de kill par joueur : ";
    EXPECT_EQ(handle("BOX_OPENING_START:20,5"), " [box_open@20,5]");
    EXPECT_TRUE(currentBox.isOpening);
    EXPECT_EQ(handle("BOX_SPAWN:M16:20,5"), "M16 apparu [box_loop@20,15]");
    EXPECT_TRUE(currentBox.hasWeapon && !currentBox.isOpening);
    EXPECT_EQ(currentBox.weaponName, "M16");
    EXPECT_EQ(handle("BOX_PICKUP_OK:M16 :21,6"), " [pickup_M16@21,6]");
    EXPECT_EQ(fake::audio::playback(getSoundHandle("box_loop"))->state, platform::AUDIO_STOPPED);
    EXPECT_TRUE(!currentBox.hasWeapon && currentBox.weaponName.empty());
    EXPECT_EQ(currentBox.x * 100 + currentBox.y, 2005) << "a pick-up does not move the box";
    EXPECT_EQ(handle("EPEE_PICKUP_OK"), " [pickup_Epee@0,50]");

    EXPECT_EQ(handle("BOX_SPAWN:AK47:20,5"), "AK47 apparu [box_loop@20,15]");
    EXPECT_EQ(handle("BOX_HIDDEN:bientôt"), "");
    EXPECT_EQ(fake::audio::playback(getSoundHandle("box_loop"))->state, platform::AUDIO_PLAYING)
        << "an unreadable delay is ignored entirely";
    EXPECT_EQ(handle("BOX_HIDDEN:2999"), "Boite indisponible pendant 2 secondes.");
    EXPECT_EQ(fake::audio::playback(getSoundHandle("box_loop"))->state, platform::AUDIO_STOPPED);
    EXPECT_EQ(handle("BOX_READY:7,8"), "Boite de nouveau disponible.");
    EXPECT_EQ(handle("BOX_TELEPORT:30,40"), " [box_teleport]");
    EXPECT_EQ(currentBox.x * 100 + currentBox.y, 3040);
    EXPECT_EQ(handle("BOX_DESPAWN"), "");

    handleIncomingPacket("Z_SPAWN:1,5,5");
    EXPECT_EQ(handle("ROUND_START:trois"), "");
    EXPECT_EQ(localZombies.size(), 1u);
    EXPECT_EQ(handle("ROUND_START:3"), "Round 3 [round_start]");
    EXPECT_EQ(currentRound, 3);
    EXPECT_TRUE(localZombies.empty() && g_zStep.empty());
    EXPECT_EQ(handle("ROUND_END_KILLS:Léa:3|Marc:5"), opening + "Léa : 3. Marc : 5 [round_over]");
    EXPECT_EQ(handle("ROUND_END_KILLS:"), opening + " [round_over]");
    EXPECT_EQ(handle("ROUND_END_KILLS:|sans compte||a:b:7|"), opening + "a:b : 7 [round_over]");
    EXPECT_EQ(handle("ROUND_END"), "Round terminé [round_over]");

    EXPECT_EQ(handle("BONUS_MAX_AMMO"), "Munitions au maximum ! [bonus_ammo]");
    EXPECT_EQ(handle("BONUS_DOUBLE_POINTS_START"), "Points doubles ! [bonus_double]");
    EXPECT_EQ(handle("BONUS_DOUBLE_POINTS_END"), "Fin des points doubles.");
    EXPECT_EQ(handle("BONUS_INSTANT_KILL_START"), "Mort instantanee ! [instant_kill_snd]");
    EXPECT_EQ(newestIn(HistoryCategory::GLOBAL), "") << "rounds, box and bonuses are not filed";
}

TEST_F(GameWorld, ZombieFootstepsFollowTheDistanceWalked) {
    EXPECT_EQ(handle("Z_SPAWN:7,10,10"), " [zombie_spawn@10,10]");
    EXPECT_EQ(zombieSteps("Z_POS:7,10,10"), 0) << "a first position is only recorded";
    // Two tiles: two step points of 0.85, one sound (same arrival time), 0.3 kept.
    fake::scriptDraws({1});
    EXPECT_EQ(handle("Z_POS:7,10,12"), " [step_zombie_2@10,11]");
    EXPECT_NEAR(g_zStep[7].distAccum, 0.3f, 1e-5f);
    EXPECT_EQ(localZombies[0].y, 12);
    // A 13-tile jump is not walked and forgets the carry.
    EXPECT_EQ(zombieSteps("Z_POS:7,10,25"), 0);
    EXPECT_EQ(g_zStep[7].distAccum, 0.0f);

    // One tile every 50 ms: the 90 ms gap lets every second step through.
    fake::advance(1000);
    std::string heard;
    for (int y = 26; y <= 33; ++y) {
        fake::advance(50);
        heard += std::to_string(zombieSteps("Z_POS:7,10," + std::to_string(y)));
    }
    EXPECT_EQ(heard, "10101010");

    EXPECT_EQ(zombieSteps("Z_POS:99,1,1"), 0);
    EXPECT_EQ(g_zStep.count(99), 0u) << "an unknown zombie changes nothing";

    // Two zombies under one id: only the first moves and only the first dies.
    handleIncomingPacket("Z_SPAWN:5,0,0");
    handleIncomingPacket("Z_SPAWN:5,30,30");
    handleIncomingPacket("Z_POS:5,1,1");
    EXPECT_EQ(localZombies[1].x + localZombies[2].x, 1 + 30);
    EXPECT_EQ(handle("Z_HIT:5,Couteau:1,1"), " [impact_couteau@1,1]");
    EXPECT_EQ(handle("Z_HIT:5,couteau:1,1"), " [impact_bullet@1,1]") << "weapon names compare exactly";
    EXPECT_EQ(handle("Z_HIT:5,Epee:1,1"), " [impact_epee@1,1]");
    EXPECT_EQ(localZombies.size(), 3u);
    EXPECT_EQ(handle("Z_DIE:5,Epee:1,1"), " [death_walker@1,1]");
    ASSERT_EQ(localZombies.size(), 2u);
    EXPECT_EQ(localZombies[1].x, 30);
}
