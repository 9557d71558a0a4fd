#include "platform/process.h"

#include <unistd.h>

#include <vector>

namespace platform {

std::string executablePath() {
    // readlink does not say whether it truncated, so grow until the name fits.
    for (size_t size = 256; size <= 65536; size *= 2) {
        std::vector<char> buffer(size);
        const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) return std::string();
        if (static_cast<size_t>(n) < buffer.size()) return std::string(buffer.data(), static_cast<size_t>(n));
    }
    return std::string();
}

} // namespace platform
