#pragma once
// Rounds of zombies: their start, and the kills of each player at their end.
#include "protocol/wire.h"

void onRoundStart(FieldCursor& fields);
// "Round terminé. Nombre de kill par joueur : " and "pseudo : count" per
// usable entry of a "pseudo:count|pseudo:count" list, ". " between two.
void onRoundEndKills(FieldCursor& fields);
void onRoundEnd(FieldCursor& fields);
