// Stands in for the game until it is built: no game can start, so the shell
// keeps the team in the lobby. Left out of the build once game.cpp exists.
#include "server/game.h"

struct Game {};

void std::default_delete<Game>::operator()(Game* game) const { delete game; }

std::unique_ptr<Game> gameCreate(const std::vector<GameMember>&, uint32_t, uint32_t, std::vector<GameSend>&) {
    return nullptr;
}
void gameHandle(Game&, uint32_t, const std::string&, uint32_t, std::vector<GameSend>&) {}
void gameTick(Game&, uint32_t, std::vector<GameSend>&) {}
void gameRemovePlayer(Game&, uint32_t, uint32_t, std::vector<GameSend>&) {}
bool gameFinished(const Game&) { return true; }
std::vector<GameResult> gameResults(const Game&) { return {}; }
