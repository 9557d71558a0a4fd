#pragma once
// Servers sharing one PostgreSQL database: a login on one ends the account's
// session on the others, as a second login does on one server.
//
// Each login is written as its account's latest, with a serial that grows
// with each login of the account in the order the database wrote them, and
// every server hears of it through LISTEN/NOTIFY. A session whose login is
// not the latest is refused, told why: of two logins at once on two servers,
// both hear both and keep the same one. A server that was not listening (at
// start-up, or while its link to the database was lost) compares its
// players' logins with the latest ones once it listens again, and every
// minute. Nothing happens here with SQLite. Loop thread.
#include "server/session.h"

// With the storage open and the workers started.
void instancesStart(uint64_t nowMs);
void instancesStop();
// The session just logged in here.
void instancesLoggedIn(const Session& session);
// Every pass: what the other servers said, and the listener opened again when lost.
void instancesPoll(uint64_t nowMs, Outbox& out);
// Every minute: the players' logins compared with the latest ones.
void instancesCheck();
