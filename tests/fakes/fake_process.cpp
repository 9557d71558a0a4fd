#include "fake_process.h"

#include "platform/process.h"

namespace fake::process {
namespace {

const char* const DEFAULT_PATH = "/opt/ashen/AshenRefuge";
std::string g_path = DEFAULT_PATH;

} // namespace

void reset() { g_path = DEFAULT_PATH; }
void setExecutablePath(const std::string& path) { g_path = path; }

} // namespace fake::process

namespace platform {

std::string executablePath() { return fake::process::g_path; }

} // namespace platform
