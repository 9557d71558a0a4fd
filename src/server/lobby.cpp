#include "server/lobby.h"

#include "server/storage.h"
#include "server/text.h"

#include "protocol/wire.h"

#include <memory>

namespace {

std::string plural(uint64_t n, const char* unit) {
    return std::to_string(n) + " " + unit + (n > 1 ? "s" : "");
}

std::string position(const Session& s) { return std::to_string(s.x) + "," + std::to_string(s.y); }

const char* const RANKING_UNAVAILABLE = "Classement indisponible, réessayez plus tard.";

std::string rankingText(const std::string& fields, const std::vector<RankingEntry>& entries) {
    std::string text = "RANKING:" + std::string(fields) + ":";
    int rank = 0;
    for (const RankingEntry& e : entries) {
        if (rank++ > 0) text += "|";
        text += std::to_string(rank) + ";" + e.pseudo + ";" + std::to_string(e.value);
    }
    return text;
}

} // namespace

void enterLobby(Session& s) {
    s.x = 0;
    s.y = 0;
    s.inGame = false;
}

void handleMove(Session& s, std::string_view fields, uint64_t, Outbox& out) {
    int dx = 0, dy = 0;
    if (fields == "Z") dy = 1;
    else if (fields == "S") dy = -1;
    else if (fields == "Q") dx = -1;
    else if (fields == "D") dx = 1;
    else return;
    const int x = s.x + dx, y = s.y + dy;
    if (x < LOBBY_MIN || x > LOBBY_MAX || y < LOBBY_MIN || y > LOBBY_MAX) return sendTo(out, s.id, "WALL");
    s.x = x;
    s.y = y;
    sendTo(out, s.id, "POS:" + position(s));
    sendToLobby(out, "REMOTE_MOVE:" + s.pseudo + ":" + position(s), s.id);
}

void handleCheckHealth(Session& s, std::string_view, uint64_t, Outbox& out) {
    // Nothing hurts in the lobby.
    sendTo(out, s.id, "HEALTH_MSG:100 points de vie sur 100.");
}

void handlePlayers(Session& s, std::string_view, uint64_t, Outbox& out) {
    std::vector<std::string> names;
    for (Session* p : loggedInPlayers()) names.push_back(p->pseudo);
    sendTo(out, s.id, "PLAYERS_LIST:" + plural(names.size(), "joueur") + " en ligne : " + frenchList(names) + ".");
}

void handlePing(Session& s, std::string_view fields, uint64_t, Outbox& out) {
    // The client's 32-bit tick count, echoed byte for byte.
    if (fields.empty() || fields.size() > 10 || fields.find_first_not_of("0123456789") != std::string_view::npos ||
        std::stoull(std::string(fields)) > 0xFFFFFFFFull)
        return;
    sendTo(out, s.id, "PONG:" + std::string(fields));
}

void handleUptime(Session& s, std::string_view, uint64_t nowMs, Outbox& out) {
    const uint64_t seconds = serverUptimeMs(nowMs) / 1000;
    const uint64_t parts[] = {seconds / 86400, seconds / 3600 % 24, seconds / 60 % 60, seconds % 60};
    const char* units[] = {"jour", "heure", "minute", "seconde"};
    std::vector<std::string> said;
    for (int i = 0; i < 4; ++i)
        if (parts[i] > 0) said.push_back(plural(parts[i], units[i]));
    if (said.empty()) said.push_back("0 seconde");
    sendTo(out, s.id, "UPTIME:Serveur en ligne depuis " + frenchList(said) + ".");
}

void handleRanking(Session& s, std::string_view fields, uint64_t, Outbox& out) {
    RankingKind kind;
    if (fields == "POINTS") kind = RankingKind::POINTS;
    else if (fields == "KILLS") kind = RankingKind::KILLS;
    else if (fields == "ROUND") kind = RankingKind::ROUND;
    else return;
    auto entries = std::make_shared<std::vector<RankingEntry>>();
    auto error = std::make_shared<std::string>();
    auto found = std::make_shared<bool>(false);
    const bool queued = sessionJob(
        s, [=] { *found = storageRanking(kind, 10, *entries, *error); },
        [=, kindText = std::string(fields)](Session* session, uint64_t, Outbox& out) {
            if (session == nullptr) return;
            if (!*found) {
                out.log.push_back("classement illisible : " + *error);
                return sendTo(out, session->id, Message(MSG_SAY).field(RANKING_UNAVAILABLE).text());
            }
            sendTo(out, session->id, rankingText(kindText, *entries));
        });
    if (!queued) sendTo(out, s.id, Message(MSG_SAY).field(SERVER_BUSY).text());
}
