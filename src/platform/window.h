#pragma once
#include <cstdint>
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
// request, focus and key state. pollWindowEvent, windowHasFocus and the key
// reads see what the last pump gathered.
void pumpWindowEvents();

// The main loop's one wait between frames: sleeps until `periodMs` after the
// last frame started (the last time this returned false; the first call
// returns false at once), gathering what the window system sends meanwhile
// as it arrives. True as soon as an event waits for pollWindowEvent; false
// when the next frame starts. A key pressed and released since the last
// frame still reads as down in the frame after the wait (see isKeyDown).
bool waitBetweenFrames(uint32_t periodMs);

// Hands over one event gathered by the last pumps, if any.
bool pollWindowEvent(WindowEvent& event);

// True when our window has the keyboard focus.
bool windowHasFocus();

} // namespace platform
