#pragma once
// The server's command line.
#include <cstddef>
#include <cstdint>
#include <string>

struct Options {
    uint16_t port = 1234;     // 0: any free port (tests)
    uint16_t testPort = 1235; // opened only with a test password
    std::string testPassword;
    std::string dataDir = "server-data";
    std::string database; // a PostgreSQL URI; empty: SQLite in dataDir
    size_t maxPlayers = 256;   // logged in
    size_t registerLimit = 5;  // accounts created per address within an hour
    size_t pendingLimit = 16;  // connections not logged in yet, per address
    bool help = false;
};

// False with a French `error` on an unknown option or a bad value.
bool parseOptions(int argc, const char* const argv[], Options& options, std::string& error);
// The French usage text of --help.
std::string optionsHelp();
