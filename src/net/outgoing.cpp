#include "net/outgoing.h"

#include "net/connection.h"
#include "platform/clock.h"
#include "protocol/keywords.h"
#include "protocol/messages.h"

namespace {
void send(std::string_view keyword) { sendRequest(std::string(keyword)); }
} // namespace

void sendAuthLogin(const PlayerProfile& profile, const std::string& passHash, const std::string& accessPass) {
    sendRequest(composeAuthLogin(profile.email, passHash, accessPass));
}

void sendAuthRegister(const std::string& emailHash, const std::string& username, const std::string& passHash,
                      const std::string& gender) {
    sendRequest(composeAuthRegister(emailHash, username, passHash, gender));
}

void requestMove(char letter) { sendRequest(composeMessage(MSG_MOVE, std::string(1, letter))); }
void sendShoot() { send(MSG_SHOOT); }
void sendReload() { send(MSG_RELOAD); }
void sendCheckAmmo() { send(MSG_CHECK_AMMO); }
void sendCheckHealth() { send(MSG_CHECK_HEALTH); }
void sendSwitchWeapon(int slot) { sendRequest(composeNumber(MSG_SWITCH, slot)); }
void sendAction() { send(MSG_ACTION); }

void sendCreateTeam(const std::string& name) { sendRequest(composeMessage(MSG_CREATE_TEAM, name)); }
void sendJoinTeam(const std::string& name) { sendRequest(composeMessage(MSG_JOIN_TEAM, name)); }
void sendGetTeams() { send(MSG_GET_TEAMS); }
void sendGetTeamMembers(const std::string& name) { sendRequest(composeMessage(MSG_GET_TEAM_MEMBERS, name)); }
void sendDestroyTeam() { send(MSG_DESTROY_TEAM); }
void sendLeaveTeam() { send(MSG_LEAVE_TEAM); }
void sendStartGame() { send(MSG_START_GAME); }
void sendLeaveMaison() { send(MSG_LEAVE_MAISON); }

void handleF1() { send(MSG_REQ_PLAYERS); }
void handleF2() { sendRequest(composeNumber(MSG_PING, platform::tickCount())); }
void handleF3() { send(MSG_REQ_UPTIME); }

void sendGetMember(int index) { sendRequest(composeNumber(MSG_GET_MEMBER, index)); }

void sendChatRadio(const std::string& text) { sendRequest(composeMessage(MSG_CHAT_RADIO, text)); }
void sendChatTeam(const std::string& text) { sendRequest(composeMessage(MSG_CHAT_TEAM, text)); }
void sendChatMp(const std::string& pseudo, const std::string& text) { sendRequest(composeChatMp(pseudo, text)); }
