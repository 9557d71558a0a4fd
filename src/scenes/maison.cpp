#include "scenes/maison.h"

#include "core/local_player.h"
#include "core/speech.h"
#include "audio/playback.h"
#include "input/key_bindings.h"
#include "platform/keyboard.h"
#include "scenes/exit_confirm.h"
#include "world/doors.h"

bool isMapElementsMenuOpen = false;
std::vector<std::string> mapElementsOptions;
int32_t mapElementsSelection = 0;

namespace {

bool held(int vk) { return platform::isKeyDown(vk); }

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

} // namespace

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
}

void resetMapElementsMenu() {
    isMapElementsMenuOpen = false;
    mapElementsOptions.clear();
    mapElementsSelection = 0;
}
