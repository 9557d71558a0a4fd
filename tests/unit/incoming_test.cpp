// What the player hears, reads back in the history and what changes when
// the server's account, chat and general messages arrive.
#include "app/scene_manager.h"
#include "app/speech.h"
#include "audio_test_support.h"
#include "fake_audio.h"
#include "fake_platform.h"
#include "net/incoming.h"
#include "net/save_file.h"
#include "scenes/menu.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

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
    const std::string label = kLabels[static_cast<int>(category)];
    for (int i = 0; i < 5; ++i) {
        historyAnnounceCurrent();
        const std::string heard = fake::lastSpoken();
        if (heard == "Historique " + label + " vide.") break;
        if (heard.rfind("Historique " + label + ". ", 0) == 0) {
            fake::clearSpoken();
            return heard.substr(("Historique " + label + ". ").size());
        }
        historyCycleCategory(true);
    }
    fake::clearSpoken();
    return "";
}

class Incoming : public TempFolder {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        audio_test::startAudio(10000);
        SceneManager::currentScene = Scene::MENU;
        myProfile = PlayerProfile{};
    }
};

using Strings = std::vector<std::string>;

} // namespace

TEST_F(Incoming, ChatIsHeardAndFiledUnderItsCategory) {
    handleIncomingPacket("CHAT_RADIO_FROM:Léa:tout le monde au bunker");
    handleIncomingPacket("CHAT_TEAM_FROM:Marc:rdv : porte 2 : vite");
    handleIncomingPacket("CHAT_MP_FROM:Inès:tu as des munitions ?");
    handleIncomingPacket("CHAT_MP_TO:Inès:oui, 30");
    EXPECT_EQ(fake::spoken(), (Strings{"Radio Léa dit : tout le monde au bunker",
                                       "Équipe Marc dit : rdv : porte 2 : vite",
                                       "MP Inès dit : tu as des munitions ?", "MP à Inès : oui, 30"}));
    EXPECT_EQ(played(), (Strings{"chat", "chat", "mp", "mp"}));
    fake::clearSpoken();
    EXPECT_EQ(newestIn(HistoryCategory::RADIO), "Radio Léa : tout le monde au bunker");
    EXPECT_EQ(newestIn(HistoryCategory::TEAM), "Équipe Marc : rdv : porte 2 : vite");
    EXPECT_EQ(newestIn(HistoryCategory::PRIVATE), "MP à Inès : oui, 30");
    historyNavigate(false);
    EXPECT_EQ(fake::lastSpoken(), "MP Inès : tu as des munitions ?");
    EXPECT_EQ(newestIn(HistoryCategory::GAME), "");
    EXPECT_EQ(newestIn(HistoryCategory::GLOBAL), "MP à Inès : oui, 30");
}

TEST_F(Incoming, LoginResultsAreHeardFiledAndFailureReturnsToTheMenu) {
    handleIncomingPacket("AUTH_OK");
    EXPECT_EQ(fake::spoken(), Strings{"Connexion réussie."});
    EXPECT_EQ(played(), Strings{"ui_valid"});
    EXPECT_EQ(SceneManager::currentScene, Scene::MENU) << "the lobby waits for GOTO_LOBBY";
    EXPECT_EQ(newestIn(HistoryCategory::GAME), "Connexion réussie.");

    SceneManager::currentScene = Scene::LOBBY;
    handleIncomingPacket("AUTH_FAIL:Mot de passe incorrect.");
    EXPECT_EQ(SceneManager::currentScene, Scene::MENU);
    // The menu announces itself first, so the reason is heard to its end.
    EXPECT_EQ(fake::spoken(), (Strings{"Menu principal.", "Connexion échouée. Mot de passe incorrect."}));
    EXPECT_EQ(played().back(), "ui_back");
    EXPECT_EQ(newestIn(HistoryCategory::GAME), "Connexion échouée. Mot de passe incorrect.");

    handleIncomingPacket("AUTH_FAIL:");
    EXPECT_EQ(fake::lastSpoken(), "Connexion échouée. ");
}

TEST_F(Incoming, AccountAndPseudoMessages) {
    SceneManager::currentScene = Scene::LOBBY;
    handleIncomingPacket("REGISTER_FAIL:Pseudo déjà pris");
    EXPECT_EQ(SceneManager::currentScene, Scene::MENU);
    EXPECT_EQ(fake::lastSpoken(), "Création du compte échouée. Pseudo déjà pris");
    EXPECT_EQ(played().back(), "ui_back");

    SceneManager::currentScene = Scene::MAISON;
    fake::clearSpoken();
    handleIncomingPacket("REGISTER_OK:bienvenue");
    EXPECT_EQ(SceneManager::currentScene, Scene::MENU);
    EXPECT_EQ(fake::spoken(), (Strings{"Menu principal.", "Compte créé et enregistré."}));
    EXPECT_EQ(played().back(), "ui_valid");

    handleIncomingPacket("USERNAME_FAIL:trop long");
    EXPECT_EQ(fake::lastSpoken(), "Impossible de modifier le pseudo. trop long");
    EXPECT_EQ(played().back(), "ui_back");

    myProfile = PlayerProfile{"Zoé", "zoe@exemple.fr", std::string(64, 'c'), "F"};
    handleIncomingPacket("USERNAME_OK:Zoé_2");
    EXPECT_EQ(fake::lastSpoken(), "Pseudo modifié.");
    EXPECT_EQ(played().back(), "ui_valid");
    EXPECT_EQ(myProfile.username, "Zoé_2");
    EXPECT_EQ(loadIdentity().username, "Zoé_2") << "the new pseudo is saved";
    EXPECT_EQ(loadIdentity().email, "zoe@exemple.fr");

    // An empty pseudo would wipe the saved identity.
    fake::clearSpoken();
    const size_t sounds = played().size();
    handleIncomingPacket("USERNAME_OK:");
    EXPECT_EQ(myProfile.username, "Zoé_2");
    EXPECT_EQ(loadIdentity().username, "Zoé_2");
    EXPECT_TRUE(fake::spoken().empty());
    EXPECT_EQ(played().size(), sounds);
    EXPECT_EQ(newestIn(HistoryCategory::GLOBAL), "") << "account messages are not filed";
}

TEST_F(Incoming, RegistrationInTheMenuRebuildsItWithoutReenteringIt) {
    ASSERT_TRUE(saveIdentity(PlayerProfile{"Zoé", std::string(64, 'e'), std::string(64, 'c'), "F"}));
    menuOptions = {"Créer un compte", "Options", "Quitter"};
    isSelectingServer = true;
    isSelectingMenuMusic = true;
    menuSelection = 2;
    handleIncomingPacket("REGISTER_OK");
    EXPECT_EQ(SceneManager::currentScene, Scene::MENU);
    EXPECT_FALSE(isSelectingServer);
    EXPECT_FALSE(isSelectingMenuMusic);
    EXPECT_EQ(menuSelection, 0);
    EXPECT_EQ(menuOptions.front(), "Connexion au serveur");
    EXPECT_EQ(fake::spoken(), Strings{"Compte créé et enregistré."});
    EXPECT_EQ(played(), Strings{"ui_valid"}) << "no menu music restart";
}

TEST_F(Incoming, LobbyPresenceAndFunctionKeyReplies) {
    handleIncomingPacket("LOBBY_JOIN:Léa");
    handleIncomingPacket("LOBBY_LEFT:Marc");
    handleIncomingPacket("PLAYERS_LIST:3 joueurs : Léa, Inès, Zoé");
    handleIncomingPacket("UPTIME:Serveur en ligne depuis 2 h");
    handleIncomingPacket("SECOND_CHANCE_READY");
    handleIncomingPacket("PLAY_SOUND:online");
    handleIncomingPacket("PLAY_SOUND:nom_inconnu");
    handleIncomingPacket("SAY:Bienvenue : bonne chance");
    EXPECT_EQ(fake::spoken(), (Strings{"Léa s'est connecté.", "Marc s'est déconnecté.", "3 joueurs : Léa, Inès, Zoé",
                                       "Serveur en ligne depuis 2 h", "Bienvenue : bonne chance"}));
    EXPECT_EQ(played(), (Strings{"online", "offline", "cloche", "online"}));
    EXPECT_EQ(newestIn(HistoryCategory::GLOBAL), "");
}

TEST_F(Incoming, PongSpeaksTheRoundTripAcrossTheTickWrap) {
    fake::setTime(1500);
    handleIncomingPacket("PONG:1458");
    EXPECT_EQ(fake::lastSpoken(), "42 millisecondes");
    fake::setTime(5);
    handleIncomingPacket("PONG:4294967290");
    EXPECT_EQ(fake::lastSpoken(), "11 millisecondes");

    fake::clearSpoken();
    for (const char* bad : {"PONG:", "PONG:abc", "PONG:-3", "PONG:4294967296", "PONG:99999999999999999999999"})
        handleIncomingPacket(bad);
    EXPECT_TRUE(fake::spoken().empty()) << fake::lastSpoken();
}

TEST_F(Incoming, OnlyWellFormedKeywordsAreActedOn) {
    SceneManager::currentScene = Scene::LOBBY;
    for (const std::string& ignored :
         {std::string("AUTH_OK "), std::string("AUTH_OK\n"), std::string("AUTH_OKAY"), std::string("auth_ok"),
          std::string("SECOND_CHANCE_READY!"), std::string("SAY"), std::string("SAY:"), std::string(" SAY:x"),
          std::string("AUTH_FAIL"), std::string("CHAT_RADIO_FROM"), std::string("INCONNU:x"), std::string(""),
          std::string("\0SAY:cache", 10), std::string("POS:3,4"), std::string("ROUND_END"),
          std::string("TEAM_FULL"), std::string("SHOOT_OK:AK47")})
        handleIncomingPacket(ignored);
    EXPECT_TRUE(fake::spoken().empty()) << fake::lastSpoken();
    EXPECT_TRUE(played().empty());
    EXPECT_EQ(SceneManager::currentScene, Scene::LOBBY);

    // A NUL or a line break ends the message.
    handleIncomingPacket(std::string("SAY:avant\0apres", 15));
    EXPECT_EQ(fake::lastSpoken(), "avant");
    handleIncomingPacket("SAY:ligne un\r\nligne deux");
    EXPECT_EQ(fake::lastSpoken(), "ligne un");
    handleIncomingPacket(std::string("AUTH_OK\0garbage", 15));
    EXPECT_EQ(fake::lastSpoken(), "Connexion réussie.");
    EXPECT_EQ(newestIn(HistoryCategory::GLOBAL), "Connexion réussie.");
}

// Random and mangled messages: nothing crashes and nothing spoken carries a
// NUL or a line break.
TEST_F(Incoming, MangledMessagesAreHarmless) {
    const Strings seeds = {"SAY:bonjour", "PLAY_SOUND:chat", "CHAT_RADIO_FROM:a:b", "CHAT_MP_TO:x:y:z",
                           "AUTH_FAIL:r", "REGISTER_OK", "USERNAME_FAIL:p", "LOBBY_JOIN:n", "PONG:123",
                           "Z_POS:1,2,3", "ROUND_END_KILLS:a:1|b:2", "RANKING:KILLS:a|b", "BOX_HIDDEN:2999"};
    const std::string alphabet = std::string("SAYPONG:|,-0123456789\xc3\xa9\xff\r\n ") + std::string(1, '\0');
    std::mt19937 rng(20240611);
    auto pick = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng); };

    for (int i = 0; i < 20000; ++i) {
        std::string message = seeds[pick(seeds.size())];
        const int edits = static_cast<int>(pick(4));
        for (int e = 0; e < edits; ++e) {
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
        EXPECT_EQ(text.find_first_of(std::string("\r\n\0", 3)), std::string::npos) << text;
}

// Of random texts over these characters only those beginning with "SAY:" or
// "PONG:" may say anything, and none makes a sound.
TEST_F(Incoming, RandomTextIsNotMistakenForAMessage) {
    const std::string alphabet = std::string("SAYPONG:_0123456789 ") + std::string(1, '\0');
    std::mt19937 rng(7);
    auto pick = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng); };
    for (int i = 0; i < 20000; ++i) {
        std::string message;
        for (size_t n = pick(12); n > 0; --n) message += alphabet[pick(alphabet.size())];
        const size_t before = fake::spoken().size();
        handleIncomingPacket(message);
        if (message.rfind("SAY:", 0) != 0 && message.rfind("PONG:", 0) != 0) {
            ASSERT_EQ(fake::spoken().size(), before) << message;
        }
    }
    EXPECT_TRUE(played().empty());
}
