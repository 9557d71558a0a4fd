// Key chords per action: built-in defaults, overridden by config.ini.
#include "input/key_bindings.h"

#include "base/text.h"
#include "platform/keyboard.h"
#include "platform/layout.h"

#include <cctype>
#include <fstream>
#include <iterator>
#include <map>
#include <unordered_set>
#include <vector>

namespace {

const char* const CONFIG_PATH = "config.ini";

struct DefaultBinding {
    const char* action;
    const char* text;
};

// Installed in this order.
const DefaultBinding DEFAULTS[] = {
    {"MOVE_UP", "UP"},           {"MOVE_DOWN", "DOWN"},       {"MOVE_LEFT", "LEFT"},
    {"MOVE_RIGHT", "RIGHT"},     {"MENU_UP", "UP"},           {"MENU_DOWN", "DOWN"},
    {"MENU_CONFIRM", "ENTER"},   {"MENU_BACK", "ESC"},        {"HISTORY_CAT_PREV", "W"},
    {"HISTORY_CAT_NEXT", "X"},   {"HISTORY_PREV", "A"},       {"HISTORY_NEXT", "Z"},
    {"CHAT_RADIO_OPEN", "!"},    {"CHAT_TEAM_OPEN", "*"},     {"CHECK_HEALTH", "h"},
    {"SAY_COORDS", "c"},         {"CHECK_ROUND", "t"},        {"CHECK_AMMO", "q"},
    {"RELOAD", "r"},             {"SHOOT", "SPACE"},          {"WEAPON_1", "1"},
    {"WEAPON_2", "2"},           {"WEAPON_3", "3"},           {"BOX_LOC", "b"},
    {"REVIVE", "u"},             {"CHECK_POINTS", "p"},       {"CHECK_KILLS", "k"},
    {"MAP_ELEMENTS_MENU", "d"},  {"VOL_CH_DOWN", "F7"},       {"VOL_CH_UP", "F8"},
    {"VOL_CH_PREV", "F9"},       {"VOL_CH_NEXT", "F10"},      {"VOL_MASTER_UP", "PGUP"},
    {"VOL_MASTER_DOWN", "PGDN"}, {"AUDIO_DEBUG", "F11"},
};

// The actions config.ini may set, in the order the created file lists them.
const char* const CONFIGURABLE_IN_FILE_ORDER[] = {
    "HISTORY_CAT_PREV", "HISTORY_CAT_NEXT", "HISTORY_PREV", "HISTORY_NEXT", "CHECK_HEALTH",
    "SAY_COORDS",       "CHECK_ROUND",      "CHECK_AMMO",   "RELOAD",       "SHOOT",
    "WEAPON_1",         "WEAPON_2",         "WEAPON_3",     "BOX_LOC",      "REVIVE",
    "CHAT_RADIO_OPEN",  "CHAT_TEAM_OPEN",   "CHECK_POINTS", "CHECK_KILLS",  "MAP_ELEMENTS_MENU",
};

const char* const CONFIG_HEADER = "; Ashen Refuge - configuration des touches\n"
                                  "; Modifiez les valeurs à droite du '='\n"
                                  "; Exemples : MOVE_UP=Z  ou  MENU_CONFIRM=ENTER  ou  HISTORY_CAT_NEXT=SHIFT+;\n"
                                  "\n";

struct KeyName {
    const char* name;
    int vk;
};

const KeyName KEY_NAMES[] = {
    {"UP", VK_UP},         {"DOWN", VK_DOWN},       {"LEFT", VK_LEFT},     {"RIGHT", VK_RIGHT},
    {"ENTER", VK_RETURN},  {"RETURN", VK_RETURN},   {"ESC", VK_ESCAPE},    {"ESCAPE", VK_ESCAPE},
    {"TAB", VK_TAB},       {"SPACE", VK_SPACE},     {"HOME", VK_HOME},     {"END", VK_END},
    {"INSERT", VK_INSERT}, {"INS", VK_INSERT},      {"DELETE", VK_DELETE}, {"DEL", VK_DELETE},
    {"BACKSPACE", VK_BACK}, {"BACK", VK_BACK},      {"PGUP", VK_PRIOR},    {"PAGEUP", VK_PRIOR},
    {"PRIOR", VK_PRIOR},   {"PGDN", VK_NEXT},       {"PAGEDOWN", VK_NEXT}, {"NEXT", VK_NEXT},
};

// Windows-style spellings; there is deliberately no VK_INSERT.
const KeyName VK_NAMES[] = {
    {"VK_UP", VK_UP},         {"VK_DOWN", VK_DOWN},     {"VK_LEFT", VK_LEFT},     {"VK_RIGHT", VK_RIGHT},
    {"VK_RETURN", VK_RETURN}, {"VK_ESCAPE", VK_ESCAPE}, {"VK_TAB", VK_TAB},       {"VK_SPACE", VK_SPACE},
    {"VK_PRIOR", VK_PRIOR},   {"VK_NEXT", VK_NEXT},     {"VK_HOME", VK_HOME},     {"VK_END", VK_END},
    {"VK_BACK", VK_BACK},     {"VK_DELETE", VK_DELETE},
};

// Ordered maps with a transparent comparison: found by string_view, no key built.
std::map<std::string, KeyChord, std::less<>> g_bindings;
std::map<std::string, std::string, std::less<>> g_bindingStrings;
const std::unordered_set<std::string> g_configurableActions(std::begin(CONFIGURABLE_IN_FILE_ORDER),
                                                             std::end(CONFIGURABLE_IN_FILE_ORDER));

bool isSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
bool isAlpha(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool isConfigurableAction(const std::string& name) { return g_configurableActions.count(name) != 0; }

std::string trim(const std::string& s) { return trimChars(s, C_WHITESPACE); }

// The number after an 'F', read like std::stoi (blanks skipped, optional sign,
// digits up to the first non-digit, no digits = 0) but without throwing: a number
// too long for an int simply is no function key.
int functionKeyNumber(const std::string& s) {
    size_t i = 0;
    while (i < s.size() && isSpace(s[i])) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    int n = 0;
    for (; i < s.size() && isDigit(s[i]); ++i)
        if (n <= 1000) n = n * 10 + (s[i] - '0');
    return negative ? -n : n;
}

bool parseVkName(const std::string& name, int& vk) {
    const std::string u = toUpperAscii(name);
    if (u.size() > 1 && u[0] == 'F') {
        int n = functionKeyNumber(u.substr(1));
        if (n >= 1 && n <= 24) {
            vk = VK_F1 - 1 + n;
            return true;
        }
    }
    for (const KeyName& k : KEY_NAMES)
        if (u == k.name) {
            vk = k.vk;
            return true;
        }
    for (const KeyName& k : VK_NAMES)
        if (u == k.name) {
            vk = k.vk;
            return true;
        }
    return false;
}

KeyChord parseBinding(const std::string& text) {
    KeyChord chord;
    const std::string t = trim(text);
    if (t.size() == 1) {
        const char c = t[0];
        if (isAlpha(c)) {
            chord.vk = static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(c)));
        } else if (isDigit(c)) {
            chord.vk = c; // the top-row digit key
        } else {
            chord.useChar = true;
            chord.ch = c;
        }
        return chord;
    }

    std::vector<std::string> pieces;
    std::string piece;
    for (char c : t) {
        if (c == '+') {
            pieces.push_back(trim(piece));
            piece.clear();
        } else {
            piece += c;
        }
    }
    piece = trim(piece);
    if (!piece.empty()) pieces.push_back(piece);

    std::string key;
    for (const std::string& p : pieces) {
        const std::string u = toUpperAscii(p);
        if (u == "SHIFT") chord.shift = true;
        else if (u == "CTRL" || u == "CONTROL") chord.ctrl = true;
        else if (u == "ALT") chord.alt = true;
        else key = p;
    }

    int vk = 0;
    if (key.size() == 1) {
        chord.useChar = true;
        chord.ch = key[0];
    } else if (parseVkName(key, vk)) {
        chord.vk = vk;
    } else if (!key.empty()) {
        chord.useChar = true; // an unknown name binds its first character
        chord.ch = key[0];
    }
    return chord;
}

bool keyDown(int vk) { return platform::isKeyDown(vk); }

bool modifiersOk(const KeyChord& chord) {
    if (chord.shift && !keyDown(VK_SHIFT)) return false;
    if (chord.ctrl && !keyDown(VK_CONTROL)) return false;
    if (chord.alt && !keyDown(VK_MENU)) return false;
    return true;
}

// A bare character follows the layout exactly: its key, with precisely the
// modifiers the layout needs to type it ("!" is Shift+1 on QWERTY, its own key on
// AZERTY). A character written with modifiers (SHIFT+;) is taken as the player
// means it: the key that types the character plus the modifiers written, whatever
// the layout needs; modifiersOk has already checked those.
bool isCharPressed(const KeyChord& chord) {
    platform::CharKey key;
    if (!platform::findCharKey(std::string(1, chord.ch), key) || key.key == 0) return false;
    if (!platform::isPhysicalKeyDown(key.key)) return false;
    if (chord.shift || chord.ctrl || chord.alt) return true;
    if (keyDown(VK_SHIFT) != key.shift || keyDown(VK_CONTROL) != key.ctrl) return false;
    return key.altGr ? keyDown(VK_RMENU) : !keyDown(VK_MENU);
}

void setDefault(const std::string& action, const std::string& text) {
    if (g_bindingStrings.count(action)) return;
    g_bindingStrings[action] = text;
    g_bindings[action] = parseBinding(text);
}

void loadDefaults() {
    for (const DefaultBinding& d : DEFAULTS) setDefault(d.action, d.text);
}

void writeDefaultConfigIfMissing(const std::string& path) {
    if (std::ifstream(path).is_open()) return;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return;
    out << CONFIG_HEADER;
    for (const char* action : CONFIGURABLE_IN_FILE_ORDER) out << action << '=' << g_bindingStrings[action] << '\n';
}

void loadFromFile(const std::string& path) {
    g_bindings.clear();
    g_bindingStrings.clear();
    loadDefaults();
    writeDefaultConfigIfMissing(path);

    std::ifstream in(path);
    if (!in) return;
    std::string line;
    while (std::getline(in, line)) {
        if (line.size() > 2 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
        line = trim(line);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = trim(line.substr(0, eq));
        std::string value = trim(line.substr(eq + 1));
        if (key.empty() || value.empty() || !isConfigurableAction(key)) continue;
        if (value.size() == 1 && isAlpha(value[0])) value[0] = lower(value[0]);
        g_bindingStrings[key] = value;
        g_bindings[key] = parseBinding(value);
    }
}

} // namespace

void KeyBindingManager::init() {
    try {
        loadFromFile(CONFIG_PATH);
    } catch (...) {
        // Out of memory while reading: whatever was installed stays.
    }
}

void KeyBindingManager::reload() { init(); }

bool KeyBindingManager::isPressed(std::string_view action) {
    // Most frames of a game have no key down: no table to search.
    if (!platform::anyKeyDown()) return false;
    auto it = g_bindings.find(action);
    if (it == g_bindings.end()) return false;
    const KeyChord& chord = it->second;
    if (!modifiersOk(chord)) return false;
    if (chord.useChar) return isCharPressed(chord);
    if (chord.vk == 0) return false;
    return keyDown(chord.vk);
}

bool KeyBindingManager::matchesChar(std::string_view action, const std::string& c) {
    auto it = g_bindings.find(action);
    if (it == g_bindings.end() || !it->second.useChar || c.size() != 1) return false;
    const char ch = it->second.ch;
    if (isAlpha(ch)) return lower(ch) == lower(c[0]);
    return ch == c[0];
}

std::string KeyBindingManager::getBindingString(std::string_view action) {
    try {
        auto it = g_bindingStrings.find(action);
        return it == g_bindingStrings.end() ? std::string() : it->second;
    } catch (...) {
        return std::string();
    }
}
