#include "world/game_messages.h"

#include "core/local_player.h"
#include "core/save_file.h"
#include "core/speech.h"
#include "audio/playback.h"
#include "world/game_sounds.h"

namespace {

// "x" sep "y". False when either is not a number: a malformed position moves nothing.
bool readTile(FieldCursor& f, int& x, int& y) {
    int32_t fx = 0, fy = 0;
    if (!readInt(f, fx)) return false;
    skipSeparator(f);
    if (!readInt(f, fy)) return false;
    x = fx;
    y = fy;
    return true;
}

} // namespace

void onSecondChanceReady(FieldCursor&) { playSound("cloche", -1, -1); }

void onPos(FieldCursor& f) {
    int x = 0, y = 0;
    if (!readTile(f, x, y)) return;
    localPlayer = TilePosition{x, y};
    updateListenerPosition(x, y);
    playStepAt(x, y);
}

void onRemoteMove(FieldCursor& f) {
    const std::string pseudo = readName(f);
    int x = 0, y = 0;
    if (pseudo == myProfile.username || !readTile(f, x, y)) return;
    playStepAt(x, y);
}

void onHealthMsg(FieldCursor& f) { say(readRest(f)); }
void onWall(FieldCursor&) { playWallSound(); }
