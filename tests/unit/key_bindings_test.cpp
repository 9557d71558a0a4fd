// Key bindings as a player sets them in config.ini and holds them on the keyboard.
#include "input/key_bindings.h"
#include "platform/keyboard.h"
#include "fake_layout.h"
#include "fake_platform.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

// Physical keys of the scripted layout, apart from any virtual-key code.
constexpr int KEY_A = 1001;
constexpr int KEY_B = 1002;
constexpr int KEY_C = 1003;

const char* const ALL_ACTIONS[] = {
    "MOVE_UP",          "MOVE_DOWN",       "MOVE_LEFT",      "MOVE_RIGHT",   "MENU_UP",       "MENU_DOWN",
    "MENU_CONFIRM",     "MENU_BACK",       "HISTORY_CAT_PREV", "HISTORY_CAT_NEXT", "HISTORY_PREV", "HISTORY_NEXT",
    "CHAT_RADIO_OPEN",  "CHAT_TEAM_OPEN",  "CHECK_HEALTH",   "SAY_COORDS",   "CHECK_ROUND",   "CHECK_AMMO",
    "RELOAD",           "SHOOT",           "WEAPON_1",       "WEAPON_2",     "WEAPON_3",      "BOX_LOC",
    "REVIVE",           "CHECK_POINTS",    "CHECK_KILLS",    "MAP_ELEMENTS_MENU", "VOL_CH_DOWN", "VOL_CH_UP",
    "VOL_CH_PREV",      "VOL_CH_NEXT",     "VOL_MASTER_UP",  "VOL_MASTER_DOWN", "AUDIO_DEBUG",
};

class KeyBindings : public TempFolder {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        fake::reset();
        fake::clearLayout();
    }

    static void writeConfig(const std::string& content) { writeFile("config.ini", content); }
    static std::string readConfig() { return readFile("config.ini"); }
    // Holds exactly these virtual keys.
    static bool pressedWith(const char* action, std::initializer_list<int> vks) {
        fake::releaseAllKeys();
        for (int vk : vks) fake::setKey(vk, true);
        bool result = KeyBindingManager::isPressed(action);
        fake::releaseAllKeys();
        return result;
    }
};

} // namespace

TEST_F(KeyBindings, MissingFileIsCreatedWithTheDefaultsAndAnExistingOneIsKept) {
    KeyBindingManager::init();
    EXPECT_EQ(readConfig(), "; Ashen Refuge - configuration des touches\n"
                            "; Modifiez les valeurs \xC3\xA0 droite du '='\n"
                            "; Exemples : MOVE_UP=Z  ou  MENU_CONFIRM=ENTER  ou  HISTORY_CAT_NEXT=SHIFT+;\n"
                            "\n"
                            "HISTORY_CAT_PREV=W\nHISTORY_CAT_NEXT=X\nHISTORY_PREV=A\nHISTORY_NEXT=Z\n"
                            "CHECK_HEALTH=h\nSAY_COORDS=c\nCHECK_ROUND=t\nCHECK_AMMO=q\nRELOAD=r\nSHOOT=SPACE\n"
                            "WEAPON_1=1\nWEAPON_2=2\nWEAPON_3=3\nBOX_LOC=b\nREVIVE=u\n"
                            "CHAT_RADIO_OPEN=!\nCHAT_TEAM_OPEN=*\nCHECK_POINTS=p\nCHECK_KILLS=k\nMAP_ELEMENTS_MENU=d\n");
    // The file just written is read back: its single letters come out lower-cased.
    EXPECT_EQ(KeyBindingManager::getBindingString("HISTORY_PREV"), "a");
    EXPECT_EQ(KeyBindingManager::getBindingString("MENU_CONFIRM"), "ENTER");
    EXPECT_EQ(KeyBindingManager::getBindingString("VOL_MASTER_DOWN"), "PGDN");
    EXPECT_EQ(KeyBindingManager::getBindingString("NOPE"), "");
    EXPECT_TRUE(pressedWith("HISTORY_PREV", {'A'}));
    EXPECT_TRUE(pressedWith("CHECK_HEALTH", {'H'}));
    EXPECT_TRUE(pressedWith("MENU_CONFIRM", {VK_RETURN}));
    EXPECT_TRUE(pressedWith("MENU_BACK", {VK_ESCAPE}));
    EXPECT_TRUE(pressedWith("VOL_MASTER_UP", {VK_PRIOR}));
    EXPECT_TRUE(pressedWith("VOL_MASTER_DOWN", {VK_NEXT}));
    EXPECT_TRUE(pressedWith("VOL_CH_NEXT", {VK_F1 + 9}));
    EXPECT_TRUE(pressedWith("AUDIO_DEBUG", {VK_F1 + 10}));

    writeConfig("SHOOT=f5\n");
    KeyBindingManager::init();
    EXPECT_EQ(readConfig(), "SHOOT=f5\n");
    EXPECT_EQ(KeyBindingManager::getBindingString("SHOOT"), "f5");
}

TEST_F(KeyBindings, MixedFileIsReadLineByLine) {
    writeConfig("\xEF\xBB\xBF; Ashen Refuge\r\n"
                "# autre commentaire\n"
                "   \n"
                "CHECK_AMMO  =  Q \r\n"
                "check_health=z\n"
                "MOVE_UP=Z\n"
                "RELOAD=SHIFT+F5\n"
                "SHOOT=f5\n"
                "CHECK_POINTS=F0\n"
                "CHECK_KILLS=F25\n"
                "BOX_LOC=pagedown\n"
                "REVIVE=vk_next\n"
                "HISTORY_CAT_PREV=SHIFT++\n"
                "CHAT_TEAM_OPEN=+\n"
                "CHAT_RADIO_OPEN=?\n"
                "\xEF\xBB\xBFWEAPON_2=F3\n"
                "WEAPON_3=F99999999999\n"
                "CHECK_ROUND=F1\n"
                "CHECK_ROUND=F2\n"
                "SAY_COORDS=\n"
                "=F4\n"
                "MAP_ELEMENTS_MENU F6\n"
                "HISTORY_NEXT=Z");
    KeyBindingManager::init();

    EXPECT_EQ(KeyBindingManager::getBindingString("CHECK_AMMO"), "q");
    EXPECT_TRUE(pressedWith("CHECK_AMMO", {'Q'}));
    EXPECT_EQ(KeyBindingManager::getBindingString("CHECK_HEALTH"), "h");
    EXPECT_EQ(KeyBindingManager::getBindingString("MOVE_UP"), "UP");
    EXPECT_TRUE(pressedWith("MOVE_UP", {VK_UP}));
    EXPECT_FALSE(pressedWith("MOVE_UP", {'Z'}));

    EXPECT_FALSE(pressedWith("RELOAD", {VK_F1 + 4}));
    EXPECT_FALSE(pressedWith("RELOAD", {VK_LSHIFT, 'R'}));
    EXPECT_TRUE(pressedWith("RELOAD", {VK_RSHIFT, VK_F1 + 4}));

    EXPECT_EQ(KeyBindingManager::getBindingString("SHOOT"), "f5");
    EXPECT_TRUE(pressedWith("SHOOT", {VK_F1 + 4}));
    EXPECT_FALSE(pressedWith("SHOOT", {VK_SPACE}));
    EXPECT_TRUE(pressedWith("WEAPON_2", {VK_F1 + 2}));
    EXPECT_TRUE(pressedWith("BOX_LOC", {VK_NEXT}));
    EXPECT_TRUE(pressedWith("REVIVE", {VK_NEXT}));
    EXPECT_EQ(KeyBindingManager::getBindingString("CHECK_ROUND"), "F2");
    EXPECT_TRUE(pressedWith("CHECK_ROUND", {VK_F1 + 1}));
    EXPECT_FALSE(pressedWith("CHECK_ROUND", {VK_F1}));

    // Out-of-range function keys, even one too long for an int, bind the character 'F'.
    for (const char* action : {"CHECK_POINTS", "CHECK_KILLS", "WEAPON_3"}) {
        EXPECT_TRUE(KeyBindingManager::matchesChar(action, "f")) << action;
        EXPECT_TRUE(KeyBindingManager::matchesChar(action, "F")) << action;
    }
    EXPECT_FALSE(pressedWith("CHECK_KILLS", {VK_F24 + 1}));

    // SHIFT++ keeps only its Shift and is never pressed; '+' alone is the character.
    fake::setLayoutChar("+", KEY_A);
    fake::setPhysicalKey(KEY_A, true);
    EXPECT_FALSE(pressedWith("HISTORY_CAT_PREV", {VK_LSHIFT, 'W'}));
    EXPECT_FALSE(KeyBindingManager::matchesChar("HISTORY_CAT_PREV", "+"));
    EXPECT_TRUE(KeyBindingManager::matchesChar("CHAT_TEAM_OPEN", "+"));
    EXPECT_FALSE(KeyBindingManager::matchesChar("CHAT_TEAM_OPEN", "*"));
    EXPECT_TRUE(KeyBindingManager::matchesChar("CHAT_RADIO_OPEN", "?"));
    EXPECT_FALSE(KeyBindingManager::matchesChar("CHAT_RADIO_OPEN", "!"));

    // Lines with an empty side or without '=' change nothing; the last line needs no line end.
    EXPECT_EQ(KeyBindingManager::getBindingString("SAY_COORDS"), "c");
    EXPECT_EQ(KeyBindingManager::getBindingString("MAP_ELEMENTS_MENU"), "d");
    EXPECT_EQ(KeyBindingManager::getBindingString("HISTORY_NEXT"), "z");
    EXPECT_TRUE(pressedWith("HISTORY_NEXT", {'Z'}));
}

TEST_F(KeyBindings, OnlyTheTwentyConfigurableActionsFollowTheFile) {
    std::string content;
    for (const char* action : ALL_ACTIONS) content += std::string(action) + "=F12\n";
    writeConfig(content);
    KeyBindingManager::init();
    int changed = 0;
    for (const char* action : ALL_ACTIONS)
        if (KeyBindingManager::getBindingString(action) == "F12") ++changed;
    EXPECT_EQ(changed, 20);
    for (const char* fixed : {"MOVE_UP", "MOVE_DOWN", "MOVE_LEFT", "MOVE_RIGHT", "MENU_UP", "MENU_DOWN",
                              "MENU_CONFIRM", "MENU_BACK", "VOL_CH_DOWN", "VOL_CH_UP", "VOL_CH_PREV",
                              "VOL_CH_NEXT", "VOL_MASTER_UP", "VOL_MASTER_DOWN", "AUDIO_DEBUG"})
        EXPECT_NE(KeyBindingManager::getBindingString(fixed), "F12") << fixed;
}

TEST_F(KeyBindings, ReloadStartsAgainFromDefaultsAndTheFile) {
    writeConfig("SHOOT=ENTER\nRELOAD=x\n");
    KeyBindingManager::init();
    EXPECT_TRUE(pressedWith("SHOOT", {VK_RETURN}));
    writeConfig("RELOAD=y\n");
    KeyBindingManager::reload();
    EXPECT_EQ(KeyBindingManager::getBindingString("SHOOT"), "SPACE");
    EXPECT_TRUE(pressedWith("SHOOT", {VK_SPACE}));
    EXPECT_TRUE(pressedWith("RELOAD", {'Y'}));
    EXPECT_FALSE(pressedWith("RELOAD", {'X'}));

    // A config.ini that can be neither read nor created leaves the defaults.
    std::filesystem::remove("config.ini");
    std::filesystem::create_directory("config.ini");
    KeyBindingManager::reload();
    EXPECT_EQ(KeyBindingManager::getBindingString("RELOAD"), "r");
}

TEST_F(KeyBindings, KeyChordsAreLevelsAndToleratesExtraModifiers) {
    KeyBindingManager::init();
    fake::setKey(VK_SPACE, true);
    for (int poll = 0; poll < 5; ++poll) EXPECT_TRUE(KeyBindingManager::isPressed("SHOOT")) << poll;
    fake::setKey(VK_SPACE, false);
    EXPECT_FALSE(KeyBindingManager::isPressed("SHOOT"));

    EXPECT_TRUE(pressedWith("VOL_CH_DOWN", {VK_LSHIFT, VK_F1 + 6}));
    EXPECT_TRUE(pressedWith("VOL_CH_DOWN", {VK_LCONTROL, VK_LMENU, VK_F1 + 6}));
    EXPECT_TRUE(pressedWith("WEAPON_1", {'1'}));
    EXPECT_TRUE(pressedWith("WEAPON_1", {VK_LSHIFT, '1'}));
    EXPECT_FALSE(pressedWith("WEAPON_1", {0x61})); // numeric keypad 1
    EXPECT_FALSE(pressedWith("WEAPON_2", {'1'}));

    EXPECT_FALSE(pressedWith("FIRE", {VK_SPACE}));
    EXPECT_FALSE(pressedWith("shoot", {VK_SPACE}));
    EXPECT_FALSE(KeyBindingManager::matchesChar("FIRE", "!"));
}

TEST_F(KeyBindings, BareCharacterNeedsExactlyTheModifiersTheLayoutNeeds) {
    writeConfig("CHECK_KILLS=#\n");
    KeyBindingManager::init();

    // QWERTY types '!' as Shift+1.
    fake::setLayoutChar("!", KEY_A, true);
    fake::setPhysicalKey(KEY_A, true);
    EXPECT_FALSE(pressedWith("CHAT_RADIO_OPEN", {}));
    EXPECT_TRUE(pressedWith("CHAT_RADIO_OPEN", {VK_LSHIFT}));
    EXPECT_FALSE(pressedWith("CHAT_RADIO_OPEN", {VK_LSHIFT, VK_LCONTROL}));
    EXPECT_FALSE(pressedWith("CHAT_RADIO_OPEN", {VK_LSHIFT, VK_LMENU}));
    fake::setPhysicalKey(KEY_A, false);
    EXPECT_FALSE(pressedWith("CHAT_RADIO_OPEN", {VK_LSHIFT}));
    // The character's own code is no key: '!' is 0x21, Page Up.
    EXPECT_FALSE(pressedWith("CHAT_RADIO_OPEN", {0x21, VK_LSHIFT}));

    // AZERTY has a key of its own for '!'.
    fake::clearLayout();
    fake::setLayoutChar("!", KEY_B);
    fake::setPhysicalKey(KEY_B, true);
    EXPECT_TRUE(pressedWith("CHAT_RADIO_OPEN", {}));
    EXPECT_FALSE(pressedWith("CHAT_RADIO_OPEN", {VK_RSHIFT}));

    // '#' with AltGr (right Alt); left Alt is not AltGr.
    fake::setLayoutChar("#", KEY_C, false, false, true);
    fake::setPhysicalKey(KEY_C, true);
    EXPECT_TRUE(pressedWith("CHECK_KILLS", {VK_RMENU}));
    EXPECT_FALSE(pressedWith("CHECK_KILLS", {}));
    EXPECT_FALSE(pressedWith("CHECK_KILLS", {VK_LMENU}));

    // A character that no key types is never pressed.
    fake::clearLayout();
    EXPECT_FALSE(pressedWith("CHAT_RADIO_OPEN", {VK_LSHIFT}));
}

TEST_F(KeyBindings, CharacterWithModifiersIsItsKeyPlusTheWrittenModifiers) {
    writeConfig("HISTORY_CAT_NEXT=SHIFT+;\nHISTORY_CAT_PREV=CTRL+X\nCHECK_KILLS=ALT+ #\n");
    KeyBindingManager::init();

    // ';' needs no Shift on AZERTY; the player asked for Shift anyway.
    fake::setLayoutChar(";", KEY_A);
    EXPECT_FALSE(pressedWith("HISTORY_CAT_NEXT", {VK_LSHIFT}));
    fake::setPhysicalKey(KEY_A, true);
    EXPECT_FALSE(pressedWith("HISTORY_CAT_NEXT", {}));
    EXPECT_TRUE(pressedWith("HISTORY_CAT_NEXT", {VK_LSHIFT}));
    EXPECT_TRUE(pressedWith("HISTORY_CAT_NEXT", {VK_LSHIFT, VK_LCONTROL}));
    // On a layout that types ';' with Shift, the same chord is that key with Shift.
    fake::setLayoutChar(";", KEY_A, true);
    EXPECT_TRUE(pressedWith("HISTORY_CAT_NEXT", {VK_RSHIFT}));
    EXPECT_FALSE(pressedWith("HISTORY_CAT_NEXT", {}));

    // Ctrl with the key of 'X'; the Shift a capital needs is not asked for.
    fake::setLayoutChar("X", KEY_B, true);
    fake::setPhysicalKey(KEY_B, true);
    EXPECT_TRUE(pressedWith("HISTORY_CAT_PREV", {VK_LCONTROL}));
    EXPECT_TRUE(pressedWith("HISTORY_CAT_PREV", {VK_LCONTROL, VK_LSHIFT}));
    EXPECT_FALSE(pressedWith("HISTORY_CAT_PREV", {VK_LSHIFT}));

    // Alt with a character that needs AltGr: any Alt will do.
    fake::setLayoutChar("#", KEY_C, false, false, true);
    fake::setPhysicalKey(KEY_C, true);
    EXPECT_TRUE(pressedWith("CHECK_KILLS", {VK_LMENU}));
    EXPECT_TRUE(pressedWith("CHECK_KILLS", {VK_RMENU}));
    EXPECT_FALSE(pressedWith("CHECK_KILLS", {}));
}

TEST_F(KeyBindings, TypedCharactersMatchOnlyCharacterChords) {
    writeConfig("CHAT_TEAM_OPEN=SHIFT+R\nHISTORY_PREV=CTRL+ALT\nCHECK_HEALTH=\xC3\xA9\n");
    KeyBindingManager::init();
    EXPECT_TRUE(KeyBindingManager::matchesChar("CHAT_RADIO_OPEN", "!"));
    EXPECT_FALSE(KeyBindingManager::matchesChar("CHAT_RADIO_OPEN", "*"));
    EXPECT_FALSE(KeyBindingManager::matchesChar("CHAT_RADIO_OPEN", ""));
    EXPECT_FALSE(KeyBindingManager::matchesChar("CHAT_RADIO_OPEN", "!!"));
    // Letters compare without case, and modifiers are not consulted.
    EXPECT_TRUE(KeyBindingManager::matchesChar("CHAT_TEAM_OPEN", "r"));
    EXPECT_TRUE(KeyBindingManager::matchesChar("CHAT_TEAM_OPEN", "R"));
    EXPECT_FALSE(KeyBindingManager::matchesChar("CHAT_TEAM_OPEN", "t"));
    // Key chords never match a typed character: letters, digits, named keys, bare modifiers.
    EXPECT_FALSE(KeyBindingManager::matchesChar("RELOAD", "r"));
    EXPECT_FALSE(KeyBindingManager::matchesChar("WEAPON_1", "1"));
    EXPECT_FALSE(KeyBindingManager::matchesChar("SHOOT", " "));
    EXPECT_FALSE(KeyBindingManager::matchesChar("HISTORY_PREV", "c"));
    EXPECT_FALSE(pressedWith("HISTORY_PREV", {VK_LCONTROL, VK_LMENU}));
    // A two-byte character binds its first byte, which no typed character equals.
    EXPECT_FALSE(KeyBindingManager::matchesChar("CHECK_HEALTH", "\xC3\xA9"));
    EXPECT_FALSE(pressedWith("CHECK_HEALTH", {'H'}));
}
