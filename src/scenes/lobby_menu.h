#pragma once
// The lobby's group menu: creating or joining a team, the own team, starting a
// game as its leader, and the rankings. Requests are fire and forget: the
// server's answers fill the lists and move the menu.
#include "protocol/wire.h"

#include <cstdint>
#include <string>
#include <vector>

// Which menu is open.
enum class LobbyState {
    CLOSED,      // the player walks on the map
    MAIN_MENU,   // the group menu
    CREATE_TEAM, // the team name is being typed
    MY_TEAM,
    JOIN_LIST,
    RANKING_MENU,
    RANKING_VIEW,
};

extern const std::vector<std::string> mainLobbyOptions;
extern const std::vector<std::string> rankingMenuOptions;

// Connection lifetime: the player's team as the server last told it.
struct LobbyTeam {
    bool hasTeam = false;
    bool isLeader = false;
    std::string name;
    std::vector<std::string> members; // leader first
};
extern LobbyTeam lobbyTeam;

// Connection lifetime: the open menu and what it shows. Leaving the lobby
// keeps it: a menu left open is still open on return.
struct LobbyMenu {
    LobbyState state = LobbyState::CLOSED;
    int32_t selection = 0;
    std::string teamNameBuffer;
    std::vector<std::string> availableTeams; // entries as received, "Les Rats (2/4)"
    std::vector<std::string> rankingEntries; // "rank;name;value" as received
    std::string rankingType;                 // RANKING_POINTS, RANKING_KILLS or RANKING_ROUND
    std::string selectedTeamName;            // the last team asked to join
};
extern LobbyMenu lobbyMenu;

// The group menu, or the own team's menu for a player who has one.
void openLobbyMenu();
// Moves the cursor (wrapping; 0 reads the position again) and speaks it.
void lobbyNavigate(int delta);
void lobbyConfirm();
void lobbyBack();

// A character typed in the lobby while no entry is open: edits the team name.
void handleLobbyChar(const std::string& c);
// The lobby's own Backspace on the team name: the last whole character goes.
void eraseTeamNameChar();
// The modal team name entry was submitted.
void submitTeamName(const std::string& name);

std::string rankingTitleFromType(const std::string& type);
// "1;Alice;3400" as "1 : Alice, 3400 points" for "POINTS".
std::string formatRankingEntry(const std::string& entry, const std::string& type);
// "Les Rats (2/4)" gives "Les Rats".
std::string extractTeamName(const std::string& entry);

void onRanking(FieldCursor& fields);
void onTeamList(FieldCursor& fields);
// Creating and joining succeed alike.
void onTeamJoined(FieldCursor& fields);
void onTeamFull(FieldCursor& fields);
void onTeamDestroyed(FieldCursor& fields);
void onLeftTeam(FieldCursor& fields);
void onTeamMembers(FieldCursor& fields);

// No team.
void resetLobbyTeam();
// Closed, empty lists.
void resetLobbyMenu();
