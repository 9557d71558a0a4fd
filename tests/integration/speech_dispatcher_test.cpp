// Speech against a real speech-dispatcher of the test's own, on a private
// socket, with the dummy output module. What the client asked for is read
// back from the dispatcher's protocol log.
#include "platform/speech.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class Dispatcher {
public:
    explicit Dispatcher(const fs::path& folder) : folder_(folder) {
        fs::create_directories(folder_ / "conf");
        std::ofstream(folder_ / "conf" / "speechd.conf") << "DefaultModule dummy\n"
                                                            "AddModule \"dummy\" \"sd_dummy\" \"\"\n"
                                                            "AudioOutputMethod \"alsa\"\n"
                                                            "AudioALSADevice \"null\"\n";
    }
    ~Dispatcher() { stop(); }

    // Starts a fresh dispatcher on the socket, with an empty log.
    bool start() {
        const fs::path log = folder_ / ("log" + std::to_string(++runs_));
        fs::create_directories(log);
        logFile_ = log / "speech-dispatcher.log";
        const std::string sock = socket(), conf = (folder_ / "conf").string(), logDir = log.string(),
                          pid = (log / "pid").string(), out = (log / "out").string();
        std::vector<const char*> args = {"speech-dispatcher", "-s", "-t", "30", "-l", "5",
            "-c", "unix_socket", "-S", sock.c_str(), "-C", conf.c_str(), "-L", logDir.c_str(),
            "-P", pid.c_str(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        const int rc = posix_spawnp(&pid_, "speech-dispatcher", &actions, nullptr,
                                    const_cast<char**>(args.data()), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0) return false;
        // Ends by itself 30 s after its last client, should the test die first.
        // A killed dispatcher leaves its socket file behind: wait for one that answers.
        for (int i = 0; i < 100; ++i) {
            if (answers(sock)) return true;
            std::this_thread::sleep_for(50ms);
        }
        return false;
    }
    void kill() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    // Its own shut-down may hang on an output module that is still speaking.
    void stop() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        for (int i = 0; i < 40; ++i) {
            if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
                pid_ = -1;
                return;
            }
            std::this_thread::sleep_for(50ms);
        }
        kill();
    }
    std::string socket() const { return (folder_ / "speechd.sock").string(); }

    // The lines clients sent, in order, until `last` has arrived (or 5 s went by).
    std::vector<std::string> received(const std::string& last) const {
        std::vector<std::string> lines;
        for (int i = 0; i < 100; ++i) {
            lines.clear();
            std::ifstream in(logFile_);
            std::string line;
            while (std::getline(in, line)) {
                const size_t at = line.find(":DATA:|");
                if (at == std::string::npos) continue;
                line.erase(0, at + 7);
                if (!line.empty() && line.back() == '\r') line.pop_back();
                if (line != ".") lines.push_back(line);
            }
            if (std::find(lines.begin(), lines.end(), last) != lines.end()) break;
            std::this_thread::sleep_for(50ms);
        }
        return lines;
    }

private:
    static bool answers(const std::string& path) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof(address.sun_path) - 1);
        const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
        close(fd);
        return ok;
    }

    fs::path folder_;
    fs::path logFile_;
    pid_t pid_ = -1;
    int runs_ = 0;
};

class SpeechDispatcher : public testing::Test {
protected:
    void SetUp() override {
        if (system("command -v speech-dispatcher >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "speech-dispatcher is not installed";
        char pattern[] = "/tmp/ashen_speechd_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        dispatcher_ = std::make_unique<Dispatcher>(folder_);
        setenv("SPEECHD_ADDRESS", ("unix_socket:" + dispatcher_->socket()).c_str(), 1);
        // Never the player's own dispatcher, never one spawned behind the test's back.
        setenv("SPEECHD_CMD", (folder_ / "no-such-dispatcher").c_str(), 1);
    }
    void TearDown() override {
        platform::closeSpeech();
        dispatcher_.reset();
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    fs::path folder_;
    std::unique_ptr<Dispatcher> dispatcher_;
};

TEST_F(SpeechDispatcher, SpeaksFrenchEachTextAfterACancelAndKeepsThePlayersVoice) {
    ASSERT_TRUE(dispatcher_->start());
    testing::internal::CaptureStdout();
    platform::speak("Menu principal.");
    platform::speak("é");
    platform::speak("Connexion au serveur…");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    const std::vector<std::string> lines = dispatcher_->received("Connexion au serveur…");
    std::vector<std::string> commands;
    for (const std::string& line : lines) {
        EXPECT_EQ(line.find("SET SELF RATE"), std::string::npos) << line;
        EXPECT_EQ(line.find("SET SELF VOICE"), std::string::npos) << line;
        EXPECT_EQ(line.find("SET SELF SYNTHESIS_VOICE"), std::string::npos) << line;
        EXPECT_EQ(line.find("SET SELF OUTPUT_MODULE"), std::string::npos) << line;
        if (line.rfind("SET SELF CLIENT_NAME", 0) != 0) commands.push_back(line);
    }
    const std::vector<std::string> expected = {"SET SELF LANGUAGE fr",
        "CANCEL SELF", "SET SELF PRIORITY TEXT", "speak", "Menu principal.",
        "CANCEL SELF", "SET SELF PRIORITY TEXT", "CHAR é",
        "CANCEL SELF", "SET SELF PRIORITY TEXT", "speak", "Connexion au serveur…"};
    EXPECT_EQ(commands, expected);
}

TEST_F(SpeechDispatcher, ComesBackAfterTheFallbackAndAfterARestart) {
    testing::internal::CaptureStdout();
    const auto firstAttempt = std::chrono::steady_clock::now();
    platform::speak("Un.");
    ASSERT_TRUE(dispatcher_->start());
    // Too soon after the failed attempt: still the fallback.
    platform::speak("Deux.");
    std::this_thread::sleep_until(firstAttempt + 5100ms);
    platform::speak("Trois.");
    EXPECT_EQ(dispatcher_->received("Trois.").back(), "Trois.");

    dispatcher_->kill();
    ASSERT_TRUE(dispatcher_->start());
    platform::speak("Quatre.");
    const std::vector<std::string> afterRestart = dispatcher_->received("Quatre.");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Un.\nDeux.\n");
    ASSERT_FALSE(afterRestart.empty());
    EXPECT_EQ(afterRestart.back(), "Quatre.");
    EXPECT_NE(std::find(afterRestart.begin(), afterRestart.end(), "SET SELF LANGUAGE fr"), afterRestart.end());
}

} // namespace
