// Which key types a character, read from the X server's live XKB keymap.
// Physical keys are handed out as SDL scancodes so that the window's key state
// (sdl_window.cpp) can tell whether they are held.
#include "platform/layout.h"

#include "base/utf8.h"

#include <SDL_scancode.h>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>
// xcb's XKB header has a member named like a C++ keyword.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <cstdarg>
#include <cstdlib>
#include <unordered_map>

namespace platform {
namespace {

// X key codes are evdev codes plus 8. Only keys that can type a character are
// listed. SDL's key-name lookup cannot stand in for this table: it reports the
// AZERTY number row as digits and finds no key for '&' or 'é'.
struct EvdevKey {
    int evdev;
    SDL_Scancode scancode;
};
const EvdevKey EVDEV_KEYS[] = {
    {1, SDL_SCANCODE_ESCAPE},        {2, SDL_SCANCODE_1},          {3, SDL_SCANCODE_2},
    {4, SDL_SCANCODE_3},             {5, SDL_SCANCODE_4},          {6, SDL_SCANCODE_5},
    {7, SDL_SCANCODE_6},             {8, SDL_SCANCODE_7},          {9, SDL_SCANCODE_8},
    {10, SDL_SCANCODE_9},            {11, SDL_SCANCODE_0},         {12, SDL_SCANCODE_MINUS},
    {13, SDL_SCANCODE_EQUALS},       {14, SDL_SCANCODE_BACKSPACE}, {15, SDL_SCANCODE_TAB},
    {16, SDL_SCANCODE_Q},            {17, SDL_SCANCODE_W},         {18, SDL_SCANCODE_E},
    {19, SDL_SCANCODE_R},            {20, SDL_SCANCODE_T},         {21, SDL_SCANCODE_Y},
    {22, SDL_SCANCODE_U},            {23, SDL_SCANCODE_I},         {24, SDL_SCANCODE_O},
    {25, SDL_SCANCODE_P},            {26, SDL_SCANCODE_LEFTBRACKET}, {27, SDL_SCANCODE_RIGHTBRACKET},
    {28, SDL_SCANCODE_RETURN},       {30, SDL_SCANCODE_A},         {31, SDL_SCANCODE_S},
    {32, SDL_SCANCODE_D},            {33, SDL_SCANCODE_F},         {34, SDL_SCANCODE_G},
    {35, SDL_SCANCODE_H},            {36, SDL_SCANCODE_J},         {37, SDL_SCANCODE_K},
    {38, SDL_SCANCODE_L},            {39, SDL_SCANCODE_SEMICOLON}, {40, SDL_SCANCODE_APOSTROPHE},
    {41, SDL_SCANCODE_GRAVE},        {43, SDL_SCANCODE_BACKSLASH}, {44, SDL_SCANCODE_Z},
    {45, SDL_SCANCODE_X},            {46, SDL_SCANCODE_C},         {47, SDL_SCANCODE_V},
    {48, SDL_SCANCODE_B},            {49, SDL_SCANCODE_N},         {50, SDL_SCANCODE_M},
    {51, SDL_SCANCODE_COMMA},        {52, SDL_SCANCODE_PERIOD},    {53, SDL_SCANCODE_SLASH},
    {55, SDL_SCANCODE_KP_MULTIPLY},  {57, SDL_SCANCODE_SPACE},     {71, SDL_SCANCODE_KP_7},
    {72, SDL_SCANCODE_KP_8},         {73, SDL_SCANCODE_KP_9},      {74, SDL_SCANCODE_KP_MINUS},
    {75, SDL_SCANCODE_KP_4},         {76, SDL_SCANCODE_KP_5},      {77, SDL_SCANCODE_KP_6},
    {78, SDL_SCANCODE_KP_PLUS},      {79, SDL_SCANCODE_KP_1},      {80, SDL_SCANCODE_KP_2},
    {81, SDL_SCANCODE_KP_3},         {82, SDL_SCANCODE_KP_0},      {83, SDL_SCANCODE_KP_PERIOD},
    {86, SDL_SCANCODE_NONUSBACKSLASH}, {89, SDL_SCANCODE_INTERNATIONAL1}, {96, SDL_SCANCODE_KP_ENTER},
    {98, SDL_SCANCODE_KP_DIVIDE},    {117, SDL_SCANCODE_KP_EQUALS}, {121, SDL_SCANCODE_KP_COMMA},
    {124, SDL_SCANCODE_INTERNATIONAL3},
};

SDL_Scancode scancodeOfKeycode(xkb_keycode_t keycode) {
    for (const EvdevKey& k : EVDEV_KEYS)
        if (static_cast<xkb_keycode_t>(k.evdev + 8) == keycode) return k.scancode;
    return SDL_SCANCODE_UNKNOWN;
}

bool isKeypad(SDL_Scancode sc) {
    return (sc >= SDL_SCANCODE_KP_DIVIDE && sc <= SDL_SCANCODE_KP_PERIOD) || sc == SDL_SCANCODE_KP_EQUALS ||
           sc == SDL_SCANCODE_KP_COMMA;
}

// The code point of a text holding exactly one well-formed UTF-8 character.
bool decodeOne(const std::string& s, char32_t& cp) { return !s.empty() && utf8Decode(s, 0, cp) == s.size(); }

void silentLog(xkb_context*, xkb_log_level, const char*, va_list) {}

xkb_mod_mask_t modBit(xkb_keymap* keymap, const char* name) {
    xkb_mod_index_t i = xkb_keymap_mod_get_index(keymap, name);
    return i == XKB_MOD_INVALID ? 0 : (xkb_mod_mask_t{1} << i);
}

int bitCount(xkb_mod_mask_t m) {
    int n = 0;
    for (; m; m &= m - 1) ++n;
    return n;
}

// Our own connection to the X server, kept open so that layout changes arrive
// as XKB events; the keymap is re-read when they do.
struct XkbLayout {
    bool tried = false;
    xcb_connection_t* conn = nullptr;
    int32_t device = -1;
    uint8_t firstEvent = 0;
    xkb_context* context = nullptr;
    xkb_keymap* keymap = nullptr;
    xkb_state* state = nullptr;
    std::unordered_map<char32_t, CharKey> found; // key 0: no key types it

    ~XkbLayout() { close(); }

    void close() {
        if (state) xkb_state_unref(state);
        if (keymap) xkb_keymap_unref(keymap);
        if (context) xkb_context_unref(context);
        if (conn) xcb_disconnect(conn);
        state = nullptr;
        keymap = nullptr;
        context = nullptr;
        conn = nullptr;
        found.clear();
    }

    bool open() {
        tried = true;
        conn = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(conn) ||
            !xkb_x11_setup_xkb_extension(conn, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                         XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, &firstEvent,
                                         nullptr) ||
            (device = xkb_x11_get_core_keyboard_device_id(conn)) == -1 ||
            !(context = xkb_context_new(XKB_CONTEXT_NO_FLAGS))) {
            close();
            return false;
        }
        xkb_context_set_log_fn(context, silentLog);
        selectEvents();
        if (!loadKeymap()) {
            close();
            return false;
        }
        return true;
    }

    // Without these events the first keymap read simply stays in use.
    void selectEvents() {
        const uint16_t events = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY |
                                XCB_XKB_EVENT_TYPE_STATE_NOTIFY;
        const uint16_t mapParts = XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS |
                                  XCB_XKB_MAP_PART_MODIFIER_MAP | XCB_XKB_MAP_PART_EXPLICIT_COMPONENTS |
                                  XCB_XKB_MAP_PART_KEY_ACTIONS | XCB_XKB_MAP_PART_VIRTUAL_MODS |
                                  XCB_XKB_MAP_PART_VIRTUAL_MOD_MAP;
        // Only layout (group) switches matter among state changes, not every Shift press.
        const uint16_t groupParts =
            XCB_XKB_STATE_PART_GROUP_BASE | XCB_XKB_STATE_PART_GROUP_LATCH | XCB_XKB_STATE_PART_GROUP_LOCK;
        xcb_xkb_select_events_details_t details{};
        details.affectNewKeyboard = XCB_XKB_NKN_DETAIL_KEYCODES;
        details.newKeyboardDetails = XCB_XKB_NKN_DETAIL_KEYCODES;
        details.affectState = groupParts;
        details.stateDetails = groupParts;
        xcb_xkb_select_events_aux(conn, static_cast<xcb_xkb_device_spec_t>(device), events, 0, 0, mapParts,
                                  mapParts, &details);
        xcb_flush(conn);
    }

    bool loadKeymap() {
        xkb_keymap* km = xkb_x11_keymap_new_from_device(context, conn, device, XKB_KEYMAP_COMPILE_NO_FLAGS);
        if (!km) return false;
        xkb_state* st = xkb_x11_state_new_from_device(km, conn, device);
        if (!st) {
            xkb_keymap_unref(km);
            return false;
        }
        if (state) xkb_state_unref(state);
        if (keymap) xkb_keymap_unref(keymap);
        keymap = km;
        state = st;
        found.clear();
        return true;
    }

    void handleEvents() {
        bool reload = false;
        while (xcb_generic_event_t* ev = xcb_poll_for_event(conn)) {
            if ((ev->response_type & 0x7F) == firstEvent) {
                switch (ev->pad0) { // the XKB event type
                case XCB_XKB_NEW_KEYBOARD_NOTIFY:
                case XCB_XKB_MAP_NOTIFY: reload = true; break;
                case XCB_XKB_STATE_NOTIFY: {
                    auto* s = reinterpret_cast<xcb_xkb_state_notify_event_t*>(ev);
                    xkb_state_update_mask(state, s->baseMods, s->latchedMods, s->lockedMods,
                                          static_cast<xkb_layout_index_t>(s->baseGroup),
                                          static_cast<xkb_layout_index_t>(s->latchedGroup),
                                          static_cast<xkb_layout_index_t>(s->lockedGroup));
                    found.clear();
                    break;
                }
                default: break;
                }
            }
            std::free(ev);
        }
        if (xcb_connection_has_error(conn)) {
            close(); // the server went away: nothing types anything any more
            return;
        }
        if (reload) loadKeymap(); // on failure the previous keymap stays
    }

    // A main-block key at any level beats the keypad, which many keyboards
    // lack; then the lowest shift level.
    CharKey search(char32_t cp) {
        const xkb_mod_mask_t shift = modBit(keymap, XKB_MOD_NAME_SHIFT);
        const xkb_mod_mask_t ctrl = modBit(keymap, XKB_MOD_NAME_CTRL);
        // LevelThree (AltGr) sits on one of these; Lock, NumLock, Alt and Super cannot be asked for.
        const xkb_mod_mask_t levelThree = modBit(keymap, "Mod3") | modBit(keymap, "Mod5");
        const xkb_keysym_t target = xkb_utf32_to_keysym(static_cast<uint32_t>(cp));

        CharKey best;
        int bestRank = 8; // keypad * 4 + level
        for (xkb_keycode_t kc = xkb_keymap_min_keycode(keymap); kc <= xkb_keymap_max_keycode(keymap); ++kc) {
            SDL_Scancode sc = scancodeOfKeycode(kc);
            if (sc == SDL_SCANCODE_UNKNOWN) continue;
            const bool keypad = isKeypad(sc);
            const xkb_layout_index_t layout = xkb_state_key_get_layout(state, kc);
            if (layout == XKB_LAYOUT_INVALID) continue;
            for (int level = 0; level < 4; ++level) {
                const int rank = (keypad ? 4 : 0) + level;
                if (rank >= bestRank) break;
                const xkb_keysym_t* syms = nullptr;
                int n = xkb_keymap_key_get_syms_by_level(keymap, kc, layout, static_cast<xkb_level_index_t>(level),
                                                         &syms);
                bool types = false;
                // Dead keys and keypad navigation keys have no character: 0, never NUL.
                for (int i = 0; i < n && !types; ++i)
                    types = (target != XKB_KEY_NoSymbol && syms[i] == target) ||
                            (cp != 0 && xkb_keysym_to_utf32(syms[i]) == cp);
                if (!types) continue;
                xkb_mod_mask_t masks[16];
                size_t count = xkb_keymap_key_get_mods_for_level(keymap, kc, layout,
                                                                 static_cast<xkb_level_index_t>(level), masks, 16);
                int bestBits = 99;
                xkb_mod_mask_t chosen = 0;
                for (size_t i = 0; i < count; ++i) {
                    if (masks[i] & ~(shift | ctrl | levelThree)) continue;
                    if (bitCount(masks[i]) < bestBits) {
                        bestBits = bitCount(masks[i]);
                        chosen = masks[i];
                    }
                }
                if (bestBits == 99) continue;
                best.key = sc;
                best.shift = (chosen & shift) != 0;
                best.ctrl = (chosen & ctrl) != 0;
                best.altGr = (chosen & levelThree) != 0;
                bestRank = rank;
                break;
            }
        }
        return best;
    }
};

XkbLayout g_layout;

} // namespace

bool findCharKey(const std::string& utf8Char, CharKey& out) {
    try {
        char32_t cp = 0;
        if (!decodeOne(utf8Char, cp)) return false;
        if (!g_layout.conn) {
            // One attempt per run: without a display every later call answers at once.
            if (g_layout.tried || !g_layout.open()) return false;
        }
        g_layout.handleEvents();
        if (!g_layout.conn) return false;
        auto it = g_layout.found.find(cp);
        if (it == g_layout.found.end()) it = g_layout.found.emplace(cp, g_layout.search(cp)).first;
        if (it->second.key == 0) return false;
        out = it->second;
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace platform
