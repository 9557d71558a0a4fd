#include "net/outgoing.h"

#include "net/connection.h"
#include "platform/clock.h"

void sendAuthLogin(const PlayerProfile& profile, const std::string& passHash, const std::string& accessPass) {
    sendRequest("AUTH_LOGIN:" + profile.email + ":" + passHash + ":" + accessPass);
}

void sendAuthRegister(const std::string& emailHash, const std::string& username, const std::string& passHash,
                      const std::string& gender) {
    sendRequest("AUTH_REGISTER:" + emailHash + ":" + username + ":" + passHash + ":" + gender);
}

void requestMove(char letter) { sendRequest(std::string("MOVE:") + letter); }
void sendShoot() { sendRequest("SHOOT"); }
void sendReload() { sendRequest("RELOAD"); }
void sendCheckAmmo() { sendRequest("CHECK_AMMO"); }
void sendCheckHealth() { sendRequest("CHECK_HEALTH"); }
void sendSwitchWeapon(int slot) { sendRequest("SWITCH:" + std::to_string(slot)); }
void sendAction() { sendRequest("ACTION"); }

void sendCreateTeam(const std::string& name) { sendRequest("CREATE_TEAM:" + name); }
void sendJoinTeam(const std::string& name) { sendRequest("JOIN_TEAM:" + name); }
void sendGetTeams() { sendRequest("GET_TEAMS"); }
void sendGetTeamMembers(const std::string& name) { sendRequest("GET_TEAM_MEMBERS:" + name); }
void sendDestroyTeam() { sendRequest("DESTROY_TEAM"); }
void sendLeaveTeam() { sendRequest("LEAVE_TEAM"); }
void sendStartGame() { sendRequest("START_GAME"); }
void sendLeaveMaison() { sendRequest("LEAVE_MAISON"); }

void handleF1() { sendRequest("REQ_PLAYERS"); }
void handleF2() { sendRequest("PING:" + std::to_string(platform::tickCount())); }
void handleF3() { sendRequest("REQ_UPTIME"); }

void sendGetMember(int index) { sendRequest("GET_MEMBER:" + std::to_string(index)); }
