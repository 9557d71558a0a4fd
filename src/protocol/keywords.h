#pragma once
// Every keyword of the game protocol, once. A message is one text: the
// keyword, then its fields; a keyword ending in ':' takes fields, one
// without ':' stands alone. Client and server both build on these.
#include <string_view>

// --- client to server

constexpr std::string_view MSG_AUTH_LOGIN = "AUTH_LOGIN:";       // e-mail ':' password hash ':' access pass
constexpr std::string_view MSG_AUTH_REGISTER = "AUTH_REGISTER:"; // e-mail hash ':' pseudo ':' password hash ':' gender
constexpr std::string_view MSG_MOVE = "MOVE:";                   // 'Z' up, 'S' down, 'Q' left, 'D' right
constexpr std::string_view MSG_SHOOT = "SHOOT";
constexpr std::string_view MSG_RELOAD = "RELOAD";
constexpr std::string_view MSG_CHECK_AMMO = "CHECK_AMMO";
constexpr std::string_view MSG_CHECK_HEALTH = "CHECK_HEALTH";
constexpr std::string_view MSG_SWITCH = "SWITCH:"; // slot 0 to 2
constexpr std::string_view MSG_ACTION = "ACTION";
constexpr std::string_view MSG_REVIVE = "REVIVE";
constexpr std::string_view MSG_REQ_ROUND = "REQ_ROUND";
constexpr std::string_view MSG_REQ_KILLS = "REQ_KILLS";
constexpr std::string_view MSG_REQ_POINTS = "REQ_POINTS";
constexpr std::string_view MSG_REQ_BOX = "REQ_BOX";
constexpr std::string_view MSG_GET_MEMBER = "GET_MEMBER:"; // member index 0 to 4
constexpr std::string_view MSG_CREATE_TEAM = "CREATE_TEAM:";
constexpr std::string_view MSG_JOIN_TEAM = "JOIN_TEAM:";
constexpr std::string_view MSG_GET_TEAMS = "GET_TEAMS";
constexpr std::string_view MSG_GET_TEAM_MEMBERS = "GET_TEAM_MEMBERS:";
constexpr std::string_view MSG_DESTROY_TEAM = "DESTROY_TEAM";
constexpr std::string_view MSG_LEAVE_TEAM = "LEAVE_TEAM";
constexpr std::string_view MSG_START_GAME = "START_GAME";
constexpr std::string_view MSG_LEAVE_MAISON = "LEAVE_MAISON";
constexpr std::string_view MSG_REQ_RANKING = "REQ_RANKING:"; // "POINTS", "KILLS" or "ROUND"
constexpr std::string_view MSG_REQ_PLAYERS = "REQ_PLAYERS";
constexpr std::string_view MSG_PING = "PING:"; // the sender's tick count, echoed by PONG:
constexpr std::string_view MSG_REQ_UPTIME = "REQ_UPTIME";
constexpr std::string_view MSG_CHAT_RADIO = "CHAT_RADIO:";
constexpr std::string_view MSG_CHAT_TEAM = "CHAT_TEAM:";
constexpr std::string_view MSG_CHAT_MP = "CHAT_MP:"; // pseudo ':' text

constexpr std::string_view RANKING_POINTS = "POINTS";
constexpr std::string_view RANKING_KILLS = "KILLS";
constexpr std::string_view RANKING_ROUND = "ROUND";

// --- server to client

constexpr std::string_view MSG_SAY = "SAY:";
constexpr std::string_view MSG_PLAY_SOUND = "PLAY_SOUND:";
constexpr std::string_view MSG_SECOND_CHANCE_READY = "SECOND_CHANCE_READY";
constexpr std::string_view MSG_CHAT_RADIO_FROM = "CHAT_RADIO_FROM:";
constexpr std::string_view MSG_CHAT_TEAM_FROM = "CHAT_TEAM_FROM:";
constexpr std::string_view MSG_CHAT_MP_FROM = "CHAT_MP_FROM:";
constexpr std::string_view MSG_CHAT_MP_TO = "CHAT_MP_TO:";
constexpr std::string_view MSG_AUTH_OK = "AUTH_OK";
constexpr std::string_view MSG_AUTH_FAIL = "AUTH_FAIL:";
constexpr std::string_view MSG_REGISTER_OK = "REGISTER_OK";
constexpr std::string_view MSG_REGISTER_FAIL = "REGISTER_FAIL:";
constexpr std::string_view MSG_USERNAME_OK = "USERNAME_OK:";
constexpr std::string_view MSG_USERNAME_FAIL = "USERNAME_FAIL:";
constexpr std::string_view MSG_LOBBY_JOIN = "LOBBY_JOIN:";
constexpr std::string_view MSG_LOBBY_LEFT = "LOBBY_LEFT:";
constexpr std::string_view MSG_PLAYERS_LIST = "PLAYERS_LIST:";
constexpr std::string_view MSG_UPTIME = "UPTIME:";
constexpr std::string_view MSG_PONG = "PONG:";
constexpr std::string_view MSG_START_MAISON = "START_MAISON";
constexpr std::string_view MSG_GOTO_LOBBY = "GOTO_LOBBY";
constexpr std::string_view MSG_POS = "POS:";
constexpr std::string_view MSG_REMOTE_MOVE = "REMOTE_MOVE:";
constexpr std::string_view MSG_GAME_OVER_SIGNAL = "GAME_OVER_SIGNAL";
constexpr std::string_view MSG_STATS = "STATS:";
constexpr std::string_view MSG_PLAYER_DOWN = "PLAYER_DOWN:";
constexpr std::string_view MSG_YOU_DIED = "YOU_DIED";
constexpr std::string_view MSG_REVIVED = "REVIVED";
constexpr std::string_view MSG_POTION_BOUGHT = "POTION_BOUGHT";
constexpr std::string_view MSG_SHOOT_OK = "SHOOT_OK:";
constexpr std::string_view MSG_REMOTE_SHOOT = "REMOTE_SHOOT:";
constexpr std::string_view MSG_SHOOT_FAIL = "SHOOT_FAIL:";
constexpr std::string_view MSG_RELOAD_OK = "RELOAD_OK:";
constexpr std::string_view MSG_SWITCH_OK = "SWITCH_OK:";
constexpr std::string_view MSG_AMMO_MSG = "AMMO_MSG:";
constexpr std::string_view MSG_HEALTH_MSG = "HEALTH_MSG:";
constexpr std::string_view MSG_WALL = "WALL";
constexpr std::string_view MSG_DOOR_CLOSED = "DOOR_CLOSED:";
constexpr std::string_view MSG_DOOR_OPENED = "DOOR_OPENED:";
constexpr std::string_view MSG_EPEE_PICKUP_OK = "EPEE_PICKUP_OK";
constexpr std::string_view MSG_BOX_OPENING_START = "BOX_OPENING_START:";
constexpr std::string_view MSG_BOX_SPAWN = "BOX_SPAWN:";
constexpr std::string_view MSG_BOX_DESPAWN = "BOX_DESPAWN";
constexpr std::string_view MSG_BOX_HIDDEN = "BOX_HIDDEN:";
constexpr std::string_view MSG_BOX_READY = "BOX_READY:";
constexpr std::string_view MSG_BOX_PICKUP_OK = "BOX_PICKUP_OK:";
constexpr std::string_view MSG_BOX_TELEPORT = "BOX_TELEPORT:";
constexpr std::string_view MSG_ROUND_START = "ROUND_START:";
constexpr std::string_view MSG_ROUND_END_KILLS = "ROUND_END_KILLS:";
constexpr std::string_view MSG_ROUND_END = "ROUND_END";
constexpr std::string_view MSG_Z_SPAWN = "Z_SPAWN:";
constexpr std::string_view MSG_Z_POS = "Z_POS:";
constexpr std::string_view MSG_Z_HIT = "Z_HIT:";
constexpr std::string_view MSG_Z_DIE = "Z_DIE:";
constexpr std::string_view MSG_PLAYER_HIT = "PLAYER_HIT:";
constexpr std::string_view MSG_RANKING = "RANKING:";
constexpr std::string_view MSG_TEAM_LIST = "TEAM_LIST:";
constexpr std::string_view MSG_TEAM_OK = "TEAM_OK:";
constexpr std::string_view MSG_TEAM_JOIN_OK = "TEAM_JOIN_OK:";
constexpr std::string_view MSG_TEAM_FULL = "TEAM_FULL";
constexpr std::string_view MSG_TEAM_DESTROYED = "TEAM_DESTROYED";
constexpr std::string_view MSG_LEFT_TEAM = "LEFT_TEAM";
constexpr std::string_view MSG_TEAM_MEMBERS = "TEAM_MEMBERS:";
constexpr std::string_view MSG_BONUS_MAX_AMMO = "BONUS_MAX_AMMO";
constexpr std::string_view MSG_BONUS_DOUBLE_POINTS_START = "BONUS_DOUBLE_POINTS_START";
constexpr std::string_view MSG_BONUS_DOUBLE_POINTS_END = "BONUS_DOUBLE_POINTS_END";
constexpr std::string_view MSG_BONUS_INSTANT_KILL_START = "BONUS_INSTANT_KILL_START";
