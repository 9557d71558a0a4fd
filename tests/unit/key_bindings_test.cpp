// Key bindings as a player sets them in config.ini and holds them on the keyboard.
#include "client_test_support.h"
#include "input/key_bindings.h"

#include <filesystem>

namespace {

// Physical keys of the scripted layout, apart from any virtual-key code.
constexpr int KEY_A = 1001;
constexpr int KEY_B = 1002;
constexpr int KEY_C = 1003;

using KB = KeyBindingManager;

class KeyBindings : public FreshClient {
protected:
    // Whether the action is pressed with exactly these virtual keys held.
    static bool pressedWith(const char* action, std::initializer_list<int> vks) {
        fake::releaseAllKeys();
        for (int vk : vks) fake::setKey(vk, true);
        bool result = KB::isPressed(action);
        fake::releaseAllKeys();
        return result;
    }
    // The same for several sets of held keys, as "1" (pressed) or "0" each.
    static std::string pressed(const char* action, std::initializer_list<std::initializer_list<int>> sets) {
        std::string out;
        for (auto vks : sets) out += pressedWith(action, vks) ? '1' : '0';
        return out;
    }
    // matchesChar for several typed characters, as "1" or "0" each.
    static std::string typed(const char* action, std::initializer_list<const char*> chars) {
        std::string out;
        for (const char* c : chars) out += KB::matchesChar(action, c) ? '1' : '0';
        return out;
    }
};

} // namespace

// The file written when missing is the one the player's guide shows (guide_test).
TEST_F(KeyBindings, MissingFileIsCreatedWithTheDefaultsAnExistingOneIsKeptAndReread) {
    KB::init();
    EXPECT_NE(readFile("config.ini").find("\nSHOOT=SPACE\n"), std::string::npos);
    // The file just written is read back: its single letters come out lower-cased.
    EXPECT_EQ(KB::getBindingString("HISTORY_PREV"), "a");
    EXPECT_EQ(KB::getBindingString("VOL_MASTER_DOWN"), "PGDN");
    const std::pair<const char*, int> held[] = {{"MENU_BACK", VK_ESCAPE}, {"VOL_MASTER_UP", VK_PRIOR},
                                                 {"VOL_MASTER_DOWN", VK_NEXT}, {"VOL_CH_NEXT", VK_F1 + 9}};
    for (const auto& [action, vk] : held) EXPECT_TRUE(pressedWith(action, {vk})) << action;

    writeFile("config.ini", "SHOOT=ENTER\nRELOAD=x\n");
    KB::init();
    EXPECT_EQ(readFile("config.ini"), "SHOOT=ENTER\nRELOAD=x\n");
    EXPECT_TRUE(pressedWith("SHOOT", {VK_RETURN}));

    // A reload starts again from the defaults, then the file.
    writeFile("config.ini", "RELOAD=y\n");
    KB::reload();
    EXPECT_EQ(KB::getBindingString("SHOOT"), "SPACE");
    EXPECT_TRUE(pressedWith("SHOOT", {VK_SPACE}));
    EXPECT_EQ(pressed("RELOAD", {{'Y'}, {'X'}}), "10");

    // A config.ini that can be neither read nor created leaves the defaults.
    std::filesystem::remove("config.ini");
    std::filesystem::create_directory("config.ini");
    KB::reload();
    EXPECT_EQ(KB::getBindingString("RELOAD"), "r");
}

TEST_F(KeyBindings, MixedFileIsReadLineByLine) {
    writeFile("config.ini", "\xEF\xBB\xBF; Ashen Refuge\r\n"
                            "# autre commentaire\n"
                            "   \n"
                            "CHECK_AMMO  =  G \r\n"
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
                            "HISTORY_NEXT=N");
    KB::init();

    EXPECT_EQ(KB::getBindingString("CHECK_AMMO"), "g");
    EXPECT_TRUE(pressedWith("CHECK_AMMO", {'G'}));
    EXPECT_EQ(KB::getBindingString("CHECK_HEALTH"), "h");
    EXPECT_EQ(KB::getBindingString("MOVE_UP"), "UP");
    EXPECT_TRUE(pressedWith("MOVE_UP", {VK_UP}));
    EXPECT_EQ(pressed("RELOAD", {{VK_F1 + 4}, {VK_RSHIFT, VK_F1 + 4}}), "01");
    EXPECT_EQ(KB::getBindingString("SHOOT"), "f5");
    EXPECT_TRUE(pressedWith("SHOOT", {VK_F1 + 4}));
    EXPECT_TRUE(pressedWith("WEAPON_2", {VK_F1 + 2}));
    EXPECT_TRUE(pressedWith("BOX_LOC", {VK_NEXT}));
    EXPECT_TRUE(pressedWith("REVIVE", {VK_NEXT}));
    EXPECT_EQ(KB::getBindingString("CHECK_ROUND"), "F2");
    EXPECT_TRUE(pressedWith("CHECK_ROUND", {VK_F1 + 1}));

    // Out-of-range function keys, even one too long for an int, bind the character 'F'.
    for (const char* action : {"CHECK_POINTS", "CHECK_KILLS", "WEAPON_3"}) EXPECT_EQ(typed(action, {"f", "F"}), "11");
    EXPECT_FALSE(pressedWith("CHECK_KILLS", {VK_F24 + 1}));

    // SHIFT++ keeps only its Shift and is never pressed; '+' alone is the character.
    fake::setLayoutChar("+", KEY_A);
    fake::setPhysicalKey(KEY_A, true);
    EXPECT_FALSE(pressedWith("HISTORY_CAT_PREV", {VK_LSHIFT, 'W'}));
    EXPECT_EQ(typed("HISTORY_CAT_PREV", {"+"}), "0");
    EXPECT_EQ(typed("CHAT_TEAM_OPEN", {"+"}) + typed("CHAT_RADIO_OPEN", {"?"}), "11");

    // Lines with an empty side or without '=' change nothing; the last line needs no line end.
    EXPECT_EQ(KB::getBindingString("SAY_COORDS"), "c");
    EXPECT_EQ(KB::getBindingString("MAP_ELEMENTS_MENU"), "d");
    EXPECT_EQ(KB::getBindingString("HISTORY_NEXT"), "n");
    EXPECT_TRUE(pressedWith("HISTORY_NEXT", {'N'}));
}

TEST_F(KeyBindings, OnlyTheTwentyConfigurableActionsFollowTheFile) {
    const char* const fixed[] = {"MOVE_UP", "MOVE_DOWN", "MOVE_LEFT", "MOVE_RIGHT", "MENU_UP", "MENU_DOWN",
                                 "MENU_CONFIRM", "MENU_BACK", "VOL_CH_DOWN", "VOL_CH_UP", "VOL_CH_PREV",
                                 "VOL_CH_NEXT", "VOL_MASTER_UP", "VOL_MASTER_DOWN", "AUDIO_DEBUG"};
    std::string content = "SAY_COORDS=F12\nWEAPON_1=F12\nMAP_ELEMENTS_MENU=F12\n";
    for (const char* action : fixed) content += std::string(action) + "=F12\n";
    writeFile("config.ini", content);
    KB::init();
    for (const char* action : {"SAY_COORDS", "WEAPON_1", "MAP_ELEMENTS_MENU"})
        EXPECT_EQ(KB::getBindingString(action), "F12") << action;
    for (const char* action : fixed) EXPECT_NE(KB::getBindingString(action), "F12") << action;
}

TEST_F(KeyBindings, KeyChordsAreLevelsAndTolerateExtraModifiers) {
    KB::init();
    fake::setKey(VK_SPACE, true);
    for (int poll = 0; poll < 5; ++poll) EXPECT_TRUE(KB::isPressed("SHOOT")) << poll;
    fake::setKey(VK_SPACE, false);
    EXPECT_FALSE(KB::isPressed("SHOOT"));

    EXPECT_EQ(pressed("VOL_CH_DOWN", {{VK_LSHIFT, VK_F1 + 6}, {VK_LCONTROL, VK_LMENU, VK_F1 + 6}}), "11");
    EXPECT_EQ(pressed("WEAPON_1", {{'1'}, {VK_LSHIFT, '1'}, {0x61}}), "110"); // 0x61: keypad 1
    EXPECT_FALSE(pressedWith("WEAPON_2", {'1'}));
    // Unknown actions, names being case-sensitive.
    EXPECT_EQ(pressed("FIRE", {{VK_SPACE}}) + pressed("shoot", {{VK_SPACE}}) + typed("FIRE", {"!"}), "000");
}

TEST_F(KeyBindings, CharacterChordsFollowTheLayoutPlusTheWrittenModifiers) {
    writeFile("config.ini", "CHECK_KILLS=#\nCHECK_POINTS=ALT+ #\nHISTORY_CAT_NEXT=SHIFT+;\nHISTORY_CAT_PREV=CTRL+X\n");
    KB::init();

    // A bare character needs exactly the modifiers the layout needs: QWERTY types '!'
    // as Shift+1 (tried alone, with Shift, Shift+Ctrl and Shift+Alt).
    fake::setLayoutChar("!", KEY_A, true);
    fake::setPhysicalKey(KEY_A, true);
    EXPECT_EQ(pressed("CHAT_RADIO_OPEN", {{}, {VK_LSHIFT}, {VK_LSHIFT, VK_LCONTROL}, {VK_LSHIFT, VK_LMENU}}), "0100");
    // Released; and the character's own code is no key: '!' is 0x21, Page Up.
    fake::setPhysicalKey(KEY_A, false);
    EXPECT_EQ(pressed("CHAT_RADIO_OPEN", {{VK_LSHIFT}, {0x21, VK_LSHIFT}}), "00");

    // '#' with AltGr (right Alt); left Alt is not AltGr, but ALT+# takes either.
    fake::clearLayout();
    fake::setLayoutChar("#", KEY_C, false, false, true);
    fake::setPhysicalKey(KEY_C, true);
    EXPECT_EQ(pressed("CHECK_KILLS", {{VK_RMENU}, {}, {VK_LMENU}}), "100");
    EXPECT_EQ(pressed("CHECK_POINTS", {{VK_RMENU}, {}, {VK_LMENU}}), "101");

    // A character that no key types is never pressed, not even by its own code.
    fake::clearLayout();
    EXPECT_EQ(pressed("CHAT_RADIO_OPEN", {{VK_LSHIFT}, {0x21}}), "00");

    // ';' needs no Shift on AZERTY; the player asked for Shift anyway.
    fake::setLayoutChar(";", KEY_A);
    EXPECT_FALSE(pressedWith("HISTORY_CAT_NEXT", {VK_LSHIFT}));
    fake::setPhysicalKey(KEY_A, true);
    EXPECT_EQ(pressed("HISTORY_CAT_NEXT", {{}, {VK_LSHIFT}, {VK_LSHIFT, VK_LCONTROL}}), "011");
    // On a layout that types ';' with Shift, the same chord is that key with Shift.
    fake::setLayoutChar(";", KEY_A, true);
    EXPECT_EQ(pressed("HISTORY_CAT_NEXT", {{}, {VK_RSHIFT}}), "01");

    // Ctrl with the key of 'X'; the Shift a capital needs is not asked for.
    fake::setLayoutChar("X", KEY_B, true);
    fake::setPhysicalKey(KEY_B, true);
    EXPECT_EQ(pressed("HISTORY_CAT_PREV", {{VK_LCONTROL}, {VK_LCONTROL, VK_LSHIFT}, {VK_LSHIFT}}), "110");
}

TEST_F(KeyBindings, TypedCharactersMatchOnlyCharacterChords) {
    writeFile("config.ini", "CHAT_TEAM_OPEN=SHIFT+R\nHISTORY_PREV=CTRL+ALT\nCHECK_HEALTH=\xC3\xA9\n");
    KB::init();
    EXPECT_EQ(typed("CHAT_RADIO_OPEN", {"!", "*", "", "!!"}), "1000");
    // Letters compare without case, and modifiers are not consulted.
    EXPECT_EQ(typed("CHAT_TEAM_OPEN", {"r", "R", "t"}), "110");
    // Key chords never match a typed character: letters, digits, named keys, bare modifiers.
    EXPECT_EQ(typed("RELOAD", {"r"}) + typed("WEAPON_1", {"1"}) + typed("SHOOT", {" "}) + typed("HISTORY_PREV", {"c"}),
              "0000");
    EXPECT_FALSE(pressedWith("HISTORY_PREV", {VK_LCONTROL, VK_LMENU}));
    // A two-byte character binds its first byte, which no typed character equals.
    EXPECT_EQ(typed("CHECK_HEALTH", {"\xC3\xA9"}), "0");
    EXPECT_FALSE(pressedWith("CHECK_HEALTH", {'H'}));
}
