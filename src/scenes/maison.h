#pragma once
// The house map, where the game is played: entering and leaving it, its
// keys and the map elements menu.
#include "input/key_pass.h"
#include "protocol/wire.h"

#include <cstdint>
#include <string>
#include <vector>

// The map elements menu: fixed landmarks and the doors still closed.
extern bool isMapElementsMenuOpen;
extern std::vector<std::string> mapElementsOptions;
extern int32_t mapElementsSelection;

// A new game: doors closed, alive at (0, 0), the house music fading in.
void initMaisonScene();
void cleanupMaisonScene();

// One keyboard poll of the house.
void handleMaisonKeys(const KeyPass& pass);

// "START_MAISON": the team's game starts, the map elements menu closed.
void onStartMaison(FieldCursor& fields);

// Game lifetime: closed, first entry selected.
void resetMapElementsMenu();
