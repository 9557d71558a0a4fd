#include "core/local_player.h"

uint32_t lastActionTime = 0;
uint32_t lastMoveTime = 0;
TilePosition localPlayer;

namespace {
bool g_localIsDead = false;
} // namespace

void setLocalDead(bool dead) { g_localIsDead = dead; }
bool isLocalDead() { return g_localIsDead; }

void resetLocalPlayer() {
    lastActionTime = 0;
    lastMoveTime = 0;
    localPlayer = TilePosition{};
    g_localIsDead = false;
}
