#pragma once
// The server's game-world messages, each read from its fields.
#include "protocol/fields.h"

void onSecondChanceReady(FieldCursor& fields);
