#pragma once
// Radio, team and private messages, in the lobby and in the house alike.
#include "server/session.h"

void handleChatRadio(Session& session, FieldCursor& fields, uint64_t nowMs, Outbox& out);
void handleChatTeam(Session& session, FieldCursor& fields, uint64_t nowMs, Outbox& out);
void handleChatPrivate(Session& session, FieldCursor& fields, uint64_t nowMs, Outbox& out);
