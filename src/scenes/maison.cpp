#include "scenes/maison.h"

#include "base/ticks.h"
#include "core/local_player.h"
#include "core/scene.h"
#include "core/speech.h"
#include "audio/game_audio.h"
#include "audio/playback.h"
#include "audio/sound_registry.h"
#include "input/key_bindings.h"
#include "net/outgoing.h"
#include "platform/audio_device.h"
#include "platform/clock.h"
#include "platform/keyboard.h"
#include "scenes/exit_confirm.h"
#include "world/doors.h"
#include "world/game_sounds.h"

bool isMapElementsMenuOpen = false;
std::vector<std::string> mapElementsOptions;
int32_t mapElementsSelection = 0;

namespace {

bool held(int vk) { return platform::isKeyDown(vk); }
bool pressed(const char* action) { return KeyBindingManager::isPressed(action); }

constexpr uint32_t SHOT_GAP_MS = 50;

void rebuildMapElementsMenu() {
    mapElementsOptions.clear();
    mapElementsOptions.push_back("Épée, 0; 50");
    mapElementsOptions.push_back("Potion de seconde vie, 53; 9");
    if (isDoorClosedAt(50, 0)) mapElementsOptions.push_back("Porte close, 50; 0");
    if (isDoorClosedAt(50, 50)) mapElementsOptions.push_back("Porte close, 50; 50");
    if (isDoorClosedAt(70, 0)) mapElementsOptions.push_back("Porte close, 70; 0");
    if (isDoorClosedAt(70, 50)) mapElementsOptions.push_back("Porte close, 70; 50");
    mapElementsOptions.push_back("Retour");
    const int32_t last = static_cast<int32_t>(mapElementsOptions.size()) - 1;
    if (mapElementsSelection < 0) mapElementsSelection = 0;
    if (mapElementsSelection > last) mapElementsSelection = last;
}

void openMapElementsMenu() {
    rebuildMapElementsMenu();
    isMapElementsMenuOpen = true;
    mapElementsSelection = 0;
    playSound("ui_valid", -1, -1);
    say(mapElementsOptions[0]);
}

void closeMapElementsMenu() {
    isMapElementsMenuOpen = false;
    playSound("ui_back", -1, -1);
}

// Each held arrow steps, so two arrows held together step twice.
void movementKeys(const KeyPass& p) {
    if (ticksSince(p.now, lastMoveTime) <= p.moveGapMs) return;
    static const struct {
        const char* action;
        char letter;
    } kMoves[] = {{"MOVE_UP", 'Z'}, {"MOVE_DOWN", 'S'}, {"MOVE_LEFT", 'Q'}, {"MOVE_RIGHT", 'D'}};
    for (const auto& move : kMoves) {
        if (!pressed(move.action)) continue;
        requestMove(move.letter);
        lastMoveTime = p.now;
    }
}

void sayCoordinates() { say(std::to_string(localPlayer.x) + ", " + std::to_string(localPlayer.y)); }

// Requests that work dead or alive, then those of a living player; each held key acts.
void pacedKeys(const KeyPass& p) {
    if (!p.canAct) return;
    auto act = [&](bool when, auto run) {
        if (!when) return;
        run();
        lastActionTime = p.now;
    };
    for (int i = 0; i < 5; ++i) act(held(VK_F1 + i), [i] { sendGetMember(i); });
    act(pressed("SAY_COORDS"), sayCoordinates);
    act(pressed("BOX_LOC"), sendRequestBox);
    act(pressed("CHECK_HEALTH"), sendCheckHealth);
    act(pressed("CHECK_ROUND"), sendRequestRound);
    act(pressed("CHECK_KILLS"), sendRequestKills);
    act(pressed("CHECK_POINTS"), sendRequestPoints);
    act(pressed("REVIVE"), sendRevive);
    if (!isLocalDead()) {
        act(pressed("RELOAD"), sendReload);
        act(pressed("CHECK_AMMO"), sendCheckAmmo);
        act(pressed("WEAPON_1"), [] { sendSwitchWeapon(0); });
        act(pressed("WEAPON_2"), [] { sendSwitchWeapon(1); });
        act(pressed("WEAPON_3"), [] { sendSwitchWeapon(2); });
    }
    act(held(VK_RETURN), sendAction);
}

// Shots keep their own, shorter gap, measured on a fresh tick.
void shootKey() {
    if (isLocalDead() || !pressed("SHOOT")) return;
    const uint32_t t = platform::tickCount();
    if (ticksSince(t, lastActionTime) <= SHOT_GAP_MS) return;
    sendShoot();
    lastActionTime = t;
}

} // namespace

void initMaisonScene() {
    isInMaison = true;
    resetDoors();
    setLocalDead(false);
    stopGameOverSound();
    if (const uint32_t h = getSoundHandle("music_maison")) {
        platform::channelSetAttribute(h, platform::AUDIO_ATTRIB_VOL, 0.0f);
        platform::channelPlay(h, true);
        platform::channelSlideAttribute(h, platform::AUDIO_ATTRIB_VOL,
                                        MAISON_MUSIC_SHARE * getFinalVolume(AudioChannel::AMBIANCE), 1000);
    }
    localPlayer = TilePosition{};
    say("Partie lancée. Bonne chance.");
}

void cleanupMaisonScene() {
    isInMaison = false;
    stopGameOverSound();
    stopInstantKillSound();
    // Not stopped: the next game restarts it from its beginning.
    if (const uint32_t h = getSoundHandle("music_maison"))
        platform::channelSlideAttribute(h, platform::AUDIO_ATTRIB_VOL, 0.0f, 500);
}

void onStartMaison(FieldCursor&) { SceneManager::switchScene(Scene::MAISON); }

void handleMaisonKeys(const KeyPass& p) {
    if (p.canAct && KeyBindingManager::isPressed("MAP_ELEMENTS_MENU") && !isMapElementsMenuOpen) {
        openMapElementsMenu();
        lastActionTime = p.now;
    }
    if (isMapElementsMenuOpen) {
        // Rebuilt every pass so that a door opened meanwhile leaves the list.
        rebuildMapElementsMenu();
        if (!p.canAct) return;
        const int32_t n = static_cast<int32_t>(mapElementsOptions.size());
        if (held(VK_ESCAPE)) {
            closeMapElementsMenu();
        } else if (held(VK_UP)) {
            playSound("ui_nav", -1, -1);
            mapElementsSelection = mapElementsSelection - 1 < 0 ? n - 1 : mapElementsSelection - 1;
            sayListEntry(mapElementsOptions, mapElementsSelection);
        } else if (held(VK_DOWN)) {
            playSound("ui_nav", -1, -1);
            mapElementsSelection = mapElementsSelection + 1 >= n ? 0 : mapElementsSelection + 1;
            sayListEntry(mapElementsOptions, mapElementsSelection);
        } else if (held(VK_RETURN)) {
            if (mapElementsOptions[mapElementsSelection] == "Retour") closeMapElementsMenu();
        } else {
            return;
        }
        lastActionTime = p.now;
        return;
    }
    if (p.canAct && held(VK_ESCAPE)) {
        openExitConfirmation("Quitter la partie ? Non");
        lastActionTime = p.now;
    }
    // Movement works dead or alive, whatever the action gap says.
    movementKeys(p);
    pacedKeys(p);
    shootKey();
}

void resetMapElementsMenu() {
    isMapElementsMenuOpen = false;
    mapElementsOptions.clear();
    mapElementsSelection = 0;
}
