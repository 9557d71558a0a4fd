#include "scenes/lobby.h"

#include "base/ticks.h"
#include "core/local_player.h"
#include "core/speech.h"
#include "audio/playback.h"
#include "platform/clock.h"
#include "platform/keyboard.h"
#include "scenes/exit_confirm.h"

#include <string>

void handleLobbyKeys(const KeyPass& p) {
    if (p.canAct && platform::isKeyDown(VK_ESCAPE)) {
        openExitConfirmation("Retourner au menu principal ? Non");
        lastActionTime = p.now;
    }
}

void onLobbyJoin(FieldCursor& f) {
    say(readRest(f) + " s'est connecté.");
    playSound("online", -1, -1);
}

void onLobbyLeft(FieldCursor& f) {
    say(readRest(f) + " s'est déconnecté.");
    playSound("offline", -1, -1);
}

void onPlayersList(FieldCursor& f) { say(readRest(f)); }
void onUptime(FieldCursor& f) { say(readRest(f)); }

void onPong(FieldCursor& f) {
    uint32_t sent = 0;
    if (!readUint32(f, sent)) return;
    say(std::to_string(ticksSince(platform::tickCount(), sent)) + " millisecondes");
}
