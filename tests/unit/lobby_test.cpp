// The lobby's group menu as the player hears it: every menu with its wrap,
// the team and ranking messages that move it, and the team name typed in it.
#include "client_test_support.h"
#include "core/scene.h"
#include "enet_test_server.h"
#include "input/text_input.h"
#include "net/connection.h"
#include "scenes/lobby_menu.h"

namespace {

using Texts = std::vector<std::string>;

class Lobby : public TempFolder {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        startAudio(50);
        SceneManager::currentScene = Scene::LOBBY;
        myProfile = PlayerProfile{"Alice", "alice@example.org", std::string(64, 'a'), "F"};
        ASSERT_TRUE(connectToServer("127.0.0.1", server.port()));
    }
    void TearDown() override {
        disconnectFromServer();
        TempFolder::TearDown();
    }

    static std::string message(const std::string& text) {
        return heard([&] { handleIncomingPacket(text); });
    }
    static std::string down() { return heard([] { lobbyNavigate(1); }); }
    static std::string up() { return heard([] { lobbyNavigate(-1); }); }
    static std::string confirm() { return heard(lobbyConfirm); }
    static std::string back() { return heard(lobbyBack); }

    EnetTestServer server;
};

} // namespace

TEST_F(Lobby, GroupAndRankingMenusWrapAndAskForTheRankings) {
    EXPECT_EQ(heard(openLobbyMenu), "Menu de groupe : Créer une équipe [ui_valid]");
    EXPECT_EQ(up(), "Retour [ui_nav]");
    EXPECT_EQ(up(), "Voir le classement [ui_nav]");
    EXPECT_EQ(confirm(), "Classement par points [ui_valid]");
    EXPECT_EQ(up(), "Retour [ui_nav]");
    EXPECT_EQ(down(), "Classement par points [ui_nav]");
    EXPECT_EQ(confirm(), "Récupération du classement par points... [ui_valid]");
    EXPECT_EQ(down(), "Classement par zombies tués [ui_nav]");
    EXPECT_EQ(confirm(), "Récupération du classement par zombies tués... [ui_valid]");
    EXPECT_EQ(down(), "Classement par round [ui_nav]");
    EXPECT_EQ(confirm(), "Récupération du classement par round... [ui_valid]");
    EXPECT_EQ(server.messages(3), (Texts{"REQ_RANKING:POINTS", "REQ_RANKING:KILLS", "REQ_RANKING:ROUND"}));

    // The answer opens the ranking view, read title first.
    EXPECT_EQ(message("RANKING:POINTS:1;Alice;3400|2;Bob;1200"), "Classement par points");
    EXPECT_EQ(down(), "1 : Alice, 3400 points [ui_nav]");
    EXPECT_EQ(down(), "2 : Bob, 1200 points [ui_nav]");
    EXPECT_EQ(confirm(), "2 : Bob, 1200 points [ui_valid]");
    EXPECT_EQ(down(), "Retour [ui_nav]");
    EXPECT_EQ(confirm(), "Classement par points [ui_valid]");
    EXPECT_EQ(lobbyMenu.state, LobbyState::RANKING_MENU);

    // Back walks out one menu at a time.
    EXPECT_EQ(message("RANKING:KILLS:1;Léa;87"), "Classement par zombies tués");
    EXPECT_EQ(back(), "Classement par points");
    EXPECT_EQ(back(), "Voir le classement");
    EXPECT_EQ(lobbyMenu.selection, 2);
    EXPECT_EQ(back(), "Fermé");
    EXPECT_EQ(lobbyMenu.state, LobbyState::CLOSED);
    EXPECT_EQ(confirm(), "") << "a closed menu takes no confirmation";
    EXPECT_EQ(down(), "");

    heard(openLobbyMenu);
    EXPECT_EQ(up(), "Retour [ui_nav]");
    EXPECT_EQ(confirm(), "Fermé [ui_valid]");
    EXPECT_EQ(lobbyMenu.state, LobbyState::CLOSED);
}

TEST_F(Lobby, RankingTexts) {
    // A ranking without entries, and one without ':' after its type.
    EXPECT_EQ(message("RANKING:ROUND:"), "Classement par round / Aucun classement pour le moment.");
    EXPECT_EQ(confirm(), "Classement par round / Aucun classement pour le moment. [ui_valid]");
    EXPECT_EQ(down(), "Retour [ui_nav]");
    EXPECT_EQ(message("RANKING:KILLS"), "");
    EXPECT_EQ(lobbyMenu.rankingType, "ROUND");
    EXPECT_EQ(lobbyMenu.selection, 1);
    EXPECT_EQ(message("RANKING:AUTRE:||3;Zoé;9|"), "Classement");
    EXPECT_EQ(lobbyMenu.rankingEntries, std::vector<std::string>{"3;Zoé;9"});
    EXPECT_EQ(down(), "3 : Zoé, 9 [ui_nav]");

    EXPECT_EQ(formatRankingEntry("2;Bob;12", "ROUND"), "2 : Bob, round 12");
    EXPECT_EQ(formatRankingEntry("1;Inès;250", "KILLS"), "1 : Inès, 250 zombies tués");
    EXPECT_EQ(formatRankingEntry("4", "POINTS"), "4 : ,  points");
    EXPECT_EQ(formatRankingEntry("5;Max;1;2", "POINTS"), "5 : Max, 1;2 points");
}

TEST_F(Lobby, JoiningATeamFromTheList) {
    heard(openLobbyMenu);
    EXPECT_EQ(down(), "Rejoindre une équipe [ui_nav]");
    EXPECT_EQ(confirm(), "Récupération des équipes... [ui_valid]");
    EXPECT_EQ(lobbyMenu.state, LobbyState::MAIN_MENU) << "the list opens when it arrives";

    EXPECT_EQ(message("TEAM_LIST:|Les Rats (2/4)||Zombies Fous (4/4)|"), "Liste des équipes. Les Rats (2/4)");
    EXPECT_EQ(up(), "Retour [ui_nav]");
    EXPECT_EQ(down(), "Les Rats (2/4) [ui_nav]");
    EXPECT_EQ(confirm(), "Demande de rejoindre l'équipe... [ui_valid]");
    EXPECT_EQ(down(), "Zombies Fous (4/4) [ui_nav]");
    EXPECT_EQ(confirm(), "Demande de rejoindre l'équipe... [ui_valid]");
    EXPECT_EQ(message("TEAM_FULL"), "Cette équipe est déjà complète.");
    EXPECT_EQ(lobbyMenu.state, LobbyState::JOIN_LIST);
    EXPECT_EQ(lobbyMenu.selection, 1);
    EXPECT_EQ(lobbyMenu.selectedTeamName, "Zombies Fous");
    EXPECT_EQ(server.messages(3), (Texts{"GET_TEAMS", "JOIN_TEAM:Les Rats", "JOIN_TEAM:Zombies Fous"}));

    EXPECT_EQ(message("TEAM_LIST:"), "Liste des équipes. Aucune équipe.");
    EXPECT_EQ(down(), "Retour [ui_nav]");
    EXPECT_EQ(confirm(), "Rejoindre une équipe [ui_valid]");
    EXPECT_EQ(lobbyMenu.selection, 1);
    EXPECT_EQ(extractTeamName(" \tLes Rats (2/4) (x)"), "Les Rats");
    EXPECT_EQ(extractTeamName("Solo\t "), "Solo");
}

TEST_F(Lobby, OwnTeamAsMemberAndAsLeader) {
    EXPECT_EQ(message("TEAM_JOIN_OK:Les Rats: le retour"), "Equipe rejointe : Les Rats: le retour");
    EXPECT_EQ(lobbyTeam.name, "Les Rats: le retour");
    message("TEAM_MEMBERS:Bob|Alice|Léa");
    EXPECT_FALSE(lobbyTeam.isLeader) << "named second";
    EXPECT_EQ(heard([] { lobbyNavigate(0); }), "Chef : Bob [ui_nav]");
    EXPECT_EQ(up(), "Retour [ui_nav]");
    // Two members leave: the cursor stays on "Retour", not past the end.
    message("TEAM_MEMBERS:Bob");
    EXPECT_EQ(confirm(), "Créer une équipe [ui_valid]");
    EXPECT_EQ(lobbyMenu.state, LobbyState::MAIN_MENU);

    EXPECT_EQ(heard(openLobbyMenu), "Chef : Bob [ui_valid] [ui_nav]") << "a player with a team opens his own";
    EXPECT_EQ(up(), "Retour [ui_nav]");
    EXPECT_EQ(up(), "Quitter l'équipe [ui_nav]");
    EXPECT_EQ(confirm(), "Vous quittez l'équipe... [ui_valid]");
    EXPECT_EQ(back(), "Fermé");
    // The answer reopens the group menu, the cursor where it was (and in range).
    EXPECT_EQ(message("LEFT_TEAM"), "Vous avez quitte l'equipe.");
    EXPECT_FALSE(lobbyTeam.hasTeam);
    EXPECT_TRUE(lobbyTeam.members.empty() && lobbyTeam.name.empty());
    EXPECT_EQ(lobbyMenu.state, LobbyState::MAIN_MENU);
    EXPECT_EQ(confirm(), "Classement par points [ui_valid]");

    // An empty member list puts the start-or-wait entry first.
    message("TEAM_OK:Les Élus");
    EXPECT_EQ(heard([] { lobbyNavigate(0); }), "Attente du chef [ui_nav]");
    message("TEAM_MEMBERS:Alice|Bob");
    EXPECT_TRUE(lobbyTeam.isLeader);
    EXPECT_EQ(heard([] { lobbyNavigate(0); }), "Chef : Alice [ui_nav]");
    EXPECT_EQ(up(), "Retour [ui_nav]");
    EXPECT_EQ(up(), "Dissoudre l'équipe [ui_nav]");
    EXPECT_EQ(confirm(), "Dissolution... [ui_valid]");
    EXPECT_EQ(up(), "Lancer la partie [ui_nav]");
    EXPECT_EQ(confirm(), "Lancement... [ui_valid]");
    EXPECT_EQ(message("TEAM_DESTROYED"), "L'equipe a ete dissoute.");
    EXPECT_FALSE(lobbyTeam.isLeader || lobbyTeam.hasTeam);
    EXPECT_EQ(server.messages(3), (Texts{"LEAVE_TEAM", "DESTROY_TEAM", "START_GAME"}));
}

TEST_F(Lobby, TeamNameFromTheEntryThenTypedInTheLobby) {
    heard(openLobbyMenu);
    EXPECT_EQ(confirm(), "Nom de l'équipe ? [ui_valid] [ui_valid]");
    ASSERT_TRUE(TextInput::isActive());
    EXPECT_EQ(heard(TextInput::submit), "Nom invalide. [ui_keyEnter]");
    EXPECT_EQ(lobbyMenu.state, LobbyState::CREATE_TEAM);

    // Typed characters now edit the name, a whole character at a time.
    for (const char* c : {"É", "q", "\r", "\n", "\x01", "\x7f"}) handleLobbyChar(c);
    EXPECT_EQ(lobbyMenu.teamNameBuffer, "Éq");
    EXPECT_EQ(heard([] { handleLobbyChar("\b"); }), "É [ui_keySup]");
    EXPECT_EQ(heard([] { handleLobbyChar("\b"); }), "Vide [ui_keySup]");
    EXPECT_EQ(heard([] { handleLobbyChar("\b"); }), "");
    EXPECT_EQ(confirm(), "Nom invalide. [ui_back]");
    fake::scriptDraws({1, 3});
    EXPECT_EQ(heard([] { handleLobbyChar("é"); }), "é [ui_key2]");
    EXPECT_EQ(heard([] { handleLobbyChar("\b"); handleLobbyChar("é"); }), "Vide / é [ui_keySup] [ui_key1]");
    EXPECT_EQ(confirm(), "Création en cours... [ui_valid]");
    EXPECT_EQ(lobbyMenu.state, LobbyState::MAIN_MENU);
    EXPECT_EQ(lobbyMenu.selection, 0);
    handleLobbyChar("x");
    EXPECT_EQ(lobbyMenu.teamNameBuffer, "é") << "typing outside the name entry changes nothing";

    // A name submitted in the entry is sent at once, untrimmed.
    confirm();
    for (const char* c : {" ", "Z", "o", "é"}) TextInput::handleChar(c);
    EXPECT_EQ(heard(TextInput::submit), "Création de l'équipe  Zoé [ui_keyEnter]");
    lobbyBack();
    EXPECT_EQ(fake::lastSpoken(), "Créer une équipe");
    EXPECT_EQ(server.messages(2), (Texts{"CREATE_TEAM:é", "CREATE_TEAM: Zoé"}));
}
