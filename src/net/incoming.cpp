#include "net/incoming.h"

#include "app/scene_manager.h"
#include "app/speech.h"
#include "audio/playback.h"
#include "net/fields.h"
#include "net/save_file.h"
#include "platform/clock.h"
#include "scenes/menu.h"

#include <string_view>

namespace {

void playFlat(const std::string& name) { playSound(name, -1, -1); }

// --- general

void onSay(FieldCursor& f) { say(readRest(f)); }
void onPlaySound(FieldCursor& f) { playFlat(readRest(f)); }
void onSecondChanceReady(FieldCursor&) { playFlat("cloche"); }

// --- chat: the name ends at the first ':', the text may hold more of them.

// Spoken as "<label> <name> dit : <text>", kept as "<label> <name> : <text>".
void receiveChat(FieldCursor& f, const char* label, const char* sound, HistoryCategory category) {
    std::string name = readName(f);
    std::string text = readRest(f);
    playFlat(sound);
    say(std::string(label) + " " + name + " dit : " + text);
    historyAdd(category, std::string(label) + " " + name + " : " + text);
}

void onChatRadio(FieldCursor& f) { receiveChat(f, "Radio", "chat", HistoryCategory::RADIO); }
void onChatTeam(FieldCursor& f) { receiveChat(f, "Équipe", "chat", HistoryCategory::TEAM); }
void onChatMpFrom(FieldCursor& f) { receiveChat(f, "MP", "mp", HistoryCategory::PRIVATE); }

void onChatMpTo(FieldCursor& f) {
    std::string name = readName(f);
    std::string text = "MP à " + name + " : " + readRest(f);
    playFlat("mp");
    say(text);
    historyAdd(HistoryCategory::PRIVATE, text);
}

// --- account

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

void onUsernameOk(FieldCursor& f) {
    std::string pseudo = readRest(f);
    // An empty pseudo would erase the saved identity: a malformed message must not.
    if (pseudo.empty()) return;
    myProfile.username = pseudo;
    saveIdentity(myProfile);
    say("Pseudo modifié.");
    playFlat("ui_valid");
}

void onUsernameFail(FieldCursor& f) {
    say("Impossible de modifier le pseudo. " + readRest(f));
    playFlat("ui_back");
}

// --- lobby presence and replies to the F keys

void onLobbyJoin(FieldCursor& f) {
    say(readRest(f) + " s'est connecté.");
    playFlat("online");
}

void onLobbyLeft(FieldCursor& f) {
    say(readRest(f) + " s'est déconnecté.");
    playFlat("offline");
}

void onPlayersList(FieldCursor& f) { say(readRest(f)); }
void onUptime(FieldCursor& f) { say(readRest(f)); }

void onPong(FieldCursor& f) {
    uint32_t sent = 0;
    if (!readUint32(f, sent)) return;
    // Unsigned arithmetic keeps the round trip right across the tick counter's wrap.
    uint32_t roundTrip = platform::tickCount() - sent;
    say(std::to_string(roundTrip) + " millisecondes");
}

// --- dispatch

enum class Match { PREFIX, EXACT };

struct Row {
    std::string_view keyword;
    Match match;
    void (*handle)(FieldCursor&); // null: known, handled elsewhere or not yet
};

// Tried in this order; the first match takes the message.
const Row kRows[] = {
    {"SAY:", Match::PREFIX, onSay},
    {"PLAY_SOUND:", Match::PREFIX, onPlaySound},
    {"SECOND_CHANCE_READY", Match::EXACT, onSecondChanceReady},
    {"CHAT_RADIO_FROM:", Match::PREFIX, onChatRadio},
    {"CHAT_TEAM_FROM:", Match::PREFIX, onChatTeam},
    {"CHAT_MP_FROM:", Match::PREFIX, onChatMpFrom},
    {"CHAT_MP_TO:", Match::PREFIX, onChatMpTo},
    {"AUTH_OK", Match::EXACT, onAuthOk},
    {"AUTH_FAIL:", Match::PREFIX, onAuthFail},
    {"REGISTER_OK", Match::PREFIX, onRegisterOk}, // the one keyword without ':' taken as a prefix
    {"REGISTER_FAIL:", Match::PREFIX, onRegisterFail},
    {"USERNAME_OK:", Match::PREFIX, onUsernameOk},
    {"USERNAME_FAIL:", Match::PREFIX, onUsernameFail},
    {"LOBBY_JOIN:", Match::PREFIX, onLobbyJoin},
    {"LOBBY_LEFT:", Match::PREFIX, onLobbyLeft},
    {"PLAYERS_LIST:", Match::PREFIX, onPlayersList},
    {"UPTIME:", Match::PREFIX, onUptime},
    {"PONG:", Match::PREFIX, onPong},
    {"START_MAISON", Match::EXACT, nullptr},
    {"GOTO_LOBBY", Match::EXACT, nullptr},
    {"POS:", Match::PREFIX, nullptr},
    {"REMOTE_MOVE:", Match::PREFIX, nullptr},
    {"GAME_OVER_SIGNAL", Match::EXACT, nullptr},
    {"STATS:", Match::PREFIX, nullptr},
    {"PLAYER_DOWN:", Match::PREFIX, nullptr},
    {"YOU_DIED", Match::EXACT, nullptr},
    {"REVIVED", Match::EXACT, nullptr},
    {"POTION_BOUGHT", Match::EXACT, nullptr},
    {"SHOOT_OK:", Match::PREFIX, nullptr},
    {"REMOTE_SHOOT:", Match::PREFIX, nullptr},
    {"SHOOT_FAIL:", Match::PREFIX, nullptr},
    {"RELOAD_OK:", Match::PREFIX, nullptr},
    {"SWITCH_OK:", Match::PREFIX, nullptr},
    {"AMMO_MSG:", Match::PREFIX, nullptr},
    {"HEALTH_MSG:", Match::PREFIX, nullptr},
    {"WALL", Match::EXACT, nullptr},
    {"DOOR_CLOSED:", Match::PREFIX, nullptr},
    {"DOOR_OPENED:", Match::PREFIX, nullptr},
    {"EPEE_PICKUP_OK", Match::EXACT, nullptr},
    {"BOX_OPENING_START:", Match::PREFIX, nullptr},
    {"BOX_SPAWN:", Match::PREFIX, nullptr},
    {"BOX_DESPAWN", Match::EXACT, nullptr},
    {"BOX_HIDDEN:", Match::PREFIX, nullptr},
    {"BOX_READY:", Match::PREFIX, nullptr},
    {"BOX_PICKUP_OK:", Match::PREFIX, nullptr},
    {"BOX_TELEPORT:", Match::PREFIX, nullptr},
    {"ROUND_START:", Match::PREFIX, nullptr},
    {"ROUND_END_KILLS:", Match::PREFIX, nullptr},
    {"ROUND_END", Match::EXACT, nullptr},
    {"Z_SPAWN:", Match::PREFIX, nullptr},
    {"Z_POS:", Match::PREFIX, nullptr},
    {"Z_HIT:", Match::PREFIX, nullptr},
    {"Z_DIE:", Match::PREFIX, nullptr},
    {"PLAYER_HIT:", Match::PREFIX, nullptr},
    {"RANKING:", Match::PREFIX, nullptr},
    {"TEAM_LIST:", Match::PREFIX, nullptr},
    {"TEAM_OK:", Match::PREFIX, nullptr},
    {"TEAM_JOIN_OK:", Match::PREFIX, nullptr},
    {"TEAM_FULL", Match::EXACT, nullptr},
    {"TEAM_DESTROYED", Match::EXACT, nullptr},
    {"LEFT_TEAM", Match::EXACT, nullptr},
    {"TEAM_MEMBERS:", Match::PREFIX, nullptr},
    {"BONUS_MAX_AMMO", Match::EXACT, nullptr},
    {"BONUS_DOUBLE_POINTS_START", Match::EXACT, nullptr},
    {"BONUS_DOUBLE_POINTS_END", Match::EXACT, nullptr},
    {"BONUS_INSTANT_KILL_START", Match::EXACT, nullptr},
};

bool matches(const Row& row, std::string_view message) {
    bool prefix = message.substr(0, row.keyword.size()) == row.keyword;
    switch (row.match) {
    case Match::PREFIX: return prefix;
    case Match::EXACT: return message == row.keyword;
    }
    return false;
}

} // namespace

void handleIncomingPacket(const std::string& text) {
    try {
        std::string_view message(text);
        message = message.substr(0, message.find('\0'));
        for (const Row& row : kRows) {
            if (!matches(row, message)) continue;
            if (row.handle) {
                FieldCursor fields = fieldsAfter(message, row.keyword.size());
                row.handle(fields);
            }
            return;
        }
    } catch (...) {
        // Out of memory while building a text: the message is lost, the game goes on.
    }
}
