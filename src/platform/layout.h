#pragma once
#include <string>

namespace platform {

// What the keyboard layout in use needs to type one character.
struct CharKey {
    int key = 0;        // physical key, only meaningful to isPhysicalKeyDown; 0 = none
    bool shift = false;
    bool ctrl = false;
    bool altGr = false; // the AltGr key, read as VK_RMENU
};

// Finds the key and modifiers that type `utf8Char` (one UTF-8 character) on the
// layout in use right now; the simplest way wins. False when no key types it or
// the layout cannot be read (no display).
bool findCharKey(const std::string& utf8Char, CharKey& out);

// Whether a physical key handed out by findCharKey is down, read like isKeyDown
// from the last pumpWindowEvents.
bool isPhysicalKeyDown(int key);

} // namespace platform
