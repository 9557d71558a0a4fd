#pragma once
// Spoken lines one at a time. A client speaks a line for many of our
// messages, and each line cuts the one before it. An announcement
// (GameSend::announcement) waits in its player's queue until
// SPOKEN_LINE_GAP_MS after the last line his client started, and at least
// until the loop's next pass, so that a spoken line sent with it goes first.
// One withdrawn while it waits is never said, and a game over drops whatever
// still waits. Everything else leaves at once and in order: nothing that
// changes the client's state is delayed or reordered, and no answer to the
// player's own keys waits. A player's waiting lines live in his session: they
// go with it, and when he comes back to the lobby from a game.
#include "server/server.h"

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

// News that piles up beyond this is stale: the oldest is dropped.
constexpr size_t PACING_WAITING_MAX = 6;

struct Pacing {
    uint64_t freeAt = 0;             // an announcement may start from then
    std::deque<std::string> waiting; // announcements, oldest first
};

// Passes the sends from index `from` on through their players' pacing: the
// announcements are taken out to wait for pacingTick.
void pacingFilter(std::vector<GameSend>& sends, size_t from, uint64_t nowMs);
// Sends the waiting announcements whose turn has come.
void pacingTick(uint64_t nowMs, Outbox& out);
// The client of `pseudo` speaks a line when it receives `message`.
bool clientSpeaks(std::string_view message, std::string_view pseudo);
