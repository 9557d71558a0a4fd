#include "fuzz_support.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <unistd.h>

// Saves happen on most inputs; a real sync each time would cut the rate
// a hundredfold, and nothing here has to survive a power cut.
extern "C" int fsync(int) { return 0; }
extern "C" int fdatasync(int) { return 0; }

namespace {
std::string g_scratch;
void removeScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(g_scratch, ignored);
}
} // namespace

void enterScratchFolder() {
    g_scratch = (std::filesystem::temp_directory_path() / "ashen_fuzz_XXXXXX").string();
    if (!mkdtemp(g_scratch.data())) std::abort();
    std::filesystem::current_path(g_scratch);
    std::atexit(removeScratchFolder);
}

std::vector<std::string> filesStartingWith(const std::string& prefix) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator("."))
        if (entry.path().filename().string().rfind(prefix, 0) == 0) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string readFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
