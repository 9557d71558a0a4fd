#pragma once
// The house map: the state of its four doors.

// True when the door at that tile is closed; false where no door stands.
bool isDoorClosedAt(int x, int y);
// Ignored for a tile without a door.
void setDoorClosedAt(int x, int y, bool closed);
