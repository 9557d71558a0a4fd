// One server tick over 25 games of 4 players and 24 zombies each, paths
// included. Prints the mean and worst tick of a busy minute of play, then a
// tick in which every zombie of every game steps on freshly searched paths.
// Times are the thread's CPU time: the machine is shared, and a wall clock
// would count the moments other processes held the core.
#include <algorithm>
#include <cstdio>
#include <ctime>

#include "server/game_state.h"

namespace {

constexpr int GAMES = 25;
constexpr int PLAYERS = 4;

double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Zombies far from the players, so that they walk instead of biting.
void fill(Game& game, uint64_t now) {
    game.zombies.clear();
    for (int i = 0; i < MAX_ZOMBIES_AT_ONCE; ++i) {
        Zombie z;
        z.id = game.nextZombieId++;
        z.pos = {75 + i % 25, 5 + 2 * (i / 25) + i % 20};
        z.health = 1000000;
        z.nextStepAt = now + static_cast<uint32_t>(i * 29) % gameZombieStepMs(game.round);
        game.zombies.push_back(z);
    }
}

} // namespace

int main() {
    uint64_t now = 0;
    std::vector<GameSend> out;
    std::vector<std::unique_ptr<Game>> games;
    for (int g = 0; g < GAMES; ++g) {
        std::vector<GameMember> members;
        for (int p = 0; p < PLAYERS; ++p)
            members.push_back({static_cast<uint32_t>(g * PLAYERS + p + 1), "P" + std::to_string(g * PLAYERS + p)});
        games.push_back(gameCreate(members, now, static_cast<uint32_t>(g), out));
    }
    for (; now < FIRST_ROUND_DELAY_MS + 10; now += 10)
        for (auto& game : games) gameTick(*game, now, out);
    for (auto& game : games) {
        game->doors.fill(true);
        game->toSpawn = 1000;
        game->nextSpawnAt = now + 3600000;
        for (int p = 0; p < PLAYERS; ++p) game->players[p].pos = {5 + 10 * p, 25};
        fill(*game, now);
    }

    // A minute of play: every player steps every 200 ms, so paths go stale all the time.
    const char* MOVES[] = {"MOVE:Z", "MOVE:S", "MOVE:D", "MOVE:Q"};
    double total = 0, worst = 0;
    int ticks = 0;
    for (int i = 0; i < 6000; ++i, now += 10) {
        for (auto& game : games)
            for (GamePlayer& p : game->players) {
                p.health = START_HEALTH;
                if ((i + p.id) % 20 == 0) gameHandle(*game, p.id, MOVES[(i / 20 + p.id) % 4], now, out);
            }
        out.clear();
        double start = cpuMs();
        for (auto& game : games) gameTick(*game, now, out);
        double ms = (cpuMs() - start);
        total += ms;
        worst = std::max(worst, ms);
        ++ticks;
        if (i % 1000 == 999)
            for (auto& game : games) fill(*game, now);
    }
    std::printf("busy tick, 25 games x 4 players x 24 zombies: mean %.3f ms, worst %.3f ms over %d ticks\n",
                total / ticks, worst, ticks);

    // Every zombie due at once and every game's paths stale.
    double all = 0;
    for (int round = 0; round < 20; ++round) {
        now += 10;
        for (auto& game : games) {
            fill(*game, now);
            for (Zombie& z : game->zombies) z.nextStepAt = now;
            game->pathDirty = true;
        }
        out.clear();
        double start = cpuMs();
        for (auto& game : games) gameTick(*game, now, out);
        all = std::max(all, (cpuMs() - start));
    }
    std::printf("every zombie stepping on fresh paths: %.3f ms (target under 2 ms)\n", all);
    return 0;
}
