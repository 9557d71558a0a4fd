// The player's guide (docs/guide.md) names each key action with the key the
// client really binds, and leaves none out: a player who reads "F7" must find
// the channel going down under F7.
#include "input/key_bindings.h"
#include "temp_folder.h"

#include <cctype>
#include <map>
#include <sstream>

namespace {

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// The client's own table of defaults {"ACTION", "text"}, read from its source.
std::map<std::string, std::string> defaultTable(const std::string& src) {
    const size_t begin = src.find("DEFAULTS[] = {"), end = src.find("};", begin);
    std::map<std::string, std::string> table;
    if (begin == std::string::npos || end == std::string::npos) return table;
    for (size_t at = src.find("{\"", begin); at < end; at = src.find("{\"", at + 1)) {
        const size_t actionEnd = src.find('"', at + 2), textBegin = src.find('"', actionEnd + 1),
                     textEnd = src.find('"', textBegin + 1);
        if (textEnd >= end) break;
        table[src.substr(at + 2, actionEnd - at - 2)] = src.substr(textBegin + 1, textEnd - textBegin - 1);
    }
    return table;
}

// How the guide writes a binding, as a French player names the key. A binding
// with no name here fails the test: give it one, as a screen reader says it.
std::string keyName(const std::string& text) {
    static const std::map<std::string, std::string> names = {
        {"UP", "Flèche haut"},     {"DOWN", "Flèche bas"}, {"LEFT", "Flèche gauche"},
        {"RIGHT", "Flèche droite"}, {"ENTER", "Entrée"},    {"ESC", "Échap"},
        {"SPACE", "Espace"},       {"PGUP", "Page précédente"}, {"PGDN", "Page suivante"},
        {"!", "Point d'exclamation (!)"}, {"*", "Astérisque (*)"},
    };
    if (names.count(text)) return names.at(text);
    if (text.size() == 1 && std::isalnum(static_cast<unsigned char>(text[0]))) return upper(text);
    const bool functionKey = text.size() > 1 && text.size() < 4 && text[0] == 'F' &&
                             text.find_first_not_of("0123456789", 1) == std::string::npos;
    return functionKey ? text : "";
}

// Where `name` stands in `line` as a whole word, from `from`; npos when it does not.
size_t findWord(const std::string& line, const std::string& name, size_t from = 0) {
    auto inWord = [](char c) { return std::isupper(static_cast<unsigned char>(c)) || std::isdigit(static_cast<unsigned char>(c)) || c == '_'; };
    for (size_t at = line.find(name, from); at != std::string::npos; at = line.find(name, at + 1)) {
        const size_t after = at + name.size();
        if ((at == 0 || !inWord(line[at - 1])) && (after == line.size() || !inWord(line[after]))) return at;
    }
    return std::string::npos;
}

class PlayerGuide : public TempFolder {};

} // namespace

TEST_F(PlayerGuide, NamesEveryActionWithItsDefaultKey) {
    const auto defaults = defaultTable(readFile(ASHEN_SOURCE_DIR "/src/input/key_bindings.cpp"));
    ASSERT_EQ(defaults.size(), 35u) << "the table of defaults in src/input/key_bindings.cpp was not found";

    // The table as read is the one the client runs with.
    KeyBindingManager::init();
    const std::string configIni = readFile("config.ini");
    for (const auto& [action, text] : defaults) {
        const std::string bound = KeyBindingManager::getBindingString(action);
        EXPECT_EQ(bound.size() == 1 ? upper(bound) : bound, text.size() == 1 ? upper(text) : text) << action;
    }

    std::istringstream guide(readFile(ASHEN_SOURCE_DIR "/docs/guide.md"));
    std::vector<std::string> faults;
    std::map<std::string, int> named;
    std::string line, fence, iniBlock;
    for (int n = 1; std::getline(guide, line); ++n) {
        const std::string where = "docs/guide.md:" + std::to_string(n) + ": ";
        if (line.rfind("```", 0) == 0) {
            fence = fence.empty() ? line + " " : "";
        } else if (fence == "```ini ") {
            iniBlock += line + "\n";
        } else if (!fence.empty()) {
            // Another block may show config.ini lines: only of actions a player may change.
            const std::string action = line.substr(0, line.find('='));
            if (action.size() < line.size() && !action.empty() &&
                action.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ_0123456789") == std::string::npos &&
                configIni.find("\n" + action + "=") == std::string::npos)
                faults.push_back(where + action + " cannot be set in config.ini");
        } else {
            std::vector<std::string> actions;
            for (const auto& [action, text] : defaults)
                for (size_t at = findWord(line, action); at != std::string::npos; at = findWord(line, action, at + 1))
                    if (line.compare(at + action.size(), 1, "=") != 0) actions.push_back(action);
            if (actions.empty()) continue;
            // A key line reads "- Key : what it does (ACTION)."
            const size_t colon = line.find(" : "), open = line.rfind(" (");
            const bool keyLine = actions.size() == 1 && line.rfind("- ", 0) == 0 && colon != std::string::npos &&
                                 open != std::string::npos && open >= colon + 3 && line.size() >= 2 &&
                                 line.compare(line.size() - 2, 2, ").") == 0 &&
                                 line.substr(open + 2, line.size() - open - 4) == actions[0];
            if (!keyLine) {
                faults.push_back(where + "an action is named outside a line \"- Key : what it does (ACTION).\"");
                continue;
            }
            const std::string key = line.substr(2, colon - 2), expected = keyName(defaults.at(actions[0]));
            if (expected.empty())
                faults.push_back(where + "no French name for the key " + defaults.at(actions[0]));
            else if (key != expected)
                faults.push_back(where + "names " + key + " for " + actions[0] + ", the client binds " + expected);
            ++named[actions[0]];
        }
    }
    for (const auto& [action, text] : defaults)
        if (!named.count(action)) faults.push_back("docs/guide.md leaves out " + action);
    EXPECT_EQ(iniBlock, configIni) << "the ```ini block of docs/guide.md is not the config.ini the client writes";
    std::string report;
    for (const std::string& f : faults) report += f + "\n";
    EXPECT_TRUE(faults.empty()) << report;
}
