// The real window and keyboard under Xvfb, driven by xdotool as a player's keyboard would be.
#include "platform/clock.h"
#include "platform/keyboard.h"
#include "platform/window.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
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
        if (platform::isKeyDown(vk) != expected) return false;
        ++reads;
        platform::sleepMs(5);
    }
    return reads > 0;
}

bool becomes(int vk, bool expected) {
    for (int i = 0; i < 200; ++i) {
        if (platform::isKeyDown(vk) == expected) return true;
        platform::sleepMs(5);
    }
    return false;
}

std::vector<std::string> collectChars(size_t count) {
    std::vector<std::string> out;
    for (int i = 0; i < 400 && out.size() < count; ++i) {
        platform::WindowEvent e;
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
        for (int i = 0; i < 200 && !platform::windowHasFocus(); ++i) platform::sleepMs(5);
    }
    static void TearDownTestSuite() { platform::destroyWindow(); }
};

} // namespace

TEST_F(X11Input, WindowHasFocus) { EXPECT_TRUE(platform::windowHasFocus()); }

TEST_F(X11Input, HeldKeysReadDownWhileHeld) {
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

    xdo("keydown Return");
    EXPECT_TRUE(becomes(VK_RETURN, true));
    xdo("keyup Return");
    EXPECT_TRUE(becomes(VK_RETURN, false));
    xdo("keydown F5");
    EXPECT_TRUE(becomes(VK_F1 + 4, true));
    xdo("keyup F5");
    xdo("keydown a");
    EXPECT_TRUE(becomes('A', true));
    xdo("keyup a");
    EXPECT_TRUE(becomes('A', false));
    collectChars(1); // the 'a' typed above
}

TEST_F(X11Input, TypedCharactersArriveOneByOne) {
    xdo("type --delay 30 '!?'");
    std::vector<std::string> chars = collectChars(2);
    ASSERT_EQ(chars.size(), 2u);
    EXPECT_EQ(chars[0], "!");
    EXPECT_EQ(chars[1], "?");
}

TEST_F(X11Input, AccentedCharacterArrivesWhole) {
    xdo("type --delay 30 'éà'");
    std::vector<std::string> chars = collectChars(2);
    ASSERT_EQ(chars.size(), 2u);
    EXPECT_EQ(chars[0], "é");
    EXPECT_EQ(chars[1], "à");
}
