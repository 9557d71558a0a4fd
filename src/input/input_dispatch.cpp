#include "input/input_dispatch.h"

#include "app/scene_manager.h"
#include "app/speech.h"
#include "audio/playback.h"
#include "audio/volume.h"
#include "input/key_bindings.h"
#include "input/text_input.h"
#include "platform/clock.h"
#include "platform/keyboard.h"
#include "scenes/maison.h"
#include "scenes/menu.h"

bool isMapElementsMenuOpen = false;
std::vector<std::string> mapElementsOptions;
int32_t mapElementsSelection = 0;

namespace {

constexpr uint32_t kActionGap = 200;

// Fixed for the whole pass, even after an action rewrites lastActionTime.
struct Pass {
    uint32_t now;
    bool canAct;
    Scene scene;
};

bool held(int vk) { return platform::isKeyDown(vk); }
bool pressed(const char* action) { return KeyBindingManager::isPressed(action); }

void sayEntry(const std::vector<std::string>& list, int32_t index) {
    if (index >= 0 && index < static_cast<int32_t>(list.size())) say(list[index]);
}

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

void openExitConfirmation(const char* question) {
    playSound("ui_back", -1, -1);
    isConfirmingExit = true;
    confirmSelection = 1;
    say(question);
}

// Volume keys work in every scene; each held key acts.
void globalKeys(const Pass& p) {
    if (!p.canAct) return;
    struct VolumeKey {
        const char* action;
        void (*run)();
    };
    static const VolumeKey kKeys[] = {
        {"VOL_CH_DOWN", [] { adjustSelectedChannel(-0.05f); }},
        {"VOL_CH_UP", [] { adjustSelectedChannel(+0.05f); }},
        {"VOL_CH_PREV", [] { cycleChannel(false); }},
        {"VOL_CH_NEXT", [] { cycleChannel(true); }},
        {"VOL_MASTER_UP", [] { adjustMasterChannel(+0.05f); }},
        {"VOL_MASTER_DOWN", [] { adjustMasterChannel(-0.05f); }},
    };
    for (const VolumeKey& key : kKeys) {
        if (pressed(key.action)) {
            key.run();
            lastActionTime = p.now;
        }
    }
}

// True when a history key acted, which ends the pass.
bool historyKeys(const Pass& p) {
    if (!p.canAct) return false;
    if (pressed("HISTORY_CAT_PREV")) historyCycleCategory(false);
    else if (pressed("HISTORY_CAT_NEXT")) historyCycleCategory(true);
    else if (pressed("HISTORY_PREV")) historyNavigate(false);
    else if (pressed("HISTORY_NEXT")) historyNavigate(true);
    else return false;
    lastActionTime = p.now;
    return true;
}

void menuKeys(const Pass& p) {
    if (!p.canAct) return;
    if (isSelectingServer) {
        const int32_t n = static_cast<int32_t>(serverListOptions.size());
        if (held(VK_UP)) {
            serverSelection = (serverSelection + n - 1) % n;
            playSound("ui_nav", -1, -1);
            sayEntry(serverListOptions, serverSelection);
        } else if (held(VK_DOWN)) {
            serverSelection = (serverSelection + 1) % n;
            playSound("ui_nav", -1, -1);
            sayEntry(serverListOptions, serverSelection);
        } else if (held(VK_RETURN)) {
            menuConfirm();
        } else if (held(VK_ESCAPE)) {
            isSelectingServer = false;
            sayEntry(menuOptions, menuSelection);
        } else {
            return;
        }
        lastActionTime = p.now;
        return;
    }
    if (pressed("MENU_UP")) {
        menuNavigate(-1);
        lastActionTime = p.now;
    }
    if (pressed("MENU_DOWN")) {
        menuNavigate(1);
        lastActionTime = p.now;
    }
    if (pressed("MENU_CONFIRM")) {
        menuConfirm();
        lastActionTime = p.now;
    }
}

void musicChoiceKeys(const Pass& p) {
    const int32_t n = menuMusicOptions.empty() ? 6 : static_cast<int32_t>(menuMusicOptions.size());
    auto move = [&](int32_t delta) {
        menuMusicSelection = (menuMusicSelection + delta + n) % n;
        playSound("ui_nav", -1, -1);
        playMenuMusicIndex(menuMusicSelection + 1, true, true);
        sayEntry(menuMusicOptions, menuMusicSelection);
    };
    if (held(VK_UP)) {
        move(-1);
    } else if (held(VK_DOWN)) {
        move(1);
    } else if (held(VK_RETURN)) {
        setMenuMusicIndex(menuMusicSelection + 1);
        playSound("ui_valid", -1, -1);
        if (menuMusicSelection >= 0 && menuMusicSelection < static_cast<int32_t>(menuMusicOptions.size()))
            say(menuMusicOptions[menuMusicSelection] + " sélectionnée");
        isSelectingMenuMusic = false;
    } else if (held(VK_ESCAPE)) {
        playSound("ui_back", -1, -1);
        isSelectingMenuMusic = false;
        playMenuMusicIndex(getMenuMusicIndex(), true, true);
        say("Options");
    } else {
        return;
    }
    lastActionTime = p.now;
}

void optionsKeys(const Pass& p) {
    if (!p.canAct) return;
    if (isSelectingMenuMusic) {
        musicChoiceKeys(p);
        return;
    }
    const int32_t n = optionEntries.empty() ? 1 : static_cast<int32_t>(optionEntries.size());
    if (held(VK_UP)) {
        subMenuSelection = (subMenuSelection - 1 + n) % n;
        playSound("ui_nav", -1, -1);
        sayEntry(optionEntries, subMenuSelection);
        lastActionTime = p.now;
    }
    if (held(VK_DOWN)) {
        subMenuSelection = (subMenuSelection + 1) % n;
        playSound("ui_nav", -1, -1);
        sayEntry(optionEntries, subMenuSelection);
        lastActionTime = p.now;
    }
    if (held(VK_RETURN)) {
        playSound("ui_valid", -1, -1);
        if (subMenuSelection == 0) {
            beginMenuMusicSelection();
        } else {
            SceneManager::switchScene(Scene::MENU);
            say("Menu principal");
        }
        lastActionTime = p.now;
    }
}

void lobbyKeys(const Pass& p) {
    if (p.canAct && held(VK_ESCAPE)) {
        openExitConfirmation("Retourner au menu principal ? Non");
        lastActionTime = p.now;
    }
}

void maisonKeys(const Pass& p) {
    if (p.canAct && pressed("MAP_ELEMENTS_MENU") && !isMapElementsMenuOpen) {
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
            sayEntry(mapElementsOptions, mapElementsSelection);
        } else if (held(VK_DOWN)) {
            playSound("ui_nav", -1, -1);
            mapElementsSelection = mapElementsSelection + 1 >= n ? 0 : mapElementsSelection + 1;
            sayEntry(mapElementsOptions, mapElementsSelection);
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

} // namespace

void updateInputs() {
    Pass p;
    p.now = platform::tickCount();
    p.canAct = p.now - lastActionTime > kActionGap;
    p.scene = SceneManager::currentScene;

    if (TextInput::isActive()) {
        // While an entry is open it takes every key, the volume keys included.
        if (!p.canAct) return;
        static const int kEditingKeys[] = {VK_ESCAPE, VK_RETURN, VK_LEFT, VK_RIGHT, VK_UP,
                                           VK_DOWN,   VK_BACK,   VK_DELETE, VK_HOME, VK_END};
        for (int vk : kEditingKeys) {
            if (held(vk)) {
                TextInput::handleKey(vk);
                lastActionTime = p.now;
                break;
            }
        }
        return;
    }
    if (isConfirmingExit) {
        handleConfirmExitInputs();
        return;
    }
    globalKeys(p);
    if (historyKeys(p)) return;

    switch (p.scene) {
    case Scene::MENU: menuKeys(p); break;
    case Scene::OPTIONS: optionsKeys(p); break;
    case Scene::LOBBY: lobbyKeys(p); break;
    case Scene::MAISON: maisonKeys(p); break;
    default: break;
    }
}
