// What one volume key press costs in save.dat traffic (read, then a synced
// write and rename), run in a temporary folder.
#include "core/save_file.h"
#include "base/sha256.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include <stdlib.h>

namespace {

struct InTempFolder {
    std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::path folder;
    InTempFolder() {
        char pattern[] = "/tmp/ashen_bench_XXXXXX";
        if (mkdtemp(pattern)) folder = pattern;
        std::filesystem::current_path(folder);
    }
    ~InTempFolder() {
        std::filesystem::current_path(previous);
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

const SaveData kSave{{"Alice", sha256Hex("alice@example.fr"), sha256Hex("secret"), "F"}, 3, std::vector<float>(8, 0.75f)};

void BM_WriteSave(benchmark::State& state) {
    InTempFolder here;
    for (auto _ : state) benchmark::DoNotOptimize(writeSave(kSave));
}
BENCHMARK(BM_WriteSave)->Unit(benchmark::kMicrosecond);

void BM_LoadSave(benchmark::State& state) {
    InTempFolder here;
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
