#include "core/speech.h"

#include "base/utf8.h"
#include "platform/speech.h"

#include <vector>

namespace {

constexpr int kCategoryCount = 5;
const char* const kHistNames[kCategoryCount] = {"Global", "Radio", "Équipe", "Message privé", "Jeu"};

std::vector<std::string> g_hist[kCategoryCount];
int32_t g_histCursor[kCategoryCount] = {-1, -1, -1, -1, -1};
HistoryCategory g_histCat = HistoryCategory::GLOBAL;

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
    platform::speak(utf8Repaired(text));
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

void sayListEntry(const std::vector<std::string>& list, int32_t index) {
    if (index >= 0 && index < static_cast<int32_t>(list.size())) say(list[index]);
}

void resetHistory() {
    for (int cat = 0; cat < kCategoryCount; ++cat) {
        g_hist[cat].clear();
        g_histCursor[cat] = -1;
    }
    g_histCat = HistoryCategory::GLOBAL;
}
