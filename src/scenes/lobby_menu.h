#pragma once
// The lobby's group menu: creating or joining a team, the own team, starting a
// game as its leader, and the rankings. Requests are fire and forget: the
// server's answers fill the lists and move the menu.
#include "protocol/wire.h"

#include <cstdint>
#include <string>
#include <vector>

// Which menu is open (currentLobbyState); 5 is not used.
constexpr int32_t LOBBY_CLOSED = 0; // the player walks on the map
constexpr int32_t LOBBY_MAIN_MENU = 1;
constexpr int32_t LOBBY_CREATE_TEAM = 2; // the team name is being typed
constexpr int32_t LOBBY_MY_TEAM = 3;
constexpr int32_t LOBBY_JOIN_LIST = 4;
constexpr int32_t LOBBY_RANKING_MENU = 6;
constexpr int32_t LOBBY_RANKING_VIEW = 7;

// Whole run: leaving the lobby keeps all of it, so a menu left open is
// still open on return.
extern int32_t currentLobbyState;
extern int32_t lobbySelection;
extern const std::vector<std::string> mainLobbyOptions;
extern const std::vector<std::string> rankingMenuOptions;
extern std::string teamNameBuffer;
extern bool hasTeam;
extern bool isLeader;
extern std::string myTeamName;
extern std::vector<std::string> teamMembers; // leader first
extern std::vector<std::string> availableTeams; // entries as received, "Les Rats (2/4)"
extern std::vector<std::string> rankingEntries; // "rank;name;value" as received
extern std::string currentRankingType; // "POINTS", "KILLS" or "ROUND"
extern std::string selectedTeamName;

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

// Whole run: closed, no team, empty lists.
void resetLobbyMenu();
