#pragma once
#include <cstdint>
#include <string>
#include <vector>

enum class HistoryCategory : int32_t { GLOBAL = 0, RADIO = 1, TEAM = 2, PRIVATE = 3, GAME = 4 };

constexpr int HIST_MAX = 200;

// Speaks a UTF-8 text, cutting off the speech in progress. Empty texts are skipped.
void say(const std::string& text);

// Files a text under its category and under GLOBAL.
void historyAdd(HistoryCategory category, const std::string& text);
void historyCycleCategory(bool forward);
void historyNavigate(bool forward);
void historyAnnounceCurrent();

// Speaks one entry of a spoken menu; nothing for an index outside the list.
void sayListEntry(const std::vector<std::string>& list, int32_t index);

// The history lives for the whole run; this empties it (a new run, or a test).
void resetHistory();
