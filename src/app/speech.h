#pragma once
#include <cstdint>
#include <string>

enum class HistoryCategory : int32_t { GLOBAL = 0, RADIO = 1, TEAM = 2, PRIVATE = 3, GAME = 4 };

constexpr int HIST_MAX = 200;

// Last accepted user-interface action and last step, in platform ticks.
extern uint32_t lastActionTime;
extern uint32_t lastMoveTime;

// Speaks a UTF-8 text, cutting off the speech in progress. Empty texts are skipped.
void say(const std::string& text);

// Files a text under its category and under GLOBAL.
void historyAdd(HistoryCategory category, const std::string& text);
void historyCycleCategory(bool forward);
void historyNavigate(bool forward);
void historyAnnounceCurrent();

void setLocalDead(bool dead);
bool isLocalDead();
