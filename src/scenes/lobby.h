#pragma once
// The lobby map: where players meet, walk, chat and form teams.
#include "input/key_pass.h"
#include "protocol/fields.h"

// One keyboard poll of the lobby.
void handleLobbyKeys(const KeyPass& pass);

void onLobbyJoin(FieldCursor& fields);
void onLobbyLeft(FieldCursor& fields);
void onPlayersList(FieldCursor& fields);
void onUptime(FieldCursor& fields);
void onPong(FieldCursor& fields);
