#pragma once
// Test double of platform/process.h: the executable's path is whatever the
// test says (by default /opt/ashen/AshenRefuge).
#include <string>

namespace fake::process {

void reset();
void setExecutablePath(const std::string& path);

} // namespace fake::process
