#pragma once
// The running process as the system sees it, and other programs.
#include <string>

namespace platform {

// Full path of the running executable; empty when the system cannot tell.
std::string executablePath();

// Starts `path` (relative to the working folder unless absolute) with no
// arguments, detached: in a session of its own, its standard streams on
// /dev/null, so it outlives this process. False when it could not start.
bool startDetached(const std::string& path);

// Ends the process at once with `code`: no destructors, no exit handlers,
// nothing of the shut-down runs; buffered standard output is flushed first.
[[noreturn]] void exitNow(int code);

} // namespace platform
