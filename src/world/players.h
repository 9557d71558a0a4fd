#pragma once
// The players of a game as the client hears them: the local player's steps,
// death and revival, every player's steps and shots, weapons and bumps.
#include "protocol/wire.h"

void onPos(FieldCursor& fields);
void onRemoteMove(FieldCursor& fields);
void onPlayerDown(FieldCursor& fields);
void onYouDied(FieldCursor& fields);
void onRevived(FieldCursor& fields);
void onPotionBought(FieldCursor& fields);
void onShootOk(FieldCursor& fields);
void onRemoteShoot(FieldCursor& fields);
void onShootFail(FieldCursor& fields);
void onReloadOk(FieldCursor& fields);
void onSwitchOk(FieldCursor& fields);
void onAmmoMsg(FieldCursor& fields);
void onHealthMsg(FieldCursor& fields);
void onWall(FieldCursor& fields);
void onPlayerHit(FieldCursor& fields);
