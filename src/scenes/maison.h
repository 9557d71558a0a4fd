#pragma once
// The house map, where the game is played: its keys and the map elements menu.
#include "input/key_pass.h"

#include <cstdint>
#include <string>
#include <vector>

// The map elements menu: fixed landmarks and the doors still closed.
extern bool isMapElementsMenuOpen;
extern std::vector<std::string> mapElementsOptions;
extern int32_t mapElementsSelection;

// One keyboard poll of the house.
void handleMaisonKeys(const KeyPass& pass);

// Closed, first entry selected.
void resetMapElementsMenu();
