// The client's core, with its platform doubles, against a real AshenServer on
// 127.0.0.1: an account is created, a wrong then a right password is tried,
// the lobby's information keys are answered in words the player hears, and
// its group menu makes a team.
#include "app/app.h"
#include "fake_platform.h"
#include "input/text_input.h"
#include "net/connection.h"
#include "net/outgoing.h"
#include "scenes/lobby_menu.h"
#include "base/sha256.h"
#include "server_process.h"
#include "temp_folder.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

// Services the connection (real time) until the player has heard `text`.
bool hears(const std::string& text, int ms = 5000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        updateNetworkStatus();
        const auto& s = fake::spoken();
        if (std::find(s.begin(), s.end(), text) != s.end()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

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
};

} // namespace

TEST_F(ClientWithServer, CreatesAnAccountLogsInAndHearsTheLobbyAnswers) {
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

    handleF1();
    EXPECT_TRUE(hears("1 joueur en ligne : Zoé."));
    handleF2(); // the fake tick stands still: no time passes
    EXPECT_TRUE(hears("0 millisecondes"));
    handleF3();
    // Hashing the passwords takes seconds on a busy machine: any uptime will do.
    hears("", 500);
    EXPECT_EQ(fake::lastSpoken().rfind("Serveur en ligne depuis ", 0), 0u) << fake::lastSpoken();

    // The lobby: a team named in the entry, led, then dissolved; the rankings.
    EXPECT_TRUE(hears("Map d'attente."));
    myProfile.username = "Zoé";
    openLobbyMenu();
    lobbyConfirm();
    for (const char* c : {"É", "q", "u", "i", "p", "e", " ", "é"}) TextInput::handleChar(c);
    TextInput::submit();
    EXPECT_TRUE(hears("Equipe rejointe : Équipe é"));
    hears("", 300); // the member list follows
    lobbyNavigate(0);
    EXPECT_EQ(fake::lastSpoken(), "Chef : Zoé");
    sendGetTeams();
    EXPECT_TRUE(hears("Liste des équipes. Équipe é (1/4)"));
    lobbyConfirm();
    EXPECT_TRUE(hears("Demande de rejoindre l'équipe..."));
    EXPECT_TRUE(hears("Vous êtes déjà dans une équipe."));
    sendDestroyTeam();
    EXPECT_TRUE(hears("L'equipe a ete dissoute."));
    sendRequest("REQ_RANKING:KILLS");
    EXPECT_TRUE(hears("Classement par zombies tués"));
    EXPECT_EQ(currentLobbyState, LOBBY_RANKING_VIEW);
    // Log lines for the connection, the failure and the login.
    std::string log;
    for (std::string line; !(line = server.readLine(500)).empty();) log += line + "\n";
    EXPECT_NE(log.find("connexion depuis 127.0.0.1"), std::string::npos) << log;
    EXPECT_NE(log.find("refus : #1 connexion refusée (identifiants)"), std::string::npos) << log;
    EXPECT_NE(log.find("#1 connecté : Zoé"), std::string::npos) << log;
    EXPECT_EQ(log.find("zoe@"), std::string::npos) << "no address in the log";
}
