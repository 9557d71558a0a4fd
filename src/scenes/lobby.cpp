#include "scenes/lobby.h"

#include "base/ticks.h"
#include "core/local_player.h"
#include "core/scene.h"
#include "core/speech.h"
#include "audio/playback.h"
#include "audio/sound_registry.h"
#include "audio/volume.h"
#include "input/key_bindings.h"
#include "net/outgoing.h"
#include "platform/audio_device.h"
#include "platform/clock.h"
#include "platform/keyboard.h"
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

bool pressed(const char* action) { return KeyBindingManager::isPressed(action); }

// Each held key acts in the same pass, paced.
void menuKeys(const KeyPass& p) {
    if (!p.canAct) return;
    struct MenuKey {
        const char* action;
        void (*run)();
    };
    static const MenuKey kKeys[] = {
        {"MENU_UP", [] { lobbyNavigate(-1); }},
        {"MENU_DOWN", [] { lobbyNavigate(1); }},
        {"MENU_CONFIRM", lobbyConfirm},
        {"MENU_BACK", lobbyBack},
    };
    for (const MenuKey& key : kKeys) {
        if (pressed(key.action)) {
            key.run();
            lastActionTime = p.now;
        }
    }
    // The window gives typed characters only: Backspace on the name is a key.
    if (lobbyMenu.state == LobbyState::CREATE_TEAM && platform::isKeyDown(VK_BACK)) {
        eraseTeamNameChar();
        lastActionTime = p.now;
    }
}

void walkingKeys(const KeyPass& p) {
    // One step per pass at most, whatever the action gap says.
    if (ticksSince(p.now, lastMoveTime) > p.moveGapMs) {
        static const struct {
            const char* action;
            char letter;
        } kSteps[] = {{"MOVE_UP", 'Z'}, {"MOVE_DOWN", 'S'}, {"MOVE_LEFT", 'Q'}, {"MOVE_RIGHT", 'D'}};
        for (const auto& step : kSteps) {
            if (pressed(step.action)) {
                requestMove(step.letter);
                lastMoveTime = p.now;
                break;
            }
        }
    }
    if (!p.canAct) return;
    auto act = [&](bool held, void (*run)()) {
        if (!held) return;
        run();
        lastActionTime = p.now;
    };
    act(platform::isKeyDown(VK_RETURN) && localPlayer.x == 0 && localPlayer.y == 0, openLobbyMenu);
    act(platform::isKeyDown(VK_ESCAPE), [] { openExitConfirmation("Retourner au menu principal ? Non"); });
    act(platform::isKeyDown(VK_F1), handleF1);
    act(platform::isKeyDown(VK_F1 + 1), handleF2);
    act(platform::isKeyDown(VK_F1 + 2), handleF3);
    act(pressed("SAY_COORDS"), [] { say(std::to_string(localPlayer.x) + ", " + std::to_string(localPlayer.y)); });
    act(pressed("CHECK_HEALTH"), sendCheckHealth);
}

} // namespace

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
