// The one table of the server's messages. The handlers live with the state
// they change; the table keeps the order in which keywords are tried, which
// is part of the behaviour (a prefix tried earlier wins).
#include "core/speech.h"
#include "audio/playback.h"
#include "net/connection.h"
#include "protocol/fields.h"
#include "protocol/keywords.h"
#include "scenes/account.h"
#include "scenes/chat.h"
#include "scenes/lobby.h"
#include "scenes/lobby_menu.h"
#include "world/game_messages.h"

#include <string_view>

namespace {

// Messages that belong to no scene: the server speaks or plays a sound itself.
void onSay(FieldCursor& f) { say(readRest(f)); }
void onPlaySound(FieldCursor& f) { playSound(readRest(f), -1, -1); }

// --- dispatch

enum class Match { PREFIX, EXACT };

struct Row {
    std::string_view keyword;
    Match match;
    void (*handle)(FieldCursor&); // null: known, handled elsewhere or not yet
};

// Tried in this order; the first match takes the message.
const Row kRows[] = {
    {MSG_SAY, Match::PREFIX, onSay},
    {MSG_PLAY_SOUND, Match::PREFIX, onPlaySound},
    {MSG_SECOND_CHANCE_READY, Match::EXACT, onSecondChanceReady},
    {MSG_CHAT_RADIO_FROM, Match::PREFIX, onChatRadio},
    {MSG_CHAT_TEAM_FROM, Match::PREFIX, onChatTeam},
    {MSG_CHAT_MP_FROM, Match::PREFIX, onChatMpFrom},
    {MSG_CHAT_MP_TO, Match::PREFIX, onChatMpTo},
    {MSG_AUTH_OK, Match::EXACT, onAuthOk},
    {MSG_AUTH_FAIL, Match::PREFIX, onAuthFail},
    {MSG_REGISTER_OK, Match::PREFIX, onRegisterOk}, // the one keyword without ':' taken as a prefix
    {MSG_REGISTER_FAIL, Match::PREFIX, onRegisterFail},
    {MSG_USERNAME_OK, Match::PREFIX, onUsernameOk},
    {MSG_USERNAME_FAIL, Match::PREFIX, onUsernameFail},
    {MSG_LOBBY_JOIN, Match::PREFIX, onLobbyJoin},
    {MSG_LOBBY_LEFT, Match::PREFIX, onLobbyLeft},
    {MSG_PLAYERS_LIST, Match::PREFIX, onPlayersList},
    {MSG_UPTIME, Match::PREFIX, onUptime},
    {MSG_PONG, Match::PREFIX, onPong},
    {MSG_START_MAISON, Match::EXACT, nullptr},
    {MSG_GOTO_LOBBY, Match::EXACT, onGotoLobby},
    {MSG_POS, Match::PREFIX, onPos},
    {MSG_REMOTE_MOVE, Match::PREFIX, onRemoteMove},
    {MSG_GAME_OVER_SIGNAL, Match::EXACT, nullptr},
    {MSG_STATS, Match::PREFIX, nullptr},
    {MSG_PLAYER_DOWN, Match::PREFIX, nullptr},
    {MSG_YOU_DIED, Match::EXACT, nullptr},
    {MSG_REVIVED, Match::EXACT, nullptr},
    {MSG_POTION_BOUGHT, Match::EXACT, nullptr},
    {MSG_SHOOT_OK, Match::PREFIX, nullptr},
    {MSG_REMOTE_SHOOT, Match::PREFIX, nullptr},
    {MSG_SHOOT_FAIL, Match::PREFIX, nullptr},
    {MSG_RELOAD_OK, Match::PREFIX, nullptr},
    {MSG_SWITCH_OK, Match::PREFIX, nullptr},
    {MSG_AMMO_MSG, Match::PREFIX, nullptr},
    {MSG_HEALTH_MSG, Match::PREFIX, onHealthMsg},
    {MSG_WALL, Match::EXACT, onWall},
    {MSG_DOOR_CLOSED, Match::PREFIX, nullptr},
    {MSG_DOOR_OPENED, Match::PREFIX, nullptr},
    {MSG_EPEE_PICKUP_OK, Match::EXACT, nullptr},
    {MSG_BOX_OPENING_START, Match::PREFIX, nullptr},
    {MSG_BOX_SPAWN, Match::PREFIX, nullptr},
    {MSG_BOX_DESPAWN, Match::EXACT, nullptr},
    {MSG_BOX_HIDDEN, Match::PREFIX, nullptr},
    {MSG_BOX_READY, Match::PREFIX, nullptr},
    {MSG_BOX_PICKUP_OK, Match::PREFIX, nullptr},
    {MSG_BOX_TELEPORT, Match::PREFIX, nullptr},
    {MSG_ROUND_START, Match::PREFIX, nullptr},
    {MSG_ROUND_END_KILLS, Match::PREFIX, nullptr},
    {MSG_ROUND_END, Match::EXACT, nullptr},
    {MSG_Z_SPAWN, Match::PREFIX, nullptr},
    {MSG_Z_POS, Match::PREFIX, nullptr},
    {MSG_Z_HIT, Match::PREFIX, nullptr},
    {MSG_Z_DIE, Match::PREFIX, nullptr},
    {MSG_PLAYER_HIT, Match::PREFIX, nullptr},
    {MSG_RANKING, Match::PREFIX, onRanking},
    {MSG_TEAM_LIST, Match::PREFIX, onTeamList},
    {MSG_TEAM_OK, Match::PREFIX, onTeamJoined},
    {MSG_TEAM_JOIN_OK, Match::PREFIX, onTeamJoined},
    {MSG_TEAM_FULL, Match::EXACT, onTeamFull},
    {MSG_TEAM_DESTROYED, Match::EXACT, onTeamDestroyed},
    {MSG_LEFT_TEAM, Match::EXACT, onLeftTeam},
    {MSG_TEAM_MEMBERS, Match::PREFIX, onTeamMembers},
    {MSG_BONUS_MAX_AMMO, Match::EXACT, nullptr},
    {MSG_BONUS_DOUBLE_POINTS_START, Match::EXACT, nullptr},
    {MSG_BONUS_DOUBLE_POINTS_END, Match::EXACT, nullptr},
    {MSG_BONUS_INSTANT_KILL_START, Match::EXACT, nullptr},
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
