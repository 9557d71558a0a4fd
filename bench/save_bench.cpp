// What one volume key press costs in save.dat traffic (read, then a synced
// write and rename), run in a temporary folder.
#include "core/save_file.h"
#include "base/sha256.h"
#include "scratch.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

const SaveData kSave{{"Alice", sha256Hex("alice@example.fr"), sha256Hex("secret"), "F"}, 3, std::vector<float>(8, 0.75f)};

void BM_WriteSave(benchmark::State& state) {
    ScratchFolder here;
    for (auto _ : state) benchmark::DoNotOptimize(writeSave(kSave));
}
BENCHMARK(BM_WriteSave)->Unit(benchmark::kMicrosecond);

void BM_LoadSave(benchmark::State& state) {
    ScratchFolder here;
    writeSave(kSave);
    for (auto _ : state) benchmark::DoNotOptimize(loadSave());
}
BENCHMARK(BM_LoadSave)->Unit(benchmark::kMicrosecond);

void BM_Sha256Hex64(benchmark::State& state) {
    const std::string password(64, 'p');
    for (auto _ : state) benchmark::DoNotOptimize(sha256Hex(password));
}
BENCHMARK(BM_Sha256Hex64);

} // namespace
