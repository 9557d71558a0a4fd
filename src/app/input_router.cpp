#include "app/input_router.h"

#include "base/ticks.h"
#include "core/local_player.h"
#include "core/scene.h"
#include "core/speech.h"
#include "audio/volume.h"
#include "input/key_bindings.h"
#include "input/key_pass.h"
#include "input/text_input.h"
#include "platform/clock.h"
#include "platform/keyboard.h"
#include "scenes/exit_confirm.h"
#include "scenes/lobby.h"
#include "scenes/maison.h"
#include "scenes/menu.h"

namespace {

bool pressed(const char* action) { return KeyBindingManager::isPressed(action); }

// Volume keys work in every scene; each held key acts.
void globalKeys(const KeyPass& p) {
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
bool historyKeys(const KeyPass& p) {
    if (!p.canAct) return false;
    if (pressed("HISTORY_CAT_PREV")) historyCycleCategory(false);
    else if (pressed("HISTORY_CAT_NEXT")) historyCycleCategory(true);
    else if (pressed("HISTORY_PREV")) historyNavigate(false);
    else if (pressed("HISTORY_NEXT")) historyNavigate(true);
    else return false;
    lastActionTime = p.now;
    return true;
}

// While an entry is open it takes every key, the volume keys included.
void textEntryKeys(const KeyPass& p) {
    if (!p.canAct) return;
    static const int kEditingKeys[] = {VK_ESCAPE, VK_RETURN, VK_LEFT, VK_RIGHT, VK_UP,
                                       VK_DOWN,   VK_BACK,   VK_DELETE, VK_HOME, VK_END};
    for (int vk : kEditingKeys) {
        if (platform::isKeyDown(vk)) {
            TextInput::handleKey(vk);
            lastActionTime = p.now;
            return;
        }
    }
}

} // namespace

void updateInputs() {
    KeyPass p;
    p.now = platform::tickCount();
    p.canAct = ticksSince(p.now, lastActionTime) > ACTION_GAP_MS;
    p.moveGapMs = platform::isKeyDown(VK_SHIFT) ? MOVE_GAP_RUN_MS : MOVE_GAP_MS;

    if (TextInput::isActive()) {
        textEntryKeys(p);
        return;
    }
    if (isConfirmingExit) {
        handleConfirmExitInputs();
        return;
    }
    globalKeys(p);
    if (historyKeys(p)) return;

    switch (SceneManager::currentScene) {
    case Scene::MENU: handleMenuKeys(p); break;
    case Scene::OPTIONS: handleOptionsKeys(p); break;
    case Scene::LOBBY: handleLobbyKeys(p); break;
    case Scene::MAISON: handleMaisonKeys(p); break;
    default: break;
    }
}
