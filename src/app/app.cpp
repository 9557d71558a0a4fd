#include "app/app.h"

#include "app/input_router.h"
#include "app/intro.h"
#include "core/local_player.h"
#include "core/save_file.h"
#include "core/scene.h"
#include "core/speech.h"
#include "audio/playback.h"
#include "audio/weapon_sounds.h"
#include "audio/sound_registry.h"
#include "audio/volume.h"
#include "input/key_bindings.h"
#include "input/text_input.h"
#include "net/connection.h"
#include "platform/audio_device.h"
#include "platform/clock.h"
#include "platform/keyboard.h"
#include "platform/speech.h"
#include "platform/window.h"
#include "update/update_check.h"
#include "scenes/account.h"
#include "scenes/exit_confirm.h"
#include "scenes/lobby_menu.h"
#include "scenes/maison.h"
#include "scenes/menu.h"
#include "world/doors.h"
#include "world/game_sounds.h"
#include "world/world_state.h"
#include "world/zombies.h"

#include <cstdio>

namespace {

// A frame starts every 10 ms: the pace every timing of the client assumes.
constexpr uint32_t FRAME_MS = 10;

bool g_quitPosted = false;

void startUp() {
    g_quitPosted = false;
    initIdentity();
    initVolumeManager();
    initAudio();
    KeyBindingManager::init();
    checkUpdate(); // may end the process, before any window exists
}

void frame() {
    updateNetworkStatus();
    // In the background only the network runs: no key polling, no intro progress.
    if (platform::windowHasFocus()) {
        if (!introPhase2Done || introFading) {
            updateIntro();
            if (platform::isKeyDown(VK_RETURN)) skipIntro();
        }
        if (introPhase2Done) {
            updateInputs();
            if (SceneManager::currentScene == Scene::MAISON) {
                updateMysteryBoxAudio();
                updateZombieAudio(localPlayer.x, localPlayer.y);
                platform::apply3D();
            }
        }
    }
}

void shutDown() {
    disconnectFromServer();
    cleanupWeaponsAudio();
    cleanupAudio();
    platform::destroyWindow();
    platform::closeSpeech();
}

} // namespace

void postQuit() { g_quitPosted = true; }

void resetClientForTests() {
    g_quitPosted = false;
    TextInput::cancel(false);
    resetIntro();
    resetSceneManager();
    resetLocalPlayer();
    resetHistory();
    resetVolumeState();
    resetPlaybackState();
    resetSoundRegistry();
    resetMenuState();
    resetAccountFlow();
    resetExitConfirmation();
    resetLobbyTeam();
    resetLobbyMenu();
    resetMapElementsMenu();
    resetDoors();
    resetWorldState();
    resetGameSounds();
    resetZombies();
    resetWeaponsAudio();
}

void routeTypedChar(const std::string& ch) {
    if (TextInput::isActive()) {
        TextInput::handleChar(ch);
        return;
    }
    const Scene scene = SceneManager::currentScene;
    if (scene != Scene::LOBBY && scene != Scene::MAISON) return;
    // A character bound to both chats opens the radio.
    if (KeyBindingManager::matchesChar("CHAT_RADIO_OPEN", ch))
        TextInput::begin(TextInputMode::CHAT_RADIO, "Radio. Tapez votre message puis Entrée.", "", 200);
    else if (KeyBindingManager::matchesChar("CHAT_TEAM_OPEN", ch))
        TextInput::begin(TextInputMode::CHAT_TEAM, "Équipe. Tapez votre message puis Entrée.", "", 200);
    else if (scene == Scene::LOBBY)
        handleLobbyChar(ch);
}

int runClient() {
    startUp();
    const std::string title = std::string("AshenRefuge ") + APP_VERSION;
    if (!platform::createWindow(title)) {
        // Without a window no key can ever be polled: the game would be a silent dead end.
        std::fputs("Impossible d'ouvrir la fenêtre du jeu : AshenRefuge a besoin d'une session graphique "
                   "(X11 ou Wayland) pour recevoir le clavier.\n",
                   stderr);
        shutDown();
        return 1;
    }
    startIntro();
    // The menu is initialised when the intro ends.
    SceneManager::currentScene = Scene::MENU;

    // One pending event per pass; a frame only when none is waiting. The quit
    // request is seen once the events before it have been handled. Between two
    // frames the loop waits once, until 10 ms after the last frame started:
    // what the window system sends meanwhile is handled as it arrives, and the
    // next frame still starts on time.
    platform::pumpWindowEvents();
    for (;;) {
        platform::WindowEvent event;
        if (platform::pollWindowEvent(event)) {
            if (event.type == platform::WindowEventType::Close) postQuit();
            else routeTypedChar(event.text);
            continue;
        }
        if (g_quitPosted) break;
        if (platform::waitBetweenFrames(FRAME_MS)) continue;
        frame();
    }
    shutDown();
    return 0;
}
