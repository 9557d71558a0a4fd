// The player's guide (docs/guide.md) names each key action with the key the
// client really binds, and leaves none out: a player who reads "F7" must find
// the channel going down under F7.
#include "input/key_bindings.h"
#include "temp_folder.h"

#include <cctype>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <vector>

namespace {

struct Binding {
    std::string action;
    std::string text;
};

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The client's own table of defaults, read from its source in install order.
std::vector<Binding> defaultTable() {
    const std::string src = readText(ASHEN_SOURCE_DIR "/src/input/key_bindings.cpp");
    const size_t begin = src.find("DEFAULTS[] = {");
    const size_t end = src.find("};", begin);
    std::vector<Binding> table;
    if (begin == std::string::npos || end == std::string::npos) return table;
    // Rows read {"ACTION", "text"}.
    for (size_t at = src.find("{\"", begin); at < end; at = src.find("{\"", at + 1)) {
        const size_t actionEnd = src.find('"', at + 2);
        const size_t textBegin = src.find('"', actionEnd + 1);
        const size_t textEnd = src.find('"', textBegin + 1);
        if (textEnd >= end) break;
        table.push_back({src.substr(at + 2, actionEnd - at - 2),
                         src.substr(textBegin + 1, textEnd - textBegin - 1)});
    }
    return table;
}

bool isNumber(const std::string& s) {
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return !s.empty();
}

// The action named at the start of a config.ini line "ACTION=value"; "" when none.
std::string configAction(const std::string& line) {
    size_t n = 0;
    auto inName = [&](char c) {
        const auto u = static_cast<unsigned char>(c);
        return std::isupper(u) || c == '_' || (n > 0 && std::isdigit(u));
    };
    while (n < line.size() && inName(line[n]))
        ++n;
    return n > 0 && n < line.size() && line[n] == '=' ? line.substr(0, n) : "";
}

// A key line "- Key : what it does (ACTION)." gives its key and its action.
bool parseKeyLine(const std::string& line, std::string& key, std::string& action) {
    const size_t colon = line.find(" : ");
    const size_t open = line.rfind(" (");
    if (line.rfind("- ", 0) != 0 || colon == std::string::npos || open == std::string::npos ||
        open < colon + 3 || line.size() < 2 || line.compare(line.size() - 2, 2, ").") != 0)
        return false;
    key = line.substr(2, colon - 2);
    action = line.substr(open + 2, line.size() - open - 4);
    return true;
}

// How the guide writes a binding, as a French player names the key. A binding
// with no name here fails the test: give it one, as a screen reader says it.
std::string keyName(const std::string& text) {
    static const std::map<std::string, std::string> names = {
        {"UP", "Flèche haut"},     {"DOWN", "Flèche bas"},
        {"LEFT", "Flèche gauche"}, {"RIGHT", "Flèche droite"},
        {"ENTER", "Entrée"},       {"ESC", "Échap"},
        {"SPACE", "Espace"},       {"PGUP", "Page précédente"},
        {"PGDN", "Page suivante"}, {"!", "Point d'exclamation (!)"},
        {"*", "Astérisque (*)"},
    };
    auto it = names.find(text);
    if (it != names.end()) return it->second;
    if (text.size() == 1 && std::isalnum(static_cast<unsigned char>(text[0])))
        return std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(text[0]))));
    if (text.size() > 1 && text.size() < 4 && text[0] == 'F' && isNumber(text.substr(1)))
        return text;
    return "";
}

// Where `name` stands in `line` as a whole word; npos when it does not.
size_t findWord(const std::string& line, const std::string& name, size_t from = 0) {
    auto inWord = [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return std::isupper(u) || std::isdigit(u) || c == '_';
    };
    for (size_t at = line.find(name, from); at != std::string::npos; at = line.find(name, at + 1)) {
        const size_t after = at + name.size();
        if ((at == 0 || !inWord(line[at - 1])) && (after == line.size() || !inWord(line[after])))
            return at;
    }
    return std::string::npos;
}

class PlayerGuide : public TempFolder {};

} // namespace

TEST_F(PlayerGuide, NamesEveryActionWithItsDefaultKey) {
    const std::vector<Binding> table = defaultTable();
    ASSERT_EQ(table.size(), 35u)
        << "the table of defaults in src/input/key_bindings.cpp was not found";

    // The table as read is the one the client runs with, and config.ini lists
    // the actions a player may change.
    KeyBindingManager::init();
    const std::string configIni = readFile("config.ini");
    std::set<std::string> configurable;
    std::map<std::string, std::string> defaults;
    for (const Binding& b : table) {
        std::string bound = KeyBindingManager::getBindingString(b.action);
        if (bound.size() == 1)
            bound[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(bound[0])));
        std::string text = b.text;
        if (text.size() == 1)
            text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
        EXPECT_EQ(bound, text) << b.action;
        if (configIni.find("\n" + b.action + "=") != std::string::npos)
            configurable.insert(b.action);
        defaults[b.action] = b.text;
    }

    std::ifstream guide(ASHEN_SOURCE_DIR "/docs/guide.md");
    ASSERT_TRUE(guide.is_open());
    std::vector<std::string> faults;
    std::set<std::string> named;
    std::string line, fence, iniBlock;
    for (int n = 1; std::getline(guide, line); ++n) {
        const std::string where = "docs/guide.md:" + std::to_string(n) + ": ";
        if (line.rfind("```", 0) == 0) {
            fence = fence.empty() ? "```" + line.substr(3) + " " : "";
            continue;
        }
        if (fence == "```ini ") {
            iniBlock += line + "\n";
            continue;
        }
        if (!fence.empty()) {
            const std::string action = configAction(line);
            if (!action.empty() && !configurable.count(action))
                faults.push_back(where + action + " cannot be set in config.ini");
            continue;
        }
        std::vector<std::string> actions;
        for (const auto& [action, text] : defaults) {
            for (size_t at = findWord(line, action); at != std::string::npos;
                 at = findWord(line, action, at + 1))
                if (line.compare(at + action.size(), 1, "=") != 0) actions.push_back(action);
        }
        if (actions.empty()) continue;
        std::string key, action;
        if (actions.size() != 1 || !parseKeyLine(line, key, action) || action != actions[0]) {
            faults.push_back(
                where + "an action is named outside a line \"- Key : what it does (ACTION).\"");
            continue;
        }
        const std::string expected = keyName(defaults[actions[0]]);
        if (expected.empty())
            faults.push_back(where + "no French name for the key " + defaults[actions[0]]);
        else if (key != expected)
            faults.push_back(where + "names " + key + " for " + actions[0] + ", the client binds " +
                             expected);
        named.insert(actions[0]);
    }
    for (const Binding& b : table)
        if (!named.count(b.action)) faults.push_back("docs/guide.md leaves out " + b.action);
    EXPECT_EQ(iniBlock, configIni)
        << "the ```ini block of docs/guide.md is not the config.ini the client writes";

    std::ostringstream report;
    for (const std::string& f : faults)
        report << f << "\n";
    EXPECT_TRUE(faults.empty()) << report.str();
}
