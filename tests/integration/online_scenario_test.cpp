// Logging in and the lobby's keys as a player uses them: the real main loop,
// scripted keys and typing, and a stand-in game server on the main and test
// ports. Account creation and a login from another machine are played against
// the real server in first_game_test.
#include "base/sha256.h"
#include "core/scene.h"
#include "net/connection.h"
#include "online_test_support.h"
#include "scenes/lobby_menu.h"
#include "scenes/menu.h"

#include <algorithm>
#include <chrono>
#include <thread>

const std::string kLogin = "AUTH_LOGIN:alice@example.org:" + std::string(64, 'a') + ":";

// The password not saved yet is asked for once; refused on the main server,
// the player tries the test server, which wants its pass.
TEST_F(Online, StoredIdentityAsksThePasswordOnceAFailureReturnsToTheMenuAndTheTestServerTakesItsPass) {
    EnetTestServer server(PORT_MAIN), testServer(PORT_TEST);
    ASSERT_TRUE(server.listening() && testServer.listening());
    ASSERT_TRUE(saveIdentity({"Alice", "alice@example.org", "", "F"}));
    chooseMainServer();
    typeAt(750, "secret");
    press(VK_RETURN, 1000);
    awaitPackets(server, 1100, 1, {"AUTH_FAIL:Mot de passe incorrect."}); // back to the menu (incoming_test)
    fake::at(1300, [&] { server.disconnectClients(); });
    fake::at(1310, [] { std::this_thread::sleep_for(std::chrono::milliseconds(200)); });
    press(VK_RETURN, 1600); // the server list
    press(VK_DOWN, 1900);   // "Serveur de Test"
    press(VK_RETURN, 2200);
    typeAt(2300, "clé");
    press(VK_RETURN, 2500);
    awaitPackets(testServer, 2600, 1);
    closeAt(2800);
    runClient();

    const std::string login = "AUTH_LOGIN:alice@example.org:" + sha256Hex("secret") + ":";
    EXPECT_EQ(server.messages(), std::vector<std::string>{login});
    EXPECT_EQ(count("Mot de passe du compte (une seule fois). Tapez puis Entrée."), 1u);
    EXPECT_EQ(count("Connexion au serveur principal..."), 1u);
    EXPECT_EQ(count("Authentification en cours."), 2u);
    EXPECT_EQ(count("Serveur deconnecte."), 1u);
    EXPECT_EQ(count("Mot de passe requis pour le serveur de test. Tapez le mot de passe puis Entrée."), 1u);
    EXPECT_EQ(count("Connexion au serveur de test."), 1u);
    EXPECT_EQ(testServer.messages(), std::vector<std::string>{login + "clé"});
    EXPECT_FALSE(isSelectingServer);
}

// Chat keys open their entries only on the maps; a refused team name stays in
// the entry to be amended.
TEST_F(Online, LobbyChatsThenALeaderRetypesATakenTeamNameAndStartsTheGame) {
    EnetTestServer server(PORT_MAIN);
    withIdentity();
    chooseMainServer();
    typeAt(750, "!"); // in the menu: nothing
    awaitPackets(server, 800, 1, {"GOTO_LOBBY"});
    typeAt(1000, "!salut");
    press(VK_RETURN, 1200);
    typeAt(1300, "*");
    typeAt(1400, "on y va");
    press(VK_RETURN, 1600);
    awaitPackets(server, 1700, 3);
    press(VK_RETURN, 2000); // on (0, 0): the group menu
    press(VK_RETURN, 2300); // "Créer une équipe": the name entry
    typeAt(2400, "Les Élus");
    press(VK_RETURN, 2600);
    awaitPackets(server, 2700, 4, {"SAY:Ce nom d'équipe est déjà pris."});
    typeAt(2800, "23");
    press(VK_BACK, 2900);
    press(VK_RETURN, 3200);
    awaitPackets(server, 3300, 5, {"TEAM_OK:Les Élus2", "TEAM_MEMBERS:Alice"});
    press(VK_DOWN, 3500);
    press(VK_RETURN, 3800);
    awaitPackets(server, 3900, 6);
    closeAt(4100);
    runClient();

    expectHeardInOrder({"Map d'attente.", "Radio. Tapez votre message puis Entrée.",
                        "Équipe. Tapez votre message puis Entrée.", "Menu de groupe : Créer une équipe",
                        "Nom de l'équipe ?", "É", "Création de l'équipe Les Élus", "Ce nom d'équipe est déjà pris.",
                        "2", "3", "Les Élus2", "Création en cours...", "Equipe rejointe : Les Élus2",
                        "Lancer la partie", "Lancement..."});
    EXPECT_EQ(server.messages(), (std::vector<std::string>{kLogin, "CHAT_RADIO:salut", "CHAT_TEAM:on y va", "CREATE_TEAM:Les Élus",
                                                       "CREATE_TEAM:Les Élus2", "START_GAME"}));
    EXPECT_EQ(count("Radio. Tapez votre message puis Entrée."), 1u);
    EXPECT_TRUE(lobbyTeam.isLeader);
}

TEST_F(Online, UnreachableServerIsSaidAndTheListStaysOpen) {
    withIdentity();
    chooseMainServer(); // nobody listens on the main port
    closeAt(1000);
    const auto start = std::chrono::steady_clock::now();
    runClient();
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(count("Échec de la connexion au serveur principal."), 1u);
    EXPECT_TRUE(isSelectingServer);
    EXPECT_LT(waited, std::chrono::seconds(8));
}
