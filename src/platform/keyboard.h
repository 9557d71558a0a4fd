#pragma once

// Windows virtual-key codes: the core names keys this way everywhere.
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12; // Alt
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_PRIOR = 0x21; // Page Up
constexpr int VK_NEXT = 0x22;  // Page Down
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_INSERT = 0x2D;
constexpr int VK_DELETE = 0x2E;
constexpr int VK_F1 = 0x70;
constexpr int VK_F24 = 0x87;
constexpr int VK_LSHIFT = 0xA0;
constexpr int VK_RSHIFT = 0xA1;
constexpr int VK_LCONTROL = 0xA2;
constexpr int VK_RCONTROL = 0xA3;
constexpr int VK_LMENU = 0xA4;
constexpr int VK_RMENU = 0xA5;
// '0'-'9' (0x30-0x39) are the top-row digit keys, 'A'-'Z' (0x41-0x5A) the letter keys.

namespace platform {

// Whether the key was held when the window system was last asked, or pressed
// since the frame before (a tap shorter than a frame is not lost): taps last
// from one pumpWindowEvents to the next, or through a frame's waits until the
// frame after them has read them. Letters follow the
// current layout (on AZERTY, 'A' is the key that types 'a'); digits are the
// physical top-row keys whatever the layout prints on them. With NumLock off,
// the keypad's arrows, Home, End, Page Up, Page Down, Insert and Delete read
// as the main block's.
bool isKeyDown(int vk);

// False when no key at all is held or tapped, so no isKeyDown or
// isPhysicalKeyDown can answer true: an idle frame skips its key lookups.
// May answer true for a key no binding reads.
bool anyKeyDown();

} // namespace platform
