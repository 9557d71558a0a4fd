#pragma once
// What one keyboard poll knows before any key acts. Fixed for the whole pass,
// even after an action rewrites lastActionTime.
#include <cstdint>

struct KeyPass {
    uint32_t now = 0;
    // More than the action gap since the last accepted action.
    bool canAct = false;
};

// The key dispatch acts from 201 ms after the last action.
constexpr uint32_t ACTION_GAP_MS = 200;
