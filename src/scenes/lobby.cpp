#include "scenes/lobby.h"

#include "base/ticks.h"
#include "core/local_player.h"
#include "core/scene.h"
#include "core/speech.h"
#include "audio/playback.h"
#include "audio/sound_registry.h"
#include "audio/volume.h"
#include "net/outgoing.h"
#include "platform/audio_device.h"
#include "platform/clock.h"
#include "scenes/exit_confirm.h"
#include "scenes/lobby_menu.h"

#include <string>

bool isInsideMap(int x, int y) { return x >= MAP_MIN && x <= MAP_MAX && y >= MAP_MIN && y <= MAP_MAX; }

void initLobbyScene() {
    if (const uint32_t music = getSoundHandle("music_lobby")) {
        platform::channelSetAttribute(music, platform::AUDIO_ATTRIB_VOL, 0.0f);
        platform::channelPlay(music, true);
        platform::channelSlideAttribute(music, platform::AUDIO_ATTRIB_VOL, getFinalVolume(AudioChannel::AMBIANCE),
                                        1000);
    }
    updateListenerPosition(0, 0);
    say("Map d'attente.");
}

// The music is only faded: the next entry starts it again from the beginning.
void cleanupLobbyScene() { fadeMusic("music_lobby", 0.0f, 500); }

namespace {

// Each held key acts in the same pass, paced.
void menuKeys(const KeyPass& p) {
    if (!p.canAct) return;
    actOnKey(p, pressed("MENU_UP"), [] { lobbyNavigate(-1); });
    actOnKey(p, pressed("MENU_DOWN"), [] { lobbyNavigate(1); });
    actOnKey(p, pressed("MENU_CONFIRM"), lobbyConfirm);
    actOnKey(p, pressed("MENU_BACK"), lobbyBack);
    // The window gives typed characters only: Backspace on the name is a key.
    actOnKey(p, lobbyMenu.state == LobbyState::CREATE_TEAM && held(VK_BACK), eraseTeamNameChar);
}

void walkingKeys(const KeyPass& p) {
    stepKeys(p, true);
    if (!p.canAct) return;
    actOnKey(p, held(VK_RETURN) && localPlayer.x == 0 && localPlayer.y == 0, openLobbyMenu);
    actOnKey(p, held(VK_ESCAPE), [] { openExitConfirmation("Retourner au menu principal ? Non"); });
    actOnKey(p, held(VK_F1), handleF1);
    actOnKey(p, held(VK_F1 + 1), handleF2);
    actOnKey(p, held(VK_F1 + 2), handleF3);
    actOnKey(p, pressed("SAY_COORDS"), sayCoordinates);
    actOnKey(p, pressed("CHECK_HEALTH"), sendCheckHealth);
}

} // namespace

void sayCoordinates() { say(std::to_string(localPlayer.x) + ", " + std::to_string(localPlayer.y)); }

void stepKeys(const KeyPass& p, bool onePerPass) {
    if (ticksSince(p.now, lastMoveTime) <= p.moveGapMs) return;
    static const struct {
        const char* action;
        char letter;
    } kSteps[] = {{"MOVE_UP", 'Z'}, {"MOVE_DOWN", 'S'}, {"MOVE_LEFT", 'Q'}, {"MOVE_RIGHT", 'D'}};
    for (const auto& step : kSteps) {
        if (!pressed(step.action)) continue;
        requestMove(step.letter);
        lastMoveTime = p.now;
        if (onePerPass) return;
    }
}

void handleLobbyKeys(const KeyPass& p) {
    if (lobbyMenu.state != LobbyState::CLOSED) menuKeys(p);
    else walkingKeys(p);
}

// Back from a game or just logged in: alive, at the lobby's entrance.
void onGotoLobby(FieldCursor&) {
    localPlayer = TilePosition{0, 0};
    setLocalDead(false);
    SceneManager::switchScene(Scene::LOBBY);
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
