#include "fake_platform.h"

#include "platform/clock.h"
#include "platform/keyboard.h"
#include "platform/random.h"
#include "platform/speech.h"
#include "platform/window.h"

#include <cstdlib>
#include <deque>
#include <map>
#include <set>

namespace fake {
namespace {

uint32_t g_now = 0;
uint32_t g_sleeps = 0;
std::multimap<uint32_t, std::function<void()>> g_schedule;
bool g_failWindow = false;
bool g_windowOpen = false;
std::string g_title;
std::deque<platform::WindowEvent> g_events;
bool g_foreground = true;
std::set<int> g_keys;
uint32_t g_keyQueries = 0;
uint32_t g_pumps = 0;
std::vector<std::string> g_spoken;
std::deque<int> g_draws;

void runDue() {
    while (!g_schedule.empty() && g_schedule.begin()->first <= g_now) {
        auto action = std::move(g_schedule.begin()->second);
        g_schedule.erase(g_schedule.begin());
        action();
    }
}

} // namespace

void reset() {
    g_now = 0;
    g_sleeps = 0;
    g_schedule.clear();
    g_failWindow = false;
    g_windowOpen = false;
    g_title.clear();
    g_events.clear();
    g_foreground = true;
    g_keys.clear();
    g_keyQueries = 0;
    g_pumps = 0;
    g_spoken.clear();
    g_draws.clear();
}

uint32_t now() { return g_now; }
void setTime(uint32_t ms) {
    g_now = ms;
    runDue();
}
void advance(uint32_t ms) {
    // Step through scheduled times so actions see the clock at their own time.
    uint32_t target = g_now + ms;
    while (!g_schedule.empty() && g_schedule.begin()->first <= target) {
        if (g_schedule.begin()->first > g_now) g_now = g_schedule.begin()->first;
        runDue();
    }
    g_now = target;
}
void at(uint32_t ms, std::function<void()> action) {
    g_schedule.emplace(ms, std::move(action));
    if (ms <= g_now) runDue();
}
uint32_t sleepCount() { return g_sleeps; }
void closeWindowAt(uint32_t ms) { at(ms, [] { pushClose(); }); }

void failWindowCreation(bool fail) { g_failWindow = fail; }
bool windowOpen() { return g_windowOpen; }
std::string windowTitle() { return g_title; }
void pushChar(const std::string& c) { g_events.push_back({platform::WindowEventType::Char, c}); }
void pushText(const std::string& s) {
    size_t i = 0;
    while (i < s.size()) {
        size_t len = 1;
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c >= 0xF0) len = 4;
        else if (c >= 0xE0) len = 3;
        else if (c >= 0xC0) len = 2;
        pushChar(s.substr(i, len));
        i += len;
    }
}
void pushClose() { g_events.push_back({platform::WindowEventType::Close, {}}); }
size_t pendingEvents() { return g_events.size(); }
void setForeground(bool foreground) { g_foreground = foreground; }

void setKey(int vk, bool down) {
    if (down) g_keys.insert(vk);
    else g_keys.erase(vk);
}
void releaseAllKeys() { g_keys.clear(); }
uint32_t keyQueries() { return g_keyQueries; }
uint32_t pumps() { return g_pumps; }

const std::vector<std::string>& spoken() { return g_spoken; }
std::string lastSpoken() { return g_spoken.empty() ? std::string() : g_spoken.back(); }
void clearSpoken() { g_spoken.clear(); }

void scriptDraws(std::vector<int> draws) { g_draws.assign(draws.begin(), draws.end()); }
size_t drawsLeft() { return g_draws.size(); }

} // namespace fake

namespace platform {

uint32_t tickCount() { return fake::g_now; }
void sleepMs(uint32_t ms) {
    ++fake::g_sleeps;
    fake::advance(ms);
}

bool createWindow(const std::string& title) {
    if (fake::g_failWindow) return false;
    fake::g_windowOpen = true;
    fake::g_title = title;
    return true;
}
void destroyWindow() { fake::g_windowOpen = false; }
void pumpWindowEvents() { ++fake::g_pumps; }
bool pollWindowEvent(WindowEvent& event) {
    if (!fake::g_windowOpen || fake::g_events.empty()) return false;
    event = fake::g_events.front();
    fake::g_events.pop_front();
    return true;
}
bool windowHasFocus() { return fake::g_windowOpen && fake::g_foreground; }

bool isKeyDown(int vk) {
    ++fake::g_keyQueries;
    if (fake::g_keys.count(vk)) return true;
    switch (vk) {
    case VK_SHIFT: return fake::g_keys.count(VK_LSHIFT) || fake::g_keys.count(VK_RSHIFT);
    case VK_CONTROL: return fake::g_keys.count(VK_LCONTROL) || fake::g_keys.count(VK_RCONTROL);
    case VK_MENU: return fake::g_keys.count(VK_LMENU) || fake::g_keys.count(VK_RMENU);
    default: return false;
    }
}

void speak(const std::string& text) { fake::g_spoken.push_back(text); }

int randomInt() {
    if (fake::g_draws.empty()) return std::rand();
    const int v = fake::g_draws.front();
    fake::g_draws.pop_front();
    return v;
}
void closeSpeech() {}

} // namespace platform
