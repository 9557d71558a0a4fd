#pragma once
// The lobby map: where players meet, walk, chat and form teams. The group
// menu and the team and ranking messages are in lobby_menu.h.
#include "input/key_pass.h"
#include "protocol/wire.h"

// The map's tiles run from MAP_MIN to MAP_MAX on both axes.
constexpr int MAP_MIN = 0;
constexpr int MAP_MAX = 20;
bool isInsideMap(int x, int y);

// Scene hooks: the lobby music fades in and out; the listener stands at (0, 0).
void initLobbyScene();
void cleanupLobbyScene();

// One keyboard poll of the lobby.
void handleLobbyKeys(const KeyPass& pass);
// The arrows, whatever the action gap says, once the move gap has passed: a
// step per held arrow, or only the first with `onePerPass` (the lobby's way).
void stepKeys(const KeyPass& pass, bool onePerPass);
// The coordinates key, here and in the house: "x, y".
void sayCoordinates();

void onGotoLobby(FieldCursor& fields);
void onLobbyJoin(FieldCursor& fields);
void onLobbyLeft(FieldCursor& fields);
void onPlayersList(FieldCursor& fields);
void onUptime(FieldCursor& fields);
void onPong(FieldCursor& fields);
