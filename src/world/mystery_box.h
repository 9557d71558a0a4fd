#pragma once
// The mystery box as the server last described it, and its sounds.
#include "protocol/wire.h"

void onEpeePickupOk(FieldCursor& fields);
void onBoxOpeningStart(FieldCursor& fields);
void onBoxSpawn(FieldCursor& fields);
void onBoxDespawn(FieldCursor& fields);
void onBoxHidden(FieldCursor& fields);
void onBoxReady(FieldCursor& fields);
void onBoxPickupOk(FieldCursor& fields);
void onBoxTeleport(FieldCursor& fields);
