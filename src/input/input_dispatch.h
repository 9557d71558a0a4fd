#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The house's map elements menu: fixed landmarks and the doors still closed.
extern bool isMapElementsMenuOpen;
extern std::vector<std::string> mapElementsOptions;
extern int32_t mapElementsSelection;

// One keyboard poll for whatever has the focus; called once per foreground frame.
void updateInputs();
