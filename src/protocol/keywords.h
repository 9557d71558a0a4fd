#pragma once
// Every keyword of the game protocol, once. A message is one text: the
// keyword, then its fields; a keyword ending in ':' takes fields, one
// without ':' stands alone. Client and server both build on these.
#include <string_view>

// A keyword is made here only: code elsewhere names the constants below, so
// a misspelt keyword does not compile.
class Keyword {
public:
    constexpr explicit Keyword(std::string_view text) : text_(text) {}
    constexpr std::string_view text() const { return text_; }
    // Fields follow a keyword that ends in ':'.
    constexpr bool takesFields() const { return !text_.empty() && text_.back() == ':'; }
    friend constexpr bool operator==(Keyword a, Keyword b) { return a.text_ == b.text_; }

private:
    std::string_view text_;
};

// --- client to server

constexpr Keyword MSG_AUTH_LOGIN{"AUTH_LOGIN:"};       // e-mail ':' password hash ':' access pass
constexpr Keyword MSG_AUTH_REGISTER{"AUTH_REGISTER:"}; // e-mail hash ':' pseudo ':' password hash ':' gender
constexpr Keyword MSG_MOVE{"MOVE:"};                   // 'Z' up, 'S' down, 'Q' left, 'D' right
constexpr Keyword MSG_SHOOT{"SHOOT"};
constexpr Keyword MSG_RELOAD{"RELOAD"};
constexpr Keyword MSG_CHECK_AMMO{"CHECK_AMMO"};
constexpr Keyword MSG_CHECK_HEALTH{"CHECK_HEALTH"};
constexpr Keyword MSG_SWITCH{"SWITCH:"}; // slot 0 to 2
constexpr Keyword MSG_ACTION{"ACTION"};
constexpr Keyword MSG_REVIVE{"REVIVE"};
constexpr Keyword MSG_REQ_ROUND{"REQ_ROUND"};
constexpr Keyword MSG_REQ_KILLS{"REQ_KILLS"};
constexpr Keyword MSG_REQ_POINTS{"REQ_POINTS"};
constexpr Keyword MSG_REQ_BOX{"REQ_BOX"};
constexpr Keyword MSG_GET_MEMBER{"GET_MEMBER:"}; // member index 0 to 4
constexpr Keyword MSG_CREATE_TEAM{"CREATE_TEAM:"};
constexpr Keyword MSG_JOIN_TEAM{"JOIN_TEAM:"};
constexpr Keyword MSG_GET_TEAMS{"GET_TEAMS"};
constexpr Keyword MSG_GET_TEAM_MEMBERS{"GET_TEAM_MEMBERS:"};
constexpr Keyword MSG_DESTROY_TEAM{"DESTROY_TEAM"};
constexpr Keyword MSG_LEAVE_TEAM{"LEAVE_TEAM"};
constexpr Keyword MSG_START_GAME{"START_GAME"};
constexpr Keyword MSG_LEAVE_MAISON{"LEAVE_MAISON"};
constexpr Keyword MSG_REQ_RANKING{"REQ_RANKING:"}; // "POINTS", "KILLS" or "ROUND"
constexpr Keyword MSG_REQ_PLAYERS{"REQ_PLAYERS"};
constexpr Keyword MSG_PING{"PING:"}; // the sender's tick count, echoed by PONG:
constexpr Keyword MSG_REQ_UPTIME{"REQ_UPTIME"};
constexpr Keyword MSG_CHAT_RADIO{"CHAT_RADIO:"};
constexpr Keyword MSG_CHAT_TEAM{"CHAT_TEAM:"};
constexpr Keyword MSG_CHAT_MP{"CHAT_MP:"}; // pseudo ':' text

// The rankings a REQ_RANKING: asks for, and RANKING: names.
constexpr std::string_view RANKING_POINTS = "POINTS";
constexpr std::string_view RANKING_KILLS = "KILLS";
constexpr std::string_view RANKING_ROUND = "ROUND";

// --- server to client

constexpr Keyword MSG_SAY{"SAY:"};
constexpr Keyword MSG_PLAY_SOUND{"PLAY_SOUND:"};
constexpr Keyword MSG_SECOND_CHANCE_READY{"SECOND_CHANCE_READY"};
constexpr Keyword MSG_CHAT_RADIO_FROM{"CHAT_RADIO_FROM:"};
constexpr Keyword MSG_CHAT_TEAM_FROM{"CHAT_TEAM_FROM:"};
constexpr Keyword MSG_CHAT_MP_FROM{"CHAT_MP_FROM:"};
constexpr Keyword MSG_CHAT_MP_TO{"CHAT_MP_TO:"};
constexpr Keyword MSG_AUTH_OK{"AUTH_OK"};
constexpr Keyword MSG_AUTH_FAIL{"AUTH_FAIL:"};
constexpr Keyword MSG_REGISTER_OK{"REGISTER_OK"};
constexpr Keyword MSG_REGISTER_FAIL{"REGISTER_FAIL:"};
constexpr Keyword MSG_USERNAME_OK{"USERNAME_OK:"};
constexpr Keyword MSG_USERNAME_FAIL{"USERNAME_FAIL:"};
constexpr Keyword MSG_LOBBY_JOIN{"LOBBY_JOIN:"};
constexpr Keyword MSG_LOBBY_LEFT{"LOBBY_LEFT:"};
constexpr Keyword MSG_PLAYERS_LIST{"PLAYERS_LIST:"};
constexpr Keyword MSG_UPTIME{"UPTIME:"};
constexpr Keyword MSG_PONG{"PONG:"};
constexpr Keyword MSG_START_MAISON{"START_MAISON"};
constexpr Keyword MSG_GOTO_LOBBY{"GOTO_LOBBY"};
constexpr Keyword MSG_POS{"POS:"};
constexpr Keyword MSG_REMOTE_MOVE{"REMOTE_MOVE:"};
constexpr Keyword MSG_GAME_OVER_SIGNAL{"GAME_OVER_SIGNAL"};
constexpr Keyword MSG_STATS{"STATS:"};
constexpr Keyword MSG_PLAYER_DOWN{"PLAYER_DOWN:"};
constexpr Keyword MSG_YOU_DIED{"YOU_DIED"};
constexpr Keyword MSG_REVIVED{"REVIVED"};
constexpr Keyword MSG_POTION_BOUGHT{"POTION_BOUGHT"};
constexpr Keyword MSG_SHOOT_OK{"SHOOT_OK:"};
constexpr Keyword MSG_REMOTE_SHOOT{"REMOTE_SHOOT:"};
constexpr Keyword MSG_SHOOT_FAIL{"SHOOT_FAIL:"};
constexpr Keyword MSG_RELOAD_OK{"RELOAD_OK:"};
constexpr Keyword MSG_SWITCH_OK{"SWITCH_OK:"};
constexpr Keyword MSG_AMMO_MSG{"AMMO_MSG:"};
constexpr Keyword MSG_HEALTH_MSG{"HEALTH_MSG:"};
constexpr Keyword MSG_WALL{"WALL"};
constexpr Keyword MSG_DOOR_CLOSED{"DOOR_CLOSED:"};
constexpr Keyword MSG_DOOR_OPENED{"DOOR_OPENED:"};
constexpr Keyword MSG_EPEE_PICKUP_OK{"EPEE_PICKUP_OK"};
constexpr Keyword MSG_BOX_OPENING_START{"BOX_OPENING_START:"};
constexpr Keyword MSG_BOX_SPAWN{"BOX_SPAWN:"};
constexpr Keyword MSG_BOX_DESPAWN{"BOX_DESPAWN"};
constexpr Keyword MSG_BOX_HIDDEN{"BOX_HIDDEN:"};
constexpr Keyword MSG_BOX_READY{"BOX_READY:"};
constexpr Keyword MSG_BOX_PICKUP_OK{"BOX_PICKUP_OK:"};
constexpr Keyword MSG_BOX_TELEPORT{"BOX_TELEPORT:"};
constexpr Keyword MSG_ROUND_START{"ROUND_START:"};
constexpr Keyword MSG_ROUND_END_KILLS{"ROUND_END_KILLS:"};
constexpr Keyword MSG_ROUND_END{"ROUND_END"};
constexpr Keyword MSG_Z_SPAWN{"Z_SPAWN:"};
constexpr Keyword MSG_Z_POS{"Z_POS:"};
constexpr Keyword MSG_Z_HIT{"Z_HIT:"};
constexpr Keyword MSG_Z_DIE{"Z_DIE:"};
constexpr Keyword MSG_PLAYER_HIT{"PLAYER_HIT:"};
constexpr Keyword MSG_RANKING{"RANKING:"};
constexpr Keyword MSG_TEAM_LIST{"TEAM_LIST:"};
constexpr Keyword MSG_TEAM_OK{"TEAM_OK:"};
constexpr Keyword MSG_TEAM_JOIN_OK{"TEAM_JOIN_OK:"};
constexpr Keyword MSG_TEAM_FULL{"TEAM_FULL"};
constexpr Keyword MSG_TEAM_DESTROYED{"TEAM_DESTROYED"};
constexpr Keyword MSG_LEFT_TEAM{"LEFT_TEAM"};
constexpr Keyword MSG_TEAM_MEMBERS{"TEAM_MEMBERS:"};
constexpr Keyword MSG_BONUS_MAX_AMMO{"BONUS_MAX_AMMO"};
constexpr Keyword MSG_BONUS_DOUBLE_POINTS_START{"BONUS_DOUBLE_POINTS_START"};
constexpr Keyword MSG_BONUS_DOUBLE_POINTS_END{"BONUS_DOUBLE_POINTS_END"};
constexpr Keyword MSG_BONUS_INSTANT_KILL_START{"BONUS_INSTANT_KILL_START"};
