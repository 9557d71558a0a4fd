#include "scenes/chat.h"

#include "base/text.h"
#include "core/speech.h"
#include "audio/playback.h"
#include "net/outgoing.h"

namespace {

// Spoken as "<label> <name> dit : <text>", kept as "<label> <name> : <text>".
// The name ends at the first ':', the text may hold more of them.
void receiveChat(FieldCursor& f, const char* label, const char* sound, HistoryCategory category) {
    std::string name = readField(f);
    std::string text = readRest(f);
    playSound(sound, -1, -1);
    say(std::string(label) + " " + name + " dit : " + text);
    historyAdd(category, std::string(label) + " " + name + " : " + text);
}

} // namespace

void sendChat(TextInputMode mode, std::string m) {
    if (m.empty()) return;
    m = trimChars(m, " \t");
    if (mode == TextInputMode::CHAT_TEAM) {
        sendChatTeam(m);
        return;
    }
    std::string rest;
    const char* usage;
    if (m.size() >= 4 && m[0] == '/' && toLowerAscii(m.substr(1, 2)) == "mp" && m[3] == ' ') {
        rest = m.substr(4);
        usage = "Usage : /mp pseudo message";
    } else if (!m.empty() && m[0] == '@') {
        rest = m.substr(1);
        usage = "Usage : @pseudo message";
    } else {
        sendChatRadio(m);
        return;
    }
    size_t p = rest.find_first_of(" \t");
    size_t q = p == std::string::npos ? p : rest.find_first_not_of(" \t", p);
    if (q == std::string::npos) {
        say(usage);
        playSound("ui_back", -1, -1);
        return;
    }
    sendChatMp(rest.substr(0, p), rest.substr(q));
}

void onChatRadio(FieldCursor& f) { receiveChat(f, "Radio", "chat", HistoryCategory::RADIO); }
void onChatTeam(FieldCursor& f) { receiveChat(f, "Équipe", "chat", HistoryCategory::TEAM); }
void onChatMpFrom(FieldCursor& f) { receiveChat(f, "MP", "mp", HistoryCategory::PRIVATE); }

void onChatMpTo(FieldCursor& f) {
    std::string name = readField(f);
    std::string text = "MP à " + name + " : " + readRest(f);
    playSound("mp", -1, -1);
    say(text);
    historyAdd(HistoryCategory::PRIVATE, text);
}
