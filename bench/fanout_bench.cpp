// What the lobby's fan-out costs per step, without the network: N walkers on
// random tiles, each stepping every 250 ms, flushed at the server's lobby
// tick of 50 ms (200 steps a tick with 1,000 walkers). Prints the CPU time
// per step, flush included, and the messages a step sends. Times are the
// thread's CPU time: the machine is shared.
#include "server/fanout.h"

#include <cstdio>
#include <ctime>
#include <random>

namespace {

double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

} // namespace

int main() {
    std::printf("lobby fan-out: every walker steps every 250 ms, a flush every 50 ms\n");
    for (int walkers : {100, 300, 1000, 2000}) {
        fanoutReset();
        std::mt19937 random(26);
        std::vector<std::pair<int, int>> at;
        Outbox out;
        for (int i = 0; i < walkers; ++i) {
            at.push_back({static_cast<int>(random() % 21), static_cast<int>(random() % 21)});
            fanoutEnter(static_cast<uint32_t>(i + 1), "Joueur" + std::to_string(i), at.back().first, at.back().second);
        }
        fanoutFlush(out);
        const int ticks = 200; // 10 s of play
        size_t steps = 0, sent = 0;
        const double start = cpuSeconds();
        for (int tick = 0; tick < ticks; ++tick) {
            for (int i = tick % 5; i < walkers; i += 5) { // each walker once every 5 ticks
                auto& [x, y] = at[static_cast<size_t>(i)];
                const int way = static_cast<int>(random() % 4);
                const int nx = x + (way == 0) - (way == 1), ny = y + (way == 2) - (way == 3);
                if (nx < 0 || nx > 20 || ny < 0 || ny > 20) continue;
                x = nx;
                y = ny;
                fanoutMove(static_cast<uint32_t>(i + 1), x, y);
                ++steps;
            }
            out.sends.clear();
            fanoutFlush(out);
            sent += out.sends.size();
        }
        const double seconds = cpuSeconds() - start;
        std::printf("  %5d walkers: %6.2f us per step, %5.1f messages per step, %5.1f%% of a core at their pace\n",
                    walkers, seconds / static_cast<double>(steps) * 1e6, static_cast<double>(sent) / static_cast<double>(steps),
                    seconds / (ticks * 0.05) * 100);
    }
    fanoutReset();
    return 0;
}
