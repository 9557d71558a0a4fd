// The lobby as a player walks it after logging in: the real main loop,
// scripted keys and typing, and a stand-in game server answering the team requests.
#include "net/connection.h"
#include "online_test_support.h"
#include "scenes/lobby_menu.h"

#include <algorithm>

namespace {

class LobbyOnline : public Online {
protected:
    // Logged in on the main server and sent to the lobby by 900.
    void enterLobby(EnetTestServer& server) {
        ASSERT_TRUE(server.listening());
        withIdentity();
        press(VK_RETURN, 100); // skip the intro
        press(VK_RETURN, 400); // server list
        press(VK_RETURN, 700); // "Serveur Principal": connects and logs in
        awaitPackets(server, 800, 1, "GOTO_LOBBY");
    }
    // Each text was spoken, in this order (others may come between).
    static void expectHeardInOrder(const std::vector<std::string>& texts) {
        const auto& spoken = fake::spoken();
        auto at = spoken.begin();
        for (const std::string& text : texts) {
            at = std::find(at, spoken.end(), text);
            ASSERT_NE(at, spoken.end()) << "not heard in order: " << text;
        }
    }
    static std::vector<std::string> texts(EnetTestServer& server) {
        std::vector<std::string> out;
        for (const std::string& p : server.packets()) out.push_back(p.substr(0, p.find('\0')));
        return out;
    }
};

} // namespace

TEST_F(LobbyOnline, LeaderCreatesATeamRetypesItsNameAndStartsTheGame) {
    EnetTestServer server(PORT_MAIN);
    enterLobby(server);
    press(VK_RETURN, 1000); // on (0, 0): the group menu
    press(VK_RETURN, 1300); // "Créer une équipe": the name entry
    typeAt(1400, "Les Élus");
    press(VK_RETURN, 1600);
    awaitPackets(server, 1700, 2, "SAY:Ce nom d'équipe est déjà pris.");
    typeAt(1800, "23"); // the name is still being typed, now in the lobby
    press(VK_BACK, 1900);
    press(VK_RETURN, 2200);
    awaitPackets(server, 2300, 3, {"TEAM_OK:Les Élus2", "TEAM_MEMBERS:Alice"});
    press(VK_DOWN, 2500);
    press(VK_UP, 2800);
    press(VK_DOWN, 3100);
    press(VK_RETURN, 3400);
    awaitPackets(server, 3500, 4);
    closeAt(3700);
    runClient();

    expectHeardInOrder({"Map d'attente.", "Menu de groupe : Créer une équipe", "Nom de l'équipe ?", "É",
                        "Création de l'équipe Les Élus", "Ce nom d'équipe est déjà pris.", "2", "3", "Les Élus2",
                        "Création en cours...", "Equipe rejointe : Les Élus2", "Lancer la partie", "Chef : Alice",
                        "Lancer la partie", "Lancement..."});
    EXPECT_EQ(texts(server), (std::vector<std::string>{"AUTH_LOGIN:alice@example.org:" + std::string(64, 'a') + ":",
                                                       "CREATE_TEAM:Les Élus", "CREATE_TEAM:Les Élus2",
                                                       "START_GAME"}));
    EXPECT_TRUE(isLeader);
}

TEST_F(LobbyOnline, MemberWalksPingsWaitsForTheLeaderAndLeaves) {
    EnetTestServer server(PORT_MAIN);
    enterLobby(server);
    press(VK_RIGHT, 1000);
    awaitPackets(server, 1100, 2, "POS:1,0");
    press(VK_RETURN, 1300); // off (0, 0): nothing
    press('C', 1600);       // SAY_COORDS
    press(VK_F1 + 1, 1900); // F2: ping
    fake::at(2000, [&server] {
        server.waitUntil([&] { return server.packets().size() >= 3; }, 3000);
        const std::string ping = server.packets()[2];
        server.send("PONG:" + ping.substr(5, ping.find('\0') - 5));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    });
    fake::at(2100, [&server] {
        server.send("TEAM_JOIN_OK:Les Rats");
        server.send("TEAM_MEMBERS:Bob|Alice");
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    });
    press(VK_DOWN, 2400);
    press(VK_DOWN, 2700);
    press(VK_RETURN, 3000);
    press(VK_DOWN, 3300);
    press(VK_RETURN, 3600);
    awaitPackets(server, 3700, 4, "LEFT_TEAM");
    closeAt(3900);
    runClient();

    const auto pong = std::find_if(fake::spoken().begin(), fake::spoken().end(), [](const std::string& s) {
        return s.size() > 14 && s.substr(s.size() - 14) == " millisecondes";
    });
    ASSERT_NE(pong, fake::spoken().end());
    EXPECT_LT(std::stoi(*pong), 500) << *pong;
    expectHeardInOrder({"Map d'attente.", "1, 0", *pong, "Equipe rejointe : Les Rats", "Membre : Alice",
                        "Attente du chef", "Attente du chef.", "Quitter l'équipe", "Vous quittez l'équipe...",
                        "Vous avez quitte l'equipe."});
    EXPECT_EQ(std::count(fake::spoken().begin(), fake::spoken().end(), "Menu de groupe : Créer une équipe"), 0);
    const auto sent = texts(server);
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[1], "MOVE:D");
    EXPECT_EQ(sent[2].rfind("PING:", 0), 0u);
    EXPECT_EQ(sent[3], "LEAVE_TEAM");
    EXPECT_EQ(currentLobbyState, LOBBY_MAIN_MENU);
    EXPECT_FALSE(hasTeam);
}
