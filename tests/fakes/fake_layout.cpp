#include "fake_layout.h"

#include "platform/layout.h"

#include <map>
#include <set>

namespace fake {
namespace {

std::map<std::string, platform::CharKey> g_chars;
std::set<int> g_physical;

} // namespace

void setLayoutChar(const std::string& utf8Char, int key, bool shift, bool ctrl, bool altGr) {
    g_chars[utf8Char] = platform::CharKey{key, shift, ctrl, altGr};
}

void clearLayout() {
    g_chars.clear();
    g_physical.clear();
}

void setPhysicalKey(int key, bool down) {
    if (down) g_physical.insert(key);
    else g_physical.erase(key);
}

bool anyPhysicalKey() { return !g_physical.empty(); }

} // namespace fake

namespace platform {

bool findCharKey(const std::string& utf8Char, CharKey& out) {
    auto it = fake::g_chars.find(utf8Char);
    if (it == fake::g_chars.end()) return false;
    out = it->second;
    return true;
}

bool isPhysicalKeyDown(int key) { return fake::g_physical.count(key) != 0; }

} // namespace platform
