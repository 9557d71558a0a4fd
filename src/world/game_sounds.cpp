#include "world/game_sounds.h"

#include "core/local_player.h"
#include "audio/playback.h"

#include <cstdlib>

bool isInMaison = false;

void playStepAt(int x, int y) {
    const char* scene = isInMaison ? "maison" : "lobby";
    if (x == localPlayer.x && y == localPlayer.y) playStepSound(scene, -1, -1);
    else playStepSound(scene, x, y);
}

void playStepSound(const std::string& scene, int x, int y) {
    playSound("step_" + scene + "_" + std::to_string(std::rand() % 2), x, y);
}

// The sample is 3D: placed on the player's own tile, it sounds at the listener.
void playWallSound() { playSound(isInMaison ? "wall_maison" : "wall_lobby", localPlayer.x, localPlayer.y); }

void resetGameSounds() { isInMaison = false; }
