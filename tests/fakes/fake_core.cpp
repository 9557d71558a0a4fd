#include "fake_platform.h"

#include "fake_layout.h"

#include "platform/clock.h"
#include "platform/keyboard.h"
#include "platform/random.h"
#include "platform/speech.h"
#include "platform/window.h"

#include <deque>
#include <map>
#include <set>

namespace fake {
namespace {

struct State {
    uint32_t now = 0, keyQueries = 0;
    std::vector<uint32_t> frameStarts;
    std::multimap<uint32_t, std::function<void()>> schedule;
    bool failWindow = false, windowOpen = false, foreground = true;
    std::string title;
    std::deque<platform::WindowEvent> events;
    std::set<int> keys;
    std::vector<std::string> spoken;
    std::deque<int> draws;
} g;

void runDue() {
    while (!g.schedule.empty() && g.schedule.begin()->first <= g.now) {
        auto action = std::move(g.schedule.begin()->second);
        g.schedule.erase(g.schedule.begin());
        action();
    }
}

} // namespace

void reset() { g = State{}; }

uint32_t now() { return g.now; }
void setTime(uint32_t ms) {
    g.now = ms;
    runDue();
}
void advance(uint32_t ms) {
    // Step through scheduled times so actions see the clock at their own time.
    uint32_t target = g.now + ms;
    while (!g.schedule.empty() && g.schedule.begin()->first <= target) {
        if (g.schedule.begin()->first > g.now) g.now = g.schedule.begin()->first;
        runDue();
    }
    g.now = target;
}
void at(uint32_t ms, std::function<void()> action) {
    g.schedule.emplace(ms, std::move(action));
    if (ms <= g.now) runDue();
}
void closeWindowAt(uint32_t ms) { at(ms, [] { pushClose(); }); }

void failWindowCreation(bool fail) { g.failWindow = fail; }
bool windowOpen() { return g.windowOpen; }
std::string windowTitle() { return g.title; }
void pushText(const std::string& s) {
    for (size_t i = 0, len = 1; i < s.size(); i += len) {
        const auto c = static_cast<unsigned char>(s[i]);
        len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        g.events.push_back({platform::WindowEventType::Char, s.substr(i, len)});
    }
}
void pushClose() { g.events.push_back({platform::WindowEventType::Close, {}}); }
size_t pendingEvents() { return g.events.size(); }
void setForeground(bool foreground) { g.foreground = foreground; }

void setKey(int vk, bool down) {
    if (down) g.keys.insert(vk);
    else g.keys.erase(vk);
}
void releaseAllKeys() { g.keys.clear(); }
uint32_t keyQueries() { return g.keyQueries; }
const std::vector<uint32_t>& frameStarts() { return g.frameStarts; }

const std::vector<std::string>& spoken() { return g.spoken; }
std::string lastSpoken() { return g.spoken.empty() ? std::string() : g.spoken.back(); }
void clearSpoken() { g.spoken.clear(); }

void scriptDraws(std::vector<int> draws) { g.draws.assign(draws.begin(), draws.end()); }
size_t drawsLeft() { return g.draws.size(); }

} // namespace fake

namespace platform {

uint32_t tickCount() { return fake::g.now; }
void sleepMs(uint32_t ms) { fake::advance(ms); }

bool createWindow(const std::string& title) {
    if (fake::g.failWindow) return false;
    fake::g.windowOpen = true;
    fake::g.title = title;
    return true;
}
void destroyWindow() { fake::g.windowOpen = false; }
void pumpWindowEvents() {}
bool waitBetweenFrames(uint32_t periodMs) {
    auto& g = fake::g;
    const uint32_t deadline = g.frameStarts.empty() ? g.now : g.frameStarts.back() + periodMs;
    // As fake::advance, stopping at the first action that leaves an event to hand over.
    while (!g.schedule.empty() && g.schedule.begin()->first <= deadline) {
        if (g.schedule.begin()->first > g.now) g.now = g.schedule.begin()->first;
        fake::runDue();
        if (g.windowOpen && !g.events.empty()) return true;
    }
    if (deadline > g.now) g.now = deadline;
    g.frameStarts.push_back(g.now);
    return false;
}
bool pollWindowEvent(WindowEvent& event) {
    if (!fake::g.windowOpen || fake::g.events.empty()) return false;
    event = fake::g.events.front();
    fake::g.events.pop_front();
    return true;
}
bool windowHasFocus() { return fake::g.windowOpen && fake::g.foreground; }

bool isKeyDown(int vk) {
    ++fake::g.keyQueries;
    if (fake::g.keys.count(vk)) return true;
    switch (vk) {
    case VK_SHIFT: return fake::g.keys.count(VK_LSHIFT) || fake::g.keys.count(VK_RSHIFT);
    case VK_CONTROL: return fake::g.keys.count(VK_LCONTROL) || fake::g.keys.count(VK_RCONTROL);
    case VK_MENU: return fake::g.keys.count(VK_LMENU) || fake::g.keys.count(VK_RMENU);
    default: return false;
    }
}

bool anyKeyDown() { return !fake::g.keys.empty() || fake::anyPhysicalKey(); }

void speak(const std::string& text) { fake::g.spoken.push_back(text); }

int randomInt() {
    if (fake::g.draws.empty()) return 0;
    const int v = fake::g.draws.front();
    fake::g.draws.pop_front();
    return v;
}
void closeSpeech() {}

} // namespace platform
