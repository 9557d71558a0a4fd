// The character-to-key lookup on the X server's live keymap, and key bindings
// that use it, under Xvfb with the French (AZERTY) layout.
#include "../unit/temp_folder.h"
#include "input/key_bindings.h"
#include "platform/clock.h"
#include "platform/keyboard.h"
#include "platform/layout.h"
#include "platform/window.h"

#include <SDL_scancode.h>

#include <functional>

namespace {

void run(const std::string& cmd) { ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd; }

// A character, the key that types it, and whether Shift or AltGr goes with it.
struct Typed {
    const char* c;
    SDL_Scancode key;
    bool shift, altGr;
};

void expectKeys(std::initializer_list<Typed> typed) {
    for (const Typed& t : typed) {
        platform::CharKey key;
        ASSERT_TRUE(platform::findCharKey(t.c, key)) << t.c;
        EXPECT_EQ(key.key, t.key) << t.c;
        EXPECT_TRUE(key.shift == t.shift && key.altGr == t.altGr && !key.ctrl) << t.c;
    }
}

// Layout switches and key presses reach the lookup and the window as X events: give them a moment.
bool soon(const std::function<bool()>& condition) {
    for (int i = 0; i < 200; ++i, platform::sleepMs(10)) {
        platform::pumpWindowEvents();
        if (condition()) return true;
    }
    return false;
}
bool keyOfIs(const std::string& c, SDL_Scancode sc) {
    platform::CharKey key;
    return platform::findCharKey(c, key) && key.key == sc;
}
// Runs xdotool with `keys`, then waits for the action to be pressed or not.
bool after(const std::string& keys, const char* action, bool expected) {
    run("xdotool " + keys);
    return soon([&] { return KeyBindingManager::isPressed(action) == expected; });
}

class FrenchLayout : public TempFolder {};

} // namespace

TEST_F(FrenchLayout, LookupFollowsTheLiveKeymap) {
    run("setxkbmap us");
    // A keypad is often missing, a main block never.
    expectKeys({{"a", SDL_SCANCODE_A, false, false}, {"!", SDL_SCANCODE_1, true, false},
                {"*", SDL_SCANCODE_8, true, false}});

    // ';' and '!' on AZERTY are played in CharacterChordsFollowHeldKeys.
    run("setxkbmap fr");
    ASSERT_TRUE(soon([] { return keyOfIs("a", SDL_SCANCODE_Q); })) << "the switch to AZERTY was not noticed";
    expectKeys({{"A", SDL_SCANCODE_Q, true, false},           {"&", SDL_SCANCODE_1, false, false},
                {"1", SDL_SCANCODE_1, true, false},           {"\xC3\xA9", SDL_SCANCODE_2, false, false}, // é
                {"#", SDL_SCANCODE_3, false, true},           {"\xE2\x82\xAC", SDL_SCANCODE_E, false, true}, // €
                {"*", SDL_SCANCODE_BACKSLASH, false, false},  // the main block before the keypad,
                {"/", SDL_SCANCODE_PERIOD, true, false},      // even with Shift
                {"<", SDL_SCANCODE_NONUSBACKSLASH, false, false}});

    platform::CharKey untouched;
    untouched.key = 42;
    EXPECT_FALSE(platform::findCharKey("\xE4\xB8\xAD", untouched)); // a CJK ideograph
    EXPECT_FALSE(platform::findCharKey("\xC3", untouched));         // not a whole character
    EXPECT_FALSE(platform::findCharKey("ab", untouched));
    EXPECT_FALSE(platform::findCharKey("", untouched));
    EXPECT_FALSE(platform::findCharKey(std::string(1, '\0'), untouched)); // dead keys type nothing
    EXPECT_EQ(untouched.key, 42);
    run("setxkbmap us");
}

// The key the lookup names is the one the window reads as held.
TEST_F(FrenchLayout, CharacterChordsFollowHeldKeys) {
    run("setxkbmap fr");
    ASSERT_TRUE(soon([] { return keyOfIs("a", SDL_SCANCODE_Q); }));
    writeFile("config.ini", "HISTORY_CAT_NEXT=SHIFT+;\nCHECK_KILLS=#\n");
    KeyBindingManager::init();

    ASSERT_TRUE(platform::createWindow("AshenRefuge keys test"));
    run("xdotool search --sync --name 'AshenRefuge keys test' windowfocus --sync");
    soon(platform::windowHasFocus);

    EXPECT_TRUE(after("keydown exclam", "CHAT_RADIO_OPEN", true));
    EXPECT_TRUE(after("keydown Shift_L", "CHAT_RADIO_OPEN", false)) << "'!' needs no Shift on AZERTY";
    EXPECT_TRUE(after("keyup Shift_L keyup exclam keydown semicolon", "CHAT_RADIO_OPEN", false));
    EXPECT_FALSE(KeyBindingManager::isPressed("HISTORY_CAT_NEXT"));
    EXPECT_TRUE(after("keydown Shift_L", "HISTORY_CAT_NEXT", true));
    EXPECT_TRUE(after("keyup Shift_L keyup semicolon", "HISTORY_CAT_NEXT", false));

    // '#' is AltGr with the key of '"'; the digit-row key itself is the WEAPON_3 key.
    EXPECT_TRUE(after("keydown quotedbl", "WEAPON_3", true));
    EXPECT_FALSE(KeyBindingManager::isPressed("CHECK_KILLS"));
    EXPECT_TRUE(after("keydown ISO_Level3_Shift", "CHECK_KILLS", true));
    EXPECT_TRUE(after("keyup ISO_Level3_Shift keyup quotedbl", "CHECK_KILLS", false));

    platform::destroyWindow();
    run("setxkbmap us");
}

TEST(NoDisplay, LookupFindsNothingAndDoesNotFail) {
    unsetenv("DISPLAY");
    platform::CharKey key;
    EXPECT_FALSE(platform::findCharKey("a", key));
    EXPECT_FALSE(platform::findCharKey("!", key));
    EXPECT_FALSE(platform::isPhysicalKeyDown(SDL_SCANCODE_A));
}
