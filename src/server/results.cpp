#include "server/results.h"

#include "server/storage.h"
#include "server/workers.h"

#include <chrono>
#include <deque>
#include <memory>
#include <thread>

namespace {

constexpr size_t KEPT_MAX = 10000;

struct Kept {
    GameRecord record;
    bool told = false; // its refusal was logged
};

struct Written {
    size_t count = 0;
    std::string error;
};

// Run lifetime.
std::deque<Kept> g_kept;  // in the order the games ended
size_t g_writing = 0;     // the first ones, being written by a job
bool g_refused = false;   // the last write stopped short
uint64_t g_run = 0;       // a job of an earlier run is ignored

void write();

void written(size_t sent, const Written& w, Outbox& out) {
    g_writing = 0;
    const bool wasRefused = g_refused;
    g_kept.erase(g_kept.begin(), g_kept.begin() + static_cast<std::ptrdiff_t>(w.count));
    g_refused = w.count < sent;
    if (wasRefused && w.count > 0)
        out.log.push_back("statistiques de " + std::to_string(w.count) + " parties écrites après l'échec");
    if (!g_refused) return write(); // the games that ended meanwhile
    bool told = false;
    for (size_t i = 0; i < sent - w.count; ++i) {
        if (g_kept[i].told) continue;
        out.log.push_back("statistiques de " + g_kept[i].record.pseudo + " gardées en mémoire, écriture impossible : " +
                          w.error);
        g_kept[i].told = told = true;
    }
    if (!told) out.log.push_back(std::to_string(g_kept.size()) + " parties attendent d'être écrites : " + w.error);
}

void write() {
    if (g_writing > 0 || g_kept.empty()) return;
    std::vector<GameRecord> batch;
    for (const Kept& k : g_kept) batch.push_back(k.record);
    auto result = std::make_shared<Written>();
    const bool queued = workersSubmit(
        0, [batch, result] { result->count = storageRecordGames(batch, result->error); },
        [result, sent = batch.size(), run = g_run](uint64_t, Outbox& out) {
            if (run == g_run) written(sent, *result, out);
        });
    // A full queue: the next game or minute tries again.
    if (queued) g_writing = batch.size();
}

} // namespace

void resultsRecord(const std::vector<GameResult>& results) {
    for (const GameResult& r : results) {
        if (g_kept.size() >= KEPT_MAX && g_kept.size() > g_writing)
            g_kept.erase(g_kept.begin() + static_cast<std::ptrdiff_t>(g_writing));
        g_kept.push_back({{r.pseudo, r.points, r.kills, r.round}, false});
    }
    write();
}

void resultsRetry() { write(); }

bool resultsRefused() { return g_refused && !g_kept.empty(); }

size_t resultsUnsaved() { return g_kept.size(); }

void resultsFlush(uint64_t waitMs) {
    write();
    Outbox ignored;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    // The answers of other jobs that end meanwhile go nowhere: every player is leaving.
    while (g_writing > 0 && std::chrono::steady_clock::now() < end) {
        for (JobApply& apply : workersCollect()) apply(0, ignored);
        if (g_writing > 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

void resultsReset() {
    g_kept.clear();
    g_writing = 0;
    g_refused = false;
    ++g_run;
}
