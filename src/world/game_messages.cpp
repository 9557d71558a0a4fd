#include "world/game_messages.h"

#include "audio/playback.h"

void onSecondChanceReady(FieldCursor&) { playSound("cloche", -1, -1); }
