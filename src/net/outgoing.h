#pragma once
// Every fixed message the client sends. None checks anything first: the game
// rules are the server's, key pacing is the key dispatch's.
#include "core/save_file.h"

#include <string>
#include <string_view>

// "AUTH_LOGIN:" e-mail ":" password hash ":" access pass (empty for the main server).
void sendAuthLogin(const PlayerProfile& profile, const std::string& passHash, const std::string& accessPass);
// "AUTH_REGISTER:" e-mail hash ":" pseudo ":" password hash ":" gender.
void sendAuthRegister(const std::string& emailHash, const std::string& username, const std::string& passHash,
                      const std::string& gender);

// "MOVE:" and 'Z' up, 'S' down, 'Q' left or 'D' right.
void requestMove(char letter);
void sendShoot();
void sendReload();
void sendCheckAmmo();
void sendCheckHealth();
// Slot 0, 1 or 2.
void sendSwitchWeapon(int slot);
void sendAction();
// The house's requests: its revive key, and the box, round, kills and points keys.
void sendRevive();
void sendRequestBox();
void sendRequestRound();
void sendRequestKills();
void sendRequestPoints();

void sendCreateTeam(const std::string& name);
void sendJoinTeam(const std::string& name);
void sendGetTeams();
void sendGetTeamMembers(const std::string& name);
void sendDestroyTeam();
void sendLeaveTeam();
void sendStartGame();
void sendLeaveMaison();
// RANKING_POINTS, RANKING_KILLS or RANKING_ROUND.
void sendRequestRanking(std::string_view type);

// Lobby F1, F2, F3: player list, ping (with the tick count, echoed by "PONG:"), uptime.
void handleF1();
void handleF2();
void handleF3();

// Team member 0 to 4 (F1 to F5 in the house).
void sendGetMember(int index);

void sendChatRadio(const std::string& text);
void sendChatTeam(const std::string& text);
// "CHAT_MP:" pseudo ":" text.
void sendChatMp(const std::string& pseudo, const std::string& text);
