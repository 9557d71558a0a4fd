#include "server/lobby.h"

#include "server/fanout.h"
#include "server/storage.h"
#include "server/text.h"

#include "protocol/wire.h"

#include <memory>

namespace {

std::string plural(uint64_t n, const char* unit) {
    return std::to_string(n) + " " + unit + (n > 1 ? "s" : "");
}

const char* const RANKING_UNAVAILABLE = "Classement indisponible, réessayez plus tard.";

} // namespace

void enterLobby(Session& s) {
    s.x = 0;
    s.y = 0;
    s.inGame = false;
    s.pacing.waiting.clear(); // news of the game left behind
    fanoutEnter(s.id, s.pseudo, s.x, s.y);
}

void leaveLobby(Session& s) { fanoutLeave(s.id); }

void handleMove(Session& s, FieldCursor& fields, uint64_t, Outbox& out) {
    const std::string way = readRest(fields);
    int dx = 0, dy = 0;
    if (way == "Z") dy = 1;
    else if (way == "S") dy = -1;
    else if (way == "Q") dx = -1;
    else if (way == "D") dx = 1;
    else return;
    const int x = s.x + dx, y = s.y + dy;
    if (x < LOBBY_MIN || x > LOBBY_MAX || y < LOBBY_MIN || y > LOBBY_MAX) return sendTo(out, s.id, MSG_WALL);
    s.x = x;
    s.y = y;
    sendTo(out, s.id, Message(MSG_POS).tile(x, y));
    fanoutMove(s.id, x, y);
}

void handleCheckHealth(Session& s, FieldCursor&, uint64_t, Outbox& out) {
    // Nothing hurts in the lobby.
    sendTo(out, s.id, Message(MSG_HEALTH_MSG).field("100 points de vie sur 100."));
}

void handlePlayers(Session& s, FieldCursor&, uint64_t, Outbox& out) {
    std::vector<std::string> names;
    for (Session* p : loggedInPlayers()) names.push_back(p->pseudo);
    sendTo(out, s.id,
           Message(MSG_PLAYERS_LIST).field(plural(names.size(), "joueur") + " en ligne : " + frenchList(names) + "."));
}

void handlePing(Session& s, FieldCursor& fields, uint64_t, Outbox& out) {
    // The client's 32-bit tick count, echoed byte for byte: leading zeros kept, but not past ten digits.
    const std::string tick = readRest(fields);
    FieldCursor digits{tick};
    uint32_t value = 0;
    if (tick.size() > 10 || !readUint32(digits, value) || digits.pos != tick.size()) return;
    sendTo(out, s.id, Message(MSG_PONG).field(tick));
}

void handleUptime(Session& s, FieldCursor&, uint64_t nowMs, Outbox& out) {
    const uint64_t seconds = serverUptimeMs(nowMs) / 1000;
    const uint64_t parts[] = {seconds / 86400, seconds / 3600 % 24, seconds / 60 % 60, seconds % 60};
    const char* units[] = {"jour", "heure", "minute", "seconde"};
    std::vector<std::string> said;
    for (int i = 0; i < 4; ++i)
        if (parts[i] > 0) said.push_back(plural(parts[i], units[i]));
    if (said.empty()) said.push_back("0 seconde");
    sendTo(out, s.id, Message(MSG_UPTIME).field("Serveur en ligne depuis " + frenchList(said) + "."));
}

void handleRanking(Session& s, FieldCursor& fields, uint64_t, Outbox& out) {
    const std::string asked = readRest(fields);
    RankingKind kind;
    if (asked == RANKING_POINTS) kind = RankingKind::POINTS;
    else if (asked == RANKING_KILLS) kind = RankingKind::KILLS;
    else if (asked == RANKING_ROUND) kind = RankingKind::ROUND;
    else return;
    auto found = std::make_shared<std::vector<RankingEntry>>();
    auto error = std::make_shared<std::string>();
    auto read = std::make_shared<bool>(false);
    const bool queued = sessionJob(
        s, [=] { *read = storageRanking(kind, 10, *found, *error); },
        [=](Session* session, uint64_t, Outbox& out) {
            if (session == nullptr) return;
            if (!*read) {
                out.log.push_back("classement illisible : " + *error);
                return sendTo(out, session->id, Message(MSG_SAY).field(RANKING_UNAVAILABLE));
            }
            std::vector<std::string> entries;
            for (const RankingEntry& e : *found)
                entries.push_back(std::to_string(entries.size() + 1) + ";" + e.pseudo + ";" + std::to_string(e.value));
            sendTo(out, session->id, Message(MSG_RANKING).field(asked).list(entries));
        });
    if (!queued) sendTo(out, s.id, Message(MSG_SAY).field(SERVER_BUSY));
}
