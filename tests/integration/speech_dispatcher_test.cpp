// Speech against a real speech-dispatcher of the test's own, on a private
// socket, with the dummy output module; what the client asked for is read
// back from the dispatcher's protocol log. Without a dispatcher, or with one
// that never answers, every text is one line on standard output. A dispatcher
// that stalls never holds the caller.
#include "platform/speech.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
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

// A listening socket at `path`, or -1; with `probe`, only whether one answers there.
int unixSocket(const std::string& path, bool probe) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof(address.sun_path) - 1);
    const auto* a = reinterpret_cast<sockaddr*>(&address);
    const bool ok = probe ? ::connect(fd, a, sizeof address) == 0 : bind(fd, a, sizeof address) == 0 && listen(fd, 4) == 0;
    if (probe || !ok) close(fd);
    return probe ? ok : ok ? fd : -1;
}

class SpeechDispatcher : public testing::Test {
protected:
    void SetUp() override {
        if (system("command -v speech-dispatcher >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "speech-dispatcher is not installed";
        char pattern[] = "/tmp/ashen_speechd_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        fs::create_directories(folder_ / "conf");
        std::ofstream(folder_ / "conf" / "speechd.conf") << "DefaultModule dummy\n"
                                                            "AddModule \"dummy\" \"sd_dummy\" \"\"\n"
                                                            "AudioOutputMethod \"alsa\"\n"
                                                            "AudioALSADevice \"null\"\n";
        setenv("SPEECHD_ADDRESS", ("unix_socket:" + socket()).c_str(), 1);
        // Never the player's own dispatcher, never one spawned behind the test's back.
        setenv("SPEECHD_CMD", (folder_ / "no-such-dispatcher").c_str(), 1);
    }
    void TearDown() override {
        platform::closeSpeech();
        stop();
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    std::string socket() const { return (folder_ / "speechd.sock").string(); }

    // A fresh dispatcher on the socket, with an empty log; it ends by itself 30 s
    // after its last client, should the test die first.
    bool start() {
        const fs::path log = folder_ / ("log" + std::to_string(++runs_));
        fs::create_directories(log);
        logFile_ = log / "speech-dispatcher.log";
        const std::string sock = socket(), conf = (folder_ / "conf").string(), logDir = log.string(),
                          pid = (log / "pid").string(), out = (log / "out").string();
        const char* args[] = {"speech-dispatcher", "-s", "-t", "30", "-l", "5", "-c", "unix_socket", "-S",
                              sock.c_str(), "-C", conf.c_str(), "-L", logDir.c_str(), "-P", pid.c_str(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        const int rc = posix_spawnp(&pid_, "speech-dispatcher", &actions, nullptr, const_cast<char**>(args), environ);
        posix_spawn_file_actions_destroy(&actions);
        // A killed dispatcher leaves its socket file behind: wait for one that answers.
        for (int i = 0; rc == 0 && i < 100; ++i, std::this_thread::sleep_for(50ms))
            if (unixSocket(sock, true)) return true;
        return false;
    }
    // SIGTERM first: its own shut-down may hang on an output module still speaking.
    void stop(bool gently = true) {
        for (int i = 0; gently && pid_ > 0 && i < 40; ++i, std::this_thread::sleep_for(50ms)) {
            if (i == 0) ::kill(pid_, SIGTERM);
            if (waitpid(pid_, nullptr, WNOHANG) == pid_) pid_ = -1;
        }
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

    // The lines clients sent, in order, until `last` has arrived (or 5 s went by).
    std::vector<std::string> received(const std::string& last) const {
        std::vector<std::string> lines;
        for (int i = 0; i < 100; ++i, std::this_thread::sleep_for(50ms)) {
            lines.clear();
            std::ifstream in(logFile_);
            for (std::string line; std::getline(in, line);) {
                const size_t at = line.find(":DATA:|");
                if (at == std::string::npos) continue;
                line.erase(0, at + 7);
                if (!line.empty() && line.back() == '\r') line.pop_back();
                if (line != ".") lines.push_back(line);
            }
            if (std::find(lines.begin(), lines.end(), last) != lines.end()) break;
        }
        return lines;
    }

    fs::path folder_, logFile_;
    pid_t pid_ = -1;
    int runs_ = 0;
};

TEST_F(SpeechDispatcher, SpeaksFrenchEachTextAfterACancelAndKeepsThePlayersVoice) {
    ASSERT_TRUE(start());
    testing::internal::CaptureStdout();
    // One at a time: a text said while another is on its way replaces it.
    const std::pair<std::string, std::string> said[] = {
        {"Menu principal.", "Menu principal."}, {"é", "CHAR é"}, {"Connexion au serveur…", "Connexion au serveur…"}};
    for (const auto& [text, logged] : said) {
        platform::speak(text);
        received(logged);
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    std::vector<std::string> commands;
    for (const std::string& line : received("Connexion au serveur…")) {
        for (const char* setting : {"RATE", "VOICE", "SYNTHESIS_VOICE", "OUTPUT_MODULE"})
            EXPECT_EQ(line.find(std::string("SET SELF ") + setting), std::string::npos) << line;
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
    platform::speak("é");
    ASSERT_TRUE(start());
    platform::speak("Deux\nlignes"); // too soon after the failed attempt: still the fallback
    std::this_thread::sleep_until(firstAttempt + 5100ms);
    platform::speak("Trois.");
    EXPECT_EQ(received("Trois.").back(), "Trois.");

    stop(false);
    ASSERT_TRUE(start());
    platform::speak("Quatre.");
    const std::vector<std::string> afterRestart = received("Quatre.");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "é\nDeux lignes\n");
    ASSERT_FALSE(afterRestart.empty());
    EXPECT_EQ(afterRestart.back(), "Quatre.");
    EXPECT_NE(std::find(afterRestart.begin(), afterRestart.end(), "SET SELF LANGUAGE fr"), afterRestart.end());
}

// A dispatcher of the test's own, one client at a time, that holds its replies
// until released: all of them (one that accepts and never answers), or all
// but the opening's (one that stalls on a text). It keeps the texts it is given.
class HeldDispatcher {
public:
    HeldDispatcher(const std::string& path, bool holdOpening) : path_(path), holdOpening_(holdOpening) {
        unlink(path.c_str());
        listener_ = unixSocket(path, false);
        server_ = std::thread([this] {
            for (int fd; (fd = accept(listener_, nullptr, nullptr)) >= 0;) {
                serve(fd);
                std::lock_guard<std::mutex> lock(mutex_);
                close(std::exchange(client_, -1));
            }
        });
        setenv("SPEECHD_ADDRESS", ("unix_socket:" + path).c_str(), 1);
        setenv("SPEECHD_CMD", "/nonexistent-ashen/speech-dispatcher", 1);
    }
    ~HeldDispatcher() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            released_ = true;
            changed_.notify_all();
            if (client_ >= 0) shutdown(client_, SHUT_RDWR);
        }
        shutdown(listener_, SHUT_RDWR);
        server_.join();
        close(listener_);
        unlink(path_.c_str());
    }

    void release() {
        std::lock_guard<std::mutex> lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }
    bool released() {
        std::lock_guard<std::mutex> lock(mutex_);
        return released_;
    }
    // True once a client is connected (within 10 s).
    bool awaitClient() {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, 10s, [&] { return client_ >= 0; });
    }
    // The texts given so far, once `last` is among them (or after 10 s).
    std::vector<std::string> texts(const std::string& last) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait_for(lock, 10s, [&] { return std::find(texts_.begin(), texts_.end(), last) != texts_.end(); });
        return texts_;
    }

private:
    // Plain reads, no stdio stream: capturing the output locks every stream.
    void serve(int fd) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            client_ = fd;
            changed_.notify_all();
        }
        std::string pending, text;
        bool data = false;
        char buffer[4096];
        for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) {
            pending.append(buffer, static_cast<size_t>(n));
            for (size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
                const std::string line = pending.substr(0, pending.find_first_of("\r\n"));
                if (data && line != ".") {
                    text += line;
                    continue;
                }
                std::unique_lock<std::mutex> lock(mutex_);
                if (holdOpening_ || line.rfind("SET SELF ", 0) != 0) changed_.wait(lock, [&] { return released_; });
                std::string reply = "200 OK\r\n";
                if (data || line.rfind("CHAR ", 0) == 0) {
                    texts_.push_back(data ? text : line.substr(5));
                    changed_.notify_all();
                    reply = "225-1\r\n225 OK MESSAGE QUEUED\r\n";
                } else if (line == "SPEAK" || line == "speak") {
                    reply = "230 OK RECEIVING DATA\r\n";
                }
                data = reply[1] == '3';
                text.clear();
                lock.unlock();
                if (write(fd, reply.data(), reply.size()) < 0) return;
            }
        }
    }

    const std::string path_;
    const bool holdOpening_;
    int listener_ = -1;
    int client_ = -1; // the one being served
    std::thread server_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool released_ = false;
    std::vector<std::string> texts_;
};

// Says 20 texts while the dispatcher holds; true when every call returned
// before the dispatcher was let go. A watchdog lets it go after 20 s, so that
// calls that wait for it end anyway, and fail.
bool saidWhileHeld(HeldDispatcher& dispatcher) {
    std::promise<void> returned;
    std::thread watchdog([&dispatcher, done = returned.get_future()] {
        if (done.wait_for(20s) == std::future_status::timeout) dispatcher.release();
    });
    for (int i = 0; i < 20; ++i) platform::speak("Texte " + std::to_string(i));
    const bool held = !dispatcher.released();
    returned.set_value();
    watchdog.join();
    return held;
}

TEST(SpeechThread, ASilentOrStalledDispatcherCostsTheCallerNothing) {
    std::string everyText;
    for (int i = 0; i < 20; ++i) everyText += "Texte " + std::to_string(i) + "\n";
    {
        // One that never answers: each text is printed once closeSpeech gives it up.
        HeldDispatcher silent("/tmp/ashen-mute-" + std::to_string(getpid()) + ".sock", true);
        testing::internal::CaptureStdout();
        EXPECT_TRUE(saidWhileHeld(silent));
        EXPECT_TRUE(silent.awaitClient()); // the opening hangs
        platform::closeSpeech();
        // Ends the given-up opening's read, which holds its stream's lock: capturing flushes every stream.
        silent.release();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), everyText);
    }
    // One stalled on the first text: once it answers it is given the newest,
    // and nothing that queued behind.
    HeldDispatcher stalled("/tmp/ashen-held-" + std::to_string(getpid()) + ".sock", false);
    testing::internal::CaptureStdout();
    EXPECT_TRUE(saidWhileHeld(stalled));
    stalled.release();
    const std::vector<std::string> said = stalled.texts("Texte 19");
    platform::closeSpeech();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_TRUE(said == std::vector<std::string>{"Texte 19"} ||
                said == (std::vector<std::string>{"Texte 0", "Texte 19"}))
        << testing::PrintToString(said);
}

} // namespace
