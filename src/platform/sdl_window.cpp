// Window, typed characters and key state on SDL2.
#include "platform/keyboard.h"

#include "base/utf8.h"
#include "platform/layout.h"
#include "platform/window.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <poll.h>
#include <sys/epoll.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <deque>
#include <iterator>
#include <optional>
#include <thread>

namespace platform {
namespace {

SDL_Window* g_window = nullptr;
std::deque<WindowEvent> g_pending;
// Keys pressed during the last pump, even if already released: a tap shorter
// than a frame still reads as down for the frame after it.
bool g_tapped[SDL_NUM_SCANCODES] = {};
// Key state and focus change only when SDL is pumped: an idle frame reads
// these few flags instead of SDL's tables (cold after each sleep).
struct {
    bool held = false;   // a key was held at the last pump
    bool tapped = false; // g_tapped has a key set
    bool focused = false;
} g_keys;

#if defined(SDL_VIDEO_DRIVER_X11)
Display* g_display = nullptr; // null on another window system: SDL is always asked
// Watches the X connection between frames. Unlike a poll, which registers
// on the socket and scans it twice each time, the watch stays registered:
// an idle frame's wait is one cheap call.
int g_watch = -1;
#endif
// SDL also has work that comes without X traffic. An input method's answer
// and a focus change settling follow the X traffic that caused them within
// half a second: SDL is pumped every frame meanwhile. A signal (the quit
// asked by a session's end) waits at most half a second.
constexpr int ACTIVE_FRAMES = 50;
constexpr int IDLE_PUMP_EVERY = 50;
int g_framesSinceTraffic = ACTIVE_FRAMES;
int g_framesSincePump = 0;
using FrameClock = std::chrono::steady_clock;
// When the last frame started; none before the first.
std::optional<FrameClock::time_point> g_frameStart;
// Set when a frame starts: it reads the taps, so the next wait starts a new gathering.
bool g_tapsRead = false;

// Waits up to `ns` for the X server to send something. True when it has (or
// may have); false once the time is up. Without an X connection of our own
// to watch, the time is slept and SDL is asked at the deadline.
bool windowSystemSpeaks(int64_t ns) {
#if defined(SDL_VIDEO_DRIVER_X11)
    if (g_display) {
        if (QLength(g_display) > 0) return true;
        const timespec limit{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
        // An interruption is asked about too.
        if (g_watch >= 0) {
            epoll_event event;
            const int n = epoll_pwait2(g_watch, &event, 1, &limit, nullptr);
            if (n >= 0 || errno != ENOSYS) return n != 0;
            close(g_watch); // a kernel older than 5.11
            g_watch = -1;
        }
        pollfd fd{ConnectionNumber(g_display), POLLIN, 0};
        return ppoll(&fd, 1, &limit, nullptr) != 0;
    }
#endif
    if (ns > 0) std::this_thread::sleep_for(std::chrono::nanoseconds(ns));
    return false;
}

// True when the X server has sent nothing since the last pump: asking SDL
// would only read an empty socket (twice) and walk its queues.
bool windowSystemQuiet() {
#if defined(SDL_VIDEO_DRIVER_X11)
    return g_display && !windowSystemSpeaks(0);
#else
    return false;
#endif
}

void paintBlack() {
    if (SDL_Surface* surface = SDL_GetWindowSurface(g_window)) {
        SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
        SDL_UpdateWindowSurface(g_window);
    }
}

// SDL may hand several characters in one text event (an input method, a paste);
// the core takes them one at a time.
void queueCharacters(const char* text) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (*p) {
        const size_t len = utf8SequenceLength(*p);
        size_t avail = 0;
        while (avail < len && p[avail]) ++avail;
        g_pending.push_back({WindowEventType::Char, std::string(reinterpret_cast<const char*>(p), avail)});
        p += avail;
    }
}

void noteKeys() {
    static const Uint8 none[SDL_NUM_SCANCODES] = {};
    g_keys.held = std::memcmp(SDL_GetKeyboardState(nullptr), none, sizeof none) != 0;
    g_keys.focused = g_window && SDL_GetKeyboardFocus() == g_window;
}

void forgetTaps() {
    if (!g_keys.tapped) return;
    std::fill(std::begin(g_tapped), std::end(g_tapped), false);
    g_keys.tapped = false;
}

bool down(SDL_Scancode sc) { return SDL_GetKeyboardState(nullptr)[sc] || g_tapped[sc]; }

// With NumLock off the keypad's navigation keys act as the main block's.
SDL_Scancode keypadFor(int vk) {
    switch (vk) {
    case VK_UP: return SDL_SCANCODE_KP_8;
    case VK_DOWN: return SDL_SCANCODE_KP_2;
    case VK_LEFT: return SDL_SCANCODE_KP_4;
    case VK_RIGHT: return SDL_SCANCODE_KP_6;
    case VK_HOME: return SDL_SCANCODE_KP_7;
    case VK_END: return SDL_SCANCODE_KP_1;
    case VK_PRIOR: return SDL_SCANCODE_KP_9;
    case VK_NEXT: return SDL_SCANCODE_KP_3;
    case VK_INSERT: return SDL_SCANCODE_KP_0;
    case VK_DELETE: return SDL_SCANCODE_KP_PERIOD;
    default: return SDL_SCANCODE_UNKNOWN;
    }
}

void handle(const SDL_Event& e) {
    switch (e.type) {
    case SDL_QUIT: g_pending.push_back({WindowEventType::Close, {}}); break;
    case SDL_TEXTINPUT: queueCharacters(e.text.text); break;
    case SDL_KEYDOWN:
        if (!e.key.repeat && e.key.keysym.scancode < SDL_NUM_SCANCODES) {
            g_tapped[e.key.keysym.scancode] = true;
            g_keys.tapped = true;
        }
        break;
    case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_CLOSE)
            g_pending.push_back({WindowEventType::Close, {}});
        else if (e.window.event == SDL_WINDOWEVENT_EXPOSED)
            paintBlack();
        break;
    default: break;
    }
}

SDL_Scancode scancodeFor(int vk) {
    if (vk >= 'A' && vk <= 'Z') return SDL_GetScancodeFromKey(SDLK_a + (vk - 'A'));
    if (vk == '0') return SDL_SCANCODE_0;
    if (vk >= '1' && vk <= '9') return static_cast<SDL_Scancode>(SDL_SCANCODE_1 + (vk - '1'));
    if (vk >= VK_F1 && vk <= VK_F1 + 11) return static_cast<SDL_Scancode>(SDL_SCANCODE_F1 + (vk - VK_F1));
    if (vk >= VK_F1 + 12 && vk <= VK_F24)
        return static_cast<SDL_Scancode>(SDL_SCANCODE_F13 + (vk - VK_F1 - 12));
    switch (vk) {
    case VK_BACK: return SDL_SCANCODE_BACKSPACE;
    case VK_TAB: return SDL_SCANCODE_TAB;
    case VK_RETURN: return SDL_SCANCODE_RETURN;
    case VK_ESCAPE: return SDL_SCANCODE_ESCAPE;
    case VK_SPACE: return SDL_SCANCODE_SPACE;
    case VK_PRIOR: return SDL_SCANCODE_PAGEUP;
    case VK_NEXT: return SDL_SCANCODE_PAGEDOWN;
    case VK_END: return SDL_SCANCODE_END;
    case VK_HOME: return SDL_SCANCODE_HOME;
    case VK_LEFT: return SDL_SCANCODE_LEFT;
    case VK_UP: return SDL_SCANCODE_UP;
    case VK_RIGHT: return SDL_SCANCODE_RIGHT;
    case VK_DOWN: return SDL_SCANCODE_DOWN;
    case VK_INSERT: return SDL_SCANCODE_INSERT;
    case VK_DELETE: return SDL_SCANCODE_DELETE;
    case VK_LSHIFT: return SDL_SCANCODE_LSHIFT;
    case VK_RSHIFT: return SDL_SCANCODE_RSHIFT;
    case VK_LCONTROL: return SDL_SCANCODE_LCTRL;
    case VK_RCONTROL: return SDL_SCANCODE_RCTRL;
    case VK_LMENU: return SDL_SCANCODE_LALT;
    case VK_RMENU: return SDL_SCANCODE_RALT;
    default: return SDL_SCANCODE_UNKNOWN;
    }
}

} // namespace

bool createWindow(const std::string& title) {
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    // A black window needs no GPU: without this SDL paints it through OpenGL,
    // which loads a whole driver (software Mesa: about 90 MB and three threads).
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    // Without a display SDL settles for a driver whose window no key can reach.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    g_window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                800, 600, SDL_WINDOW_SHOWN);
    if (!g_window) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    paintBlack();
    SDL_StartTextInput();
    noteKeys();
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(g_window, &info) && info.subsystem == SDL_SYSWM_X11) {
        g_display = info.info.x11.display;
        g_watch = epoll_create1(EPOLL_CLOEXEC);
        epoll_event watched{};
        watched.events = EPOLLIN;
        if (g_watch >= 0 && epoll_ctl(g_watch, EPOLL_CTL_ADD, ConnectionNumber(g_display), &watched) != 0) {
            close(g_watch);
            g_watch = -1;
        }
    }
#endif
    return true;
}

void destroyWindow() {
    if (!g_window) return;
    SDL_StopTextInput();
    SDL_DestroyWindow(g_window);
    g_window = nullptr;
#if defined(SDL_VIDEO_DRIVER_X11)
    g_display = nullptr;
    if (g_watch >= 0) close(g_watch);
    g_watch = -1;
#endif
    g_pending.clear();
    g_frameStart.reset();
    g_framesSinceTraffic = ACTIVE_FRAMES;
    g_framesSincePump = 0;
    forgetTaps();
    g_keys = {};
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    SDL_Quit();
}

// Counts a frame; true when SDL is due a pump though the X server is quiet.
// Without an X connection to watch nothing says when the window system
// speaks: SDL is asked every frame.
bool pumpDue() {
#if defined(SDL_VIDEO_DRIVER_X11)
    if (!g_display) return true;
#else
    return true;
#endif
    if (g_framesSinceTraffic < ACTIVE_FRAMES) ++g_framesSinceTraffic;
    return g_framesSinceTraffic < ACTIVE_FRAMES || ++g_framesSincePump >= IDLE_PUMP_EVERY;
}

void gather() {
    g_framesSincePump = 0;
    SDL_PumpEvents();
    SDL_Event events[32];
    int n = 0;
    while ((n = SDL_PeepEvents(events, 32, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT)) > 0)
        for (int i = 0; i < n; ++i) handle(events[i]);
    noteKeys();
}

void pumpWindowEvents() {
    if (!g_window) return;
    forgetTaps();
    if (!windowSystemQuiet()) g_framesSinceTraffic = 0;
    else if (!pumpDue()) return;
    gather();
}

bool waitBetweenFrames(uint32_t periodMs) {
    const auto deadline = g_frameStart ? *g_frameStart + std::chrono::milliseconds(periodMs) : FrameClock::now();
    const auto left = [&] { return std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - FrameClock::now()).count(); };
    if (g_window && g_tapsRead) {
        forgetTaps();
        g_tapsRead = false;
    }
    // An idle frame costs this one wait: the X connection is asked only when
    // it has spoken, and what it said is gathered at once.
    for (int64_t ns; (ns = left()) > 0 && windowSystemSpeaks(ns);) {
        g_framesSinceTraffic = 0;
        gather();
        if (!g_pending.empty()) return true;
    }
    if (g_window && pumpDue()) gather();
    if (!g_pending.empty()) return true;
    g_frameStart = FrameClock::now();
    g_tapsRead = true;
    return false;
}

bool pollWindowEvent(WindowEvent& event) {
    if (!g_window || g_pending.empty()) return false;
    event = std::move(g_pending.front());
    g_pending.pop_front();
    return true;
}

bool windowHasFocus() { return g_window && g_keys.focused; }

bool isKeyDown(int vk) {
    if (!anyKeyDown()) return false;
    switch (vk) {
    case VK_SHIFT: return down(SDL_SCANCODE_LSHIFT) || down(SDL_SCANCODE_RSHIFT);
    case VK_CONTROL: return down(SDL_SCANCODE_LCTRL) || down(SDL_SCANCODE_RCTRL);
    case VK_MENU: return down(SDL_SCANCODE_LALT) || down(SDL_SCANCODE_RALT);
    case VK_RETURN: return down(SDL_SCANCODE_RETURN) || down(SDL_SCANCODE_KP_ENTER);
    default: break;
    }
    const SDL_Scancode sc = scancodeFor(vk);
    if (sc != SDL_SCANCODE_UNKNOWN && down(sc)) return true;
    const SDL_Scancode kp = keypadFor(vk);
    return kp != SDL_SCANCODE_UNKNOWN && !(SDL_GetModState() & KMOD_NUM) && down(kp);
}

bool anyKeyDown() { return g_window && (g_keys.held || g_keys.tapped); }

// The physical keys of layout.h are SDL scancodes.
bool isPhysicalKeyDown(int key) {
    if (!anyKeyDown() || key <= SDL_SCANCODE_UNKNOWN || key >= SDL_NUM_SCANCODES) return false;
    return down(static_cast<SDL_Scancode>(key));
}

} // namespace platform
