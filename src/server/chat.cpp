#include "server/chat.h"

#include "server/teams.h"
#include "server/text.h"

namespace {

constexpr size_t CHAT_MAX_CHARS = 300;
constexpr size_t CHAT_BURST = 5;
constexpr uint64_t CHAT_WINDOW_MS = 5000;

// False (and the player told once per burst) past 5 messages in 5 seconds.
bool withinRate(Session& s, uint64_t nowMs, Outbox& out) {
    while (!s.chatRecent.empty() && nowMs - s.chatRecent.front() >= CHAT_WINDOW_MS)
        s.chatRecent.pop_front();
    if (s.chatRecent.empty()) s.chatWarned = false;
    if (s.chatRecent.size() >= CHAT_BURST) {
        if (!s.chatWarned) sendTo(out, s.id, "SAY:Vous envoyez trop de messages, patientez quelques secondes.");
        s.chatWarned = true;
        return false;
    }
    s.chatRecent.push_back(nowMs);
    return true;
}

// A text anyone may hear: printable, not empty, not too long.
bool acceptable(Session& s, std::string_view text, uint64_t nowMs, Outbox& out) {
    if (text.empty() || !isPrintableUtf8(text)) return false;
    if (utf8CountChars(std::string(text)) > CHAT_MAX_CHARS) {
        sendTo(out, s.id, "SAY:Message trop long, 300 caractères au plus.");
        return false;
    }
    return withinRate(s, nowMs, out);
}

} // namespace

void handleChatRadio(Session& s, std::string_view text, uint64_t nowMs, Outbox& out) {
    if (!acceptable(s, text, nowMs, out)) return;
    const std::string message = "CHAT_RADIO_FROM:" + s.pseudo + ":" + std::string(text);
    for (Session* p : loggedInPlayers()) sendTo(out, p->id, message);
}

void handleChatTeam(Session& s, std::string_view text, uint64_t nowMs, Outbox& out) {
    if (s.team.empty()) return sendTo(out, s.id, "SAY:Vous n'êtes dans aucune équipe.");
    if (!acceptable(s, text, nowMs, out)) return;
    const std::string message = "CHAT_TEAM_FROM:" + s.pseudo + ":" + std::string(text);
    for (uint32_t member : teamOf(s)) sendTo(out, member, message);
}

void handleChatPrivate(Session& s, std::string_view fields, uint64_t nowMs, Outbox& out) {
    const auto f = splitFields(fields, ':', 2);
    if (f.size() != 2 || f[0].empty()) return;
    if (!acceptable(s, f[1], nowMs, out)) return;
    Session* to = findPlayer(f[0]);
    if (to == nullptr) {
        if (isPrintableUtf8(f[0]) && utf8CountChars(f[0]) <= 20)
            return sendTo(out, s.id, "SAY:Aucun joueur connecté ne s'appelle " + f[0] + ".");
        return sendTo(out, s.id, "SAY:Joueur inconnu.");
    }
    sendTo(out, to->id, "CHAT_MP_FROM:" + s.pseudo + ":" + f[1]);
    sendTo(out, s.id, "CHAT_MP_TO:" + to->pseudo + ":" + f[1]);
}
