// config.ini as the player edits it. Reading it never changes the file, and
// every action keeps a chord to answer with.
#include "fake_platform.h"
#include "fuzz_support.h"
#include "input/key_bindings.h"
#include "platform/keyboard.h"

namespace {

const char* const kActions[] = {
    "MOVE_UP",         "MOVE_DOWN",       "MOVE_LEFT",     "MOVE_RIGHT",       "MENU_UP",        "MENU_DOWN",
    "MENU_CONFIRM",    "MENU_BACK",       "HISTORY_CAT_PREV", "HISTORY_CAT_NEXT", "HISTORY_PREV", "HISTORY_NEXT",
    "CHAT_RADIO_OPEN", "CHAT_TEAM_OPEN",  "CHECK_HEALTH",  "SAY_COORDS",       "CHECK_ROUND",    "CHECK_AMMO",
    "RELOAD",          "SHOOT",           "WEAPON_1",      "WEAPON_2",         "WEAPON_3",       "BOX_LOC",
    "REVIVE",          "CHECK_POINTS",    "CHECK_KILLS",   "MAP_ELEMENTS_MENU", "VOL_CH_DOWN",   "VOL_CH_UP",
    "VOL_CH_PREV",     "VOL_CH_NEXT",     "VOL_MASTER_UP", "VOL_MASTER_DOWN",  "AUDIO_DEBUG",
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input = asText(data, size);
    writeFile("config.ini", input);
    fake::reset();
    fake::setKey(VK_SHIFT, true);
    fake::setKey('A', true);
    fake::setKey(VK_F1 + 6, true); // F7

    KeyBindingManager::reload();
    for (const char* action : kActions) {
        FUZZ_CHECK(!KeyBindingManager::getBindingString(action).empty());
        KeyBindingManager::isPressed(action);
        for (const char* typed : {"!", "a", "\xC3\xA9", ""}) KeyBindingManager::matchesChar(action, typed);
    }
    FUZZ_CHECK(readFile("config.ini") == input);
    return 0;
}
