#include "server/teams.h"

#include "server/lobby.h"
#include "server/results.h"
#include "server/text.h"

#include "protocol/wire.h"

#include <sodium.h>

#include <algorithm>

namespace {

struct Team {
    std::string name;
    std::vector<uint32_t> members; // leader first
    std::unique_ptr<Game> game;    // while it plays
};

// Run lifetime, in creation order.
std::vector<Team> g_teams;

Team* findTeam(std::string_view name) {
    const std::string key = caseKey(name);
    for (Team& t : g_teams)
        if (caseKey(t.name) == key) return &t;
    return nullptr;
}

Team* teamOfSession(const Session& s) { return s.team.empty() ? nullptr : findTeam(s.team); }

Message membersMessage(const Team& t) {
    std::vector<std::string> pseudos;
    for (uint32_t id : t.members) {
        const Session* m = findSession(id);
        pseudos.push_back(m ? m->pseudo : std::string());
    }
    return Message(MSG_TEAM_MEMBERS).list(pseudos);
}

void tellMembers(const Team& t, const Message& message, Outbox& out) {
    for (uint32_t m : t.members) sendTo(out, m, message);
}

// The team's earcon: "team_create", "team_join", "team_leave" or "team_destroy".
Message teamSound(const char* name) { return Message(MSG_PLAY_SOUND).field(name); }

// The statistics keep every finished game, and its players are free again.
void endGame(Team& t, Outbox& out) {
    resultsRecord(gameResults(*t.game));
    for (uint32_t m : t.members)
        if (Session* member = findSession(m); member && member->inGame) enterLobby(*member);
    t.game.reset();
    out.log.push_back("partie terminée pour l'équipe " + t.name);
}

// The player leaves his team; the next member leads, an empty team is gone.
// Those who stay hear who left, and who leads now when it was the leader.
void leave(Session& s, Outbox& out) {
    Team* t = teamOfSession(s);
    s.team.clear();
    if (t == nullptr) return;
    const bool ledIt = t->members.front() == s.id;
    t->members.erase(std::remove(t->members.begin(), t->members.end(), s.id), t->members.end());
    if (t->members.empty()) {
        if (t->game) endGame(*t, out);
        g_teams.erase(g_teams.begin() + (t - g_teams.data()));
        return;
    }
    tellMembers(*t, teamSound("team_leave"), out);
    tellMembers(*t, membersMessage(*t), out);
    const Session* leader = findSession(t->members.front());
    for (uint32_t m : t->members) {
        std::string news = s.pseudo + " a quitté l'équipe.";
        if (ledIt && leader) news += m == leader->id ? " Vous la dirigez désormais." : " " + leader->pseudo + " la dirige désormais.";
        announceTo(out, m, news);
    }
}

// Its list of teams must read back into a name: no separator, no " (" before
// the count, no blank at either end.
bool validTeamName(const std::string& name) {
    const size_t n = utf8CountChars(name);
    return n >= 1 && n <= 64 && isPrintableUtf8(name) && name.find('|') == std::string::npos &&
           name.find(" (") == std::string::npos && name.front() != ' ' && name.back() != ' ';
}

} // namespace

void handleCreateTeam(Session& s, FieldCursor& fields, uint64_t, Outbox& out) {
    const std::string name = readRest(fields);
    if (!s.team.empty()) return sayTo(out, s.id, "Vous êtes déjà dans une équipe.");
    if (!validTeamName(name)) return sayTo(out, s.id, "Nom d'équipe invalide.");
    if (findTeam(name)) return sayTo(out, s.id, "Ce nom d'équipe est déjà pris.");
    g_teams.push_back({name, {s.id}, nullptr});
    s.team = name;
    sendTo(out, s.id, teamSound("team_create"));
    sendTo(out, s.id, Message(MSG_TEAM_OK).field(name));
    sendTo(out, s.id, membersMessage(g_teams.back()));
}

void handleGetTeams(Session& s, FieldCursor&, uint64_t, Outbox& out) {
    std::vector<std::string> teams;
    for (const Team& t : g_teams) teams.push_back(t.name + " (" + std::to_string(t.members.size()) + "/4)");
    sendTo(out, s.id, Message(MSG_TEAM_LIST).list(teams));
}

void handleJoinTeam(Session& s, FieldCursor& fields, uint64_t, Outbox& out) {
    if (!s.team.empty()) return sayTo(out, s.id, "Vous êtes déjà dans une équipe.");
    Team* t = findTeam(readRest(fields));
    if (t == nullptr) return sayTo(out, s.id, "Cette équipe n'existe plus.");
    if (t->members.size() >= TEAM_MAX) return sendTo(out, s.id, MSG_TEAM_FULL);
    if (t->game) return sayTo(out, s.id, "Cette équipe est en partie.");
    t->members.push_back(s.id);
    s.team = t->name;
    tellMembers(*t, teamSound("team_join"), out);
    sendTo(out, s.id, Message(MSG_TEAM_JOIN_OK).field(t->name));
    tellMembers(*t, membersMessage(*t), out);
    for (uint32_t m : t->members)
        if (m != s.id) announceTo(out, m, s.pseudo + " a rejoint l'équipe.");
}

void handleLeaveTeam(Session& s, FieldCursor&, uint64_t, Outbox& out) {
    if (s.team.empty()) return sayTo(out, s.id, "Vous n'êtes dans aucune équipe.");
    leave(s, out);
    sendTo(out, s.id, teamSound("team_leave"));
    sendTo(out, s.id, MSG_LEFT_TEAM);
}

void handleDestroyTeam(Session& s, FieldCursor&, uint64_t, Outbox& out) {
    Team* t = teamOfSession(s);
    if (t == nullptr) return sayTo(out, s.id, "Vous n'êtes dans aucune équipe.");
    if (t->members.front() != s.id) return sayTo(out, s.id, "Seul le chef peut dissoudre l'équipe.");
    if (t->game) return sayTo(out, s.id, "Votre équipe est en partie.");
    for (uint32_t m : t->members)
        if (Session* member = findSession(m)) member->team.clear();
    tellMembers(*t, teamSound("team_destroy"), out);
    tellMembers(*t, MSG_TEAM_DESTROYED, out);
    g_teams.erase(g_teams.begin() + (t - g_teams.data()));
}

void handleGetTeamMembers(Session& s, FieldCursor& fields, uint64_t, Outbox& out) {
    const Team* t = findTeam(readRest(fields));
    if (t == nullptr) return sayTo(out, s.id, "Cette équipe n'existe plus.");
    // The client takes any member list for its own team's: another team's is told in words.
    if (t == teamOfSession(s)) return sendTo(out, s.id, membersMessage(*t));
    std::vector<std::string> names;
    for (uint32_t m : t->members)
        if (const Session* member = findSession(m)) names.push_back(member->pseudo);
    sayTo(out, s.id, "Équipe " + t->name + " : " + frenchList(names) + ".");
}

void handleStartGame(Session& s, FieldCursor&, uint64_t nowMs, Outbox& out) {
    Team* t = teamOfSession(s);
    if (t == nullptr) return sayTo(out, s.id, "Vous n'êtes dans aucune équipe.");
    if (t->members.front() != s.id) return sayTo(out, s.id, "Seul le chef peut lancer la partie.");
    if (t->game) return sayTo(out, s.id, "Votre équipe est déjà en partie.");
    std::vector<GameMember> members;
    for (uint32_t m : t->members)
        if (const Session* member = findSession(m)) members.push_back({m, member->pseudo});
    t->game = gameCreate(members, nowMs, randombytes_random(), out.sends);
    if (!t->game) return tellMembers(*t, Message(MSG_SAY).field("Les parties ne sont pas encore ouvertes."), out);
    for (uint32_t m : t->members)
        if (Session* member = findSession(m)) {
            member->inGame = true;
            leaveLobby(*member);
        }
    out.log.push_back("partie lancée par l'équipe " + t->name);
}

std::vector<uint32_t> teamOf(const Session& s) {
    const Team* t = teamOfSession(s);
    return t ? t->members : std::vector<uint32_t>{};
}

void gameMessage(Session& s, const std::string& message, uint64_t nowMs, Outbox& out) {
    Team* t = teamOfSession(s);
    if (t == nullptr || !t->game) return enterLobby(s);
    if (matchesKeyword(message, MSG_LEAVE_MAISON)) {
        gameRemovePlayer(*t->game, s.id, nowMs, out.sends);
        return enterLobby(s);
    }
    gameHandle(*t->game, s.id, message, nowMs, out.sends);
}

void teamsDrop(Session& s, uint64_t nowMs, Outbox& out) {
    Team* t = teamOfSession(s);
    if (t && t->game && s.inGame) gameRemovePlayer(*t->game, s.id, nowMs, out.sends);
    s.inGame = false;
    leave(s, out);
}

void teamsTick(uint64_t nowMs, Outbox& out) {
    for (Team& t : g_teams) {
        if (!t.game) continue;
        gameTick(*t.game, nowMs, out.sends);
        if (gameFinished(*t.game)) endGame(t, out);
    }
}

size_t teamsPlaying() {
    size_t playing = 0;
    for (const Team& t : g_teams) playing += t.game != nullptr;
    return playing;
}

void teamsReset() { g_teams.clear(); }
