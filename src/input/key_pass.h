#pragma once
// What one keyboard poll knows before any key acts, and how a key acts. The
// pass is fixed for its whole length, even after an action rewrites
// lastActionTime.
#include "core/local_player.h"
#include "input/key_bindings.h"
#include "platform/keyboard.h"

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

// A bound action's chord is held now.
inline bool pressed(const char* action) { return KeyBindingManager::isPressed(action); }
// A fixed key, by virtual-key code, is down now.
inline bool held(int vk) { return platform::isKeyDown(vk); }

// A paced key (the caller has checked canAct): when down, runs the action and
// stamps the pass's time as the last accepted action. True when it ran, so
// `a || b || c` acts on the first key held only.
template <typename Run>
bool actOnKey(const KeyPass& pass, bool down, Run run) {
    if (!down) return false;
    run();
    lastActionTime = pass.now;
    return true;
}
