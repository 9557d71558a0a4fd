// Speech through speech-dispatcher, the channel Linux screen readers use.
// When it cannot be reached every text becomes one line on standard output,
// and the dispatcher is looked for again now and then, so that speech comes
// back once it is up (a desktop often starts it after its games).
//
// Threads. The game's loop never waits for the dispatcher: speak() drops the
// text in a mailbox and returns. A speech thread of ours does every exchange
// with the dispatcher (opening, cancel, say) and the fallback's printing.
// When it comes back to the mailbox it says only the newest text, which cuts
// off the one before as any text does, so nothing queues behind a slow
// dispatcher; when the dispatcher cannot be reached every text is printed.
// The mailbox is shared under its mutex; the connection, the retry clock and
// the opening given up belong to the speech thread while it runs, and to
// closeSpeech once it has joined it.
#include "platform/speech.h"

#include "base/ticks.h"
#include "base/utf8.h"
#include "platform/clock.h"

#include <libspeechd.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace platform {
namespace {

// Every text the client speaks is French; voice, rate and output module stay
// the player's own, so nothing else is set on the connection.
constexpr const char* LANGUAGE = "fr";
// A failed attempt may cost a spawn of the dispatcher: not more often than this.
constexpr uint32_t RETRY_MS = 5000;

// How long the speech thread waits for an opening, and for each later reply,
// before it takes the dispatcher for gone and prints. The game never waits
// for them, so they are generous: a dispatcher that is slow, not gone, is
// still heard (one hung at its own shut-down, say, is not).
constexpr auto OPEN_WAIT = std::chrono::milliseconds(10000);
constexpr long REPLY_WAIT_MS = 10000;
// closeSpeech lets the thread finish what was said for this long, then cuts
// its exchange short: leaving the game never waits on a stalled dispatcher.
constexpr auto CLOSE_GRACE = std::chrono::milliseconds(1000);
// Texts kept while the speech thread is busy, for the fallback to print them
// all; a longer burst loses its oldest.
constexpr size_t MAILBOX_MAX = 64;

// One opening, run on a thread of its own so that it can be given up.
struct Opening {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool givenUp = false;   // closeSpeech stops waiting for it
    bool abandoned = false; // nobody will take the connection: it closes it
    SPDConnection* conn = nullptr;
};

struct Mailbox {
    std::mutex mutex;
    std::condition_variable wake, ended;
    std::deque<std::string> texts; // oldest first
    bool running = false, closing = false, finished = false;
    // Set by closeSpeech after its grace: no exchange may wait any more.
    bool interrupted = false;
    // A duplicate of the live connection's socket, owned by the speech thread:
    // shutting it down ends a blocked reply without touching a descriptor
    // the library may have closed and the process reused.
    int interruptFd = -1;
    std::shared_ptr<Opening> waitingFor; // the opening the thread waits for
    std::thread thread;
};

// Never destroyed: a process that ends without closeSpeech must not destroy
// what a running speech thread waits on.
Mailbox& mailbox() {
    static Mailbox* box = new Mailbox;
    return *box;
}

// The speech thread's own (see the top of the file).
SPDConnection* g_conn = nullptr;
bool g_attempted = false;
uint32_t g_lastAttempt = 0;
// An opening given up while still running; while it runs, no other starts,
// and should it succeed late the next text takes its connection.
std::shared_ptr<Opening> g_late;

bool closing() {
    std::lock_guard<std::mutex> lock(mailbox().mutex);
    return mailbox().closing;
}

void disconnect() {
    if (!g_conn) return;
    {
        Mailbox& box = mailbox();
        std::lock_guard<std::mutex> lock(box.mutex);
        if (box.interruptFd >= 0) ::close(box.interruptFd);
        box.interruptFd = -1;
    }
    spd_close(g_conn);
    g_conn = nullptr;
}

bool adopt(SPDConnection* conn) {
    if (!conn) return false;
    Mailbox& box = mailbox();
    std::unique_lock<std::mutex> lock(box.mutex);
    if (box.interrupted) {
        lock.unlock();
        spd_close(conn);
        return false;
    }
    box.interruptFd = ::dup(conn->socket);
    g_conn = conn;
    return true;
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
    // covered by the wait for this thread, every later one by the socket's limit.
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
    Mailbox& box = mailbox();
    {
        std::lock_guard<std::mutex> lock(box.mutex);
        if (box.interrupted) return false;
        box.waitingFor = opening;
    }
    bool done = false;
    try {
        std::thread(openConnection, opening).detach();
        std::unique_lock<std::mutex> lock(opening->mutex);
        opening->finished.wait_for(lock, OPEN_WAIT, [&] { return opening->done || opening->givenUp; });
        done = opening->done;
    } catch (const std::system_error&) {
        opening->done = true; // never started: nothing to wait for
        done = true;
    }
    {
        std::lock_guard<std::mutex> lock(box.mutex);
        box.waitingFor.reset();
    }
    if (!done) {
        g_late = opening;
        return false;
    }
    return adopt(opening->conn);
}

// True when an opening given up earlier is still running.
bool lateOpeningRuns() {
    if (!g_late) return false;
    SPDConnection* conn = nullptr;
    {
        std::lock_guard<std::mutex> lock(g_late->mutex);
        if (!g_late->done) return true;
        conn = g_late->conn;
        g_late->conn = nullptr;
    }
    g_late.reset();
    adopt(conn);
    return false;
}

void abandonLateOpening() {
    if (!g_late) return;
    SPDConnection* conn = nullptr;
    {
        std::lock_guard<std::mutex> lock(g_late->mutex);
        if (g_late->done) std::swap(conn, g_late->conn);
        else g_late->abandoned = true;
    }
    g_late.reset();
    if (conn) spd_close(conn);
}

bool reachDispatcher() {
    if (lateOpeningRuns()) return false;
    if (g_conn) return true;
    if (closing()) return false; // the game is ending: no new opening
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

bool speakThroughDispatcher(const std::string& text) {
    if (reachDispatcher() && sendToDispatcher(text)) return true;
    if (g_conn) {
        // The dispatcher went away (restarted, killed): reopen at once, once.
        disconnect();
        if (!closing() && connect() && sendToDispatcher(text)) return true;
        disconnect();
    }
    return false;
}

void printLine(std::string text) {
    // One text, one line: a reader of the output must never see a text split.
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void speechThread() {
    Mailbox& box = mailbox();
    std::unique_lock<std::mutex> lock(box.mutex);
    for (;;) {
        box.wake.wait(lock, [&] { return !box.texts.empty() || box.closing; });
        if (box.texts.empty()) break;
        std::deque<std::string> texts;
        texts.swap(box.texts);
        lock.unlock();
        // The newest alone is spoken: it would cut the others off anyway.
        if (!speakThroughDispatcher(texts.back()))
            for (const std::string& text : texts) printLine(text);
        lock.lock();
    }
    box.finished = true;
    box.ended.notify_all();
}

// Ends whatever the speech thread waits for; box.mutex is held.
void interrupt(Mailbox& box) {
    box.interrupted = true;
    if (box.interruptFd >= 0) ::shutdown(box.interruptFd, SHUT_RDWR);
    if (box.waitingFor) {
        std::lock_guard<std::mutex> lock(box.waitingFor->mutex);
        box.waitingFor->givenUp = true;
        box.waitingFor->finished.notify_all();
    }
}

} // namespace

void speak(const std::string& text) {
    Mailbox& box = mailbox();
    std::unique_lock<std::mutex> lock(box.mutex);
    if (!box.running) {
        try {
            box.thread = std::thread(speechThread);
        } catch (const std::system_error&) {
            lock.unlock();
            printLine(text); // no thread to be had: still one line per text
            return;
        }
        box.running = true;
    }
    box.texts.push_back(text);
    if (box.texts.size() > MAILBOX_MAX) box.texts.pop_front();
    box.wake.notify_one();
}

void closeSpeech() {
    Mailbox& box = mailbox();
    {
        std::unique_lock<std::mutex> lock(box.mutex);
        box.closing = true;
        box.wake.notify_one();
        // What was said last is still delivered, unless the dispatcher stalls.
        if (box.running && !box.ended.wait_for(lock, CLOSE_GRACE, [&] { return box.finished; })) interrupt(box);
    }
    if (box.thread.joinable()) box.thread.join();
    {
        std::lock_guard<std::mutex> lock(box.mutex);
        box.running = box.closing = box.finished = box.interrupted = false;
    }
    abandonLateOpening();
    disconnect();
    g_attempted = false;
}

} // namespace platform
