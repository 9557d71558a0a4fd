#include "scenes/menu.h"

#include "base/wrap.h"
#include "core/local_player.h"
#include "core/save_file.h"
#include "core/scene.h"
#include "core/speech.h"
#include "audio/playback.h"
#include "audio/sound_registry.h"
#include "audio/volume.h"
#include "input/text_input.h"
#include "net/connection.h"
#include "platform/audio_device.h"
#include "scenes/account.h"

std::vector<std::string> menuOptions;
std::vector<std::string> optionEntries;
std::vector<std::string> serverListOptions = {"Serveur Principal", "Serveur de Test", "Retour"};
std::vector<std::string> menuMusicOptions = {"Musique 1", "Musique 2", "Musique 3",
                                             "Musique 4", "Musique 5", "Musique 6"};
int32_t menuSelection = 0;
int32_t subMenuSelection = 0;
int32_t serverSelection = 0;
int32_t menuMusicSelection = 0;
bool isSelectingServer = false;
bool isSelectingMenuMusic = false;
int32_t g_currentMenuMusicIdx = 0;

namespace {

constexpr int kMenuMusicCount = 6;

// The main menu's entries; each acts by its name, whatever its place.
constexpr const char* ENTRY_CONNECT = "Connexion au serveur";
constexpr const char* ENTRY_REGISTER = "Créer un compte";
constexpr const char* ENTRY_LOGIN = "Se connecter à un compte";
constexpr const char* ENTRY_OPTIONS = "Options";
constexpr const char* ENTRY_QUIT = "Quitter";

uint32_t menuMusicHandle(int index) {
    return getSoundHandle("music_menu_" + std::to_string(index));
}

} // namespace

void refreshMenuEntries() {
    // Without a saved identity an account made elsewhere can still log in.
    if (hasIdentity()) menuOptions = {ENTRY_CONNECT, ENTRY_OPTIONS, ENTRY_QUIT};
    else menuOptions = {ENTRY_REGISTER, ENTRY_LOGIN, ENTRY_OPTIONS, ENTRY_QUIT};
    optionEntries = {"Changer la musique du menu principal", "Retour"};
    if (menuSelection >= static_cast<int32_t>(menuOptions.size())) menuSelection = 0;
}

void menuNavigate(int delta) {
    const int n = static_cast<int>(menuOptions.size());
    if (n == 0) return;
    menuSelection = wrapIndex(menuSelection, delta, n);
    playSound("ui_nav", -1, -1);
    say(menuOptions[menuSelection]);
}

void menuConfirm() {
    playSound("ui_valid", -1, -1);
    if (isSelectingServer) {
        switch (serverSelection) {
        case 0:
            if (connectToMainServer("Connexion au serveur principal...")) {
                isSelectingServer = false;
                menuStartLoginFlow("");
            }
            break;
        case 1:
            TextInput::begin(TextInputMode::TEST_SERVER_PASSWORD,
                             "Mot de passe requis pour le serveur de test. Tapez le mot de passe "
                             "puis Entrée.",
                             "", 64);
            break;
        case 2:
            isSelectingServer = false;
            sayListEntry(menuOptions, menuSelection);
            break;
        default: break;
        }
        return;
    }
    if (menuSelection < 0 || menuSelection >= static_cast<int32_t>(menuOptions.size())) return;
    const std::string& entry = menuOptions[static_cast<size_t>(menuSelection)];
    if (entry == ENTRY_CONNECT) {
        isSelectingServer = true;
        serverSelection = 0;
        say("Sélection du serveur. " + serverListOptions[0]);
    } else if (entry == ENTRY_REGISTER) {
        menuStartRegisterFlow();
    } else if (entry == ENTRY_LOGIN) {
        menuStartAccountLogin();
    } else if (entry == ENTRY_OPTIONS) {
        SceneManager::switchScene(Scene::OPTIONS);
        say("Options.");
    } else if (entry == ENTRY_QUIT) {
        postQuit();
    }
}

void initMenuScene() {
    isSelectingServer = false;
    isSelectingMenuMusic = false;
    menuSelection = 0;
    serverSelection = 0;
    refreshMenuEntries();
    playMenuMusicIndex(getMenuMusicIndex(), SceneManager::previousScene != Scene::OPTIONS, true);
    say("Menu principal.");
}

void cleanupMenuScene() {
    if (SceneManager::nextScene != Scene::OPTIONS) stopAllMenuMusic(true);
}

void stopAllMenuMusic(bool fade) {
    for (int i = 1; i <= kMenuMusicCount; ++i) {
        uint32_t h = menuMusicHandle(i);
        if (h == 0) continue;
        if (fade) platform::channelSlideAttribute(h, platform::AUDIO_ATTRIB_VOL, 0.0f, 500);
        else platform::channelStop(h);
    }
}

void playMenuMusicIndex(int index, bool restart, bool fade) {
    if (index < 1) index = 1;
    if (index > kMenuMusicCount) index = kMenuMusicCount;
    for (int i = 1; i <= kMenuMusicCount; ++i) {
        if (i == index) continue;
        if (uint32_t other = menuMusicHandle(i)) platform::channelStop(other);
    }
    uint32_t h = menuMusicHandle(index);
    if (h == 0) return;
    if (restart || !isChannelPlaying(h) || index != g_currentMenuMusicIdx) {
        if (fade) platform::channelSetAttribute(h, platform::AUDIO_ATTRIB_VOL, 0.0f);
        platform::channelPlay(h, true);
    }
    const float level = getFinalVolume(AudioChannel::AMBIANCE);
    if (fade) platform::channelSlideAttribute(h, platform::AUDIO_ATTRIB_VOL, level, 600);
    else platform::channelSetAttribute(h, platform::AUDIO_ATTRIB_VOL, level);
    g_currentMenuMusicIdx = index;
}

void beginMenuMusicSelection() {
    isSelectingMenuMusic = true;
    menuMusicSelection = 0;
    stopAllMenuMusic(true);
    playMenuMusicIndex(1, true, true);
    say("Musique 1");
}

// --- keys

namespace {

// A step in one of the screen's own lists: "ui_nav", then the entry reached.
void stepList(const std::vector<std::string>& list, int32_t& cursor, int32_t delta, int32_t n) {
    cursor = wrapIndex(cursor, delta, n);
    playSound("ui_nav", -1, -1);
    sayListEntry(list, cursor);
}

void stepServerList(int32_t delta) {
    stepList(serverListOptions, serverSelection, delta, static_cast<int32_t>(serverListOptions.size()));
}

void stepOptions(int32_t delta) {
    const int32_t n = optionEntries.empty() ? 1 : static_cast<int32_t>(optionEntries.size());
    stepList(optionEntries, subMenuSelection, delta, n);
}

// Each step plays the music reached from its start.
void stepMusicChoice(int32_t delta) {
    const int32_t n = menuMusicOptions.empty() ? 6 : static_cast<int32_t>(menuMusicOptions.size());
    menuMusicSelection = wrapIndex(menuMusicSelection, delta, n);
    playSound("ui_nav", -1, -1);
    playMenuMusicIndex(menuMusicSelection + 1, true, true);
    sayListEntry(menuMusicOptions, menuMusicSelection);
}

void storeMusicChoice() {
    setMenuMusicIndex(menuMusicSelection + 1);
    playSound("ui_valid", -1, -1);
    if (menuMusicSelection >= 0 && menuMusicSelection < static_cast<int32_t>(menuMusicOptions.size()))
        say(menuMusicOptions[menuMusicSelection] + " sélectionnée");
    isSelectingMenuMusic = false;
}

void cancelMusicChoice() {
    playSound("ui_back", -1, -1);
    isSelectingMenuMusic = false;
    playMenuMusicIndex(getMenuMusicIndex(), true, true);
    say("Options");
}

void confirmOption() {
    playSound("ui_valid", -1, -1);
    if (subMenuSelection == 0) {
        beginMenuMusicSelection();
    } else {
        SceneManager::switchScene(Scene::MENU);
        say("Menu principal");
    }
}

} // namespace

void handleMenuKeys(const KeyPass& p) {
    if (!p.canAct) return;
    if (isSelectingServer) {
        // The first held key only.
        actOnKey(p, held(VK_UP), [] { stepServerList(-1); }) || actOnKey(p, held(VK_DOWN), [] { stepServerList(1); }) ||
            actOnKey(p, held(VK_RETURN), menuConfirm) || actOnKey(p, held(VK_ESCAPE), [] {
                isSelectingServer = false;
                sayListEntry(menuOptions, menuSelection);
            });
        return;
    }
    actOnKey(p, pressed("MENU_UP"), [] { menuNavigate(-1); });
    actOnKey(p, pressed("MENU_DOWN"), [] { menuNavigate(1); });
    actOnKey(p, pressed("MENU_CONFIRM"), menuConfirm);
}

void handleOptionsKeys(const KeyPass& p) {
    if (!p.canAct) return;
    if (isSelectingMenuMusic) {
        // The first held key only.
        actOnKey(p, held(VK_UP), [] { stepMusicChoice(-1); }) || actOnKey(p, held(VK_DOWN), [] { stepMusicChoice(1); }) ||
            actOnKey(p, held(VK_RETURN), storeMusicChoice) || actOnKey(p, held(VK_ESCAPE), cancelMusicChoice);
        return;
    }
    // Each held key acts; Escape does nothing here.
    actOnKey(p, held(VK_UP), [] { stepOptions(-1); });
    actOnKey(p, held(VK_DOWN), [] { stepOptions(1); });
    actOnKey(p, held(VK_RETURN), confirmOption);
}

void resetMenuState() {
    menuOptions.clear();
    optionEntries.clear();
    menuSelection = 0;
    subMenuSelection = 0;
    serverSelection = 0;
    menuMusicSelection = 0;
    isSelectingServer = false;
    isSelectingMenuMusic = false;
    g_currentMenuMusicIdx = 0;
}
