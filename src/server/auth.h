#pragma once
// Account creation and login; the only messages acted on before a login.
// Their storage calls and password hashing run on the workers.
#include "server/session.h"

void handleRegister(Session& session, FieldCursor& fields, uint64_t nowMs, Outbox& out);
void handleLogin(Session& session, FieldCursor& fields, uint64_t nowMs, Outbox& out);
// Run lifetime: the settings it applies, the failed-login and registration counts.
void authReset(const ServerSettings& settings);
// The session's account logged in again, here or on another server: the
// session is refused, told why.
void authLoggedInElsewhere(uint32_t session, uint64_t nowMs, Outbox& out);
