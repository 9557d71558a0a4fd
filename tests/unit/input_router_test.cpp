// The per-pass keyboard poll: pacing, the keys that work everywhere, the exit
// confirmation and the lobby's walking and menu keys. The house's keys are
// played in house_scenario_test.
#include "app/input_router.h"
#include "client_test_support.h"
#include "core/local_player.h"
#include "core/scene.h"
#include "enet_test_server.h"
#include "input/key_bindings.h"
#include "net/connection.h"
#include "scenes/exit_confirm.h"
#include "scenes/lobby_menu.h"
#include "scenes/menu.h"

namespace {

class Dispatch : public ClientTest {
protected:
    void SetUp() override {
        ClientTest::SetUp();
        KeyBindingManager::init();
        initMenuScene();
        fake::clearSpoken();
        lastActionTime = 0;
        fake::setTime(1000);
    }
    // One pass, `afterMs` from now, with exactly these keys held.
    static void passWith(std::initializer_list<int> keys, uint32_t afterMs = 0) {
        fake::advance(afterMs);
        fake::releaseAllKeys();
        for (int vk : keys) fake::setKey(vk, true);
        updateInputs();
        fake::releaseAllKeys();
    }
};

} // namespace

TEST_F(Dispatch, ActionsNeedMoreThan200MsAndAHistoryKeyEndsThePass) {
    passWith({VK_DOWN});
    EXPECT_EQ(fake::lastSpoken(), "Options");
    passWith({VK_DOWN}, 200);
    EXPECT_EQ(fake::spoken().size(), 1u) << "exactly 200 ms is too soon";
    passWith({VK_DOWN}, 1);
    EXPECT_EQ(fake::lastSpoken(), "Quitter");

    // A history key acts and ends the pass: the menu key held with it waits.
    passWith({'A', VK_DOWN}, 201);
    EXPECT_EQ(fake::lastSpoken(), "Historique vide.");
    EXPECT_EQ(menuSelection, 2);

    // Volume keys act in the same pass as the scene's keys.
    passWith({VK_F1 + 8, VK_DOWN}, 201); // F9: previous channel
    ASSERT_GE(fake::spoken().size(), 2u);
    EXPECT_EQ(fake::lastSpoken(), "Créer un compte");
}

TEST_F(Dispatch, ExitConfirmationTakesEveryKeyWhileOpen) {
    SceneManager::currentScene = Scene::LOBBY;
    passWith({VK_ESCAPE});
    EXPECT_TRUE(isConfirmingExit);
    EXPECT_EQ(fake::lastSpoken(), "Retourner au menu principal ? Non");

    passWith({'A', VK_F1 + 6}, 250); // a history key and a volume key: nothing
    EXPECT_EQ(fake::lastSpoken(), "Retourner au menu principal ? Non");

    passWith({VK_UP});
    EXPECT_EQ(fake::lastSpoken(), "Oui");
    passWith({VK_RETURN}, 100);
    EXPECT_TRUE(isConfirmingExit) << "the confirmation paces itself";
    passWith({VK_UP}, 100);
    EXPECT_EQ(fake::lastSpoken(), "Non");
    passWith({VK_RETURN}, 200);
    EXPECT_FALSE(isConfirmingExit);
    EXPECT_EQ(fake::lastSpoken(), "Retour");
    EXPECT_EQ(SceneManager::currentScene, Scene::LOBBY) << "\"Non\" changes nothing";

    // Escape closes it; "Oui" closes the connection and returns to the main menu.
    EnetTestServer server;
    ASSERT_TRUE(connectToServer("127.0.0.1", server.port()));
    passWith({VK_ESCAPE}, 201);
    passWith({VK_ESCAPE}, 200);
    EXPECT_FALSE(isConfirmingExit);
    EXPECT_EQ(fake::lastSpoken(), "Retour");
    passWith({VK_ESCAPE}, 201);
    passWith({VK_UP}, 200);
    passWith({VK_RETURN}, 200);
    EXPECT_EQ(SceneManager::currentScene, Scene::MENU);
    EXPECT_EQ(fake::lastSpoken(), "Menu principal.");
    EXPECT_EQ(client, nullptr);

    // From the house, "Oui" goes back to the lobby.
    SceneManager::currentScene = Scene::MAISON;
    passWith({VK_ESCAPE}, 201);
    EXPECT_EQ(fake::lastSpoken(), "Quitter la partie ? Non");
    passWith({VK_DOWN}, 201);
    passWith({VK_RETURN}, 201);
    EXPECT_EQ(SceneManager::currentScene, Scene::LOBBY);
}

TEST_F(Dispatch, LobbyWalkingKeys) {
    EnetTestServer server;
    ASSERT_TRUE(connectToServer("127.0.0.1", server.port()));
    SceneManager::currentScene = Scene::LOBBY;
    localPlayer = TilePosition{3, 4};
    // Up and Left held together: one step per pass, Up only, at gaps over 400 ms.
    fake::releaseAllKeys();
    fake::setKey(VK_UP, true);
    fake::setKey(VK_LEFT, true);
    for (int i = 0; i < 100; ++i, fake::advance(10)) updateInputs(); // 1000 to 1990
    fake::setKey(VK_SHIFT, true);
    for (int i = 0; i < 50; ++i, fake::advance(10)) updateInputs(); // 2000 to 2490: running
    fake::releaseAllKeys();
    // Off the entrance Return opens nothing; C says where he stands; F2 pings.
    passWith({VK_RETURN}, 300);
    passWith({'C'}, 201);
    EXPECT_EQ(fake::spoken(), std::vector<std::string>{"3, 4"});
    passWith({VK_F1 + 1}, 201);
    std::vector<std::string> sent(6, "MOVE:Z"); // 1000, 1410, 1820; then with Shift 2030, 2240, 2450
    sent.push_back("PING:" + std::to_string(fake::now()));

    localPlayer = TilePosition{0, 0};
    passWith({VK_RETURN}, 300);
    EXPECT_EQ(fake::lastSpoken(), "Menu de groupe : Créer une équipe");
    EXPECT_EQ(server.messages(7), sent);

    // In the menu each held key acts, Escape goes back instead of asking to leave, the arrows move no one.
    passWith({VK_ESCAPE, VK_DOWN}, 201);
    EXPECT_FALSE(isConfirmingExit);
    EXPECT_EQ(fake::spoken().back(), "Fermé");
    EXPECT_EQ(fake::spoken()[fake::spoken().size() - 2], "Rejoindre une équipe");
    EXPECT_EQ(server.messages().size(), 7u);
}

TEST_F(Dispatch, LobbyMenuLeftOpenIsStillOpenOnReturn) {
    initAudio();
    SceneManager::switchScene(Scene::LOBBY);
    EXPECT_EQ(fake::lastSpoken(), "Map d'attente.");
    EXPECT_EQ(stateOf("music_lobby"), platform::AUDIO_PLAYING);
    passWith({VK_RETURN});
    passWith({VK_DOWN}, 201);
    EXPECT_EQ(fake::lastSpoken(), "Rejoindre une équipe");

    SceneManager::switchScene(Scene::MENU);
    fake::advance(600);
    auto music = [] { return fake::audio::playback(getSoundHandle("music_lobby")).value_or(fake::audio::Playback{}); };
    EXPECT_EQ(music().volume, 0.0f) << "faded out";
    SceneManager::switchScene(Scene::LOBBY);
    EXPECT_EQ(starts("music_lobby"), 2) << "each entry restarts the music";
    fake::advance(1000);
    EXPECT_FLOAT_EQ(music().volume, getFinalVolume(AudioChannel::AMBIANCE));
    EXPECT_EQ(lobbyMenu.state, LobbyState::MAIN_MENU);
    passWith({VK_DOWN});
    EXPECT_EQ(fake::lastSpoken(), "Voir le classement");
}
