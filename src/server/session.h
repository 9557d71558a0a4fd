#pragma once
// One connected client, as the server's modules share it.
#include "server/limits.h"
#include "server/pacing.h"
#include "server/server.h"
#include "server/workers.h"

#include "protocol/wire.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct Session {
    uint32_t id = 0;
    std::string address; // the peer's IP, for per-address limits and the log
    bool testPort = false;
    uint64_t connectedAt = 0;
    int64_t account = 0; // 0 until logged in
    std::string pseudo;
    int x = 0, y = 0;    // lobby tile
    std::string team;    // team name, empty without one
    bool inGame = false; // its messages go to the team's game
    TokenBucket bucket;
    bool busy = false;             // a job of its own in flight: its messages wait in `held`
    std::deque<std::string> held;
    uint64_t closeAt = 0; // refused: told why, its connection closed at this time, its messages ignored
    bool behind = false;  // more waits for its peer than the bound...
    uint64_t behindSince = 0; // ...since then
    std::deque<uint64_t> chatRecent; // chat times within the last 5 seconds
    bool chatWarned = false;
    Pacing pacing; // the spoken lines it is sent, one at a time
};

constexpr int LOBBY_MIN = 0;
constexpr int LOBBY_MAX = 20;

Session* findSession(uint32_t id);
// A logged-in player, by pseudo without regard to case.
Session* findPlayer(std::string_view pseudo);
// Logged-in players in the order they connected.
std::vector<Session*> loggedInPlayers();
// Time since serverStart.
uint64_t serverUptimeMs(uint64_t nowMs);
// Refuses a session from inside: it leaves its game, team and lobby at once,
// hears `reason` alone, and its connection ends when that can have been heard.
void refuseSession(uint32_t id, const std::string& reason, uint64_t nowMs, Outbox& out);

// Runs `work` on a worker, then `apply` on the loop with the session (null
// when it went or was refused meanwhile). The session's messages wait until
// then. `slow`: a password hash (workers.h). False, and nothing queued, when
// the workers' queue is full; the player then hears SERVER_BUSY.
using SessionApply = std::function<void(Session* session, uint64_t nowMs, Outbox& out)>;
bool sessionJob(Session& session, JobWork work, SessionApply apply, bool slow = false);
inline const std::string SERVER_BUSY = "Serveur occupé, réessayez dans un instant.";

void sendTo(Outbox& out, uint32_t session, const Message& message);
// A sentence the client speaks, answering the player's own request...
void sayTo(Outbox& out, uint32_t session, std::string_view text);
// ...or bringing news, which may wait its turn (pacing.h).
void announceTo(Outbox& out, uint32_t session, std::string_view text);
// Every logged-in player walking the lobby, but `except`.
void sendToLobby(Outbox& out, const Message& message, uint32_t except);
