#pragma once
// Test double of platform/layout.h: a scripted keyboard layout (character ->
// physical key + modifiers) and the state of those physical keys. Physical key
// ids live apart from the virtual-key codes of fake::setKey, so code that mixes
// the two up is caught.
#include <string>

namespace fake {

// From now on `utf8Char` is typed by physical key `key` with these modifiers.
void setLayoutChar(const std::string& utf8Char, int key, bool shift = false, bool ctrl = false,
                   bool altGr = false);
// Nothing types anything, no physical key is held.
void clearLayout();
void setPhysicalKey(int key, bool down);
bool anyPhysicalKey();

} // namespace fake
