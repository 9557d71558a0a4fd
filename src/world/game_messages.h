#pragma once
// The server's game-world messages, each read from its fields.
#include "protocol/fields.h"

void onSecondChanceReady(FieldCursor& fields);

// The local player's own step: the tile, the listener and the step sound.
void onPos(FieldCursor& fields);
// Another player's step; the local player's own, echoed back, stays silent.
void onRemoteMove(FieldCursor& fields);
void onHealthMsg(FieldCursor& fields);
void onWall(FieldCursor& fields);
