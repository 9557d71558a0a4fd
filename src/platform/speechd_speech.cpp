// Speech through speech-dispatcher, the channel Linux screen readers use.
// When it cannot be reached every text becomes one line on standard output,
// and the dispatcher is looked for again now and then, so that speech comes
// back once it is up (a desktop often starts it after its games).
#include "platform/speech.h"

#include "base/ticks.h"
#include "base/utf8.h"
#include "platform/clock.h"

#include <libspeechd.h>
#include <sys/socket.h>
#include <sys/time.h>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>

namespace platform {
namespace {

// Every text the client speaks is French; voice, rate and output module stay
// the player's own, so nothing else is set on the connection.
constexpr const char* LANGUAGE = "fr";
// A failed attempt may cost a spawn of the dispatcher: not more often than this.
constexpr uint32_t RETRY_MS = 5000;

// A dispatcher that accepts connections but never answers (one hung at its
// own shut-down, say) would hold the game silent for ever: the opening is
// waited for this long, and every later reply at most REPLY_WAIT_MS.
constexpr auto OPEN_WAIT = std::chrono::milliseconds(3000);
constexpr long REPLY_WAIT_MS = 2000;

// One opening, run on a thread of its own so that it can be given up.
struct Opening {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool abandoned = false; // nobody will take the connection: it closes it
    SPDConnection* conn = nullptr;
};

SPDConnection* g_conn = nullptr;
bool g_attempted = false;
uint32_t g_lastAttempt = 0;
// An opening given up while still running; while it runs, no other starts,
// and should it succeed late the next text takes its connection.
std::shared_ptr<Opening> g_late;

void disconnect() {
    if (g_conn) spd_close(g_conn);
    g_conn = nullptr;
}

void boundReplies(SPDConnection* conn) {
    timeval limit{REPLY_WAIT_MS / 1000, (REPLY_WAIT_MS % 1000) * 1000};
    setsockopt(conn->socket, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    setsockopt(conn->socket, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
}

void openConnection(const std::shared_ptr<Opening>& opening) {
    char* error = nullptr;
    SPDConnection* conn = spd_open2("AshenRefuge", "main", nullptr, SPD_MODE_SINGLE, nullptr, 1, &error);
    std::free(error);
    // The socket is only reachable once spd_open2 returns: its own first reply is
    // covered by the wait on this thread, every later one by the socket's limit.
    if (conn) boundReplies(conn);
    if (conn && spd_set_language(conn, LANGUAGE) != 0) {
        spd_close(conn);
        conn = nullptr;
    }
    std::lock_guard<std::mutex> lock(opening->mutex);
    opening->done = true;
    if (opening->abandoned && conn) spd_close(conn);
    else opening->conn = conn;
    opening->finished.notify_all();
}

bool connect() {
    g_attempted = true;
    g_lastAttempt = tickCount();
    // A dispatcher that dies mid-write must cost us the connection, not the process.
    std::signal(SIGPIPE, SIG_IGN);
    auto opening = std::make_shared<Opening>();
    std::thread(openConnection, opening).detach();
    std::unique_lock<std::mutex> lock(opening->mutex);
    if (!opening->finished.wait_for(lock, OPEN_WAIT, [&] { return opening->done; })) {
        g_late = opening;
        return false;
    }
    g_conn = opening->conn;
    return g_conn != nullptr;
}

// True when an opening given up earlier is still running.
bool lateOpeningRuns() {
    if (!g_late) return false;
    std::lock_guard<std::mutex> lock(g_late->mutex);
    if (!g_late->done) return true;
    g_conn = g_late->conn;
    g_late->conn = nullptr;
    g_late.reset();
    return false;
}

bool reachDispatcher() {
    if (lateOpeningRuns()) return false;
    if (g_conn) return true;
    if (g_attempted && ticksSince(tickCount(), g_lastAttempt) < RETRY_MS) return false;
    return connect();
}

bool isSingleCharacter(const std::string& text) { return utf8CountChars(text) == 1; }

bool sendToDispatcher(const std::string& text) {
    spd_cancel(g_conn);
    // A lone character is spelled, so that "!" or "é" is heard rather than skipped.
    int rc = isSingleCharacter(text) ? spd_char(g_conn, SPD_TEXT, text.c_str())
                                     : spd_say(g_conn, SPD_TEXT, text.c_str());
    return rc >= 0;
}

void printLine(std::string text) {
    // One text, one line: a reader of the output must never see a text split.
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

} // namespace

void speak(const std::string& text) {
    if (reachDispatcher() && sendToDispatcher(text)) return;
    if (g_conn) {
        // The dispatcher went away (restarted, killed): reopen at once, once.
        disconnect();
        if (connect() && sendToDispatcher(text)) return;
        disconnect();
    }
    printLine(text);
}

void closeSpeech() {
    if (lateOpeningRuns()) {
        std::lock_guard<std::mutex> lock(g_late->mutex);
        g_late->abandoned = true;
        g_late.reset();
    }
    disconnect();
    g_attempted = false;
}

} // namespace platform
