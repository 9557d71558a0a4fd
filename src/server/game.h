#pragma once
// One game in the house: the rules of a team's game, as pure logic on a
// clock the caller passes in. The server's shell owns the sessions and the
// network; it hands every message a member sends in the house (chat aside) to
// gameHandle, calls gameTick on every loop pass, and sends each GameSend with
// its usual framing. Nothing here blocks, allocates sockets or reads a clock.
//
// Times are milliseconds of the server's 64-bit monotonic clock, which never
// wraps: a stamp is compared with `now` as it is. Messages are appended to `out`
// in the order the members must receive them.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct GameMember {
    uint32_t player; // the shell's session id
    std::string pseudo;
};

// One message for one session.
struct GameSend {
    uint32_t player;
    std::string text;
    // A "SAY:" that brings news rather than answers a key: the shell may hold
    // it back until SPOKEN_LINE_GAP_MS after the last line the player's client
    // spoke, so that it cuts nothing. Nothing else ever waits.
    bool announcement = false;
    // Takes back this announcement while it still waits, unsaid: news that no
    // longer holds. Nothing is sent.
    bool withdraw = false;
};

// How long a spoken line is given before the next one may start. The game
// keeps this gap between two lines it sends at once ("GAME_OVER_SIGNAL" and
// "STATS:", "REVIVED" and "ROUND_START:"); the shell paces announcements by it.
constexpr uint32_t SPOKEN_LINE_GAP_MS = 1500;

// A member's figures for the statistics table: the points he earned in this
// game, his kills, and the round he reached.
struct GameResult {
    std::string pseudo;
    int points;
    int kills;
    int round;
};

struct Game;

// Games are deleted out of line, where Game is complete, so that holders of a
// std::unique_ptr<Game> need only this header.
namespace std {
template <>
struct default_delete<Game> {
    void operator()(Game* game) const;
};
} // namespace std

// Sends "START_MAISON" and "POS:0,0" to every member; the first round follows a few seconds later.
std::unique_ptr<Game> gameCreate(const std::vector<GameMember>& members, uint64_t nowMs, uint32_t seed,
                                 std::vector<GameSend>& out);

// Every message of a member in the house except chat. Unknown or malformed
// messages, and messages of a player who is not a member, are ignored.
void gameHandle(Game& game, uint32_t player, const std::string& message, uint64_t nowMs,
                std::vector<GameSend>& out);

// Called on every loop pass (about every 10 ms).
void gameTick(Game& game, uint64_t nowMs, std::vector<GameSend>& out);

// "LEAVE_MAISON" or a disconnection: the player gets "GOTO_LOBBY" (dropped by
// the shell when his session is gone), the others hear it announced.
void gameRemovePlayer(Game& game, uint32_t player, uint64_t nowMs, std::vector<GameSend>& out);

// True once the final "GOTO_LOBBY"s were sent, or nobody is left.
bool gameFinished(const Game& game);

// Per member, those who left included, in the order of the members given to gameCreate.
std::vector<GameResult> gameResults(const Game& game);
