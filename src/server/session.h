#pragma once
// One connected client, as the server's modules share it.
#include "server/server.h"

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

struct Session {
    uint32_t id = 0;
    std::string address; // the peer's IP, for per-address limits and the log
    bool testPort = false;
    int64_t account = 0; // 0 until logged in
    std::string pseudo;
    int x = 0, y = 0;    // lobby tile
    std::string team;    // team name, empty without one
    bool inGame = false; // its messages go to the team's game
    std::deque<uint32_t> recent;     // arrival times within the last second
    std::deque<uint32_t> chatRecent; // chat times within the last 5 seconds
    bool chatWarned = false;
};

constexpr int LOBBY_MIN = 0;
constexpr int LOBBY_MAX = 20;

Session* findSession(uint32_t id);
// A logged-in player, by pseudo without regard to case.
Session* findPlayer(std::string_view pseudo);
// Logged-in players in the order they connected.
std::vector<Session*> loggedInPlayers();
// Time since serverStart, without the 49-day wrap of the millisecond clock.
uint64_t serverUptimeMs(uint32_t nowMs);
// Ends a session from inside: its connection is closed after what was sent to it.
void closeSession(uint32_t id, uint32_t nowMs, Outbox& out);

void sendTo(Outbox& out, uint32_t session, std::string text);
// Every logged-in player walking the lobby, but `except`.
void sendToLobby(Outbox& out, const std::string& text, uint32_t except);
