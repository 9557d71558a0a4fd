#include "scenes/menu.h"

#include "app/app.h"
#include "app/scene_manager.h"
#include "app/speech.h"
#include "audio/playback.h"
#include "audio/sound_registry.h"
#include "audio/volume.h"
#include "input/text_input.h"
#include "net/connection.h"
#include "net/outgoing.h"
#include "net/save_file.h"
#include "platform/audio_device.h"
#include "platform/clock.h"
#include "platform/keyboard.h"

std::vector<std::string> menuOptions;
std::vector<std::string> optionEntries;
std::vector<std::string> serverListOptions = {"Serveur Principal", "Serveur de Test", "Retour"};
std::vector<std::string> confirmOptions = {"Oui", "Non"};
std::vector<std::string> menuMusicOptions = {"Musique 1", "Musique 2", "Musique 3",
                                             "Musique 4", "Musique 5", "Musique 6"};
int32_t menuSelection = 0;
int32_t subMenuSelection = 0;
int32_t serverSelection = 0;
int32_t menuMusicSelection = 0;
int32_t confirmSelection = 1;
bool isSelectingServer = false;
bool isConfirmingExit = false;
bool isSelectingMenuMusic = false;
int32_t g_currentMenuMusicIdx = 0;
std::string g_accessPassForLogin;
std::string g_registerUsername;
std::string g_registerEmail;
std::string g_registerPassHash;
std::string g_registerGender;

namespace {

constexpr int kMenuMusicCount = 6;
constexpr uint32_t kActionGap = 200;

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

void handleConfirmExitInputs() {
    const uint32_t now = platform::tickCount();
    if (now - lastActionTime < kActionGap) return;
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

void menuStartLoginFlow(const std::string& accessPass) {
    g_accessPassForLogin = accessPass;
    if (myProfile.email.empty()) {
        TextInput::begin(TextInputMode::LOGIN_EMAIL, "Email du compte. Tapez puis Entrée.", "", 128);
        return;
    }
    if (myProfile.passHash.empty()) {
        TextInput::begin(TextInputMode::LOGIN_PASSWORD,
                         "Mot de passe du compte (une seule fois). Tapez puis Entrée.", "", 64);
        return;
    }
    sendAuthLogin(myProfile, myProfile.passHash, g_accessPassForLogin);
    say("Authentification en cours.");
}

void menuStartRegisterFlow() {
    say("Création de compte. Connexion au serveur principal...");
    if (!connectToServer(HOSTNAME, PORT_MAIN)) {
        say("Échec de la connexion au serveur principal.");
        return;
    }
    g_accessPassForLogin.clear();
    g_registerUsername.clear();
    g_registerEmail.clear();
    g_registerPassHash.clear();
    g_registerGender.clear();
    TextInput::begin(TextInputMode::REGISTER_USERNAME, "Choisis un pseudo. Tapez puis Entrée.", "", 32);
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
