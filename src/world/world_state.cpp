#include "world/world_state.h"

std::vector<ZombieClient> localZombies;
int currentRound = 0;
MysteryBoxClient currentBox;

void resetWorldState() {
    localZombies.clear();
    currentRound = 0;
    currentBox = MysteryBoxClient{};
}
