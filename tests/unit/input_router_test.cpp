// The per-pass keyboard poll: pacing, the keys of every scene, the exit
// confirmation and the house's map elements menu.
#include "core/local_player.h"
#include "core/scene.h"
#include "core/speech.h"
#include "client_test_support.h"
#include "enet_test_server.h"
#include "app/input_router.h"
#include "input/key_bindings.h"
#include "net/connection.h"
#include "scenes/exit_confirm.h"
#include "scenes/maison.h"
#include "scenes/menu.h"
#include "world/doors.h"

#include <gtest/gtest.h>

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
    // One pass with exactly these keys held.
    static void passWith(std::initializer_list<int> keys) {
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
    fake::advance(200);
    passWith({VK_DOWN});
    EXPECT_EQ(fake::spoken().size(), 1u) << "exactly 200 ms is too soon";
    fake::advance(1);
    passWith({VK_DOWN});
    EXPECT_EQ(fake::lastSpoken(), "Quitter");

    // A history key acts and ends the pass: the menu key held with it waits.
    fake::advance(201);
    passWith({'A', VK_DOWN});
    EXPECT_EQ(fake::lastSpoken(), "Historique vide.");
    EXPECT_EQ(menuSelection, 2);

    // Volume keys act in the same pass as the scene's keys.
    fake::advance(201);
    passWith({VK_F1 + 8, VK_DOWN}); // F9: previous channel
    ASSERT_GE(fake::spoken().size(), 2u);
    EXPECT_EQ(fake::lastSpoken(), "Créer un compte");
}

TEST_F(Dispatch, ExitConfirmationTakesEveryKeyWhileOpen) {
    SceneManager::currentScene = Scene::LOBBY;
    passWith({VK_ESCAPE});
    EXPECT_TRUE(isConfirmingExit);
    EXPECT_EQ(fake::lastSpoken(), "Retourner au menu principal ? Non");

    fake::advance(250);
    passWith({'A', VK_F1 + 6}); // a history key and a volume key: nothing
    EXPECT_EQ(fake::lastSpoken(), "Retourner au menu principal ? Non");

    passWith({VK_UP});
    EXPECT_EQ(fake::lastSpoken(), "Oui");
    fake::advance(100);
    passWith({VK_RETURN});
    EXPECT_TRUE(isConfirmingExit) << "the confirmation paces itself";
    fake::advance(100);
    passWith({VK_UP});
    EXPECT_EQ(fake::lastSpoken(), "Non");
    fake::advance(200);
    passWith({VK_RETURN});
    EXPECT_FALSE(isConfirmingExit);
    EXPECT_EQ(fake::lastSpoken(), "Retour");
    EXPECT_EQ(SceneManager::currentScene, Scene::LOBBY) << "\"Non\" changes nothing";

    // Escape closes it; "Oui" closes the connection and returns to the main menu.
    EnetTestServer server;
    ASSERT_TRUE(connectToServer("127.0.0.1", server.port()));
    fake::advance(201);
    passWith({VK_ESCAPE});
    fake::advance(200);
    passWith({VK_ESCAPE});
    EXPECT_FALSE(isConfirmingExit);
    EXPECT_EQ(fake::lastSpoken(), "Retour");
    fake::advance(201);
    passWith({VK_ESCAPE});
    fake::advance(200);
    passWith({VK_UP});
    fake::advance(200);
    passWith({VK_RETURN});
    EXPECT_EQ(SceneManager::currentScene, Scene::MENU);
    EXPECT_EQ(fake::lastSpoken(), "Menu principal.");
    EXPECT_EQ(client, nullptr);

    // From the house, "Oui" goes back to the lobby.
    SceneManager::currentScene = Scene::MAISON;
    fake::advance(201);
    passWith({VK_ESCAPE});
    EXPECT_EQ(fake::lastSpoken(), "Quitter la partie ? Non");
    fake::advance(201);
    passWith({VK_DOWN});
    fake::advance(201);
    passWith({VK_RETURN});
    EXPECT_EQ(SceneManager::currentScene, Scene::LOBBY);
}

TEST_F(Dispatch, MapElementsMenuFollowsTheDoors) {
    SceneManager::currentScene = Scene::MAISON;
    passWith({'D'});
    ASSERT_TRUE(isMapElementsMenuOpen);
    EXPECT_EQ(mapElementsOptions.size(), 7u) << "all four doors start closed";
    EXPECT_EQ(fake::lastSpoken(), "Épée, 0; 50");

    // Up from the first entry wraps to "Retour"; up again reaches the last door.
    fake::advance(201);
    passWith({VK_UP});
    EXPECT_EQ(fake::lastSpoken(), "Retour");
    fake::advance(201);
    passWith({VK_UP});
    EXPECT_EQ(fake::lastSpoken(), "Porte close, 70; 50");
    EXPECT_EQ(mapElementsSelection, 5);

    // The door opens while the menu is open: it leaves the list, the cursor is clamped.
    setDoorClosedAt(70, 50, false);
    setDoorClosedAt(70, 0, false);
    passWith({});
    EXPECT_EQ(mapElementsOptions.size(), 5u);
    EXPECT_EQ(mapElementsSelection, 4);
    EXPECT_EQ(mapElementsOptions[4], "Retour");

    // Escape closes the menu only, without the exit confirmation.
    fake::advance(201);
    passWith({VK_ESCAPE});
    EXPECT_FALSE(isMapElementsMenuOpen);
    EXPECT_FALSE(isConfirmingExit);

    setDoorClosedAt(50, 0, false);
    setDoorClosedAt(50, 50, false);
    setDoorClosedAt(60, 0, true); // no door there
    EXPECT_FALSE(isDoorClosedAt(60, 0));
    fake::advance(201);
    passWith({'D'});
    EXPECT_EQ(mapElementsOptions,
              (std::vector<std::string>{"Épée, 0; 50", "Potion de seconde vie, 53; 9", "Retour"}));
    fake::advance(201);
    passWith({VK_DOWN});
    fake::advance(201);
    passWith({VK_DOWN});
    fake::advance(201);
    passWith({VK_RETURN});
    EXPECT_FALSE(isMapElementsMenuOpen) << "Enter on \"Retour\" closes";
}
