#pragma once
#include <string>

namespace platform {

enum class WindowEventType { Char, Close };

struct WindowEvent {
    WindowEventType type = WindowEventType::Char;
    std::string text; // Char: exactly one UTF-8 character
};

// The black 800x600 window that holds the keyboard focus. False when it cannot be made,
// or when no graphical session could ever give it the keyboard.
bool createWindow(const std::string& title);
void destroyWindow();

// Hands over one pending event, if any.
bool pollWindowEvent(WindowEvent& event);

// True when our window has the keyboard focus.
bool windowHasFocus();

} // namespace platform
