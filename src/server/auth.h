#pragma once
// Account creation and login; the only messages acted on before a login.
// The password hashing of both runs on the workers.
#include "server/session.h"

void handleRegister(Session& session, FieldCursor& fields, uint64_t nowMs, Outbox& out);
void handleLogin(Session& session, FieldCursor& fields, uint64_t nowMs, Outbox& out);
// Run lifetime: the settings it applies, the failed-login and registration counts.
void authReset(const ServerSettings& settings);
