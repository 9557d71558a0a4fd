#include "input/text_input.h"

#include "app/speech.h"
#include "audio/playback.h"
#include "net/connection.h"
#include "net/outgoing.h"
#include "net/save_file.h"
#include "net/sha256.h"
#include "platform/clock.h"
#include "platform/keyboard.h"
#include "scenes/menu.h"

#include <cctype>
#include <cstdlib>
#include <ctime>

bool TextInput::s_active = false;
TextInputMode TextInput::s_mode = TextInputMode::NONE;
std::string TextInput::s_value;
size_t TextInput::s_cursor = 0;
size_t TextInput::s_maxLen = 1;

namespace {

int32_t s_choiceIndex = 0;
const char* const GENDER_OPTIONS[2] = {"Masculin", "Féminin"};

// --- UTF-8: the text is edited character by character.

size_t charLength(unsigned char lead) {
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

size_t countChars(const std::string& s) {
    size_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

// Byte offset of the character at `index` (the size of the text past the end).
size_t byteOffset(const std::string& s, size_t index) {
    size_t offset = 0;
    while (index > 0 && offset < s.size()) {
        offset += charLength(static_cast<unsigned char>(s[offset]));
        --index;
    }
    return offset < s.size() ? offset : s.size();
}

std::string charAt(const std::string& s, size_t index) {
    size_t start = byteOffset(s, index);
    size_t len = start < s.size() ? charLength(static_cast<unsigned char>(s[start])) : 0;
    return s.substr(start, len);
}

void eraseCharAt(std::string& s, size_t index) {
    size_t start = byteOffset(s, index);
    if (start >= s.size()) return;
    s.erase(start, charLength(static_cast<unsigned char>(s[start])));
}

bool isPrintableChar(const std::string& c) {
    if (c.empty()) return false;
    unsigned char lead = static_cast<unsigned char>(c[0]);
    return lead >= 32 && lead != 127;
}

// --- sounds

void playKeyRandom() {
    static bool seeded = false;
    if (!seeded) {
        auto address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&seeded));
        std::srand(static_cast<unsigned>(std::time(nullptr)) ^ platform::tickCount() ^ address);
        seeded = true;
    }
    playSound(std::rand() % 3 == 0 ? "ui_key1" : "ui_key2", -1, -1);
}
void playKeyDelete() { playSound("ui_keySup", -1, -1); }
void playKeyNav() { playSound("ui_keyNav", -1, -1); }

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string trimBlanks(std::string m) {
    while (!m.empty() && isBlank(m.back())) m.pop_back();
    size_t first = 0;
    while (first < m.size() && isBlank(m[first])) ++first;
    return m.substr(first);
}

std::string normaliseEmail(const std::string& email) {
    size_t begin = 0, end = email.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(email[begin]))) ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(email[end - 1]))) --end;
    std::string out = email.substr(begin, end - begin);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

void sendChat(TextInputMode mode, std::string m) {
    if (m.empty()) return;
    m = trimBlanks(m);
    if (mode == TextInputMode::CHAT_TEAM) {
        sendRequest("CHAT_TEAM:" + m);
        return;
    }
    std::string rest;
    const char* usage;
    if (m.size() >= 4 && std::tolower(static_cast<unsigned char>(m[0])) == '/' &&
        std::tolower(static_cast<unsigned char>(m[1])) == 'm' &&
        std::tolower(static_cast<unsigned char>(m[2])) == 'p' && m[3] == ' ') {
        rest = m.substr(4);
        usage = "Usage : /mp pseudo message";
    } else if (!m.empty() && m[0] == '@') {
        rest = m.substr(1);
        usage = "Usage : @pseudo message";
    } else {
        sendRequest("CHAT_RADIO:" + m);
        return;
    }
    size_t p = rest.find_first_of(" \t");
    size_t q = p == std::string::npos ? p : rest.find_first_not_of(" \t", p);
    if (q == std::string::npos) {
        say(usage);
        playSound("ui_back", -1, -1);
        return;
    }
    sendRequest("CHAT_MP:" + rest.substr(0, p) + ":" + rest.substr(q));
}

} // namespace

void TextInput::begin(TextInputMode mode, const std::string& prompt, const std::string& initial,
                      size_t maxLen) {
    s_active = true;
    s_mode = mode;
    s_value = initial;
    s_maxLen = maxLen < 1 ? 1 : maxLen;
    const size_t length = countChars(s_value);
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
    if (countChars(s_value) >= s_maxLen) {
        playSound("ui_back", -1, -1);
        say("Limite atteinte.");
        return;
    }
    s_value.insert(byteOffset(s_value, s_cursor), c);
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
    const size_t length = countChars(s_value);
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
    const size_t length = countChars(s_value);
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
    const std::string text = s_value;
    switch (s_mode) {
    case TextInputMode::TEST_SERVER_PASSWORD:
        if (!connectToServer(HOSTNAME, PORT_TEST)) {
            say("Échec de la connexion au serveur de test.");
            cancel(false);
            return;
        }
        isSelectingServer = false;
        say("Connexion au serveur de test.");
        cancel(false);
        menuStartLoginFlow(text);
        return;
    case TextInputMode::LOGIN_EMAIL:
        myProfile.email = text;
        saveIdentity(myProfile);
        cancel(false);
        begin(TextInputMode::LOGIN_PASSWORD, "Mot de passe du compte. Tapez puis Entrée.", "", 64);
        return;
    case TextInputMode::LOGIN_PASSWORD:
        myProfile.passHash = sha256Hex(text);
        saveIdentity(myProfile);
        sendAuthLogin(myProfile, myProfile.passHash, g_accessPassForLogin);
        say("Authentification en cours.");
        cancel(false);
        return;
    case TextInputMode::REGISTER_USERNAME:
        g_registerUsername = text;
        cancel(false);
        begin(TextInputMode::REGISTER_EMAIL, "Email du compte. Tapez puis Entrée.", "", 128);
        return;
    case TextInputMode::REGISTER_EMAIL:
        g_registerEmail = text;
        cancel(false);
        begin(TextInputMode::REGISTER_PASSWORD, "Mot de passe du compte. Tapez puis Entrée.", "", 64);
        return;
    case TextInputMode::REGISTER_PASSWORD:
        g_registerPassHash = sha256Hex(text);
        cancel(false);
        begin(TextInputMode::REGISTER_GENDER,
              "Choisissez le sexe de votre personnage. Gauche ou Droite pour changer, Entrée pour "
              "valider.",
              "", 64);
        return;
    case TextInputMode::REGISTER_GENDER: {
        g_registerGender = s_choiceIndex == 0 ? "M" : "F";
        myProfile.gender = g_registerGender;
        const std::string emailHash = sha256Hex(normaliseEmail(g_registerEmail));
        sendAuthRegister(emailHash, g_registerUsername, g_registerPassHash, g_registerGender);
        g_registerEmail = emailHash;
        say("Création du compte en cours.");
        cancel(false);
        return;
    }
    case TextInputMode::CHAT_RADIO:
    case TextInputMode::CHAT_TEAM: {
        const TextInputMode mode = s_mode;
        cancel(false);
        sendChat(mode, text);
        return;
    }
    default:
        cancel(false);
        return;
    }
}
