#pragma once
// The game in the house, as pure logic on a clock passed in. The shell owns
// the sessions and the network; a game only ever sees session ids, pseudos
// and message texts, and answers with messages for the shell to send.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct GameMember { uint32_t player; std::string pseudo; };   // player: the shell's session id
struct GameSend { uint32_t player; std::string text; };       // one message for one session
struct GameResult { std::string pseudo; int points; int kills; int round; };
struct Game;

// Game is complete only in the game's own source: its deleter lives there too.
template <> struct std::default_delete<Game> { void operator()(Game* game) const; };

// Emits "START_MAISON" etc. A null game means games cannot be played yet.
std::unique_ptr<Game> gameCreate(const std::vector<GameMember>& members, uint32_t nowMs, uint32_t seed,
                                 std::vector<GameSend>& out);
// Every message of a member in the house except chat.
void gameHandle(Game& game, uint32_t player, const std::string& message, uint32_t nowMs, std::vector<GameSend>& out);
// Called every loop pass (about every 10 ms).
void gameTick(Game& game, uint32_t nowMs, std::vector<GameSend>& out);
// "LEAVE_MAISON" or a disconnection: emits that player's "GOTO_LOBBY" (for
// "LEAVE_MAISON") and the others' "SAY:".
void gameRemovePlayer(Game& game, uint32_t player, uint32_t nowMs, std::vector<GameSend>& out);
// True once the final "GOTO_LOBBY"s were emitted, or nobody is left.
bool gameFinished(const Game& game);
// Per member, for the statistics table (best points, total kills, best round).
std::vector<GameResult> gameResults(const Game& game);
