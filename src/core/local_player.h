#pragma once
// The local player as every module sees it: when he last acted, whether he is
// down, and the tile he stands on.
#include <cstdint>

// Last accepted user-interface action and last step, in platform ticks.
extern uint32_t lastActionTime;
extern uint32_t lastMoveTime;

struct TilePosition {
    int x = 0;
    int y = 0;
};

// Written by the server's position messages and by entering a map.
extern TilePosition localPlayer;

void setLocalDead(bool dead);
bool isLocalDead();

// Whole run: stamps at 0, alive, at (0, 0).
void resetLocalPlayer();
