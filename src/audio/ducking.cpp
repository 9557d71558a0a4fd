#include "audio/ducking.h"

#include "platform/clock.h"

#include <algorithm>

uint32_t g_duckUntil = 0;
float g_duckZombiesMul = 1.0f;
float g_duckAmbientMul = 1.0f;

void triggerDucking(uint32_t ms, float zombiesFactor, float ambientFactor) {
    g_duckUntil = platform::tickCount() + ms;
    g_duckZombiesMul = std::min(g_duckZombiesMul, zombiesFactor);
    g_duckAmbientMul = std::min(g_duckAmbientMul, ambientFactor);
}

float duckMulForBus(AudioBus bus) {
    // Tick counts wrap: "earlier" is a negative signed difference.
    const int32_t left = static_cast<int32_t>(g_duckUntil - platform::tickCount());
    if (left < 0) {
        g_duckZombiesMul = 1.0f;
        g_duckAmbientMul = 1.0f;
        return 1.0f;
    }
    if (bus == AudioBus::ZOMBIES) return g_duckZombiesMul;
    if (bus == AudioBus::AMBIENT) return g_duckAmbientMul;
    return 1.0f;
}

void resetDucking() {
    g_duckUntil = 0;
    g_duckZombiesMul = 1.0f;
    g_duckAmbientMul = 1.0f;
}
