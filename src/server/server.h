#pragma once
// The server's rules without the network: the ENet loop turns its events into
// these calls and sends what lands in the Outbox. Time is passed in (unsigned
// milliseconds, compared as 32-bit differences), so the rules run the same on
// a fake clock with scripted peers.
#include "server/game.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct ServerSettings {
    std::string testPassword; // logins on the test port must carry it
    size_t maxPlayers = 256;  // connections, logged in or not
};

struct Outbox {
    std::vector<GameSend> sends;  // text per session, in order
    std::vector<uint32_t> closes; // sessions already forgotten whose connection must end after their last sends
    std::vector<std::string> log; // one line per connection, login, disconnection and refusal
};

// Opens the database in `dataDir`; false when it cannot.
bool serverStart(const ServerSettings& settings, const std::string& dataDir, uint32_t nowMs);
// Forgets every session and team and closes the database.
void serverStop();

// A new connection; its session id, or 0 when the server is full.
uint32_t serverConnect(const std::string& address, bool testPort, uint32_t nowMs, Outbox& out);
// The connection ended on the client's side (or timed out).
void serverDisconnect(uint32_t session, uint32_t nowMs, Outbox& out);
// One packet as received: text up to its first NUL.
void serverReceive(uint32_t session, std::string_view packet, uint32_t nowMs, Outbox& out);
// Every loop pass: the games' clocks.
void serverTick(uint32_t nowMs, Outbox& out);
