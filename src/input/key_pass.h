#pragma once
// What one keyboard poll knows before any key acts. Fixed for the whole pass,
// even after an action rewrites lastActionTime.
#include <cstdint>

// Steps walk at one per 400 ms, or run at one per 200 ms with Shift held.
constexpr uint32_t MOVE_GAP_MS = 400;
constexpr uint32_t MOVE_GAP_RUN_MS = 200;

struct KeyPass {
    uint32_t now = 0;
    // More than the action gap since the last accepted action.
    bool canAct = false;
    // A step needs more than this since the last one: shorter while Shift is held.
    uint32_t moveGapMs = MOVE_GAP_MS;
};

// The key dispatch acts from 201 ms after the last action.
constexpr uint32_t ACTION_GAP_MS = 200;
