#include "net/outgoing.h"

#include "net/connection.h"
#include "platform/clock.h"

void sendAuthLogin(const PlayerProfile& profile, const std::string& passHash, const std::string& accessPass) {
    sendMessage(Message(MSG_AUTH_LOGIN).field(profile.email).field(passHash).field(accessPass));
}

void sendAuthRegister(const std::string& emailHash, const std::string& username, const std::string& passHash,
                      const std::string& gender) {
    sendMessage(Message(MSG_AUTH_REGISTER).field(emailHash).field(username).field(passHash).field(gender));
}

void requestMove(char letter) { sendMessage(Message(MSG_MOVE).field(std::string(1, letter))); }
void sendShoot() { sendMessage(MSG_SHOOT); }
void sendReload() { sendMessage(MSG_RELOAD); }
void sendCheckAmmo() { sendMessage(MSG_CHECK_AMMO); }
void sendCheckHealth() { sendMessage(MSG_CHECK_HEALTH); }
void sendSwitchWeapon(int slot) { sendMessage(Message(MSG_SWITCH).number(slot)); }
void sendAction() { sendMessage(MSG_ACTION); }
void sendRevive() { sendMessage(MSG_REVIVE); }
void sendRequestBox() { sendMessage(MSG_REQ_BOX); }
void sendRequestRound() { sendMessage(MSG_REQ_ROUND); }
void sendRequestKills() { sendMessage(MSG_REQ_KILLS); }
void sendRequestPoints() { sendMessage(MSG_REQ_POINTS); }

void sendCreateTeam(const std::string& name) { sendMessage(Message(MSG_CREATE_TEAM).field(name)); }
void sendJoinTeam(const std::string& name) { sendMessage(Message(MSG_JOIN_TEAM).field(name)); }
void sendGetTeams() { sendMessage(MSG_GET_TEAMS); }
void sendGetTeamMembers(const std::string& name) { sendMessage(Message(MSG_GET_TEAM_MEMBERS).field(name)); }
void sendDestroyTeam() { sendMessage(MSG_DESTROY_TEAM); }
void sendLeaveTeam() { sendMessage(MSG_LEAVE_TEAM); }
void sendStartGame() { sendMessage(MSG_START_GAME); }
void sendLeaveMaison() { sendMessage(MSG_LEAVE_MAISON); }
void sendRequestRanking(std::string_view type) { sendMessage(Message(MSG_REQ_RANKING).field(type)); }

void handleF1() { sendMessage(MSG_REQ_PLAYERS); }
void handleF2() { sendMessage(Message(MSG_PING).number(platform::tickCount())); }
void handleF3() { sendMessage(MSG_REQ_UPTIME); }

void sendGetMember(int index) { sendMessage(Message(MSG_GET_MEMBER).number(index)); }

void sendChatRadio(const std::string& text) { sendMessage(Message(MSG_CHAT_RADIO).field(text)); }
void sendChatTeam(const std::string& text) { sendMessage(Message(MSG_CHAT_TEAM).field(text)); }
void sendChatMp(const std::string& pseudo, const std::string& text) {
    sendMessage(Message(MSG_CHAT_MP).field(pseudo).field(text));
}
