#include "world/zombies.h"

#include "base/ticks.h"
#include "audio/game_audio.h"
#include "audio/playback.h"
#include "platform/clock.h"
#include "platform/random.h"
#include "world/world_state.h"

#include <algorithm>
#include <cmath>
#include <vector>

std::map<int, ZombieStepState> g_zStep;
uint32_t lastGroanTick = 0;

namespace {

// The first pass of the run is due at once, whatever the clock reads.
bool g_groanPassRan = false;

// Farther than this between two updates is a jump, not a walk.
constexpr float ZOMBIE_JUMP_TILES = 12.0f;
constexpr float NO_MOVE_TILES = 0.001f;
constexpr uint32_t GROAN_PASS_MS = 899;

ZombieClient* findZombie(int id) {
    for (ZombieClient& z : localZombies)
        if (z.id == id) return &z;
    return nullptr;
}

// Walks the step points from the last one towards (x, y) and sounds at most
// one of them: they all share this update's arrival time.
void walkSteps(ZombieStepState& s, int x, int y, uint32_t now) {
    // In 64 bits: tiles come from the server and may lie far apart.
    float dx = float(int64_t(x) - s.lastX), dy = float(int64_t(y) - s.lastY);
    float dist = std::sqrt(dx * dx + dy * dy);
    if (dist > ZOMBIE_JUMP_TILES) {
        s.distAccum = 0.0f;
        return;
    }
    if (dist <= NO_MOVE_TILES) return;
    s.distAccum += dist;
    for (int steps = 0; s.distAccum >= ZOMBIE_STEP_DISTANCE_TILES && steps < ZOMBIE_STEP_MAX_PER_UPDATE; ++steps) {
        const float t = std::clamp(ZOMBIE_STEP_DISTANCE_TILES / dist, 0.0f, 1.0f);
        const int px = int(std::lround(s.lastX + dx * t));
        const int py = int(std::lround(s.lastY + dy * t));
        if (ticksSince(now, s.lastStepTick) >= ZOMBIE_STEP_MIN_INTERVAL_MS) {
            playZombieStep(px, py);
            s.lastStepTick = now;
        }
        s.distAccum -= ZOMBIE_STEP_DISTANCE_TILES;
        s.lastX = px;
        s.lastY = py;
        dx = float(int64_t(x) - px);
        dy = float(int64_t(y) - py);
        dist = std::sqrt(dx * dx + dy * dy);
        if (dist < NO_MOVE_TILES) break;
    }
}

struct ZRef {
    int x = 0;
    int y = 0;
    float dist = 0.0f;
};

// In double, as the draw is: a draw of exactly 0.45 still groans.
double groanChance(float dist) {
    if (dist < 40.0f) return 0.8;
    if (dist < 80.0f) return 0.45;
    return 0.2;
}

} // namespace

void clearZombies() {
    localZombies.clear();
    g_zStep.clear();
}

void updateZombieAudio(int x, int y) {
    const uint32_t now = platform::tickCount();
    if (g_groanPassRan && ticksSince(now, lastGroanTick) <= GROAN_PASS_MS) return;
    g_groanPassRan = true;
    lastGroanTick = now;
    if (localZombies.empty()) return;
    std::vector<ZRef> refs;
    refs.reserve(localZombies.size());
    for (const ZombieClient& z : localZombies) refs.push_back({z.x, z.y, dist2D(z.x, z.y, x, y)});
    std::stable_sort(refs.begin(), refs.end(), [](const ZRef& a, const ZRef& b) { return a.dist < b.dist; });
    const size_t n = std::min<size_t>(3, refs.size());
    for (size_t i = 0; i < n; ++i) {
        const double r = double(platform::randomInt() % 1001) / 1000.0;
        if (groanChance(refs[i].dist) >= r) playSound("zombie_groan", refs[i].x, refs[i].y);
    }
}

void onZSpawn(FieldCursor& f) {
    const int32_t id = readId(f);
    const TileField t = readTile(f);
    ZombieClient z;
    z.id = id;
    z.x = t.x;
    z.y = t.y;
    localZombies.push_back(z);
    playSound("zombie_spawn", t.x, t.y);
}

void onZPos(FieldCursor& f) {
    const int32_t id = readId(f);
    const TileField t = readTile(f);
    ZombieClient* z = findZombie(id);
    if (!z) return;
    ZombieStepState& s = g_zStep[id];
    if (!s.initialized) s.initialized = true; // the first position is only recorded
    else walkSteps(s, t.x, t.y, platform::tickCount());
    s.lastX = t.x;
    s.lastY = t.y;
    z->x = t.x;
    z->y = t.y;
}

namespace {
void onZImpact(FieldCursor& f, bool killed) {
    const int32_t id = readId(f);
    const std::string weapon = readField(f);
    const TileField t = readTile(f);
    playImpactSound(weapon, killed, t.x, t.y);
    if (!killed) return;
    const auto it = std::find_if(localZombies.begin(), localZombies.end(), [id](const ZombieClient& z) { return z.id == id; });
    if (it != localZombies.end()) localZombies.erase(it);
}
} // namespace

void onZHit(FieldCursor& f) { onZImpact(f, false); }
void onZDie(FieldCursor& f) { onZImpact(f, true); }

void resetZombies() {
    clearZombies();
    lastGroanTick = 0;
    g_groanPassRan = false;
}
