#include "server/server.h"

#include "server/auth.h"
#include "server/chat.h"
#include "server/fanout.h"
#include "server/instances.h"
#include "server/lobby.h"
#include "server/results.h"
#include "server/session.h"
#include "server/storage.h"
#include "server/teams.h"
#include "server/text.h"

#include "protocol/wire.h"

#include <algorithm>
#include <map>

namespace {

constexpr size_t MAX_PACKET = 1024;
// Connections not logged in yet, from every address together.
constexpr size_t PENDING_TOTAL = 256;
// Refused connections still being told why, beyond players and pending ones.
constexpr size_t CLOSING_ROOM = 64;
// Under pressure, a connection that has not logged in keeps its place this long...
constexpr uint64_t LOGIN_GRACE_MS = 15000;
// ...and in any case no longer than this: a new player types his pseudo,
// address and password into the client while it is connected.
constexpr uint64_t LOGIN_DEADLINE_MS = 5 * 60000;
// A refusal is said alone and the connection ends once it can have been
// heard: the client speaks its own "Serveur deconnecte." over it.
constexpr uint64_t CLOSE_DELAY_MS = 2000;
// Messages that wait for a session's job; more are dropped.
constexpr size_t HELD_MAX = 16;
// Password hashes waiting or running; beyond, the player hears that the server is busy.
constexpr size_t HASH_QUEUE = 32;
// Jobs of the server's own beyond one per connection: a statistics write,
// the listener, a check of the logins, the minute's upkeep.
constexpr size_t SERVER_JOBS = 16;
// At shut-down the last statistics are waited for this long, then a running
// job this long, then both are left behind: SIGTERM ends within 2 s.
constexpr uint64_t RESULTS_FLUSH_WAIT_MS = 1000;
constexpr uint64_t WORKERS_STOP_WAIT_MS = 500;
constexpr uint64_t MAINTENANCE_EVERY_MS = 60000;
// What may wait for one peer. A full lobby sends each player about a hundred
// messages (3 KB) a second, and a healthy peer acknowledges within its round
// trip: this is ten seconds and more of a player's traffic that did not get
// through. Over it for BACKLOG_GRACE_MS in a row, the peer is behind for good;
// BACKLOG_FAR times over, it is not waited for (its queue is memory).
constexpr size_t BACKLOG_MESSAGES = 1024;
constexpr size_t BACKLOG_BYTES = 64 * 1024;
constexpr uint64_t BACKLOG_GRACE_MS = 5000;
constexpr size_t BACKLOG_FAR = 4;

// Run lifetime: reset by serverStart and serverStop.
ServerSettings g_settings;
std::map<uint32_t, Session> g_sessions; // by id; ids grow, so this is connection order
uint32_t g_nextId = 1;
uint64_t g_startMs = 0;
uint64_t g_maintainAt = 0;
uint64_t g_lobbyAt = 0;
uint64_t g_dropped = 0;

using Handler = void (*)(Session&, FieldCursor&, uint64_t, Outbox&);

struct Route {
    Keyword keyword;
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
    for (const Route& r : ROUTES)
        if (matchesKeyword(message, r.keyword)) return &r;
    return nullptr;
}

std::string label(const Session& s) {
    return "#" + std::to_string(s.id) + (s.pseudo.empty() ? "" : " (" + s.pseudo + ")");
}

bool pending(const Session& s) { return s.account == 0 && s.closeAt == 0; }
// A pending connection that asked nothing yet, or whose answer came: it may give way.
bool idle(const Session& s) { return pending(s) && !s.busy && s.held.empty(); }

// The session leaves its game, its team and the lobby.
void leave(Session& s, uint64_t nowMs, Outbox& out) {
    if (s.account == 0) return;
    leaveLobby(s);
    teamsDrop(s, nowMs, out);
    sendToLobby(out, Message(MSG_LOBBY_LEFT).field(s.pseudo), s.id);
    s.account = 0;
}

void dispatch(Session& s, const std::string& message, uint64_t nowMs, Outbox& out) {
    const Route* route = routeOf(message);
    if (s.inGame && !(route && route->inHouse)) return gameMessage(s, message, nowMs, out);
    // Before a login only the two account messages count, and only then.
    if (route == nullptr || route->beforeLogin != (s.account == 0)) return;
    FieldCursor fields = fieldsAfter(message, route->keyword, LineBreak::KEPT);
    route->handler(s, fields, nowMs, out);
}

// What waited for the session's job, in order, until another job starts.
void replayHeld(uint32_t id, uint64_t nowMs, Outbox& out) {
    for (Session* s = findSession(id); s && !s->busy && s->closeAt == 0 && !s->held.empty(); s = findSession(id)) {
        const std::string message = std::move(s->held.front());
        s->held.pop_front();
        dispatch(*s, message, nowMs, out);
    }
}

template <typename Match>
size_t countPending(Match match) {
    size_t n = 0;
    for (const auto& [id, s] : g_sessions) n += pending(s) && match(s);
    return n;
}

template <typename Match>
Session* oldestIdle(Match match) {
    for (auto& [id, s] : g_sessions)
        if (idle(s) && match(s)) return &s;
    return nullptr;
}

// A newcomer that has not logged in. At its address's limit, the oldest idle
// connection of that address gives way: the newest may be a player with his
// login ready. At the limit of all addresses, only one idle past its grace
// gives way: a crowd elsewhere must not push out those still typing.
void admit(Session& s, uint64_t nowMs, Outbox& out) {
    const auto sameAddress = [&](const Session& o) { return o.id != s.id && o.address == s.address; };
    const auto other = [&](const Session& o) { return o.id != s.id; };
    if (countPending(sameAddress) >= g_settings.pendingPerAddress) {
        Session* oldest = oldestIdle(sameAddress);
        if (oldest == nullptr)
            return refuseSession(s.id, "Trop de connexions depuis votre adresse, réessayez dans un instant.", nowMs, out);
        refuseSession(oldest->id, "Connexion fermée : d'autres connexions de votre adresse attendent.", nowMs, out);
    }
    if (countPending(other) >= PENDING_TOTAL) {
        Session* oldest = oldestIdle([&](const Session& o) { return other(o) && nowMs - o.connectedAt >= LOGIN_GRACE_MS; });
        if (oldest == nullptr) return refuseSession(s.id, "Serveur saturé, réessayez dans un instant.", nowMs, out);
        refuseSession(oldest->id, "Connexion fermée faute d'identification : le serveur est saturé.", nowMs, out);
    }
}

// Closes what was refused, once heard, and refuses what waited too long to log in.
void sweep(uint64_t nowMs, Outbox& out) {
    for (auto it = g_sessions.begin(); it != g_sessions.end();) {
        Session& s = it->second;
        if (s.closeAt != 0 && nowMs >= s.closeAt) {
            out.closes.push_back(s.id);
            it = g_sessions.erase(it);
            continue;
        }
        if (idle(s) && nowMs - s.connectedAt >= LOGIN_DEADLINE_MS)
            refuseSession(s.id, "Connexion fermée : aucune identification en 5 minutes.", nowMs, out);
        ++it;
    }
}

// The minute's upkeep: kept statistics tried again, the database kept small,
// the players' logins compared with the other servers'.
void maintain() {
    resultsRetry();
    auto error = std::make_shared<std::string>();
    workersSubmit(
        0, [error] { storageMaintain(*error); },
        [error](uint64_t, Outbox& out) {
            if (!error->empty()) out.log.push_back("entretien de la base impossible : " + *error);
        });
    instancesCheck();
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

uint64_t serverUptimeMs(uint64_t nowMs) { return nowMs - g_startMs; }

void sendTo(Outbox& out, uint32_t session, const Message& message) { out.sends.push_back({session, message.text()}); }

void sayTo(Outbox& out, uint32_t session, std::string_view text) { sendTo(out, session, Message(MSG_SAY).field(text)); }

void announceTo(Outbox& out, uint32_t session, std::string_view text) {
    out.sends.push_back({session, Message(MSG_SAY).field(text).text(), true});
}

void sendToLobby(Outbox& out, const Message& message, uint32_t except) {
    for (Session* s : loggedInPlayers())
        if (!s->inGame && s->id != except) sendTo(out, s->id, message);
}

void refuseSession(uint32_t id, const std::string& reason, uint64_t nowMs, Outbox& out) {
    Session* s = findSession(id);
    if (s == nullptr || s->closeAt != 0) return;
    out.log.push_back("refus : " + label(*s) + " : " + reason);
    const size_t mark = out.sends.size();
    leave(*s, nowMs, out);
    // What leaving would tell the player himself (back to the lobby) is not said: the reason is heard alone.
    out.sends.erase(std::remove_if(out.sends.begin() + static_cast<std::ptrdiff_t>(mark), out.sends.end(),
                                   [id](const GameSend& send) { return send.player == id; }),
                    out.sends.end());
    s->closeAt = nowMs + CLOSE_DELAY_MS;
    s->held.clear();
    s->pacing.waiting.clear();
    sayTo(out, id, reason);
}

bool sessionJob(Session& s, JobWork work, SessionApply apply, bool slow) {
    const uint32_t id = s.id;
    const auto done = [id, apply = std::move(apply)](uint64_t nowMs, Outbox& out) {
        Session* session = findSession(id);
        if (session) session->busy = false;
        apply(session && session->closeAt == 0 ? session : nullptr, nowMs, out);
        replayHeld(id, nowMs, out);
    };
    if (!workersSubmit(id, std::move(work), done, slow)) return false;
    s.busy = true;
    return true;
}

size_t serverConnectionLimit(const ServerSettings& settings) {
    return settings.maxPlayers + PENDING_TOTAL + CLOSING_ROOM;
}

bool serverStart(const ServerSettings& settings, const std::string& dataDir, uint64_t nowMs, std::string* error) {
    serverStop();
    g_settings = settings;
    g_startMs = nowMs;
    g_maintainAt = nowMs + MAINTENANCE_EVERY_MS;
    g_lobbyAt = nowMs;
    authReset(settings);
    resultsReset();
    std::string reason;
    if (!storageOpen(dataDir, settings.database, reason)) {
        if (error) *error = reason;
        return false;
    }
    // One job in flight per connection at most: only hashes, and the server's
    // own jobs beyond SERVER_JOBS, can find the queue full.
    WorkerLimits limits;
    limits.threads = settings.workerThreads;
    limits.slowThreads = settings.hashThreads;
    limits.capacity = serverConnectionLimit(settings) + SERVER_JOBS;
    limits.slowCapacity = HASH_QUEUE;
    workersStart(limits);
    instancesStart(nowMs);
    return true;
}

void serverStop() {
    resultsFlush(RESULTS_FLUSH_WAIT_MS);
    workersStop(WORKERS_STOP_WAIT_MS);
    instancesStop();
    teamsReset();
    fanoutReset();
    g_sessions.clear();
    g_nextId = 1;
    g_dropped = 0;
    authReset(ServerSettings{});
    storageClose();
}

uint32_t serverConnect(const std::string& address, bool testPort, uint64_t nowMs, Outbox& out) {
    if (g_sessions.size() >= serverConnectionLimit(g_settings)) {
        out.log.push_back("refus : plus aucune place, connexion de " + address);
        return 0;
    }
    while (g_nextId == 0 || g_sessions.count(g_nextId)) ++g_nextId;
    const uint32_t id = g_nextId++;
    Session& s = g_sessions[id];
    s.id = id;
    s.address = address;
    s.testPort = testPort;
    s.connectedAt = nowMs;
    s.bucket.at = nowMs;
    out.log.push_back(label(s) + " connexion depuis " + address + (testPort ? " (port de test)" : ""));
    admit(s, nowMs, out);
    return id;
}

void serverDisconnect(uint32_t session, uint64_t nowMs, Outbox& out) {
    Session* s = findSession(session);
    if (s == nullptr) return;
    if (s->closeAt == 0) out.log.push_back(label(*s) + " déconnecté");
    const size_t mark = out.sends.size();
    leave(*s, nowMs, out);
    g_sessions.erase(session);
    pacingFilter(out.sends, mark, nowMs);
}

void serverReceive(uint32_t session, std::string_view packet, uint64_t arrivalMs, uint64_t nowMs, Outbox& out) {
    Session* s = findSession(session);
    if (s == nullptr || s->closeAt != 0) return;
    switch (bucketTake(s->bucket, arrivalMs)) {
    case Flow::PASS: break;
    case Flow::DROP: ++g_dropped; return;
    case Flow::ABUSE:
        ++g_dropped;
        return refuseSession(session, "Vous envoyez beaucoup trop de messages : connexion fermée.", nowMs, out);
    }
    if (packet.size() > MAX_PACKET) return;
    std::string message(packetMessage(packet));
    if (!utf8IsValid(message)) return;
    if (s->busy) {
        if (s->held.size() < HELD_MAX) s->held.push_back(std::move(message));
        return;
    }
    const size_t mark = out.sends.size();
    dispatch(*s, message, nowMs, out);
    pacingFilter(out.sends, mark, nowMs);
}

void serverTick(uint64_t nowMs, Outbox& out) {
    const size_t mark = out.sends.size();
    // An answer may start the session's next job (a login sent with its registration): until none is left.
    for (std::vector<JobApply> ready = workersCollect(); !ready.empty(); ready = workersCollect())
        for (JobApply& apply : ready) apply(nowMs, out);
    instancesPoll(nowMs, out);
    sweep(nowMs, out);
    teamsTick(nowMs, out);
    if (nowMs >= g_lobbyAt) {
        g_lobbyAt = nowMs + g_settings.lobbyTickMs;
        fanoutFlush(out);
    }
    if (nowMs >= g_maintainAt) {
        g_maintainAt = nowMs + MAINTENANCE_EVERY_MS;
        maintain();
    }
    // What waited goes after this pass's own sends, whose spoken lines it must not cut.
    pacingFilter(out.sends, mark, nowMs);
    pacingTick(nowMs, out);
}

void serverBacklog(uint32_t session, size_t messages, size_t bytes, uint64_t nowMs, Outbox& out) {
    Session* s = findSession(session);
    if (s == nullptr || s->closeAt != 0) return;
    if (messages <= BACKLOG_MESSAGES && bytes <= BACKLOG_BYTES) {
        s->behind = false;
        return;
    }
    if (!s->behind) s->behindSince = nowMs;
    s->behind = true;
    const bool far = messages > BACKLOG_FAR * BACKLOG_MESSAGES || bytes > BACKLOG_FAR * BACKLOG_BYTES;
    if (!far && nowMs - s->behindSince < BACKLOG_GRACE_MS) return;
    // Nothing of this pass either: the reason comes right after what the network already holds.
    out.sends.erase(std::remove_if(out.sends.begin(), out.sends.end(),
                                   [session](const GameSend& send) { return send.player == session; }),
                    out.sends.end());
    out.clears.push_back(session);
    const size_t mark = out.sends.size();
    refuseSession(session, "Connexion fermée : votre connexion ne suit plus, trop de messages en attente.", nowMs, out);
    pacingFilter(out.sends, mark, nowMs); // his team hears that he left, in its turn
}

ServerCounts serverCounts() {
    ServerCounts counts;
    counts.players = loggedInPlayers().size();
    counts.connections = g_sessions.size();
    counts.games = teamsPlaying();
    counts.jobs = workersPending();
    counts.dropped = g_dropped;
    return counts;
}
