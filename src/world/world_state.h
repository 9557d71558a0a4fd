#pragma once
// What the client keeps of the game world from the server's messages, only
// as much as it needs to place sounds.
#include <cstdint>
#include <string>
#include <vector>

struct ZombieClient {
    int id = 0;
    int x = 0;
    int y = 0;
    std::string kind;
    bool alive = true;
};

struct MysteryBoxClient {
    int x = -1; // -1: no position known
    int y = -1;
    bool isOpening = false;
    bool hasWeapon = false;
    std::string weaponName;
};

// Zombies currently known, in order of appearance.
extern std::vector<ZombieClient> localZombies;
extern int currentRound;
extern MysteryBoxClient currentBox;

// Game lifetime: no zombie, round 0, no box.
void resetWorldState();
