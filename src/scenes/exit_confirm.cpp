#include "scenes/exit_confirm.h"

#include "base/ticks.h"
#include "core/local_player.h"
#include "core/scene.h"
#include "core/speech.h"
#include "audio/playback.h"
#include "net/connection.h"
#include "net/outgoing.h"
#include "platform/clock.h"
#include "platform/keyboard.h"

std::vector<std::string> confirmOptions = {"Oui", "Non"};
int32_t confirmSelection = 1;
bool isConfirmingExit = false;

namespace {
// Unlike the key dispatch, the confirmation acts from 200 ms on.
constexpr uint32_t kConfirmGap = 200;
} // namespace

void openExitConfirmation(const char* question) {
    playSound("ui_back", -1, -1);
    isConfirmingExit = true;
    confirmSelection = 1;
    say(question);
}

void handleConfirmExitInputs() {
    const uint32_t now = platform::tickCount();
    if (ticksSince(now, lastActionTime) < kConfirmGap) return;
    if (platform::isKeyDown(VK_UP) || platform::isKeyDown(VK_DOWN)) {
        confirmSelection = confirmSelection == 0 ? 1 : 0;
        playSound("ui_nav", -1, -1);
        say(confirmOptions[confirmSelection]);
        lastActionTime = now;
    }
    if (platform::isKeyDown(VK_RETURN)) {
        playSound("ui_valid", -1, -1);
        isConfirmingExit = false;
        if (confirmSelection == 1) {
            say("Retour");
        } else if (SceneManager::currentScene == Scene::LOBBY) {
            disconnectFromServer();
            SceneManager::switchScene(Scene::MENU);
        } else if (SceneManager::currentScene == Scene::MAISON) {
            sendLeaveMaison();
            SceneManager::switchScene(Scene::LOBBY);
        }
        lastActionTime = now;
    }
    if (platform::isKeyDown(VK_ESCAPE)) {
        playSound("ui_back", -1, -1);
        isConfirmingExit = false;
        say("Retour");
        lastActionTime = now;
    }
}

void resetExitConfirmation() {
    isConfirmingExit = false;
    confirmSelection = 1;
}
