#pragma once
// Test doubles of the platform layer: a clock the test drives, scripted
// window events and keys, recorded speech.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace fake {

// Clears every double back to its initial state (time 0, foreground, no keys).
void reset();

// --- clock: platform::sleepMs and the frame wait advance it and run what became due.
uint32_t now();
void setTime(uint32_t ms);
void advance(uint32_t ms);
// Runs `action` once the clock reaches `ms` (during a sleep, a wait or advance).
void at(uint32_t ms, std::function<void()> action);
// A safety net for loops under test: past this time the window is closed.
void closeWindowAt(uint32_t ms);

// --- window
void failWindowCreation(bool fail);
bool windowOpen();
std::string windowTitle();
void pushText(const std::string& utf8); // one event per character
void pushClose();
size_t pendingEvents();
void setForeground(bool foreground);
// When each frame started, by the frame wait: the first at once, each later
// one the period after the one before. A wait ends early, at the time it
// happens, when a scheduled action adds an event.
const std::vector<uint32_t>& frameStarts();

// --- keys (virtual-key codes)
void setKey(int vk, bool down);
void releaseAllKeys();
// Counts every key-state query, so a test can tell when no key was polled.
uint32_t keyQueries();

// --- speech
const std::vector<std::string>& spoken();
std::string lastSpoken();
void clearSpoken();

// --- chance draws: the scripted values in order, then 0.
void scriptDraws(std::vector<int> draws);
size_t drawsLeft();

} // namespace fake
