#pragma once
// The running process as the system sees it.
#include <string>

namespace platform {

// Full path of the running executable; empty when the system cannot tell.
std::string executablePath();

} // namespace platform
