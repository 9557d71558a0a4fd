// The real window and keyboard under Xvfb, driven by xdotool as a player's keyboard would be.
#include "platform/clock.h"
#include "platform/keyboard.h"
#include "platform/window.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

const char* kTitle = "AshenRefuge x11 test";

void xdo(const std::string& args) {
    std::string cmd = "xdotool " + args;
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
}

// Keeps polling the key for `ms` and tells whether it read as `expected` every time.
bool holdsFor(int vk, bool expected, uint32_t ms) {
    uint32_t start = platform::tickCount();
    int reads = 0;
    while (platform::tickCount() - start < ms) {
        platform::pumpWindowEvents();
        if (platform::isKeyDown(vk) != expected) return false;
        ++reads;
        platform::sleepMs(5);
    }
    return reads > 0;
}

bool becomes(int vk, bool expected) {
    for (int i = 0; i < 200; ++i) {
        platform::pumpWindowEvents();
        if (platform::isKeyDown(vk) == expected) return true;
        platform::sleepMs(5);
    }
    return false;
}

std::vector<std::string> collectChars(size_t count) {
    std::vector<std::string> out;
    for (int i = 0; i < 400 && out.size() < count; ++i) {
        platform::WindowEvent e;
        platform::pumpWindowEvents();
        while (platform::pollWindowEvent(e))
            if (e.type == platform::WindowEventType::Char) out.push_back(e.text);
        platform::sleepMs(5);
    }
    return out;
}

class X11Input : public testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(platform::createWindow(kTitle));
        xdo(std::string("search --sync --name '") + kTitle + "' windowfocus --sync");
        for (int i = 0; i < 200 && !platform::windowHasFocus(); ++i) {
            platform::sleepMs(5);
            platform::pumpWindowEvents();
        }
    }
    static void TearDownTestSuite() { platform::destroyWindow(); }
};

} // namespace

// Players use the keypad as the arrow block when NumLock is off.
TEST_F(X11Input, HeldKeysReadDownWhileHeldAndTheKeypadActsAsTheMainBlock) {
    EXPECT_TRUE(platform::windowHasFocus());
    xdo("keydown Up");
    EXPECT_TRUE(becomes(VK_UP, true));
    EXPECT_TRUE(holdsFor(VK_UP, true, 300)) << "a held key must not flicker up";
    xdo("keydown Shift_L");
    EXPECT_TRUE(becomes(VK_SHIFT, true));
    EXPECT_TRUE(platform::isKeyDown(VK_UP));
    EXPECT_TRUE(platform::isKeyDown(VK_LSHIFT));
    xdo("keyup Up keyup Shift_L");
    EXPECT_TRUE(becomes(VK_UP, false));
    EXPECT_TRUE(becomes(VK_SHIFT, false));

    const std::pair<const char*, int> keys[] = {
        {"Return", VK_RETURN}, {"F5", VK_F1 + 4},    {"a", 'A'},
        {"KP_Up", VK_UP},     {"KP_Down", VK_DOWN},  {"KP_Left", VK_LEFT},       {"KP_Right", VK_RIGHT},
        {"KP_Home", VK_HOME}, {"KP_End", VK_END},    {"KP_Prior", VK_PRIOR},     {"KP_Next", VK_NEXT},
        {"KP_Insert", VK_INSERT}, {"KP_Delete", VK_DELETE},
    };
    for (const auto& [name, vk] : keys) {
        xdo(std::string("keydown ") + name);
        EXPECT_TRUE(becomes(vk, true)) << name;
        xdo(std::string("keyup ") + name);
        EXPECT_TRUE(becomes(vk, false)) << name;
    }
    collectChars(1); // the 'a' typed above
}

TEST_F(X11Input, TypedCharactersArriveOneByOneAccentedOnesWhole) {
    xdo("type --delay 30 '!?éà'");
    EXPECT_EQ(collectChars(4), (std::vector<std::string>{"!", "?", "é", "à"}));
}

// The main loop's wait between frames: a typed character ends it at once, and
// a tap gathered during it still reads down in the frame after it, once.
TEST_F(X11Input, TheFrameWaitEndsForATypedCharacterAndKeepsATapForTheNextFrame) {
    platform::WindowEvent e;
    while (platform::waitBetweenFrames(0))
        while (platform::pollWindowEvent(e)) {
        }
    xdo("keydown KP_Up keyup KP_Up");
    ASSERT_EQ(std::system("xdotool sleep 0.2 type z &"), 0);
    // Ten minutes from its deadline: only the character can end this wait.
    EXPECT_TRUE(platform::waitBetweenFrames(600000));
    ASSERT_TRUE(platform::pollWindowEvent(e));
    EXPECT_EQ(e.text, "z");
    EXPECT_FALSE(platform::waitBetweenFrames(0)) << "nothing else waits: the next frame starts";
    EXPECT_TRUE(platform::isKeyDown(VK_UP)) << "the tap came before the character and is not lost";
    EXPECT_FALSE(platform::waitBetweenFrames(0));
    EXPECT_FALSE(platform::isKeyDown(VK_UP));
}

// A tap shorter than a frame is seen; with NumLock on the keypad types digits, not arrows.
TEST_F(X11Input, KeypadTapBetweenFramesAndNumLock) {
    platform::pumpWindowEvents();
    xdo("keydown KP_Up keyup KP_Up");
    platform::pumpWindowEvents();
    EXPECT_TRUE(platform::isKeyDown(VK_UP)) << "a tap between two frames reads down once";
    platform::pumpWindowEvents();
    EXPECT_FALSE(platform::isKeyDown(VK_UP));

    // By keycode (80, the keypad's 8): asked for KP_8, xdotool would switch NumLock back off itself.
    xdo("key Num_Lock keydown 80");
    platform::sleepMs(100);
    EXPECT_TRUE(holdsFor(VK_UP, false, 100)) << "with NumLock on the keypad types digits";
    xdo("keyup 80 key Num_Lock");
    collectChars(1); // the '8' typed above
}
