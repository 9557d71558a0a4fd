#pragma once
// A real AshenServer for the tests: started on a free port with a data folder
// of its own, stopped with SIGTERM (or killed) and started again on its port.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

class ServerProcess {
public:
    explicit ServerProcess(std::vector<std::string> extra = {}) : extra_(std::move(extra)) {
        char folder[] = "/tmp/ashen_server_XXXXXX";
        if (mkdtemp(folder) == nullptr) return;
        folder_ = folder;
        start("0");
    }
    ~ServerProcess() {
        if (pid_ > 0) {
            EXPECT_EQ(stop(), 0) << "a clean end on SIGTERM";
        }
        if (output_ >= 0) close(output_);
        std::error_code ignored;
        if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
    }

    uint16_t port() const { return port_; }

    // A stopped server starts again on its port, with its data.
    bool restart() {
        if (pid_ > 0 || port_ == 0) return false;
        const uint16_t was = port_;
        start(std::to_string(was));
        return port_ == was;
    }

    // The exit status after `signal`; -1 after SIGKILL, or when it did not end
    // by itself within `ms` (it is killed then).
    int stop(int signal = SIGTERM, int ms = 30000) {
        if (pid_ <= 0) return -1;
        kill(pid_, signal);
        int status = 0;
        pid_t ended = 0;
        for (int waited = 0; (ended = waitpid(pid_, &status, WNOHANG)) == 0 && waited < ms; waited += 5) usleep(5000);
        if (ended == 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
        }
        pid_ = -1;
        return ended != 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // One log line, or empty after `ms` without one.
    std::string readLine(int ms) {
        while (pending_.find('\n') == std::string::npos) {
            pollfd p{output_, POLLIN, 0};
            char buffer[512];
            ssize_t n = 0;
            if (output_ < 0 || poll(&p, 1, ms) <= 0 || (n = read(output_, buffer, sizeof buffer)) <= 0) return {};
            pending_.append(buffer, static_cast<size_t>(n));
        }
        const size_t end = pending_.find('\n');
        std::string line = pending_.substr(0, end);
        pending_.erase(0, end + 1);
        return line;
    }

private:
    void start(const std::string& port) {
        port_ = 0;
        pending_.clear();
        if (output_ >= 0) close(output_);
        output_ = -1;
        std::vector<std::string> args = {ASHEN_SERVER_EXE, "--port", port, "--data", folder_ + "/data"};
        args.insert(args.end(), extra_.begin(), extra_.end());
        int out[2];
        if (pipe(out) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            std::vector<char*> argv;
            for (std::string& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(out[1]);
        output_ = out[0];
        // The first line names the port it got.
        const std::string line = readLine(10000);
        const auto at = line.rfind(' ');
        if (line.find("écoute sur le port ") != std::string::npos && at != std::string::npos)
            port_ = static_cast<uint16_t>(std::atoi(line.c_str() + at + 1));
    }

    std::vector<std::string> extra_;
    pid_t pid_ = -1;
    int output_ = -1;
    std::string pending_;
    std::string folder_;
    uint16_t port_ = 0;
};
