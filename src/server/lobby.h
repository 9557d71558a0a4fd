#pragma once
// Walking the lobby map and its information requests.
#include "server/session.h"

void handleMove(Session& session, FieldCursor& fields, uint64_t nowMs, Outbox& out);
void handleCheckHealth(Session& session, FieldCursor& fields, uint64_t nowMs, Outbox& out);
void handlePlayers(Session& session, FieldCursor& fields, uint64_t nowMs, Outbox& out);
void handlePing(Session& session, FieldCursor& fields, uint64_t nowMs, Outbox& out);
void handleUptime(Session& session, FieldCursor& fields, uint64_t nowMs, Outbox& out);
void handleRanking(Session& session, FieldCursor& fields, uint64_t nowMs, Outbox& out);
// A player arrives in the lobby at (0, 0), from a login or the end of a game.
void enterLobby(Session& session);
// He stops walking the lobby: into a game, or gone.
void leaveLobby(Session& session);
