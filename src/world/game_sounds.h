#pragma once
// The small sounds of the game world, placed around the local player: steps
// and the bump against the edge of the map.
#include <string>

// In the house map rather than the lobby: the steps and the bump sound of
// the map the player stands in. Set by the house scene's hooks.
extern bool isInMaison;

// A player's step at that tile; the local player's own step sounds at the listener.
void playStepAt(int x, int y);
// "step_" + scene + "_0" or "_1", at random.
void playStepSound(const std::string& scene, int x, int y);
// A move against the edge of the map.
void playWallSound();

// Whole run: outside the house.
void resetGameSounds();
