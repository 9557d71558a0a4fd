// The game's balance, played by bots (balance_bot.h) at full speed on a fake
// clock: seeded games of a newcomer alone and of four skilled players, and
// the rounds they reach. Targets: the newcomer's median game reaches round 3
// or more; the team's reaches round 10 or more, and no team game passes 40.
//
//   balance_sim [GAMES] [MAX_ROUND]   200 games each by default; a game that
//                                     passes MAX_ROUND (60) is stopped there
#include "balance_bot.h"

#include "server/game_state.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

constexpr uint64_t FRAME_MS = 10;
// A game still going after this much play is stopped, whatever its round.
constexpr uint64_t LONGEST_GAME_MS = 6ull * 3600 * 1000;

// What the bots did, counted from what the game sent: a message sent to
// everyone once, one sent to the player concerned each time.
struct Deed {
    Keyword keyword;
    const char* name;
    bool toEveryone;
};
const Deed DEEDS[] = {{MSG_DOOR_OPENED, "doors", true},     {MSG_EPEE_PICKUP_OK, "swords", false},
                      {MSG_BOX_PICKUP_OK, "box weapons", true}, {MSG_POTION_BOUGHT, "potions", false},
                      {MSG_PLAYER_DOWN, "downs", true},     {MSG_REVIVED, "revivals", false},
                      {MSG_BONUS_MAX_AMMO, "max ammo", true}};
constexpr int DEED_COUNT = 7;

struct Outcome {
    int round;
    bool stopped; // still going at MAX_ROUND or after LONGEST_GAME_MS
    uint64_t playedMs;
    int deeds[DEED_COUNT];
};

Outcome play(uint32_t seed, int players, Skill skill, int maxRound) {
    uint64_t now = 1000;
    const uint64_t start = now;
    std::vector<GameMember> members;
    std::vector<Bot> bots(players);
    for (int i = 0; i < players; ++i) {
        bots[i].pseudo = "Bot" + std::to_string(i + 1);
        bots[i].skill = skill;
        members.push_back({static_cast<uint32_t>(i + 1), bots[i].pseudo});
    }
    std::vector<GameSend> out;
    std::unique_ptr<Game> game = gameCreate(members, now, seed, out);
    std::vector<std::string> keys;
    Outcome o{0, false, 0, {}};
    while (!gameFinished(*game)) {
        for (const GameSend& s : out) {
            if (s.withdraw) continue; // never reaches a client
            botReceive(bots[s.player - 1], s.text, now);
            for (int d = 0; d < DEED_COUNT; ++d)
                o.deeds[d] += matchesKeyword(s.text, DEEDS[d].keyword) &&
                              (!DEEDS[d].toEveryone || s.player == members.front().player);
        }
        out.clear();
        now += FRAME_MS;
        for (int i = 0; i < players; ++i) {
            keys.clear();
            botFrame(bots[i], now, keys);
            for (const std::string& k : keys) gameHandle(*game, members[i].player, k, now, out);
        }
        gameTick(*game, now, out);
        if (game->round > maxRound || now - start > LONGEST_GAME_MS) {
            o.stopped = true;
            break;
        }
    }
    o.round = game->round;
    o.playedMs = now - start;
    return o;
}

void report(const char* title, int games, int players, Skill skill, int maxRound) {
    const std::clock_t cpu = std::clock();
    std::vector<Outcome> outcomes;
    for (int g = 0; g < games; ++g) outcomes.push_back(play(static_cast<uint32_t>(g + 1), players, skill, maxRound));
    std::vector<int> rounds;
    int stopped = 0;
    double minutes = 0, deeds[DEED_COUNT] = {};
    for (const Outcome& o : outcomes) {
        rounds.push_back(o.round);
        stopped += o.stopped;
        minutes += o.playedMs / 60000.0;
        for (int d = 0; d < DEED_COUNT; ++d) deeds[d] += o.deeds[d];
    }
    std::sort(rounds.begin(), rounds.end());
    const auto at = [&](double q) { return rounds[static_cast<size_t>(q * (rounds.size() - 1) + 0.5)]; };
    std::printf("%s, %d games (seeds 1 to %d)\n", title, games, games);
    for (int r = rounds.front(); r <= rounds.back(); ++r) {
        const long n = std::count(rounds.begin(), rounds.end(), r);
        if (n == 0) continue;
        std::printf("  round %2d %4ld  ", r, n);
        for (long i = 0; i < (n * 60 + games - 1) / games; ++i) std::putchar('#');
        std::putchar('\n');
    }
    std::printf("  median round %d, quartiles %d and %d, lowest %d, highest %d%s\n", at(0.5), at(0.25), at(0.75),
                rounds.front(), rounds.back(), stopped ? " (stopped there)" : "");
    std::printf("  %d stopped at round %d or after %llu hours; %.1f minutes of play a game; %.1f s of CPU\n", stopped,
                maxRound, static_cast<unsigned long long>(LONGEST_GAME_MS / 3600000), minutes / games,
                double(std::clock() - cpu) / CLOCKS_PER_SEC);
    std::printf("  a game on average:");
    for (int d = 0; d < DEED_COUNT; ++d) std::printf("%s %.1f %s", d ? "," : "", deeds[d] / games, DEEDS[d].name);
    std::printf("\n\n");
}

} // namespace

int main(int argc, char** argv) {
    const int games = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const int maxRound = argc > 2 ? std::max(1, std::atoi(argv[2])) : 60;
    report("Newcomer bot, alone", games, 1, Skill::NEWCOMER, maxRound);
    report("Skilled bots, team of 4", games, 4, Skill::SKILLED, maxRound);
    return 0;
}
