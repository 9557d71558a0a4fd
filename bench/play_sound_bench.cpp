// playSound on a crowded zombie bus: 10 audible and 200 virtualised
// playbacks, each new sound farther than all of them. Runs on the audio
// double, so the figure includes the double's bookkeeping of every call.
#include "audio/playback.h"
#include "audio/sound_registry.h"
#include "fake_audio.h"
#include "fake_platform.h"
#include "fake_process.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

const std::string SOUNDS = "/opt/ashen/";

// 14 zombie samples of 16 playbacks each hold the 210 filler playbacks.
void fillZombieBus(int audible, int virtualised) {
    fake::reset();
    fake::audio::reset();
    fake::process::reset();
    for (const SoundDef& d : soundTable()) fake::audio::addFile(SOUNDS + d.file, 1000);
    fake::audio::addFile(SOUNDS + "filler.wav", 3600000);
    initAudio();
    for (int i = 0; i < 14; ++i)
        regSample("filler_" + std::to_string(i), "filler.wav", AudioChannel::ZOMBIES, platform::AUDIO_3D);
    updateListenerPosition(0, 0);
    int n = 0;
    for (int i = 0; i < audible + virtualised; ++i, ++n)
        playSound("filler_" + std::to_string(n / 16), i < audible ? i + 1 : 50 + i, 0);
    fake::audio::clearCalls();
}

void BM_PlaySoundOnCrowdedZombieBus(benchmark::State& state) {
    fillZombieBus(10, 200);
    size_t virtualisedCount = 0;
    for (const auto& s : g_active) virtualisedCount += s.virtualised;
    if (g_active.size() != 210 || virtualisedCount != 200) {
        state.SkipWithError("the bus was not filled as intended");
        return;
    }
    for (auto _ : state) {
        playSound("zombie_groan", 0, 400); // farther than all: virtualised at once
        state.PauseTiming();
        // Back to 210 entries, and the double's call log emptied.
        platform::channelStop(g_active.back().handle);
        pruneActive();
        fake::audio::clearCalls();
        state.ResumeTiming();
    }
    state.counters["entries"] = double(g_active.size());
}
BENCHMARK(BM_PlaySoundOnCrowdedZombieBus)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
