#include "server/fanout.h"

#include "server/session.h"

#include "protocol/wire.h"

#include <algorithm>
#include <climits>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

constexpr int SIDE = LOBBY_MAX - LOBBY_MIN + 1;
// The reach of a set that holds everyone else: whoever comes is nearer.
constexpr int EVERYWHERE = INT_MAX;

struct Walker {
    std::string pseudo;
    int x = 0, y = 0;
    bool moved = false;            // since the last flush, or new to the lobby
    std::vector<uint32_t> nearest; // ids, sorted
    // Every member stands within this squared distance and everyone else at
    // it or beyond: only a member going beyond it, or another coming within,
    // can change the set.
    int reach = EVERYWHERE;
    std::vector<uint32_t> hearers; // those who have him among their nearest
    uint64_t queued = 0;           // the flush that last queued his set
};

struct Offset {
    int dx, dy, d2;
};

// Every step from one tile to another of the lobby, nearest first.
const std::vector<Offset>& offsets() {
    static const std::vector<Offset> table = [] {
        std::vector<Offset> t;
        for (int dy = 1 - SIDE; dy < SIDE; ++dy)
            for (int dx = 1 - SIDE; dx < SIDE; ++dx) t.push_back({dx, dy, dx * dx + dy * dy});
        std::stable_sort(t.begin(), t.end(), [](const Offset& a, const Offset& b) { return a.d2 < b.d2; });
        return t;
    }();
    return table;
}

// Run lifetime.
std::unordered_map<uint32_t, Walker> g_walkers;
std::vector<uint32_t> g_tiles[SIDE * SIDE]; // who stands on each tile
std::vector<uint32_t> g_moved;              // since the last flush, in the order they first moved
std::vector<uint32_t> g_stale;              // sets that lost a member who left
uint64_t g_flush = 0;

bool inside(int x, int y) { return x >= LOBBY_MIN && x <= LOBBY_MAX && y >= LOBBY_MIN && y <= LOBBY_MAX; }
std::vector<uint32_t>& tile(int x, int y) { return g_tiles[(y - LOBBY_MIN) * SIDE + (x - LOBBY_MIN)]; }

int distance2(const Walker& a, const Walker& b) {
    const int dx = a.x - b.x, dy = a.y - b.y;
    return dx * dx + dy * dy;
}

void eraseOne(std::vector<uint32_t>& ids, uint32_t id) {
    const auto it = std::find(ids.begin(), ids.end(), id);
    if (it == ids.end()) return;
    *it = ids.back();
    ids.pop_back();
}

bool contains(const std::vector<uint32_t>& sorted, uint32_t id) {
    return std::binary_search(sorted.begin(), sorted.end(), id);
}

// Calls visit(d2, id) for everyone but the walker at (x, y), nearest first,
// while visit returns true and the distance stays below `below`.
template <typename Visit>
void around(int x, int y, uint32_t self, int below, Visit visit) {
    for (const Offset& o : offsets()) {
        if (o.d2 >= below) return;
        if (!inside(x + o.dx, y + o.dy)) continue;
        for (uint32_t other : tile(x + o.dx, y + o.dy))
            if (other != self && !visit(o.d2, other)) return;
    }
}

Message moveOf(const Walker& w) { return Message(MSG_REMOTE_MOVE).field(w.pseudo).tile(w.x, w.y); }

void markMoved(uint32_t id, Walker& w) {
    if (w.moved) return;
    w.moved = true;
    g_moved.push_back(id);
}

// Chooses the walker's nearest again; a newcomer to them is sent where he
// stands, unless he moved (the flush sends him then).
void choose(uint32_t id, Walker& w, Outbox& out) {
    static std::vector<std::pair<int, uint32_t>> found; // (d2, id), nearest first
    found.clear();
    int kth = EVERYWHERE;
    // Past the FANOUT_NEAREST-th, only those as near as him are still taken: the ties.
    around(w.x, w.y, id, EVERYWHERE, [&](int d2, uint32_t other) {
        if (found.size() >= FANOUT_NEAREST && d2 > kth) return false;
        found.emplace_back(d2, other);
        if (found.size() == FANOUT_NEAREST) kth = d2;
        return true;
    });
    if (found.size() > FANOUT_NEAREST) {
        // Among the ties at the edge those already heard stay: equal distances do not make the set flicker.
        const auto edge = std::find_if(found.begin(), found.end(), [&](const auto& f) { return f.first == kth; });
        std::stable_partition(edge, found.end(), [&](const auto& f) { return contains(w.nearest, f.second); });
        found.resize(FANOUT_NEAREST);
    }
    w.reach = found.size() == FANOUT_NEAREST ? kth : EVERYWHERE;
    std::vector<uint32_t> chosen;
    chosen.reserve(found.size());
    for (const auto& f : found) chosen.push_back(f.second);
    std::sort(chosen.begin(), chosen.end());

    std::vector<uint32_t> gone, came;
    std::set_difference(w.nearest.begin(), w.nearest.end(), chosen.begin(), chosen.end(), std::back_inserter(gone));
    std::set_difference(chosen.begin(), chosen.end(), w.nearest.begin(), w.nearest.end(), std::back_inserter(came));
    for (uint32_t g : gone) eraseOne(g_walkers.at(g).hearers, id);
    for (uint32_t c : came) {
        Walker& newcomer = g_walkers.at(c);
        newcomer.hearers.push_back(id);
        if (!newcomer.moved) sendTo(out, id, moveOf(newcomer));
    }
    w.nearest = std::move(chosen);
}

} // namespace

void fanoutEnter(uint32_t player, const std::string& pseudo, int x, int y) {
    auto [it, fresh] = g_walkers.try_emplace(player);
    if (!fresh) return fanoutMove(player, x, y);
    Walker& w = it->second;
    w.pseudo = pseudo;
    w.x = x;
    w.y = y;
    tile(x, y).push_back(player);
    markMoved(player, w);
}

void fanoutMove(uint32_t player, int x, int y) {
    const auto it = g_walkers.find(player);
    if (it == g_walkers.end() || !inside(x, y)) return;
    Walker& w = it->second;
    eraseOne(tile(w.x, w.y), player);
    w.x = x;
    w.y = y;
    tile(x, y).push_back(player);
    markMoved(player, w);
}

void fanoutLeave(uint32_t player) {
    const auto it = g_walkers.find(player);
    if (it == g_walkers.end()) return;
    Walker& w = it->second;
    eraseOne(tile(w.x, w.y), player);
    for (uint32_t h : w.hearers) {
        std::vector<uint32_t>& theirs = g_walkers.at(h).nearest;
        const auto at = std::lower_bound(theirs.begin(), theirs.end(), player);
        if (at != theirs.end() && *at == player) theirs.erase(at);
        g_stale.push_back(h);
    }
    for (uint32_t n : w.nearest) eraseOne(g_walkers.at(n).hearers, player);
    g_walkers.erase(it);
}

void fanoutFlush(Outbox& out) {
    if (g_moved.empty() && g_stale.empty()) return;
    ++g_flush;
    std::vector<uint32_t> todo;
    const auto queue = [&](uint32_t id, Walker& w) {
        if (w.queued == g_flush) return;
        w.queued = g_flush;
        todo.push_back(id);
    };
    for (uint32_t id : g_stale)
        if (const auto it = g_walkers.find(id); it != g_walkers.end()) queue(id, it->second);
    int widest = 0;
    if (!g_moved.empty())
        for (const auto& [id, w] : g_walkers) widest = std::max(widest, w.reach);
    for (uint32_t id : g_moved) {
        const auto it = g_walkers.find(id);
        if (it == g_walkers.end()) continue; // left since
        Walker& mover = it->second;
        queue(id, mover);
        // Those he may have walked away from...
        for (uint32_t h : mover.hearers)
            if (Walker& hearer = g_walkers.at(h); distance2(hearer, mover) > hearer.reach) queue(h, hearer);
        // ...and those he came within reach of.
        around(mover.x, mover.y, id, widest, [&](int d2, uint32_t other) {
            Walker& w = g_walkers.at(other);
            if (d2 < w.reach && !contains(w.nearest, id)) queue(other, w);
            return true;
        });
    }
    for (uint32_t id : todo) choose(id, g_walkers.at(id), out);
    for (uint32_t id : g_moved) {
        const auto it = g_walkers.find(id);
        if (it == g_walkers.end() || !it->second.moved) continue;
        it->second.moved = false;
        const Message move = moveOf(it->second);
        for (uint32_t h : it->second.hearers) sendTo(out, h, move);
    }
    g_moved.clear();
    g_stale.clear();
}

void fanoutReset() {
    g_walkers.clear();
    for (std::vector<uint32_t>& t : g_tiles) t.clear();
    g_moved.clear();
    g_stale.clear();
    g_flush = 0;
}
