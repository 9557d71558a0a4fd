// Speech through speech-dispatcher, the channel Linux screen readers use.
// When it cannot be reached every text becomes one line on standard output,
// and the dispatcher is looked for again now and then, so that speech comes
// back once it is up (a desktop often starts it after its games).
#include "platform/speech.h"

#include "base/ticks.h"
#include "base/utf8.h"
#include "platform/clock.h"

#include <libspeechd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace platform {
namespace {

// Every text the client speaks is French; voice, rate and output module stay
// the player's own, so nothing else is set on the connection.
constexpr const char* LANGUAGE = "fr";
// A failed attempt may cost a spawn of the dispatcher: not more often than this.
constexpr uint32_t RETRY_MS = 5000;

SPDConnection* g_conn = nullptr;
bool g_attempted = false;
uint32_t g_lastAttempt = 0;

void disconnect() {
    if (g_conn) spd_close(g_conn);
    g_conn = nullptr;
}

bool connect() {
    g_attempted = true;
    g_lastAttempt = tickCount();
    // A dispatcher that dies mid-write must cost us the connection, not the process.
    std::signal(SIGPIPE, SIG_IGN);
    char* error = nullptr;
    g_conn = spd_open2("AshenRefuge", "main", nullptr, SPD_MODE_SINGLE, nullptr, 1, &error);
    std::free(error);
    if (g_conn && spd_set_language(g_conn, LANGUAGE) != 0) disconnect();
    return g_conn != nullptr;
}

bool reachDispatcher() {
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
    disconnect();
    g_attempted = false;
}

} // namespace platform
