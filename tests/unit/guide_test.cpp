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

// The actions of the client's own table of defaults {"ACTION", "text"}, read from its source.
std::vector<std::string> defaultActions(const std::string& src) {
    const size_t begin = src.find("DEFAULTS[] = {"), end = src.find("};", begin);
    std::vector<std::string> actions;
    for (size_t at = src.find("{\"", begin); begin != std::string::npos && at < end; at = src.find("{\"", at + 1))
        actions.push_back(src.substr(at + 2, src.find('"', at + 2) - at - 2));
    return actions;
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

using PlayerGuide = TempFolder;

} // namespace

TEST_F(PlayerGuide, NamesEveryActionWithItsDefaultKey) {
    const auto actions = defaultActions(readFile(ASHEN_SOURCE_DIR "/src/input/key_bindings.cpp"));
    ASSERT_EQ(actions.size(), 35u) << "the table of defaults in src/input/key_bindings.cpp was not found";

    // Each action has its line "- Key : what it does (ACTION).", with the key the client binds.
    KeyBindingManager::init();
    const std::string guide = readFile(ASHEN_SOURCE_DIR "/docs/guide.md");
    std::istringstream lines(guide);
    std::map<std::string, std::string> keyOf;
    for (std::string line; std::getline(lines, line);) {
        const size_t colon = line.find(" : "), open = line.rfind(" (");
        if (line.rfind("- ", 0) == 0 && colon != std::string::npos && open != std::string::npos && open > colon &&
            line.size() > open + 4 && line.compare(line.size() - 2, 2, ").") == 0)
            keyOf[line.substr(open + 2, line.size() - open - 4)] = line.substr(2, colon - 2);
    }
    for (const std::string& action : actions) {
        const std::string bound = KeyBindingManager::getBindingString(action);
        EXPECT_FALSE(keyName(bound).empty()) << "no French name for the key " << bound << " of " << action;
        EXPECT_EQ(keyOf[action], keyName(bound)) << "docs/guide.md on " << action;
    }
    // Its config.ini block is the file the client writes.
    const size_t ini = guide.find("```ini\n"), end = guide.find("```", ini + 7);
    ASSERT_NE(ini, std::string::npos);
    EXPECT_EQ(guide.substr(ini + 7, end - ini - 7), readFile("config.ini"));
}
