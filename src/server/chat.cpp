#include "server/chat.h"

#include "server/teams.h"
#include "server/text.h"

#include "protocol/wire.h"

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
        if (!s.chatWarned) sayTo(out, s.id, "Vous envoyez trop de messages, patientez quelques secondes.");
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
        sayTo(out, s.id, "Message trop long, 300 caractères au plus.");
        return false;
    }
    return withinRate(s, nowMs, out);
}

} // namespace

void handleChatRadio(Session& s, FieldCursor& fields, uint64_t nowMs, Outbox& out) {
    const std::string text = readRest(fields);
    if (!acceptable(s, text, nowMs, out)) return;
    const Message message = Message(MSG_CHAT_RADIO_FROM).field(s.pseudo).field(text);
    for (Session* p : loggedInPlayers()) sendTo(out, p->id, message);
}

void handleChatTeam(Session& s, FieldCursor& fields, uint64_t nowMs, Outbox& out) {
    if (s.team.empty()) return sayTo(out, s.id, "Vous n'êtes dans aucune équipe.");
    const std::string text = readRest(fields);
    if (!acceptable(s, text, nowMs, out)) return;
    const Message message = Message(MSG_CHAT_TEAM_FROM).field(s.pseudo).field(text);
    for (uint32_t member : teamOf(s)) sendTo(out, member, message);
}

void handleChatPrivate(Session& s, FieldCursor& fields, uint64_t nowMs, Outbox& out) {
    if (fieldsLeft(fields) < 2) return;
    const std::string name = readField(fields), text = readRest(fields);
    if (name.empty() || !acceptable(s, text, nowMs, out)) return;
    Session* to = findPlayer(name);
    if (to == nullptr) {
        if (isPrintableUtf8(name) && utf8CountChars(name) <= 20)
            return sayTo(out, s.id, "Aucun joueur connecté ne s'appelle " + name + ".");
        return sayTo(out, s.id, "Joueur inconnu.");
    }
    sendTo(out, to->id, Message(MSG_CHAT_MP_FROM).field(s.pseudo).field(text));
    sendTo(out, s.id, Message(MSG_CHAT_MP_TO).field(to->pseudo).field(text));
}
