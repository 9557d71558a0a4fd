#pragma once
// Account creation and login; the only messages acted on before a login.
#include "server/session.h"

void handleRegister(Session& session, std::string_view fields, uint32_t nowMs, Outbox& out);
void handleLogin(Session& session, std::string_view fields, uint32_t nowMs, Outbox& out);
// Run lifetime: the test port's pass and the failed-login counts.
void authReset(const std::string& testPassword);
