#include "scenes/maison.h"

#include "base/ticks.h"
#include "base/wrap.h"
#include "core/local_player.h"
#include "core/scene.h"
#include "core/speech.h"
#include "audio/game_audio.h"
#include "audio/playback.h"
#include "audio/sound_registry.h"
#include "net/outgoing.h"
#include "platform/audio_device.h"
#include "platform/clock.h"
#include "scenes/exit_confirm.h"
#include "scenes/lobby.h"
#include "world/doors.h"
#include "world/game_sounds.h"

bool isMapElementsMenuOpen = false;
std::vector<std::string> mapElementsOptions;
int32_t mapElementsSelection = 0;

namespace {

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

// Requests that work dead or alive, then those of a living player; each held key acts.
void pacedKeys(const KeyPass& p) {
    if (!p.canAct) return;
    for (int i = 0; i < 5; ++i) actOnKey(p, held(VK_F1 + i), [i] { sendGetMember(i); });
    actOnKey(p, pressed("SAY_COORDS"), sayCoordinates);
    actOnKey(p, pressed("BOX_LOC"), sendRequestBox);
    actOnKey(p, pressed("CHECK_HEALTH"), sendCheckHealth);
    actOnKey(p, pressed("CHECK_ROUND"), sendRequestRound);
    actOnKey(p, pressed("CHECK_KILLS"), sendRequestKills);
    actOnKey(p, pressed("CHECK_POINTS"), sendRequestPoints);
    actOnKey(p, pressed("REVIVE"), sendRevive);
    if (!isLocalDead()) {
        actOnKey(p, pressed("RELOAD"), sendReload);
        actOnKey(p, pressed("CHECK_AMMO"), sendCheckAmmo);
        actOnKey(p, pressed("WEAPON_1"), [] { sendSwitchWeapon(0); });
        actOnKey(p, pressed("WEAPON_2"), [] { sendSwitchWeapon(1); });
        actOnKey(p, pressed("WEAPON_3"), [] { sendSwitchWeapon(2); });
    }
    actOnKey(p, held(VK_RETURN), sendAction);
}

void stepMapElements(int delta) {
    playSound("ui_nav", -1, -1);
    mapElementsSelection = wrapIndex(mapElementsSelection, delta, static_cast<int32_t>(mapElementsOptions.size()));
    sayListEntry(mapElementsOptions, mapElementsSelection);
}

// While open it takes every key of the house, movement included.
void mapElementsKeys(const KeyPass& p) {
    // Rebuilt every pass so that a door opened meanwhile leaves the list.
    rebuildMapElementsMenu();
    if (!p.canAct) return;
    // The first held key only.
    actOnKey(p, held(VK_ESCAPE), closeMapElementsMenu) || actOnKey(p, held(VK_UP), [] { stepMapElements(-1); }) ||
        actOnKey(p, held(VK_DOWN), [] { stepMapElements(1); }) || actOnKey(p, held(VK_RETURN), [] {
            if (mapElementsOptions[mapElementsSelection] == "Retour") closeMapElementsMenu();
        });
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

// A map elements menu left open by the last game would take the new game's
// arrows and Space without a word.
void onStartMaison(FieldCursor&) {
    resetMapElementsMenu();
    SceneManager::switchScene(Scene::MAISON);
}

void handleMaisonKeys(const KeyPass& p) {
    if (p.canAct) actOnKey(p, pressed("MAP_ELEMENTS_MENU") && !isMapElementsMenuOpen, openMapElementsMenu);
    if (isMapElementsMenuOpen) {
        mapElementsKeys(p);
        return;
    }
    if (p.canAct) actOnKey(p, held(VK_ESCAPE), [] { openExitConfirmation("Quitter la partie ? Non"); });
    // Movement works dead or alive, whatever the action gap says; two arrows held step twice.
    stepKeys(p, false);
    pacedKeys(p);
    shootKey();
}

void resetMapElementsMenu() {
    isMapElementsMenuOpen = false;
    mapElementsOptions.clear();
    mapElementsSelection = 0;
}
