#pragma once
// The server's game-wide messages: the end of a game, its statistics, the
// bonuses and the second chance.
#include "protocol/wire.h"

void onSecondChanceReady(FieldCursor& fields);
void onGameOverSignal(FieldCursor& fields);
void onStats(FieldCursor& fields);
void onBonusMaxAmmo(FieldCursor& fields);
void onBonusDoublePointsStart(FieldCursor& fields);
void onBonusDoublePointsEnd(FieldCursor& fields);
void onBonusInstantKillStart(FieldCursor& fields);
