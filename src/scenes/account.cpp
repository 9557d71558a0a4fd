#include "scenes/account.h"

#include "base/sha256.h"
#include "base/text.h"
#include "core/save_file.h"
#include "core/scene.h"
#include "core/speech.h"
#include "audio/playback.h"
#include "input/text_input.h"
#include "net/connection.h"
#include "net/outgoing.h"
#include "scenes/chat.h"
#include "scenes/lobby_menu.h"
#include "scenes/menu.h"

std::string g_accessPassForLogin;
std::string g_registerUsername;
std::string g_registerEmail;
std::string g_registerPassHash;
std::string g_registerGender;

namespace {
void playFlat(const char* name) { playSound(name, -1, -1); }
} // namespace

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

bool connectToMainServer(const std::string& announce) {
    say(announce);
    if (connectToServer(HOSTNAME, PORT_MAIN)) return true;
    say("Échec de la connexion au serveur principal.");
    return false;
}

// A new connection starts with no answers collected (startConnectionState).
void menuStartRegisterFlow() {
    if (!connectToMainServer("Création de compte. Connexion au serveur principal...")) return;
    TextInput::begin(TextInputMode::REGISTER_USERNAME, "Choisis un pseudo. Tapez puis Entrée.", "", 32);
}

void menuStartAccountLogin() {
    if (!connectToMainServer("Connexion au serveur principal...")) return;
    // An address mistyped in an earlier try is never sent again: both are asked afresh.
    myProfile.email.clear();
    myProfile.passHash.clear();
    menuStartLoginFlow("");
}

void resetAccountFlow() {
    g_accessPassForLogin.clear();
    g_registerUsername.clear();
    g_registerEmail.clear();
    g_registerPassHash.clear();
    g_registerGender.clear();
}

// The entry is already closed here, so each step may open the next question.
void submitTextInput(TextInputMode mode, const std::string& text, int choiceIndex) {
    switch (mode) {
    case TextInputMode::TEST_SERVER_PASSWORD:
        if (!connectToServer(HOSTNAME, PORT_TEST)) {
            say("Échec de la connexion au serveur de test.");
            return;
        }
        isSelectingServer = false;
        say("Connexion au serveur de test.");
        menuStartLoginFlow(text);
        return;
    case TextInputMode::LOGIN_EMAIL:
        myProfile.email = text;
        saveIdentity(myProfile);
        TextInput::begin(TextInputMode::LOGIN_PASSWORD, "Mot de passe du compte. Tapez puis Entrée.", "", 64);
        return;
    case TextInputMode::LOGIN_PASSWORD:
        myProfile.passHash = sha256Hex(text);
        saveIdentity(myProfile);
        sendAuthLogin(myProfile, myProfile.passHash, g_accessPassForLogin);
        say("Authentification en cours.");
        return;
    case TextInputMode::REGISTER_USERNAME:
        g_registerUsername = text;
        TextInput::begin(TextInputMode::REGISTER_EMAIL, "Email du compte. Tapez puis Entrée.", "", 128);
        return;
    case TextInputMode::REGISTER_EMAIL:
        g_registerEmail = text;
        TextInput::begin(TextInputMode::REGISTER_PASSWORD, "Mot de passe du compte. Tapez puis Entrée.", "", 64);
        return;
    case TextInputMode::REGISTER_PASSWORD:
        g_registerPassHash = sha256Hex(text);
        TextInput::begin(TextInputMode::REGISTER_GENDER,
                         "Choisissez le sexe de votre personnage. Gauche ou Droite pour changer, Entrée pour "
                         "valider.",
                         "", 64);
        return;
    case TextInputMode::REGISTER_GENDER: {
        g_registerGender = choiceIndex == 0 ? "M" : "F";
        myProfile.gender = g_registerGender;
        const std::string emailHash = sha256Hex(normaliseEmail(g_registerEmail));
        sendAuthRegister(emailHash, g_registerUsername, g_registerPassHash, g_registerGender);
        g_registerEmail = emailHash;
        say("Création du compte en cours.");
        return;
    }
    case TextInputMode::TEAM_NAME: submitTeamName(text); return;
    case TextInputMode::CHAT_RADIO:
    case TextInputMode::CHAT_TEAM: sendChat(mode, text); return;
    default: return;
    }
}

void onAuthOk(FieldCursor&) {
    const std::string text = "Connexion réussie.";
    say(text);
    historyAdd(HistoryCategory::GAME, text);
    playFlat("ui_valid");
}

// The scene changes before speaking: entering the menu announces it, which
// would cut off the reason.
void onAuthFail(FieldCursor& f) {
    const std::string text = "Connexion échouée. " + readRest(f);
    SceneManager::switchScene(Scene::MENU);
    say(text);
    historyAdd(HistoryCategory::GAME, text);
    playFlat("ui_back");
}

void onRegisterOk(FieldCursor&) {
    // Only an account this client asked for replaces the saved identity: a stray
    // answer must not wipe it.
    if (!g_registerEmail.empty()) {
        myProfile.username = g_registerUsername;
        myProfile.email = g_registerEmail;
        myProfile.passHash = g_registerPassHash;
        myProfile.gender = g_registerGender.empty() ? "M" : g_registerGender;
        saveIdentity(myProfile);
    }
    if (SceneManager::currentScene == Scene::MENU) {
        // The account now exists: the menu offers to connect instead of creating one.
        isSelectingServer = false;
        isSelectingMenuMusic = false;
        menuSelection = 0;
        refreshMenuEntries();
    } else {
        SceneManager::switchScene(Scene::MENU);
    }
    say("Compte créé et enregistré.");
    playFlat("ui_valid");
}

void onRegisterFail(FieldCursor& f) {
    const std::string text = "Création du compte échouée. " + readRest(f);
    SceneManager::switchScene(Scene::MENU);
    say(text);
    playFlat("ui_back");
}

// Sent at every login: only a pseudo that replaces a known one is news. The
// first one a machine hears (a login without a saved identity) is saved silently.
void onUsernameOk(FieldCursor& f) {
    std::string pseudo = readRest(f);
    // An empty pseudo would erase the saved identity: a malformed message must not.
    if (pseudo.empty() || pseudo == myProfile.username) return;
    const bool replaces = !myProfile.username.empty();
    myProfile.username = pseudo;
    saveIdentity(myProfile);
    if (!replaces) return;
    say("Pseudo modifié.");
    playFlat("ui_valid");
}

void onUsernameFail(FieldCursor& f) {
    say("Impossible de modifier le pseudo. " + readRest(f));
    playFlat("ui_back");
}
