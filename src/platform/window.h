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

// Gathers what the window system has for us: typed characters, the close
// request, focus and key state. Called once a frame; pollWindowEvent,
// windowHasFocus and the key reads see what the last pump gathered.
void pumpWindowEvents();

// Hands over one event gathered by the last pumps, if any.
bool pollWindowEvent(WindowEvent& event);

// True when our window has the keyboard focus.
bool windowHasFocus();

} // namespace platform
