#pragma once
// The one modal, single-line text entry, spoken instead of shown. The text is
// UTF-8 and the entry works in characters: cursor, length limit and speech
// all take an accented letter as one character.
#include <cstddef>
#include <cstdint>
#include <string>

enum class TextInputMode : int32_t {
    NONE = 0,
    TEST_SERVER_PASSWORD = 1,
    LOGIN_EMAIL = 2,
    LOGIN_PASSWORD = 3,
    REGISTER_USERNAME = 4,
    REGISTER_EMAIL = 5,
    REGISTER_PASSWORD = 6,
    REGISTER_GENDER = 7,
    TEAM_NAME = 8,
    CHAT_RADIO = 9,
    CHAT_TEAM = 10,
};

// A typed character worth keeping: anything but the control characters below 32 and 127.
bool isPrintableChar(const std::string& c);

// The entry's key sounds: a typed character ("ui_key1" or "ui_key2") and an
// erased one. The lobby's own team-name typing uses them too.
void playKeyRandom();
void playKeyDelete();

class TextInput {
public:
    static void begin(TextInputMode mode, const std::string& prompt, const std::string& initial,
                      size_t maxLen);
    static void cancel(bool feedback);
    static void submit();
    // One typed character (one UTF-8 character).
    static void handleChar(const std::string& c);
    // One editing key, by virtual-key code.
    static void handleKey(int vk);

    static bool isActive() { return s_active; }
    static TextInputMode mode() { return s_mode; }
    static const std::string& value() { return s_value; }
    // In characters, 0 to the length of the text.
    static size_t cursor() { return s_cursor; }

    static void speakCurrentChar();
    static void speakFull();
    static void speakEmptyIfNeeded();

private:
    static bool s_active;
    static TextInputMode s_mode;
    static std::string s_value;
    static size_t s_cursor;
    static size_t s_maxLen;
};

// Where a submitted entry goes: defined by the scenes (account flow, chat,
// team name). Called with the entry already closed; `choiceIndex` is the
// gender choice (0 male, 1 female).
void submitTextInput(TextInputMode mode, const std::string& text, int choiceIndex);
