#include "scenes/menu.h"

#include "core/local_player.h"
#include "core/save_file.h"
#include "core/scene.h"
#include "core/speech.h"
#include "audio/playback.h"
#include "audio/sound_registry.h"
#include "audio/volume.h"
#include "input/key_bindings.h"
#include "input/text_input.h"
#include "net/connection.h"
#include "platform/audio_device.h"
#include "platform/keyboard.h"
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

uint32_t menuMusicHandle(int index) {
    return getSoundHandle("music_menu_" + std::to_string(index));
}

} // namespace

void refreshMenuEntries() {
    if (hasIdentity()) menuOptions = {"Connexion au serveur", "Options", "Quitter"};
    else menuOptions = {"Créer un compte", "Options", "Quitter"};
    optionEntries = {"Changer la musique du menu principal", "Retour"};
    if (menuSelection >= static_cast<int32_t>(menuOptions.size())) menuSelection = 0;
}

void menuNavigate(int delta) {
    const int n = static_cast<int>(menuOptions.size());
    if (n == 0) return;
    menuSelection = ((menuSelection + delta) % n + n) % n;
    playSound("ui_nav", -1, -1);
    say(menuOptions[menuSelection]);
}

void menuConfirm() {
    playSound("ui_valid", -1, -1);
    if (isSelectingServer) {
        switch (serverSelection) {
        case 0:
            say("Connexion au serveur principal...");
            if (connectToServer(HOSTNAME, PORT_MAIN)) {
                isSelectingServer = false;
                menuStartLoginFlow("");
            } else {
                say("Échec de la connexion au serveur principal.");
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
            if (menuSelection >= 0 && menuSelection < static_cast<int32_t>(menuOptions.size()))
                say(menuOptions[menuSelection]);
            break;
        default: break;
        }
        return;
    }
    switch (menuSelection) {
    case 0:
        if (hasIdentity()) {
            isSelectingServer = true;
            serverSelection = 0;
            say("Sélection du serveur. " + serverListOptions[0]);
        } else {
            menuStartRegisterFlow();
        }
        break;
    case 1:
        SceneManager::switchScene(Scene::OPTIONS);
        say("Options.");
        break;
    case 2:
        postQuit();
        break;
    default:
        break;
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

bool held(int vk) { return platform::isKeyDown(vk); }
bool pressed(const char* action) { return KeyBindingManager::isPressed(action); }

void musicChoiceKeys(const KeyPass& p) {
    const int32_t n = menuMusicOptions.empty() ? 6 : static_cast<int32_t>(menuMusicOptions.size());
    auto move = [&](int32_t delta) {
        menuMusicSelection = (menuMusicSelection + delta + n) % n;
        playSound("ui_nav", -1, -1);
        playMenuMusicIndex(menuMusicSelection + 1, true, true);
        sayListEntry(menuMusicOptions, menuMusicSelection);
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

} // namespace

void handleMenuKeys(const KeyPass& p) {
    if (!p.canAct) return;
    if (isSelectingServer) {
        const int32_t n = static_cast<int32_t>(serverListOptions.size());
        if (held(VK_UP)) {
            serverSelection = (serverSelection + n - 1) % n;
            playSound("ui_nav", -1, -1);
            sayListEntry(serverListOptions, serverSelection);
        } else if (held(VK_DOWN)) {
            serverSelection = (serverSelection + 1) % n;
            playSound("ui_nav", -1, -1);
            sayListEntry(serverListOptions, serverSelection);
        } else if (held(VK_RETURN)) {
            menuConfirm();
        } else if (held(VK_ESCAPE)) {
            isSelectingServer = false;
            sayListEntry(menuOptions, menuSelection);
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

void handleOptionsKeys(const KeyPass& p) {
    if (!p.canAct) return;
    if (isSelectingMenuMusic) {
        musicChoiceKeys(p);
        return;
    }
    const int32_t n = optionEntries.empty() ? 1 : static_cast<int32_t>(optionEntries.size());
    if (held(VK_UP)) {
        subMenuSelection = (subMenuSelection - 1 + n) % n;
        playSound("ui_nav", -1, -1);
        sayListEntry(optionEntries, subMenuSelection);
        lastActionTime = p.now;
    }
    if (held(VK_DOWN)) {
        subMenuSelection = (subMenuSelection + 1) % n;
        playSound("ui_nav", -1, -1);
        sayListEntry(optionEntries, subMenuSelection);
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
