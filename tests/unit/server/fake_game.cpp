#include "fake_game.h"

#include <algorithm>

struct Game {
    std::vector<GameMember> members;
};

void std::default_delete<Game>::operator()(Game* game) const { delete game; }

namespace fake_game {
bool opens = true;
bool finished = false;
std::vector<GameResult> results;
std::vector<Call> calls;
std::vector<GameSend> toSend;
void reset() {
    toSend.clear();
    opens = true;
    finished = false;
    results.clear();
    calls.clear();
}
} // namespace fake_game

using namespace fake_game;

std::unique_ptr<Game> gameCreate(const std::vector<GameMember>& members, uint64_t, uint32_t,
                                 std::vector<GameSend>& out) {
    if (!opens) return nullptr;
    for (const GameMember& m : members) {
        calls.push_back({"create", m.player, m.pseudo});
        out.push_back({m.player, "START_MAISON"});
    }
    return std::unique_ptr<Game>(new Game{members});
}

void gameHandle(Game&, uint32_t player, const std::string& message, uint64_t, std::vector<GameSend>&) {
    calls.push_back({"handle", player, message});
}

void gameTick(Game&, uint64_t, std::vector<GameSend>& out) {
    out.insert(out.end(), toSend.begin(), toSend.end());
    toSend.clear();
}

void gameRemovePlayer(Game& game, uint32_t player, uint64_t, std::vector<GameSend>& out) {
    calls.push_back({"remove", player, ""});
    auto& m = game.members;
    m.erase(std::remove_if(m.begin(), m.end(), [&](const GameMember& g) { return g.player == player; }), m.end());
    out.push_back({player, "GOTO_LOBBY"});
}

bool gameFinished(const Game& game) { return finished || game.members.empty(); }

std::vector<GameResult> gameResults(const Game&) { return results; }
