#pragma once
// The server's rules without the network: the ENet loop turns its events into
// these calls and sends what lands in the Outbox. Time is passed in,
// milliseconds of a 64-bit monotonic clock that never wraps, so the rules run
// the same on a fake clock with scripted peers.
#include "server/game.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct ServerSettings {
    std::string testPassword;      // logins on the test port must carry it
    size_t maxPlayers = 256;       // logged-in players; connections not logged in do not count
    size_t registerLimit = 5;      // accounts created per address within an hour
    size_t pendingPerAddress = 16; // connections not logged in yet, per address
    // Hashes and storage calls; 0: they run in serverTick (tests). Argon2id
    // takes a tenth of a second and 64 MB: two at once fill the second core
    // and bound the memory, and the two other threads serve the quick calls
    // (a lookup, a ranking, a write), which mostly wait on the disk or the
    // network, so that a burst of logins never holds up a ranking.
    size_t workerThreads = 4;
    size_t hashThreads = 2;
    std::string database;          // a PostgreSQL URI; empty: SQLite in the data folder
    // The lobby's steps go out this often, each mover once at his latest tile:
    // 20 a second, as many games send their world, so that a player's
    // datagram carries the steps of several others. 0: every tick (tests).
    uint64_t lobbyTickMs = 50;
};

struct Outbox {
    std::vector<uint32_t> clears; // sessions whose messages still waiting to be sent are dropped before these sends
    std::vector<GameSend> sends;  // text per session, in order
    std::vector<uint32_t> closes; // sessions already forgotten whose connection must end after their last sends
    std::vector<std::string> log; // one line per connection, login, disconnection and refusal
};

// Every connection the server keeps at once: its players, those not logged in
// yet, and refused ones still being told why. The ENet peer limit: beyond it a
// client hears only its own connection failure.
size_t serverConnectionLimit(const ServerSettings& settings);

// Opens the database (`settings.database`, or SQLite in `dataDir`) and starts
// the workers; false, with a French `error`, when the database cannot be used.
bool serverStart(const ServerSettings& settings, const std::string& dataDir, uint64_t nowMs,
                 std::string* error = nullptr);
// Writes what it can of the finished games' statistics, forgets every session
// and team, leaves the workers and closes the database.
void serverStop();

// A new connection; its session id, or 0 when no connection can be kept at
// all. One that cannot be let in is told why and closed a little later.
uint32_t serverConnect(const std::string& address, bool testPort, uint64_t nowMs, Outbox& out);
// The connection ended on the client's side (or timed out).
void serverDisconnect(uint32_t session, uint64_t nowMs, Outbox& out);
// One packet: text up to its first NUL. `arrivalMs` is when the host read it
// from the network, which the flood limit counts; `nowMs` is when it is handled.
void serverReceive(uint32_t session, std::string_view packet, uint64_t arrivalMs, uint64_t nowMs, Outbox& out);
// Every loop pass: finished jobs, delayed closes, deadlines, the games' clocks,
// the lobby's steps.
void serverTick(uint64_t nowMs, Outbox& out);
// What still waits to reach a session's peer: the messages not yet handed to
// the network and the bytes not yet acknowledged, those in the network's
// hands included. A peer that stays behind (it cannot keep up, or stopped
// reading) is refused: what waits is cleared, it hears why alone and is
// closed 2 s later; far behind, at once.
void serverBacklog(uint32_t session, size_t messages, size_t bytes, uint64_t nowMs, Outbox& out);

struct ServerCounts {
    size_t players = 0;     // logged in
    size_t connections = 0; // every session
    size_t games = 0;
    size_t jobs = 0;        // waiting or running on the workers
    uint64_t dropped = 0;   // messages dropped by the flood limit since serverStart
};
ServerCounts serverCounts();
