// Logging in and creating an account as a player does it: the real main loop,
// scripted keys and typing, and a stand-in game server on the main and test ports.
#include "core/scene.h"
#include "audio/volume.h"
#include "client_test_support.h"
#include "enet_test_server.h"
#include "net/connection.h"
#include "base/sha256.h"
#include "scenes/exit_confirm.h"
#include "scenes/maison.h"
#include "scenes/menu.h"
#include "core/local_player.h"
#include "world/doors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <thread>

namespace {

std::string framed(const std::string& text) { return text + std::string(1, '\0'); }

class Online : public ClientTest {
protected:
    // Typed text arrives as window events at `at`.
    static void typeAt(uint32_t at, const std::string& text) {
        fake::at(at, [text] { fake::pushText(text); });
    }
    // At `at`, waits (real time) for the server to have received `count`
    // packets, then lets a reply travel before the client's next frame.
    void awaitPackets(EnetTestServer& server, uint32_t at, size_t count, const std::string& reply = {}) {
        fake::at(at, [&server, count, reply] {
            server.waitUntil([&] { return server.packets().size() >= count; }, 3000);
            if (!reply.empty()) server.send(reply);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        });
    }
};

} // namespace

TEST_F(Online, StoredIdentityLogsInAtOnceAndAFailureReturnsToTheMenu) {
    EnetTestServer server(PORT_MAIN);
    ASSERT_TRUE(server.listening());
    withIdentity();
    press(VK_RETURN, 100); // skip the intro
    press(VK_RETURN, 400); // server list
    press(VK_RETURN, 700); // "Serveur Principal"
    awaitPackets(server, 800, 1, "AUTH_FAIL:Mot de passe incorrect.");
    Scene afterFail = Scene::INTRO;
    fake::at(900, [&] { afterFail = SceneManager::currentScene; });
    fake::at(1000, [&] { server.disconnectClients(); });
    fake::at(1010, [] { std::this_thread::sleep_for(std::chrono::milliseconds(200)); });
    closeAt(1500);
    runClient();

    ASSERT_EQ(server.packets().size(), 1u);
    EXPECT_EQ(server.packets()[0], framed("AUTH_LOGIN:alice@example.org:" + std::string(64, 'a') + ":"));
    EXPECT_EQ(count("Connexion au serveur principal..."), 1u);
    EXPECT_EQ(count("Authentification en cours."), 1u);
    EXPECT_EQ(count("Connexion échouée. Mot de passe incorrect."), 1u);
    EXPECT_EQ(afterFail, Scene::MENU);
    EXPECT_EQ(count("Serveur deconnecte."), 1u);
}

TEST_F(Online, PasswordIsAskedOnceThenOnlyItsHashIsKept) {
    EnetTestServer server(PORT_MAIN);
    PlayerProfile p;
    p.username = "Alice";
    p.email = "alice@example.org";
    ASSERT_TRUE(saveIdentity(p));
    press(VK_RETURN, 100);
    press(VK_RETURN, 400);
    press(VK_RETURN, 700);
    typeAt(800, "sésame");
    press(VK_RETURN, 1000);
    awaitPackets(server, 1100, 1);
    closeAt(1400);
    runClient();

    EXPECT_EQ(count("Mot de passe du compte (une seule fois). Tapez puis Entrée."), 1u);
    const std::string hash = sha256Hex("sésame");
    ASSERT_EQ(server.packets().size(), 1u);
    EXPECT_EQ(server.packets()[0], framed("AUTH_LOGIN:alice@example.org:" + hash + ":"));
    EXPECT_EQ(loadIdentity().passHash, hash);
    EXPECT_EQ(readFile("save.dat").find("sésame"), std::string::npos) << "the password is kept nowhere";
}

TEST_F(Online, AccountCreationSendsHashesAndStoresTheNewIdentity) {
    EnetTestServer server(PORT_MAIN);
    press(VK_RETURN, 100); // skip the intro
    press(VK_RETURN, 400); // "Créer un compte": connects, asks for a pseudo
    typeAt(500, "Zoé");
    press(VK_RETURN, 700);
    typeAt(800, "  Zoe@Exemple.FR ");
    press(VK_RETURN, 1000);
    typeAt(1100, "mot de passe");
    press(VK_RETURN, 1300);
    press(VK_RIGHT, 1600); // Féminin
    press(VK_RETURN, 1900);
    awaitPackets(server, 2000, 1, "REGISTER_OK");
    closeAt(2300);
    runClient();

    ASSERT_EQ(server.packets().size(), 1u);
    const std::string emailHash = sha256Hex("zoe@exemple.fr");
    const std::string passHash = sha256Hex("mot de passe");
    EXPECT_EQ(server.packets()[0], framed("AUTH_REGISTER:" + emailHash + ":Zoé:" + passHash + ":F"));
    EXPECT_EQ(count("Création du compte en cours."), 1u);
    EXPECT_EQ(fake::lastSpoken(), "Compte créé et enregistré.");
    EXPECT_EQ(menuOptions[0], "Connexion au serveur");
    PlayerProfile saved = loadIdentity();
    EXPECT_EQ(saved.username, "Zoé");
    EXPECT_EQ(saved.email, emailHash) << "the plain address is dropped";
    EXPECT_EQ(saved.passHash, passHash);
    EXPECT_EQ(saved.gender, "F");
}

TEST_F(Online, TestServerTakesTheTypedPasswordAsAccessPass) {
    EnetTestServer server(PORT_TEST);
    withIdentity();
    press(VK_RETURN, 100);
    press(VK_RETURN, 400);
    press(VK_DOWN, 700);   // "Serveur de Test"
    press(VK_RETURN, 1000);
    typeAt(1100, "clé");
    press(VK_RETURN, 1300);
    awaitPackets(server, 1400, 1);
    closeAt(1600);
    runClient();

    EXPECT_EQ(count("Mot de passe requis pour le serveur de test. Tapez le mot de passe puis Entrée."), 1u);
    EXPECT_EQ(count("Connexion au serveur de test."), 1u);
    ASSERT_EQ(server.packets().size(), 1u);
    EXPECT_EQ(server.packets()[0], framed("AUTH_LOGIN:alice@example.org:" + std::string(64, 'a') + ":clé"));
    EXPECT_FALSE(isSelectingServer);
}

TEST_F(Online, ChatKeysOpenTheEntriesOnlyOnTheMaps) {
    EnetTestServer server(PORT_MAIN);
    withIdentity();
    press(VK_RETURN, 100);
    press(VK_RETURN, 400);
    press(VK_RETURN, 700); // logged in
    typeAt(800, "!");      // in the menu: nothing
    fake::at(900, [] { SceneManager::currentScene = Scene::LOBBY; });
    typeAt(1000, "!salut");
    press(VK_RETURN, 1200);
    typeAt(1300, "*");
    typeAt(1400, "on y va");
    press(VK_RETURN, 1600);
    awaitPackets(server, 1700, 3);
    closeAt(1900);
    runClient();

    auto packets = server.packets();
    ASSERT_EQ(packets.size(), 3u);
    EXPECT_EQ(packets[1], framed("CHAT_RADIO:salut"));
    EXPECT_EQ(packets[2], framed("CHAT_TEAM:on y va"));
    EXPECT_EQ(count("Radio. Tapez votre message puis Entrée."), 1u);
    EXPECT_EQ(count("Équipe. Tapez votre message puis Entrée."), 1u);
}

TEST_F(Online, UnreachableServerIsSaidAndTheListStaysOpen) {
    withIdentity();
    press(VK_RETURN, 100);
    press(VK_RETURN, 400);
    press(VK_RETURN, 700); // nobody listens on the main port
    closeAt(1000);
    const auto start = std::chrono::steady_clock::now();
    runClient();
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(count("Échec de la connexion au serveur principal."), 1u);
    EXPECT_TRUE(isSelectingServer);
    EXPECT_LT(waited, std::chrono::seconds(8));
}

namespace {

// A game in the house, logged in as Alice, with every packet the stand-in
// server receives snapshotted at chosen moments of the fake clock.
class House : public Online {
protected:
    void SetUp() override {
        Online::SetUp();
        ASSERT_TRUE(server.listening());
        withIdentity();
        press(VK_RETURN, 100); // skip the intro
        press(VK_RETURN, 400); // server list
        press(VK_RETURN, 700); // "Serveur Principal": logs in
        awaitPackets(server, 750, 1);
    }
    // The server's message arrives before the client's next frame.
    void serverSays(uint32_t at, const std::string& text) {
        fake::at(at, [this, text] {
            server.send(text);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        });
    }
    // The packets received once those sent before `at` have had time to arrive.
    void snapshot(uint32_t at) {
        fake::at(at, [this, at] {
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
            seen[at] = server.packets();
        });
    }
    size_t countAt(uint32_t at, const std::string& text) {
        const auto& p = seen[at];
        return static_cast<size_t>(std::count(p.begin(), p.end(), framed(text)));
    }
    // The packets that arrived between two snapshots, without their NUL.
    std::vector<std::string> between(uint32_t from, uint32_t to) {
        std::vector<std::string> out;
        for (size_t i = seen[from].size(); i < seen[to].size(); ++i)
            out.push_back(seen[to][i].substr(0, seen[to][i].size() - 1));
        return out;
    }
    static void hold(std::initializer_list<int> keys, uint32_t at, uint32_t holdMs) {
        for (int vk : keys) press(vk, at, holdMs);
    }

    EnetTestServer server{PORT_MAIN};
    std::map<uint32_t, std::vector<std::string>> seen;
};

using Texts = std::vector<std::string>;

} // namespace

TEST_F(House, AGameFromItsStartWithMovesShotsDeathAndRevival) {
    // State left from before the game: all of it starts again.
    fake::at(780, [] {
        setLocalDead(true);
        setDoorClosedAt(50, 0, false);
        localPlayer = {9, 9};
    });
    serverSays(800, "START_MAISON");
    bool greeted = false;
    fake::at(900, [&] {
        greeted = SceneManager::currentScene == Scene::MAISON && fake::lastSpoken() == "Partie lancée. Bonne chance." &&
                  !isLocalDead() && isDoorClosedAt(50, 0) && localPlayer.x == 0 && localPlayer.y == 0 && isInMaison;
    });

    float musicAfterFade = -1.0f;
    fake::at(1900, [&] {
        const auto music = fake::audio::playback(getSoundHandle("music_maison"));
        if (music && music->state == platform::AUDIO_PLAYING)
            musicAfterFade = music->volume / getFinalVolume(AudioChannel::AMBIANCE);
    });

    // Held Up: a step at once, then at gaps just over 400 ms.
    hold({VK_UP}, 1000, 830);
    for (uint32_t t : {995u, 1005u, 1405u, 1415u, 1815u, 1825u}) snapshot(t);
    // With Shift, just over 200 ms.
    hold({VK_SHIFT, VK_UP}, 2100, 450);
    for (uint32_t t : {2305u, 2315u, 2560u}) snapshot(t);
    // Up and Left together: two steps in one pass.
    hold({VK_UP, VK_LEFT}, 3000, 50);
    snapshot(3060);
    // Shots every pass just over 50 ms after the last; the reload held with
    // them waits for a 200 ms pause in the shooting.
    hold({VK_SPACE}, 3100, 200);
    hold({'R'}, 3100, 500);
    for (uint32_t t : {3155u, 3165u, 3650u}) snapshot(t);
    press(VK_F1 + 10, 3700); // F11: the mixer report
    fake::at(3750, [&] { seen[3750] = {fake::lastSpoken()}; });

    // Down: no shot, reload, ammo check or weapon switch; the rest still works.
    serverSays(3800, "PLAYER_DOWN:Alice:0,0");
    bool spokenDead = false;
    fake::at(3850, [&] { spokenDead = fake::lastSpoken() == "Vous etes mort !" && isLocalDead(); });
    hold({VK_SPACE, 'R', 'Q', '1', VK_UP, VK_RETURN, 'U', VK_F1}, 4000, 100);
    snapshot(3990);
    snapshot(4200);
    serverSays(4300, "REVIVED");
    hold({'R', '1'}, 4400, 30);
    hold({VK_SPACE}, 4400, 70);
    snapshot(4500);
    closeAt(4600);
    runClient();

    EXPECT_TRUE(greeted);
    EXPECT_FLOAT_EQ(musicAfterFade, 0.4f) << "the house music fades in under the ambience level";
    EXPECT_EQ(countAt(995, "MOVE:Z"), 0u);
    EXPECT_EQ(countAt(1005, "MOVE:Z"), 1u);
    EXPECT_EQ(countAt(1405, "MOVE:Z"), 1u);
    EXPECT_EQ(countAt(1415, "MOVE:Z"), 2u);
    EXPECT_EQ(countAt(1815, "MOVE:Z"), 2u);
    EXPECT_EQ(countAt(1825, "MOVE:Z"), 3u);
    EXPECT_EQ(countAt(2305, "MOVE:Z"), 4u);
    EXPECT_EQ(countAt(2315, "MOVE:Z"), 5u);
    EXPECT_EQ(countAt(2560, "MOVE:Z"), 6u);
    EXPECT_EQ(between(2560, 3060), (Texts{"MOVE:Z", "MOVE:Q"}));
    EXPECT_EQ(countAt(3155, "SHOOT"), 0u);
    EXPECT_EQ(countAt(3165, "SHOOT"), 1u);
    EXPECT_EQ(between(3060, 3650), (Texts{"RELOAD", "SHOOT", "SHOOT", "SHOOT", "RELOAD"}));
    ASSERT_EQ(seen[3750].size(), 1u);
    EXPECT_EQ(seen[3750][0].rfind("Audio debug. Total ", 0), 0u) << seen[3750][0];
    EXPECT_TRUE(spokenDead);
    EXPECT_EQ(between(3990, 4200), (Texts{"MOVE:Z", "GET_MEMBER:0", "REVIVE", "ACTION"}));
    EXPECT_EQ(between(4200, 4500), (Texts{"RELOAD", "SWITCH:0", "SHOOT"}));
    EXPECT_EQ(count("Réanimé."), 1u);
}

TEST_F(House, MapElementsMenuFollowsTheDoorsTheServerOpens) {
    serverSays(800, "START_MAISON");
    press('D', 1000);     // the map elements menu
    press(VK_UP, 1300);   // "Retour"
    press(VK_UP, 1600);   // "Porte close, 70; 50"
    serverSays(1700, "DOOR_OPENED:70,50");
    serverSays(1710, "DOOR_OPENED:70,0");
    std::vector<std::string> listed;
    int32_t selection = -1;
    fake::at(1750, [&] {
        listed = mapElementsOptions;
        selection = mapElementsSelection;
    });
    press(VK_ESCAPE, 1900);
    bool closed = false;
    fake::at(2000, [&] { closed = !isMapElementsMenuOpen && !isConfirmingExit; });
    closeAt(2100);
    runClient();

    EXPECT_EQ(count("Porte close, 70; 50"), 1u);
    EXPECT_EQ(listed, (Texts{"Épée, 0; 50", "Potion de seconde vie, 53; 9", "Porte close, 50; 0",
                             "Porte close, 50; 50", "Retour"}));
    EXPECT_EQ(selection, 4) << "clamped to the new last entry";
    EXPECT_TRUE(closed);
}
