#include "server/server.h"

#include "server/accounts.h"
#include "server/auth.h"
#include "server/chat.h"
#include "server/lobby.h"
#include "server/session.h"
#include "server/teams.h"
#include "server/text.h"

#include "protocol/keywords.h"

#include <map>

namespace {

constexpr size_t MAX_PACKET = 1024;
constexpr size_t FLOOD_PER_SECOND = 50;

// Run lifetime: reset by serverStart and serverStop.
ServerSettings g_settings;
std::map<uint32_t, Session> g_sessions; // by id; ids only grow, so this is connection order
uint32_t g_nextId = 1;
uint64_t g_uptimeMs = 0;
uint32_t g_lastNow = 0;

using Handler = void (*)(Session&, std::string_view, uint32_t, Outbox&);

struct Route {
    std::string_view keyword; // ending in ':' when fields follow, else the whole message
    Handler handler;
    bool beforeLogin; // acted on before a login (and only those are)
    bool inHouse;     // kept by the shell while the player is in a game
};

// Anything else is unknown and ignored; in the house it belongs to the game.
const Route ROUTES[] = {
    {MSG_AUTH_REGISTER, handleRegister, true, false},
    {MSG_AUTH_LOGIN, handleLogin, true, false},
    {MSG_CHAT_RADIO, handleChatRadio, false, true},
    {MSG_CHAT_TEAM, handleChatTeam, false, true},
    {MSG_CHAT_MP, handleChatPrivate, false, true},
    {MSG_MOVE, handleMove, false, false},
    {MSG_CHECK_HEALTH, handleCheckHealth, false, false},
    {MSG_REQ_PLAYERS, handlePlayers, false, false},
    {MSG_PING, handlePing, false, false},
    {MSG_REQ_UPTIME, handleUptime, false, false},
    {MSG_REQ_RANKING, handleRanking, false, false},
    {MSG_CREATE_TEAM, handleCreateTeam, false, false},
    {MSG_GET_TEAMS, handleGetTeams, false, false},
    {MSG_JOIN_TEAM, handleJoinTeam, false, false},
    {MSG_LEAVE_TEAM, handleLeaveTeam, false, false},
    {MSG_DESTROY_TEAM, handleDestroyTeam, false, false},
    {MSG_GET_TEAM_MEMBERS, handleGetTeamMembers, false, false},
    {MSG_START_GAME, handleStartGame, false, false},
};

const Route* routeOf(std::string_view message) {
    for (const Route& r : ROUTES) {
        const std::string_view k = r.keyword;
        if (k.back() == ':' ? message.substr(0, k.size()) == k : message == k) return &r;
    }
    return nullptr;
}

void advanceClock(uint32_t nowMs) {
    g_uptimeMs += static_cast<uint32_t>(nowMs - g_lastNow);
    g_lastNow = nowMs;
}

std::string label(const Session& s) {
    return "#" + std::to_string(s.id) + (s.pseudo.empty() ? "" : " (" + s.pseudo + ")");
}

// Everything a session leaves behind: its game, its team, its place in the lobby.
void forget(uint32_t id, uint32_t nowMs, Outbox& out, const std::string& why) {
    auto it = g_sessions.find(id);
    if (it == g_sessions.end()) return;
    Session& s = it->second;
    out.log.push_back(label(s) + " déconnecté" + (why.empty() ? "" : " : " + why));
    if (s.account != 0) {
        teamsDrop(s, nowMs, out);
        sendToLobby(out, "LOBBY_LEFT:" + s.pseudo, s.id);
    }
    g_sessions.erase(it);
}

// More than 50 messages in the last second.
bool flooding(Session& s, uint32_t nowMs) {
    while (!s.recent.empty() && static_cast<uint32_t>(nowMs - s.recent.front()) >= 1000) s.recent.pop_front();
    s.recent.push_back(nowMs);
    return s.recent.size() > FLOOD_PER_SECOND;
}

} // namespace

Session* findSession(uint32_t id) {
    auto it = g_sessions.find(id);
    return it == g_sessions.end() ? nullptr : &it->second;
}

Session* findPlayer(std::string_view pseudo) {
    const std::string key = caseKey(pseudo);
    for (auto& [id, s] : g_sessions)
        if (s.account != 0 && caseKey(s.pseudo) == key) return &s;
    return nullptr;
}

std::vector<Session*> loggedInPlayers() {
    std::vector<Session*> players;
    for (auto& [id, s] : g_sessions)
        if (s.account != 0) players.push_back(&s);
    return players;
}

uint64_t serverUptimeMs(uint32_t nowMs) { return g_uptimeMs + static_cast<uint32_t>(nowMs - g_lastNow); }

void sendTo(Outbox& out, uint32_t session, std::string text) { out.sends.push_back({session, std::move(text)}); }

void sendToLobby(Outbox& out, const std::string& text, uint32_t except) {
    for (Session* s : loggedInPlayers())
        if (!s->inGame && s->id != except) sendTo(out, s->id, text);
}

void closeSession(uint32_t id, uint32_t nowMs, Outbox& out) {
    if (!findSession(id)) return;
    forget(id, nowMs, out, "fermé par le serveur");
    out.closes.push_back(id);
}

bool serverStart(const ServerSettings& settings, const std::string& dataDir, uint32_t nowMs) {
    serverStop();
    g_settings = settings;
    g_lastNow = nowMs;
    authReset(settings.testPassword);
    return accountsOpen(dataDir);
}

void serverStop() {
    teamsReset();
    g_sessions.clear();
    g_nextId = 1;
    g_uptimeMs = 0;
    authReset({});
    accountsClose();
}

uint32_t serverConnect(const std::string& address, bool testPort, uint32_t nowMs, Outbox& out) {
    advanceClock(nowMs);
    if (g_sessions.size() >= g_settings.maxPlayers) {
        out.log.push_back("refus : serveur complet, connexion de " + address);
        return 0;
    }
    if (g_nextId == 0) g_nextId = 1;
    const uint32_t id = g_nextId++;
    Session& s = g_sessions[id];
    s.id = id;
    s.address = address;
    s.testPort = testPort;
    out.log.push_back(label(s) + " connexion depuis " + address + (testPort ? " (port de test)" : ""));
    return id;
}

void serverDisconnect(uint32_t session, uint32_t nowMs, Outbox& out) {
    advanceClock(nowMs);
    forget(session, nowMs, out, {});
}

void serverReceive(uint32_t session, std::string_view packet, uint32_t nowMs, Outbox& out) {
    advanceClock(nowMs);
    Session* s = findSession(session);
    if (s == nullptr) return;
    if (flooding(*s, nowMs)) {
        out.log.push_back("refus : " + label(*s) + " envoie plus de 50 messages par seconde");
        closeSession(session, nowMs, out);
        return;
    }
    if (packet.size() > MAX_PACKET) return;
    const std::string message(packet.substr(0, packet.find('\0')));
    if (!utf8IsValid(message)) return;
    const Route* route = routeOf(message);
    if (s->inGame && !(route && route->inHouse)) {
        gameMessage(*s, message, nowMs, out);
        return;
    }
    // Before a login only the two account messages count, and only then.
    if (route == nullptr || route->beforeLogin != (s->account == 0)) return;
    route->handler(*s, std::string_view(message).substr(route->keyword.size()), nowMs, out);
}

void serverTick(uint32_t nowMs, Outbox& out) {
    advanceClock(nowMs);
    teamsTick(nowMs, out);
}
