#pragma once
// A scripted game for the shell's tests: it records what the shell hands it
// and answers as the test says.
#include "server/game.h"

#include <string>
#include <vector>

namespace fake_game {

struct Call {
    std::string what; // "create", "handle", "remove"
    uint32_t player;
    std::string message;
};

extern bool opens;                      // gameCreate gives a game
extern bool finished;                   // gameFinished of every game
extern std::vector<GameResult> results; // gameResults of every game
extern std::vector<Call> calls;
extern std::vector<GameSend> toSend;    // sent by the next gameTick
void reset();

} // namespace fake_game
