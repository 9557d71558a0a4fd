// The one table of the server's messages. The handlers live with the state
// they change; the table keeps the order in which keywords are tried, which
// is part of the behaviour (a prefix tried earlier wins).
#include "core/speech.h"
#include "audio/playback.h"
#include "net/connection.h"
#include "protocol/wire.h"
#include "scenes/account.h"
#include "scenes/chat.h"
#include "scenes/lobby.h"
#include "scenes/lobby_menu.h"
#include "scenes/maison.h"
#include "world/doors.h"
#include "world/game_messages.h"
#include "world/mystery_box.h"
#include "world/players.h"
#include "world/rounds.h"
#include "world/zombies.h"

#include <string_view>

namespace {

// Messages that belong to no scene: the server speaks or plays a sound itself.
void onSay(FieldCursor& f) { say(readRest(f)); }
void onPlaySound(FieldCursor& f) { playSound(readRest(f), -1, -1); }

// --- dispatch

struct Row {
    Keyword keyword;
    void (*handle)(FieldCursor&);
    KeywordMatch match = KeywordMatch::STANDARD;
};

// Tried in this order; the first match takes the message.
const Row kRows[] = {
    {MSG_SAY, onSay},
    {MSG_PLAY_SOUND, onPlaySound},
    {MSG_SECOND_CHANCE_READY, onSecondChanceReady},
    {MSG_CHAT_RADIO_FROM, onChatRadio},
    {MSG_CHAT_TEAM_FROM, onChatTeam},
    {MSG_CHAT_MP_FROM, onChatMpFrom},
    {MSG_CHAT_MP_TO, onChatMpTo},
    {MSG_AUTH_OK, onAuthOk},
    {MSG_AUTH_FAIL, onAuthFail},
    {MSG_REGISTER_OK, onRegisterOk, KeywordMatch::PREFIX}, // the one keyword without ':' taken as a prefix
    {MSG_REGISTER_FAIL, onRegisterFail},
    {MSG_USERNAME_OK, onUsernameOk},
    {MSG_USERNAME_FAIL, onUsernameFail},
    {MSG_LOBBY_JOIN, onLobbyJoin},
    {MSG_LOBBY_LEFT, onLobbyLeft},
    {MSG_PLAYERS_LIST, onPlayersList},
    {MSG_UPTIME, onUptime},
    {MSG_PONG, onPong},
    {MSG_START_MAISON, onStartMaison},
    {MSG_GOTO_LOBBY, onGotoLobby},
    {MSG_POS, onPos},
    {MSG_REMOTE_MOVE, onRemoteMove},
    {MSG_GAME_OVER_SIGNAL, onGameOverSignal},
    {MSG_STATS, onStats},
    {MSG_PLAYER_DOWN, onPlayerDown},
    {MSG_YOU_DIED, onYouDied},
    {MSG_REVIVED, onRevived},
    {MSG_POTION_BOUGHT, onPotionBought},
    {MSG_SHOOT_OK, onShootOk},
    {MSG_REMOTE_SHOOT, onRemoteShoot},
    {MSG_SHOOT_FAIL, onShootFail},
    {MSG_RELOAD_OK, onReloadOk},
    {MSG_SWITCH_OK, onSwitchOk},
    {MSG_AMMO_MSG, onAmmoMsg},
    {MSG_HEALTH_MSG, onHealthMsg},
    {MSG_WALL, onWall},
    {MSG_DOOR_CLOSED, onDoorClosed},
    {MSG_DOOR_OPENED, onDoorOpened},
    {MSG_EPEE_PICKUP_OK, onEpeePickupOk},
    {MSG_BOX_OPENING_START, onBoxOpeningStart},
    {MSG_BOX_SPAWN, onBoxSpawn},
    {MSG_BOX_DESPAWN, onBoxDespawn},
    {MSG_BOX_HIDDEN, onBoxHidden},
    {MSG_BOX_READY, onBoxReady},
    {MSG_BOX_PICKUP_OK, onBoxPickupOk},
    {MSG_BOX_TELEPORT, onBoxTeleport},
    {MSG_ROUND_START, onRoundStart},
    {MSG_ROUND_END_KILLS, onRoundEndKills},
    {MSG_ROUND_END, onRoundEnd},
    {MSG_Z_SPAWN, onZSpawn},
    {MSG_Z_POS, onZPos},
    {MSG_Z_HIT, onZHit},
    {MSG_Z_DIE, onZDie},
    {MSG_PLAYER_HIT, onPlayerHit},
    {MSG_RANKING, onRanking},
    {MSG_TEAM_LIST, onTeamList},
    {MSG_TEAM_OK, onTeamJoined},
    {MSG_TEAM_JOIN_OK, onTeamJoined},
    {MSG_TEAM_FULL, onTeamFull},
    {MSG_TEAM_DESTROYED, onTeamDestroyed},
    {MSG_LEFT_TEAM, onLeftTeam},
    {MSG_TEAM_MEMBERS, onTeamMembers},
    {MSG_BONUS_MAX_AMMO, onBonusMaxAmmo},
    {MSG_BONUS_DOUBLE_POINTS_START, onBonusDoublePointsStart},
    {MSG_BONUS_DOUBLE_POINTS_END, onBonusDoublePointsEnd},
    {MSG_BONUS_INSTANT_KILL_START, onBonusInstantKillStart},
};

} // namespace

void handleIncomingPacket(const std::string& bytes) {
    try {
        const std::string_view message = packetMessage(bytes);
        for (const Row& row : kRows) {
            if (!matchesKeyword(message, row.keyword, row.match)) continue;
            FieldCursor fields = fieldsAfter(message, row.keyword);
            row.handle(fields);
            return;
        }
    } catch (...) {
        // Out of memory while building a text: the message is lost, the game goes on.
    }
}
