#pragma once
// A real AshenServer for the benchmarks: started on a free port with a data
// folder of its own (unless its options name another), optionally pinned to
// one core, and stopped with SIGTERM.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

struct BenchServer {
    pid_t pid = -1;
    uint16_t port = 0; // 0: it did not start
    std::string folder;
};

inline double benchMsSince(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

// Its log, kept in its folder, names the port first. `core` -1: not pinned.
inline BenchServer startBenchServer(const std::string& exe, const std::vector<std::string>& options, int core = -1) {
    BenchServer s;
    char folder[] = "/tmp/ashen_bench_server_XXXXXX";
    if (mkdtemp(folder) == nullptr) return s;
    s.folder = folder;
    const std::string log = s.folder + "/server.log", data = s.folder + "/data";
    std::fflush(stdout); // the child's copy of what is buffered must not be printed twice
    s.pid = fork();
    if (s.pid == 0) {
        if (!std::freopen(log.c_str(), "w", stdout)) _exit(127);
        if (core >= 0) {
            cpu_set_t set;
            CPU_ZERO(&set);
            CPU_SET(core, &set);
            sched_setaffinity(0, sizeof set, &set);
        }
        std::vector<std::string> args = {exe, "--port", "0", "--data", data};
        args.insert(args.end(), options.begin(), options.end());
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(exe.c_str(), argv.data());
        _exit(127);
    }
    const std::string mark = "écoute sur le port ";
    for (const auto start = std::chrono::steady_clock::now(); s.port == 0 && benchMsSince(start) < 10000;) {
        std::ifstream in(log);
        for (std::string line; std::getline(in, line);)
            if (const size_t at = line.find(mark); at != std::string::npos && !in.eof())
                s.port = static_cast<uint16_t>(std::atoi(line.c_str() + at + mark.size()));
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return s;
}

// Milliseconds from SIGTERM to the end, or -1 after 10 s (then killed).
inline double stopBenchServer(BenchServer& s) {
    const auto start = std::chrono::steady_clock::now();
    kill(s.pid, SIGTERM);
    int status = 0;
    double took = -1;
    while (waitpid(s.pid, &status, WNOHANG) == 0) {
        if (benchMsSince(start) > 10000) {
            kill(s.pid, SIGKILL);
            waitpid(s.pid, &status, 0);
            took = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        took = benchMsSince(start);
    }
    std::filesystem::remove_all(s.folder);
    s.pid = -1;
    return took;
}
