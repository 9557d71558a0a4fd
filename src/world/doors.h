#pragma once
// The house's four doors, as the server last told them, and whether the
// local player is in the house at all.
#include "protocol/fields.h"

// True from entering the house to leaving it: steps and bumps sound of the
// house rather than of the lobby.
extern bool isInMaison;

// True when the door at that tile is closed; false where no door stands.
bool isDoorClosedAt(int x, int y);
// Ignored for a tile without a door.
void setDoorClosedAt(int x, int y, bool closed);

void onDoorClosed(FieldCursor& fields);
void onDoorOpened(FieldCursor& fields);

// Game lifetime: every door closed.
void resetDoors();
// Whole run: out of the house, every door closed.
void resetMaisonFlags();
