// The character-to-key lookup on the X server's live keymap, and key bindings
// that use it, under Xvfb with the French (AZERTY) layout.
#include "input/key_bindings.h"
#include "platform/clock.h"
#include "platform/keyboard.h"
#include "platform/layout.h"
#include "platform/window.h"

#include <SDL_scancode.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

const char* kTitle = "AshenRefuge keys test";

void run(const std::string& cmd) { ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd; }

struct Found {
    bool ok = false;
    platform::CharKey key;
};

Found lookup(const std::string& c) {
    Found f;
    f.ok = platform::findCharKey(c, f.key);
    return f;
}

void expectKey(const std::string& c, SDL_Scancode sc, bool shift, bool altGr) {
    Found f = lookup(c);
    ASSERT_TRUE(f.ok) << c;
    EXPECT_EQ(f.key.key, sc) << c;
    EXPECT_EQ(f.key.shift, shift) << c;
    EXPECT_FALSE(f.key.ctrl) << c;
    EXPECT_EQ(f.key.altGr, altGr) << c;
}

// The lookup notices a layout switch through XKB events; give them a moment to arrive.
bool waitForKey(const std::string& c, SDL_Scancode sc) {
    for (int i = 0; i < 200; ++i) {
        if (lookup(c).key.key == sc) return true;
        platform::sleepMs(10);
    }
    return false;
}

bool becomesPressed(const char* action, bool expected) {
    for (int i = 0; i < 200; ++i) {
        if (KeyBindingManager::isPressed(action) == expected) return true;
        platform::sleepMs(5);
    }
    return false;
}

} // namespace

TEST(FrenchLayout, LookupFollowsTheLiveKeymap) {
    run("setxkbmap us");
    expectKey("a", SDL_SCANCODE_A, false, false);
    expectKey("!", SDL_SCANCODE_1, true, false);
    expectKey("*", SDL_SCANCODE_8, true, false); // a keypad is often missing, a main block never

    run("setxkbmap fr");
    ASSERT_TRUE(waitForKey("a", SDL_SCANCODE_Q)) << "the switch to AZERTY was not noticed";
    expectKey("q", SDL_SCANCODE_A, false, false);
    expectKey("A", SDL_SCANCODE_Q, true, false);
    expectKey("z", SDL_SCANCODE_W, false, false);
    expectKey("!", SDL_SCANCODE_SLASH, false, false);
    expectKey(";", SDL_SCANCODE_COMMA, false, false);
    expectKey(",", SDL_SCANCODE_M, false, false);
    expectKey("&", SDL_SCANCODE_1, false, false);
    expectKey("1", SDL_SCANCODE_1, true, false);
    expectKey("0", SDL_SCANCODE_0, true, false);
    expectKey("\xC3\xA9", SDL_SCANCODE_2, false, false); // é
    expectKey("#", SDL_SCANCODE_3, false, true);
    expectKey("\xE2\x82\xAC", SDL_SCANCODE_E, false, true); // €
    expectKey("*", SDL_SCANCODE_BACKSLASH, false, false);   // main block before the keypad
    expectKey("/", SDL_SCANCODE_PERIOD, true, false);       // even with Shift, before the keypad
    expectKey("<", SDL_SCANCODE_NONUSBACKSLASH, false, false);

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
TEST(FrenchLayout, CharacterChordsFollowHeldKeys) {
    run("setxkbmap fr");
    ASSERT_TRUE(waitForKey("a", SDL_SCANCODE_Q));

    const std::filesystem::path previous = std::filesystem::current_path();
    char pattern[] = "/tmp/ashen_keys_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    std::filesystem::current_path(pattern);
    std::ofstream("config.ini") << "HISTORY_CAT_NEXT=SHIFT+;\nCHECK_KILLS=#\n";
    KeyBindingManager::init();

    ASSERT_TRUE(platform::createWindow(kTitle));
    run(std::string("xdotool search --sync --name '") + kTitle + "' windowfocus --sync");
    for (int i = 0; i < 200 && !platform::windowHasFocus(); ++i) platform::sleepMs(5);

    run("xdotool keydown exclam");
    EXPECT_TRUE(becomesPressed("CHAT_RADIO_OPEN", true));
    run("xdotool keydown Shift_L");
    EXPECT_TRUE(becomesPressed("CHAT_RADIO_OPEN", false)) << "'!' needs no Shift on AZERTY";
    run("xdotool keyup Shift_L keyup exclam");

    run("xdotool keydown semicolon");
    EXPECT_TRUE(becomesPressed("CHAT_RADIO_OPEN", false));
    EXPECT_FALSE(KeyBindingManager::isPressed("HISTORY_CAT_NEXT"));
    run("xdotool keydown Shift_L");
    EXPECT_TRUE(becomesPressed("HISTORY_CAT_NEXT", true));
    run("xdotool keyup Shift_L keyup semicolon");
    EXPECT_TRUE(becomesPressed("HISTORY_CAT_NEXT", false));

    // '#' is AltGr with the key of '"'; the digit-row key itself is the WEAPON_1 key.
    run("xdotool keydown quotedbl");
    EXPECT_TRUE(becomesPressed("WEAPON_3", true));
    EXPECT_FALSE(KeyBindingManager::isPressed("CHECK_KILLS"));
    run("xdotool keydown ISO_Level3_Shift");
    EXPECT_TRUE(becomesPressed("CHECK_KILLS", true));
    run("xdotool keyup ISO_Level3_Shift keyup quotedbl");
    EXPECT_TRUE(becomesPressed("CHECK_KILLS", false));

    platform::destroyWindow();
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(pattern);
    run("setxkbmap us");
}

TEST(NoDisplay, LookupFindsNothingAndDoesNotFail) {
    unsetenv("DISPLAY");
    platform::CharKey key;
    EXPECT_FALSE(platform::findCharKey("a", key));
    EXPECT_FALSE(platform::findCharKey("!", key));
    EXPECT_FALSE(platform::isPhysicalKeyDown(SDL_SCANCODE_A));
}
