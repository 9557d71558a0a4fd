#include "app/input_router.h"

#include "base/ticks.h"
#include "core/local_player.h"
#include "core/scene.h"
#include "core/speech.h"
#include "audio/game_audio.h"
#include "audio/volume.h"
#include "input/key_pass.h"
#include "input/text_input.h"
#include "platform/clock.h"
#include "scenes/exit_confirm.h"
#include "scenes/lobby.h"
#include "scenes/maison.h"
#include "scenes/menu.h"

namespace {

// Volume keys and the mixer report work in every scene; each held key acts.
void globalKeys(const KeyPass& p) {
    if (!p.canAct) return;
    actOnKey(p, pressed("VOL_CH_DOWN"), [] { adjustSelectedChannel(-0.05f); });
    actOnKey(p, pressed("VOL_CH_UP"), [] { adjustSelectedChannel(+0.05f); });
    actOnKey(p, pressed("VOL_CH_PREV"), [] { cycleChannel(false); });
    actOnKey(p, pressed("VOL_CH_NEXT"), [] { cycleChannel(true); });
    actOnKey(p, pressed("VOL_MASTER_UP"), [] { adjustMasterChannel(+0.05f); });
    actOnKey(p, pressed("VOL_MASTER_DOWN"), [] { adjustMasterChannel(-0.05f); });
    actOnKey(p, pressed("AUDIO_DEBUG"), speakAudioDebug);
}

// True when a history key acted, which ends the pass; the first held one only.
bool historyKeys(const KeyPass& p) {
    return p.canAct && (actOnKey(p, pressed("HISTORY_CAT_PREV"), [] { historyCycleCategory(false); }) ||
                        actOnKey(p, pressed("HISTORY_CAT_NEXT"), [] { historyCycleCategory(true); }) ||
                        actOnKey(p, pressed("HISTORY_PREV"), [] { historyNavigate(false); }) ||
                        actOnKey(p, pressed("HISTORY_NEXT"), [] { historyNavigate(true); }));
}

// While an entry is open it takes every key, the volume keys included; the
// first held editing key only.
void textEntryKeys(const KeyPass& p) {
    if (!p.canAct) return;
    static const int kEditingKeys[] = {VK_ESCAPE, VK_RETURN, VK_LEFT, VK_RIGHT, VK_UP,
                                       VK_DOWN,   VK_BACK,   VK_DELETE, VK_HOME, VK_END};
    for (int vk : kEditingKeys)
        if (actOnKey(p, held(vk), [vk] { TextInput::handleKey(vk); })) return;
}

} // namespace

void updateInputs() {
    // Out of a game every key below acts only while down, so an idle frame
    // has nothing to ask; a game's pass also keeps its map list current.
    if (SceneManager::currentScene != Scene::MAISON && !platform::anyKeyDown()) return;
    KeyPass p;
    p.now = platform::tickCount();
    p.canAct = ticksSince(p.now, lastActionTime) > ACTION_GAP_MS;
    p.moveGapMs = held(VK_SHIFT) ? MOVE_GAP_RUN_MS : MOVE_GAP_MS;

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
