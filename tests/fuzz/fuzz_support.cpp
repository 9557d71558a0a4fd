#include "fuzz_support.h"

#include "scratch.h"

#include <algorithm>
#include <filesystem>

// Saves happen on most inputs; a real sync each time would cut the rate
// a hundredfold, and nothing here has to survive a power cut.
extern "C" int fsync(int) { return 0; }
extern "C" int fdatasync(int) { return 0; }

// The client and the server read and write their files in the working
// folder: the whole run happens in a fresh folder of its own.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static ScratchFolder scratch;
    return 0;
}

std::vector<std::string> filesStartingWith(const std::string& prefix) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator("."))
        if (entry.path().filename().string().rfind(prefix, 0) == 0) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}
