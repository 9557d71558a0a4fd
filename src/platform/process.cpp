#include "platform/process.h"

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

extern char** environ;

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

bool startDetached(const std::string& path) {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    if (posix_spawn_file_actions_init(&actions) != 0) return false;
    if (posix_spawnattr_init(&attr) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return false;
    }
    // A new session: no terminal hang-up or signal to our group reaches it.
    bool ok = posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID) == 0;
    ok = ok && posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0) == 0;
    ok = ok && posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0) == 0;
    ok = ok && posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0) == 0;
    pid_t pid = 0;
    char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
    ok = ok && posix_spawn(&pid, path.c_str(), &actions, &attr, argv, environ) == 0;
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    // Not waited for: once this process ends, init adopts it.
    return ok;
}

void exitNow(int code) {
    // Not fflush(nullptr): a stream some library is blocked reading would hold it.
    std::fflush(stdout);
    std::fflush(stderr);
    _exit(code);
}

} // namespace platform
