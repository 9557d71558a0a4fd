// 100,000 "PLAY_SOUND:" messages, every sample of the sound table in turn,
// handed to the incoming-message handler as the network would, on the real
// audio device (OpenAL Soft's null output: mixed in real time, heard by
// nobody). Prints the time of each tenth, so a cost that grows shows.
#include "audio/playback.h"
#include "audio/sound_registry.h"
#include "net/connection.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// This thread's CPU time: on a busy machine the wall clock also counts others' work.
double threadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

} // namespace

int main() {
    setenv("ALSOFT_DRIVERS", "null", 0);
    initAudio();
    std::vector<std::string> messages;
    for (const SoundDef& d : soundTable())
        if (d.type == SOUND_SAMPLE && hasSound(d.name)) messages.push_back(std::string("PLAY_SOUND:") + d.name);
    if (messages.empty()) {
        std::puts("no sample loaded: is Sounds/ beside this program?");
        return 1;
    }
    constexpr int TOTAL = 100000, TENTH = TOTAL / 10;
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const double cpuStart = threadCpuSeconds();
    Clock::time_point tenthStart = start;
    for (int i = 0; i < TOTAL; ++i) {
        handleIncomingPacket(messages[size_t(i) % messages.size()]);
        if ((i + 1) % TENTH == 0) {
            const Clock::time_point now = Clock::now();
            std::printf("messages %6d-%6d: %8.1f ms, %zu playbacks tracked\n", i + 1 - TENTH, i + 1,
                        std::chrono::duration<double, std::milli>(now - tenthStart).count(), g_active.size());
            tenthStart = now;
        }
    }
    const double total = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("%d PLAY_SOUND messages (%zu sample names) in %.2f s (%.2f s CPU of the calling thread)\n", TOTAL,
                messages.size(), total, threadCpuSeconds() - cpuStart);
    cleanupAudio();
    return 0;
}
