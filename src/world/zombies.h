#pragma once
// The zombies the client knows, their footsteps and their groans. Position
// updates come often and irregularly; the step throttle turns the distance
// a zombie walks into a natural footstep rhythm.
#include "protocol/wire.h"

#include <cstdint>
#include <map>

struct ZombieStepState {
    int lastX = 0; // the last step point
    int lastY = 0;
    bool initialized = false;
    float distAccum = 0.0f; // tiles walked, not yet turned into steps
    uint32_t lastStepTick = 0;
};

constexpr float ZOMBIE_STEP_DISTANCE_TILES = 0.85f;
constexpr uint32_t ZOMBIE_STEP_MIN_INTERVAL_MS = 90;
constexpr int ZOMBIE_STEP_MAX_PER_UPDATE = 3;

// Per zombie id, created on first use; emptied at each round start.
extern std::map<int, ZombieStepState> g_zStep;
// When the last groan pass ran.
extern uint32_t lastGroanTick;

// A new round: no zombie, no step state.
void clearZombies();

// In the house, every pass, with the local player's tile: at most every
// 900 ms, the three nearest zombies may groan, the nearer the likelier.
void updateZombieAudio(int x, int y);

void onZSpawn(FieldCursor& fields);
void onZPos(FieldCursor& fields);
void onZHit(FieldCursor& fields);
void onZDie(FieldCursor& fields);

// Whole run: no zombie, no step state, no groan pass yet.
void resetZombies();
