#pragma once
// The yes/no question that guards leaving the lobby or the house.
#include <cstdint>
#include <string>
#include <vector>

extern std::vector<std::string> confirmOptions;
extern int32_t confirmSelection; // 0 yes, 1 no
extern bool isConfirmingExit;

// Asks the question with "Non" selected.
void openExitConfirmation(const char* question);
// One polling step of the open confirmation; paces itself.
void handleConfirmExitInputs();

// Closed, "Non" selected.
void resetExitConfirmation();
