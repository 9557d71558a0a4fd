#include "fake_process.h"

#include "platform/process.h"

namespace fake::process {
namespace {

const char* const DEFAULT_PATH = "/opt/ashen/AshenRefuge";
std::string g_path = DEFAULT_PATH;
bool g_failStarts = false;
std::vector<std::string> g_started;

} // namespace

void reset() {
    g_path = DEFAULT_PATH;
    g_failStarts = false;
    g_started.clear();
}
void setExecutablePath(const std::string& path) { g_path = path; }
void failStarts(bool fail) { g_failStarts = fail; }
const std::vector<std::string>& started() { return g_started; }

} // namespace fake::process

namespace platform {

std::string executablePath() { return fake::process::g_path; }

bool startDetached(const std::string& path) {
    fake::process::g_started.push_back(path);
    return !fake::process::g_failStarts;
}

void exitNow(int code) { throw fake::process::Exited{code}; }

} // namespace platform
