#pragma once
// Rounds of zombies: their start, and the kills of each player at their end.
#include "protocol/fields.h"

#include <string>

// "Round terminé. Nombre de kill par joueur : " and "pseudo : count" per
// usable entry of a "pseudo:count|pseudo:count" list, ". " between two.
std::string killsSentence(const std::string& list);

void onRoundStart(FieldCursor& fields);
void onRoundEndKills(FieldCursor& fields);
void onRoundEnd(FieldCursor& fields);
