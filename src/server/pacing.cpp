#include "server/pacing.h"

#include "server/session.h"

#include <algorithm>

namespace {

// What the client speaks on, "SAY:" and "PLAYER_DOWN:" aside.
const Keyword SPOKEN[] = {
    MSG_CHAT_RADIO_FROM, MSG_CHAT_TEAM_FROM, MSG_CHAT_MP_FROM, MSG_CHAT_MP_TO, MSG_AUTH_OK, MSG_AUTH_FAIL,
    MSG_REGISTER_OK, MSG_REGISTER_FAIL, MSG_USERNAME_OK, MSG_USERNAME_FAIL, MSG_LOBBY_JOIN, MSG_LOBBY_LEFT,
    MSG_PLAYERS_LIST, MSG_UPTIME, MSG_PONG, MSG_START_MAISON, MSG_GOTO_LOBBY, MSG_GAME_OVER_SIGNAL, MSG_STATS,
    MSG_REVIVED, MSG_POTION_BOUGHT, MSG_SWITCH_OK, MSG_AMMO_MSG, MSG_HEALTH_MSG, MSG_BOX_HIDDEN, MSG_BOX_READY,
    MSG_ROUND_START, MSG_ROUND_END_KILLS, MSG_ROUND_END, MSG_RANKING, MSG_TEAM_LIST, MSG_TEAM_OK,
    MSG_TEAM_JOIN_OK, MSG_TEAM_FULL, MSG_TEAM_DESTROYED, MSG_LEFT_TEAM, MSG_BONUS_MAX_AMMO,
    MSG_BONUS_DOUBLE_POINTS_START, MSG_BONUS_DOUBLE_POINTS_END, MSG_BONUS_INSTANT_KILL_START,
};

// The client starts a line now.
void spoke(Pacing& pacing, uint64_t nowMs) { pacing.freeAt = nowMs + SPOKEN_LINE_GAP_MS; }

void forget(Pacing& pacing, const std::string& text) {
    pacing.waiting.erase(std::remove(pacing.waiting.begin(), pacing.waiting.end(), text), pacing.waiting.end());
}

} // namespace

bool clientSpeaks(std::string_view message, std::string_view pseudo) {
    if (matchesKeyword(message, MSG_SAY)) return message.size() > MSG_SAY.text().size();
    if (matchesKeyword(message, MSG_PLAYER_DOWN)) {
        FieldCursor fields = fieldsAfter(message, MSG_PLAYER_DOWN);
        return readField(fields) == pseudo; // others' falls are a sound
    }
    for (Keyword k : SPOKEN)
        if (matchesKeyword(message, k)) return true;
    return false;
}

void pacingFilter(std::vector<GameSend>& sends, size_t from, uint64_t nowMs) {
    size_t kept = from;
    for (size_t i = from; i < sends.size(); ++i) {
        GameSend& send = sends[i];
        Session* s = findSession(send.player);
        if (send.withdraw) {
            if (s) forget(s->pacing, send.text);
            continue;
        }
        if (s) {
            Pacing& p = s->pacing;
            // Even one whose turn has come waits for pacingTick: a spoken line later in this batch goes first.
            if (send.announcement) {
                if (p.waiting.size() >= PACING_WAITING_MAX) p.waiting.pop_front();
                p.waiting.push_back(std::move(send.text));
                continue;
            }
            if (clientSpeaks(send.text, s->pseudo)) spoke(p, nowMs);
            // The game is over: what still waits about it would only cut its last words.
            if (matchesKeyword(send.text, MSG_GAME_OVER_SIGNAL)) p.waiting.clear();
            // An answer to his key that says what waits makes it needless ("Vous êtes à terre : ...").
            forget(p, send.text);
        }
        if (kept != i) sends[kept] = std::move(send);
        ++kept;
    }
    sends.resize(kept);
}

void pacingTick(uint64_t nowMs, Outbox& out) {
    for (Session* s : loggedInPlayers()) {
        Pacing& p = s->pacing;
        if (p.waiting.empty() || nowMs < p.freeAt) continue;
        out.sends.push_back({s->id, std::move(p.waiting.front())});
        p.waiting.pop_front();
        spoke(p, nowMs);
    }
}
