#pragma once
// The house's four doors, as the server last told them.
#include "protocol/wire.h"

// True when the door at that tile is closed; false where no door stands.
bool isDoorClosedAt(int x, int y);
// Ignored for a tile without a door.
void setDoorClosedAt(int x, int y, bool closed);

void onDoorClosed(FieldCursor& fields);
void onDoorOpened(FieldCursor& fields);

// Game lifetime: every door closed.
void resetDoors();
