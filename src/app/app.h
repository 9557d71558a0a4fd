#pragma once
#include "build_config.h" // APP_VERSION

#include <string>

// The whole client: start-up, main loop, shut-down. Returns the process exit status.
int runClient();

// A character typed in the window (one UTF-8 character).
void routeTypedChar(const std::string& ch);

// Puts every module back as a new run finds it, so that tests can run one
// after another in one process.
void resetClientForTests();
