// What the player hears, reads back in the history and what changes when
// the server's account, chat and general messages arrive.
#include "app/app.h"
#include "core/local_player.h"
#include "core/scene.h"
#include "core/speech.h"
#include "audio_test_support.h"
#include "net/connection.h"
#include "core/save_file.h"
#include "scenes/menu.h"
#include "temp_folder.h"

#include <algorithm>
#include <map>
#include <random>

namespace {

// Sound names of the playbacks playing now, oldest first.
std::vector<std::string> played() {
    std::map<std::string, std::string> nameOfFile;
    for (const SoundDef& d : soundTable()) nameOfFile[audio_test::SOUNDS + d.file] = d.name;
    std::vector<std::string> names;
    for (const auto& p : fake::audio::playbacks())
        if (p.state == platform::AUDIO_PLAYING) names.push_back(nameOfFile[p.path]);
    return names;
}

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

// Handles one message and tells what the player got: each text spoken, then
// each sound that started playing, as "text / text [sound]".
std::string handle(const std::string& message) {
    fake::clearSpoken();
    std::vector<std::string> before = played();
    handleIncomingPacket(message);
    std::string out;
    for (const std::string& text : fake::spoken()) out += (out.empty() ? "" : " / ") + text;
    for (const std::string& name : played()) {
        const auto old = std::find(before.begin(), before.end(), name);
        if (old != before.end()) before.erase(old);
        else out += " [" + name + "]";
    }
    return out;
}

class Incoming : public TempFolder {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        resetClientForTests();
        audio_test::startAudio(10000);
        SceneManager::currentScene = Scene::MENU;
        myProfile = PlayerProfile{};
    }
};

using Strings = std::vector<std::string>;
using namespace std::string_literals;

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

TEST_F(Incoming, LoginResultsAreHeardFiledAndFailureReturnsToTheMenu) {
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
}

TEST_F(Incoming, AccountAndPseudoMessages) {
    SceneManager::currentScene = Scene::LOBBY;
    EXPECT_EQ(handle("REGISTER_FAIL:Pseudo déjà pris"),
              "Menu principal. / Création du compte échouée. Pseudo déjà pris [music_menu_1] [ui_back]");
    EXPECT_EQ(SceneManager::currentScene, Scene::MENU);
    SceneManager::currentScene = Scene::MAISON;
    EXPECT_EQ(handle("REGISTER_OK:bienvenue"), "Menu principal. / Compte créé et enregistré. [ui_valid]");
    EXPECT_EQ(SceneManager::currentScene, Scene::MENU);
    EXPECT_EQ(handle("USERNAME_FAIL:trop long"), "Impossible de modifier le pseudo. trop long [ui_back]");

    myProfile = PlayerProfile{"Zoé", "zoe@exemple.fr", std::string(64, 'c'), "F"};
    EXPECT_EQ(handle("USERNAME_OK:Zoé_2"), "Pseudo modifié. [ui_valid]");
    EXPECT_EQ(myProfile.username, "Zoé_2");
    EXPECT_EQ(loadIdentity().email, "zoe@exemple.fr") << "the new pseudo is saved";
    EXPECT_EQ(loadIdentity().username, "Zoé_2");
    // An empty pseudo would wipe the saved identity.
    EXPECT_EQ(handle("USERNAME_OK:"), "");
    EXPECT_EQ(myProfile.username, "Zoé_2");
    EXPECT_EQ(loadIdentity().username, "Zoé_2");
    EXPECT_EQ(newestIn(HistoryCategory::GLOBAL), "") << "account messages are not filed";
}

// In the menu already, a registration rebuilds it without entering it again.
TEST_F(Incoming, RegistrationInTheMenuRebuildsIt) {
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
    for (const char* message : {"LOBBY_JOIN:Léa", "LOBBY_LEFT:Marc", "PLAYERS_LIST:3 joueurs : Léa, Inès, Zoé",
                                "UPTIME:Serveur en ligne depuis 2 h", "SECOND_CHANCE_READY", "PLAY_SOUND:online",
                                "PLAY_SOUND:nom_inconnu", "SAY:Bienvenue : bonne chance", "PONG:", "PONG:abc",
                                "PONG:-3", "PONG:4294967296", "PONG:99999999999999999999999"})
        handleIncomingPacket(message);
    EXPECT_EQ(played(), (Strings{"online", "offline", "cloche", "online"}));
    // The round trip of the F2 ping, also across the tick counter's wrap.
    fake::setTime(1500);
    handleIncomingPacket("PONG:1458");
    fake::setTime(10);
    handleIncomingPacket("PONG:4294967295");
    EXPECT_EQ(fake::spoken(), (Strings{"Léa s'est connecté.", "Marc s'est déconnecté.", "3 joueurs : Léa, Inès, Zoé",
                                       "Serveur en ligne depuis 2 h", "Bienvenue : bonne chance", "42 millisecondes",
                                       "11 millisecondes"}));
    EXPECT_EQ(newestIn(HistoryCategory::GLOBAL), "");
}

TEST_F(Incoming, OnlyWellFormedKeywordsAreActedOn) {
    SceneManager::currentScene = Scene::LOBBY;
    for (const std::string& ignored :
         {"AUTH_OK "s, "AUTH_OK\n"s, "AUTH_OKAY"s, "auth_ok"s, "SECOND_CHANCE_READY!"s, "SAY"s, "SAY:"s, " SAY:x"s,
          "AUTH_FAIL"s, "CHAT_RADIO_FROM"s, "INCONNU:x"s, ""s, "\0SAY:cache"s, "POS:x,4"s, "POS:3"s,
          "ROUND_END"s, "TEAM_FULL "s, "LEFT_TEAM\n"s, "RANKING:KILLS"s, "SHOOT_OK:AK47"s})
        handleIncomingPacket(ignored);
    EXPECT_TRUE(fake::spoken().empty()) << fake::lastSpoken();
    EXPECT_TRUE(played().empty());
    EXPECT_EQ(SceneManager::currentScene, Scene::LOBBY);

    // A NUL or a line break ends the message.
    handleIncomingPacket("SAY:avant\0apres"s);
    EXPECT_EQ(fake::lastSpoken(), "avant");
    handleIncomingPacket("SAY:ligne un\r\nligne deux");
    EXPECT_EQ(fake::lastSpoken(), "ligne un");
    handleIncomingPacket("AUTH_OK\0garbage"s);
    EXPECT_EQ(fake::lastSpoken(), "Connexion réussie.");
    EXPECT_EQ(newestIn(HistoryCategory::GLOBAL), "Connexion réussie.");
}

// Random text and mangled known messages: nothing crashes, only "SAY:" and
// "PONG:" texts may speak, and nothing spoken carries a NUL or a line break.
TEST_F(Incoming, RandomAndMangledTextIsHarmless) {
    std::mt19937 rng(20240611);
    auto pick = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng); };
    const std::string letters = "SAYPONG:_0123456789 \0"s;
    for (int i = 0; i < 20000; ++i) {
        std::string message;
        for (size_t n = pick(12); n > 0; --n) message += letters[pick(letters.size())];
        const size_t before = fake::spoken().size();
        handleIncomingPacket(message);
        const bool maySpeak = message.rfind("SAY:", 0) == 0 || message.rfind("PONG:", 0) == 0;
        ASSERT_TRUE(maySpeak || fake::spoken().size() == before) << message;
    }
    EXPECT_TRUE(played().empty());

    const Strings seeds = {"SAY:bonjour", "PLAY_SOUND:chat", "CHAT_RADIO_FROM:a:b", "CHAT_MP_TO:x:y:z",
                           "AUTH_FAIL:r", "REGISTER_OK", "USERNAME_FAIL:p", "LOBBY_JOIN:n", "PONG:123",
                           "Z_POS:1,2,3", "ROUND_END_KILLS:a:1|b:2", "RANKING:KILLS:a|b", "BOX_HIDDEN:2999"};
    const std::string alphabet = "SAYPONG:|,-0123456789\xc3\xa9\xff\r\n \0"s;
    for (int i = 0; i < 20000; ++i) {
        std::string message = seeds[pick(seeds.size())];
        for (size_t edits = pick(4); edits > 0; --edits) {
            const size_t at = pick(message.size() + 1);
            switch (pick(4)) {
            case 0: message.insert(at, 1, alphabet[pick(alphabet.size())]); break;
            case 1: if (at < message.size()) message.erase(at, 1); break;
            case 2: message.resize(at); break;
            default: message.insert(at, std::string(pick(30), '9')); break;
            }
        }
        handleIncomingPacket(message);
        if (i % 1000 == 0) fake::audio::clearCalls();
    }
    for (const std::string& text : fake::spoken())
        EXPECT_EQ(text.find_first_of("\r\n\0"s), std::string::npos) << text;
}

// Back in the lobby, then walking it: the player's own steps sound at the
// listener, another player's at his tile, his own echoed step not at all.
TEST_F(Incoming, LobbyEntryAndItsWalk) {
    myProfile.username = "Alice";
    localPlayer = TilePosition{7, 3};
    setLocalDead(true);
    EXPECT_EQ(handle("GOTO_LOBBY"), "Map d'attente. [music_lobby]");
    EXPECT_EQ(SceneManager::currentScene, Scene::LOBBY);
    EXPECT_EQ(localPlayer.x + localPlayer.y, 0);
    EXPECT_FALSE(isLocalDead());
    EXPECT_EQ(handle("GOTO_LOBBY"), "") << "already there: nothing starts again";

    auto newest = [] { return fake::audio::playbacks().back(); };
    const std::string step = handle("POS:2,-5");
    EXPECT_TRUE(step == " [step_lobby_0]" || step == " [step_lobby_1]") << step;
    EXPECT_EQ(newest().mode3D, platform::AUDIO_3D_OFF);
    EXPECT_EQ(localPlayer.x, 2);
    EXPECT_EQ(localPlayer.y, -5);
    EXPECT_EQ(handle("REMOTE_MOVE:Alice:3,5"), "");
    EXPECT_NE(handle("REMOTE_MOVE:Bob:3;6"), "");
    EXPECT_EQ(newest().mode3D, platform::AUDIO_3D_NORMAL);
    EXPECT_FLOAT_EQ(newest().position3D.x, 3.0f);
    EXPECT_FLOAT_EQ(newest().position3D.z, 6.0f);
    EXPECT_EQ(handle("WALL"), " [wall_lobby]");
    EXPECT_EQ(handle("HEALTH_MSG:100 points de vie sur 100."), "100 points de vie sur 100.");
}
