#include "app/speech.h"

#include "platform/speech.h"

#include <vector>

uint32_t lastActionTime = 0;
uint32_t lastMoveTime = 0;

namespace {

constexpr int kCategoryCount = 5;
const char* const kHistNames[kCategoryCount] = {"Global", "Radio", "Équipe", "Message privé", "Jeu"};

std::vector<std::string> g_hist[kCategoryCount];
int32_t g_histCursor[kCategoryCount] = {-1, -1, -1, -1, -1};
HistoryCategory g_histCat = HistoryCategory::GLOBAL;
bool gLocalIsDead = false;

// Length of the well-formed UTF-8 character at s[i], or 0 when the bytes
// there are not one.
size_t validCharLength(const std::string& s, size_t i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    size_t len;
    uint32_t cp;
    if (c < 0x80) return 1;
    if ((c & 0xE0) == 0xC0) { len = 2; cp = c & 0x1F; }
    else if ((c & 0xF0) == 0xE0) { len = 3; cp = c & 0x0F; }
    else if ((c & 0xF8) == 0xF0) { len = 4; cp = c & 0x07; }
    else return 0;
    if (i + len > s.size()) return 0;
    for (size_t k = 1; k < len; ++k) {
        const unsigned char cc = static_cast<unsigned char>(s[i + k]);
        if ((cc & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (cc & 0x3F);
    }
    static const uint32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

// Each byte that does not belong to a well-formed character becomes U+FFFD,
// as the Windows conversion does: a message with one stray byte (a Latin-1
// letter from the server, say) is still heard, and the speech engine only
// ever gets valid UTF-8.
std::string repairedUtf8(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        const size_t len = validCharLength(s, i);
        if (len == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else {
            out.append(s, i, len);
            i += len;
        }
    }
    return out;
}

void histPush(int category, const std::string& text) {
    if (text.empty()) return;
    auto& list = g_hist[category];
    list.push_back(text);
    if (list.size() > static_cast<size_t>(HIST_MAX)) list.erase(list.begin());
    g_histCursor[category] = static_cast<int32_t>(list.size()) - 1;
}

void histClampCursor(int category) {
    const auto& list = g_hist[category];
    int32_t& cursor = g_histCursor[category];
    if (list.empty()) cursor = -1;
    else if (cursor < 0 || cursor >= static_cast<int32_t>(list.size()))
        cursor = static_cast<int32_t>(list.size()) - 1;
}

int selected() { return static_cast<int>(g_histCat); }

} // namespace

void say(const std::string& text) {
    if (text.empty()) return;
    platform::speak(repairedUtf8(text));
}

void historyAdd(HistoryCategory category, const std::string& text) {
    int cat = static_cast<int>(category);
    if (cat < 0 || cat >= kCategoryCount) return;
    histPush(cat, text);
    if (category != HistoryCategory::GLOBAL) histPush(static_cast<int>(HistoryCategory::GLOBAL), text);
}

void historyCycleCategory(bool forward) {
    int cat = forward ? (selected() + 1) % kCategoryCount : (selected() + kCategoryCount - 1) % kCategoryCount;
    g_histCat = static_cast<HistoryCategory>(cat);
    histClampCursor(cat);
    if (g_hist[cat].empty()) say(std::string("Historique ") + kHistNames[cat] + " vide.");
    else say(std::string("Historique ") + kHistNames[cat] + ".");
}

void historyNavigate(bool forward) {
    int cat = selected();
    histClampCursor(cat);
    const auto& list = g_hist[cat];
    if (list.empty()) {
        say("Historique vide.");
        return;
    }
    int32_t& cursor = g_histCursor[cat];
    if (forward) {
        if (cursor < static_cast<int32_t>(list.size()) - 1) ++cursor;
    } else if (cursor > 0) {
        --cursor;
    }
    say(list[cursor]);
}

void historyAnnounceCurrent() {
    int cat = selected();
    histClampCursor(cat);
    if (g_hist[cat].empty()) say(std::string("Historique ") + kHistNames[cat] + " vide.");
    else say(std::string("Historique ") + kHistNames[cat] + ". " + g_hist[cat][g_histCursor[cat]]);
}

void setLocalDead(bool dead) { gLocalIsDead = dead; }
bool isLocalDead() { return gLocalIsDead; }
