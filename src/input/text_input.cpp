#include "input/text_input.h"

#include "base/utf8.h"
#include "core/speech.h"
#include "audio/playback.h"
#include "platform/keyboard.h"
#include "platform/random.h"

bool TextInput::s_active = false;
TextInputMode TextInput::s_mode = TextInputMode::NONE;
std::string TextInput::s_value;
size_t TextInput::s_cursor = 0;
size_t TextInput::s_maxLen = 1;

namespace {

int32_t s_choiceIndex = 0;
const char* const GENDER_OPTIONS[2] = {"Masculin", "Féminin"};

// --- UTF-8: the text is edited character by character.

std::string charAt(const std::string& s, size_t index) {
    size_t start = utf8ByteOffset(s, index);
    size_t len = start < s.size() ? utf8SequenceLength(static_cast<unsigned char>(s[start])) : 0;
    return s.substr(start, len);
}

void eraseCharAt(std::string& s, size_t index) {
    size_t start = utf8ByteOffset(s, index);
    if (start >= s.size()) return;
    s.erase(start, utf8SequenceLength(static_cast<unsigned char>(s[start])));
}

void playKeyNav() { playSound("ui_keyNav", -1, -1); }

} // namespace

void playKeyRandom() { playSound(platform::randomInt() % 3 == 0 ? "ui_key1" : "ui_key2", -1, -1); }
void playKeyDelete() { playSound("ui_keySup", -1, -1); }

bool isPrintableChar(const std::string& c) {
    if (c.empty()) return false;
    unsigned char lead = static_cast<unsigned char>(c[0]);
    return lead >= 32 && lead != 127;
}

void TextInput::begin(TextInputMode mode, const std::string& prompt, const std::string& initial,
                      size_t maxLen) {
    s_active = true;
    s_mode = mode;
    s_value = initial;
    s_maxLen = maxLen < 1 ? 1 : maxLen;
    const size_t length = utf8CountChars(s_value);
    s_cursor = length < s_maxLen ? length : s_maxLen;
    if (mode == TextInputMode::REGISTER_GENDER) {
        s_choiceIndex = 0;
        s_value.clear();
        s_cursor = 0;
    }
    const bool chat = mode == TextInputMode::CHAT_RADIO || mode == TextInputMode::CHAT_TEAM;
    playSound(chat ? "chat_open" : "ui_valid", -1, -1);
    say(prompt);
    if (mode == TextInputMode::REGISTER_GENDER) say(GENDER_OPTIONS[s_choiceIndex]);
    else if (!s_value.empty()) speakFull();
}

void TextInput::cancel(bool feedback) {
    s_active = false;
    s_mode = TextInputMode::NONE;
    s_value.clear();
    s_cursor = 0;
    if (feedback) {
        playSound("ui_back", -1, -1);
        say("Annulé.");
    }
}

void TextInput::handleChar(const std::string& c) {
    if (!s_active || !isPrintableChar(c)) return;
    if (utf8CountChars(s_value) >= s_maxLen) {
        playSound("ui_back", -1, -1);
        say("Limite atteinte.");
        return;
    }
    s_value.insert(utf8ByteOffset(s_value, s_cursor), c);
    ++s_cursor;
    playKeyRandom();
    say(c);
}

void TextInput::handleKey(int vk) {
    if (!s_active) return;
    if (s_mode == TextInputMode::REGISTER_GENDER) {
        if (vk == VK_RIGHT || vk == VK_DOWN || vk == VK_LEFT || vk == VK_UP) {
            s_choiceIndex = (s_choiceIndex + 1) % 2;
            playSound("ui_nav", -1, -1);
            say(GENDER_OPTIONS[s_choiceIndex]);
        } else if (vk == VK_RETURN) {
            submit();
        } else if (vk == VK_ESCAPE) {
            cancel(true);
        }
        return;
    }
    const size_t length = utf8CountChars(s_value);
    switch (vk) {
    case VK_ESCAPE: cancel(true); break;
    case VK_RETURN: submit(); break;
    case VK_BACK:
        if (s_cursor > 0 && !s_value.empty()) {
            eraseCharAt(s_value, s_cursor - 1);
            --s_cursor;
            playKeyDelete();
            speakEmptyIfNeeded();
        } else {
            say("Vide");
        }
        break;
    case VK_DELETE:
        if (s_cursor < length && !s_value.empty()) {
            eraseCharAt(s_value, s_cursor);
            playKeyDelete();
            speakEmptyIfNeeded();
        } else {
            say("Rien à supprimer.");
        }
        break;
    case VK_LEFT:
        playKeyNav();
        if (s_cursor == 0) {
            say("Début.");
        } else {
            --s_cursor;
            speakCurrentChar();
        }
        break;
    case VK_RIGHT:
        playKeyNav();
        if (s_cursor >= length) {
            say("Fin.");
        } else {
            ++s_cursor;
            speakCurrentChar();
        }
        break;
    case VK_HOME:
        s_cursor = 0;
        playKeyNav();
        say("Début.");
        break;
    case VK_END:
        s_cursor = length;
        playKeyNav();
        say("Fin.");
        break;
    case VK_UP:
    case VK_DOWN:
        playKeyNav();
        speakFull();
        break;
    default: break;
    }
}

void TextInput::speakCurrentChar() {
    if (s_value.empty()) {
        say("Vide");
        return;
    }
    const size_t length = utf8CountChars(s_value);
    size_t index = s_cursor == 0 ? 0 : s_cursor - 1;
    if (index >= length) index = length - 1;
    say(charAt(s_value, index));
}

void TextInput::speakFull() { say(s_value.empty() ? std::string("Vide") : s_value); }

void TextInput::speakEmptyIfNeeded() {
    if (s_value.empty()) say("Vide");
    else speakCurrentChar();
}

void TextInput::submit() {
    if (!s_active) return;
    playSound("ui_keyEnter", -1, -1);
    const TextInputMode mode = s_mode;
    const std::string text = s_value;
    const int choice = s_choiceIndex;
    cancel(false);
    submitTextInput(mode, text, choice);
}
