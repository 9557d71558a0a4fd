#include "net/world_state.h"

std::vector<ZombieClient> localZombies;
int currentRound = 0;
MysteryBoxClient currentBox;
