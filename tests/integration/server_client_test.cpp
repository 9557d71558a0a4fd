// The client's core, with its platform doubles, against a real AshenServer on
// 127.0.0.1: an account is created, a wrong then a right password is tried,
// the lobby is walked, its information keys are answered, its group menu
// makes a team that plays and is dissolved, and the rankings name the player,
// all in words the player hears.
#include "app/app.h"
#include "core/local_player.h"
#include "core/save_file.h"
#include "fake_platform.h"
#include "input/text_input.h"
#include "net/connection.h"
#include "net/outgoing.h"
#include "scenes/lobby_menu.h"
#include "base/sha256.h"
#include "server_process.h"
#include "temp_folder.h"

#include <chrono>
#include <thread>

namespace {

class ClientWithServer : public TempFolder {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        fake::reset();
        resetClientForTests();
    }
    void TearDown() override {
        disconnectFromServer();
        TempFolder::TearDown();
    }

    // Services the connection (real time) until the player hears a text that
    // starts with `start`, after what he heard before; Argon2id on a busy machine takes its time.
    bool hears(const std::string& start, int ms = 15000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < end) {
            updateNetworkStatus();
            const auto& s = fake::spoken();
            for (; heard_ < s.size(); ++heard_)
                if (s[heard_].rfind(start, 0) == 0) {
                    ++heard_;
                    return true;
                }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }
    // Services the connection for `ms` of real time.
    static void serviceFor(int ms) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < end) {
            updateNetworkStatus();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

private:
    size_t heard_ = 0;
};

} // namespace

TEST_F(ClientWithServer, CreatesAnAccountWalksTheLobbyMakesATeamPlaysAndReadsTheRankings) {
    ServerProcess server;
    ASSERT_TRUE(connectToServer("127.0.0.1", server.port()));
    const std::string pass = sha256Hex("mot de passe");
    sendAuthRegister(sha256Hex("zoe@exemple.fr"), "Zoé", pass, "F");
    EXPECT_TRUE(hears("Compte créé et enregistré."));

    PlayerProfile typed; // the address as the player typed it in the login flow
    typed.email = " Zoe@Exemple.FR";
    sendAuthLogin(typed, sha256Hex("mauvais"), "");
    EXPECT_TRUE(hears("Connexion échouée. E-mail ou mot de passe incorrect."));
    sendAuthLogin(typed, pass, "");
    EXPECT_TRUE(hears("Connexion réussie."));
    EXPECT_TRUE(hears("Map d'attente."));
    myProfile.username = "Zoé"; // as the login flow keeps it

    // From the entrance: the edge stops her, two steps take her to (1, 1).
    requestMove('Q');
    requestMove('D');
    requestMove('Z');
    sendCheckHealth();
    EXPECT_TRUE(hears("100 points de vie sur 100."));
    EXPECT_EQ(localPlayer.x, 1);
    EXPECT_EQ(localPlayer.y, 1);

    handleF1();
    EXPECT_TRUE(hears("1 joueur en ligne : Zoé."));
    handleF2(); // the fake tick stands still: no time passes
    EXPECT_TRUE(hears("0 millisecondes"));
    handleF3();
    EXPECT_TRUE(hears("Serveur en ligne depuis ")); // seconds, on a busy machine

    // A team named in the entry, led, refused a second one, then plays.
    openLobbyMenu();
    EXPECT_TRUE(hears("Menu de groupe : Créer une équipe"));
    lobbyConfirm();
    for (const char* c : {"É", "q", "u", "i", "p", "e", " ", "é"}) TextInput::handleChar(c);
    TextInput::submit();
    EXPECT_TRUE(hears("Equipe rejointe : Équipe é"));
    serviceFor(300); // the member list follows
    lobbyNavigate(0);
    EXPECT_TRUE(hears("Chef : Zoé"));
    sendGetTeams();
    EXPECT_TRUE(hears("Liste des équipes. Équipe é (1/4)"));
    lobbyConfirm();
    EXPECT_TRUE(hears("Vous êtes déjà dans une équipe."));
    openLobbyMenu();
    lobbyNavigate(1);
    EXPECT_TRUE(hears("Lancer la partie"));
    lobbyConfirm();
    EXPECT_TRUE(hears("Lancement..."));
    serviceFor(4000); // the first round starts, 3 s after the game
    sendLeaveMaison();
    serviceFor(1000);
    EXPECT_EQ(localPlayer.x, 0) << "back at the lobby's entrance";
    EXPECT_EQ(localPlayer.y, 0);

    // Back in the lobby she dissolves the team and reads the round ranking.
    sendDestroyTeam();
    EXPECT_TRUE(hears("L'equipe a ete dissoute."));
    lobbyBack();
    openLobbyMenu();
    lobbyNavigate(2);
    EXPECT_TRUE(hears("Voir le classement"));
    lobbyConfirm();
    lobbyNavigate(2);
    EXPECT_TRUE(hears("Classement par round"));
    lobbyConfirm();
    EXPECT_TRUE(hears("Classement par round"));
    EXPECT_EQ(lobbyMenu.state, LobbyState::RANKING_VIEW);
    lobbyNavigate(1);
    EXPECT_TRUE(hears("1 : Zoé, round 1"));

    // Log lines for the connection, the failure and the login.
    std::string log;
    for (std::string line; !(line = server.readLine(500)).empty();) log += line + "\n";
    EXPECT_NE(log.find("connexion depuis 127.0.0.1"), std::string::npos) << log;
    EXPECT_NE(log.find("refus : #1 connexion refusée (identifiants)"), std::string::npos) << log;
    EXPECT_NE(log.find("#1 connecté : Zoé"), std::string::npos) << log;
    EXPECT_EQ(log.find("zoe@"), std::string::npos) << "no address in the log";
}
