#pragma once
#include "build_config.h" // APP_VERSION

#include <string>

// The whole client: start-up, main loop, shut-down. Returns the process exit status.
int runClient();

// Ends the main loop once the pending window events are handled, like closing the window.
void postQuit();

// A character typed in the window (one UTF-8 character).
void routeTypedChar(const std::string& ch);
