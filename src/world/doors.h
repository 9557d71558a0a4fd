#pragma once
// The house's four doors, as the server last told them, and whether the
// local player is in the house at all.

// True when the door at that tile is closed; false where no door stands.
bool isDoorClosedAt(int x, int y);
// Ignored for a tile without a door.
void setDoorClosedAt(int x, int y, bool closed);

// Game lifetime: every door closed.
void resetDoors();
