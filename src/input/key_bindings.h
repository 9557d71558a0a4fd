#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// One binding: a key (vk) or a typed character (ch), with the modifiers it asks for.
struct KeyChord {
    int32_t vk = 0; // virtual-key code; 0 = no key
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
    bool useChar = false; // the chord names the character ch instead of the key vk
    char ch = 0;
};

// The key chord of every action (MOVE_UP, SHOOT, ...), read from config.ini in the
// working folder. It reports levels, never edges: pacing repeats is the caller's job.
class KeyBindingManager {
public:
    // Installs the defaults, writes config.ini with them when it is missing, then
    // applies the file. Called once at start-up, before the window exists.
    static void init();
    // The same steps again: both maps are rebuilt from scratch.
    static void reload();
    // Whether the action's chord is held at this instant. False for an unknown action.
    // Asked many times a frame: the lookup allocates nothing.
    static bool isPressed(std::string_view action);
    // Whether a typed character (one UTF-8 character) matches the action's character chord.
    static bool matchesChar(std::string_view action, const std::string& c);
    // The text the action's chord was read from; "" for an unknown action.
    static std::string getBindingString(std::string_view action);
};
