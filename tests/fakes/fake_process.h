#pragma once
// Test double of platform/process.h: the executable's path is whatever the
// test says (by default /opt/ashen/AshenRefuge); started programs are
// recorded, and exitNow throws Exited, which only a test catches.
#include <string>
#include <vector>

namespace fake::process {

void reset();
void setExecutablePath(const std::string& path);
void failStarts(bool fail);
const std::vector<std::string>& started();
struct Exited {
    int code;
};

} // namespace fake::process
