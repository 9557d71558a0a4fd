#pragma once
// Teams of up to four and the games they play.
#include "server/session.h"

constexpr size_t TEAM_MAX = 4;

void handleCreateTeam(Session& session, FieldCursor& fields, uint64_t nowMs, Outbox& out);
void handleGetTeams(Session& session, FieldCursor& fields, uint64_t nowMs, Outbox& out);
void handleJoinTeam(Session& session, FieldCursor& fields, uint64_t nowMs, Outbox& out);
void handleLeaveTeam(Session& session, FieldCursor& fields, uint64_t nowMs, Outbox& out);
void handleDestroyTeam(Session& session, FieldCursor& fields, uint64_t nowMs, Outbox& out);
void handleGetTeamMembers(Session& session, FieldCursor& fields, uint64_t nowMs, Outbox& out);
void handleStartGame(Session& session, FieldCursor& fields, uint64_t nowMs, Outbox& out);

// The member's team, leader first; empty without a team.
std::vector<uint32_t> teamOf(const Session& session);
// A message of a member in the house; "LEAVE_MAISON" brings him back to the lobby.
void gameMessage(Session& session, const std::string& message, uint64_t nowMs, Outbox& out);
// A member goes away: out of his game, then out of his team.
void teamsDrop(Session& session, uint64_t nowMs, Outbox& out);
// Runs the games; a finished one fills the statistics and frees its members.
void teamsTick(uint64_t nowMs, Outbox& out);
// Teams in a game.
size_t teamsPlaying();
// Run lifetime: every team and game is forgotten.
void teamsReset();
