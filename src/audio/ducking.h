#pragma once
// Bites, screams and gunshots briefly lower the zombie and ambient sounds
// that start right after them. Only starting (or resuming) volumes are
// ducked; nothing already sounding changes.
#include "audio/playback.h"

#include <cstdint>

extern uint32_t g_duckUntil; // tick at which the window ends
extern float g_duckZombiesMul;
extern float g_duckAmbientMul;

// Opens a window of `ms` from now (replacing the previous end) and keeps the
// stronger of the old and new factors.
void triggerDucking(uint32_t ms, float zombiesFactor, float ambientFactor);
// The factor for a playback starting now on `bus`; resets the factors once
// the window is over.
float duckMulForBus(AudioBus bus);

void resetDucking();
