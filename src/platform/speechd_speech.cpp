// Speech through speech-dispatcher, the channel Linux screen readers use.
// When it cannot be reached every text becomes one line on standard output.
#include "platform/speech.h"

#include "base/utf8.h"
#include <libspeechd.h>

#include <cstdio>
#include <cstdlib>

namespace platform {
namespace {

SPDConnection* g_conn = nullptr;
bool g_triedConnect = false;
bool g_fallback = false;

bool connect() {
    char* error = nullptr;
    g_conn = spd_open2("AshenRefuge", "main", nullptr, SPD_MODE_SINGLE, nullptr, 1, &error);
    std::free(error);
    return g_conn != nullptr;
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
    if (!g_triedConnect) {
        g_triedConnect = true;
        g_fallback = !connect();
    }
    if (g_fallback) {
        printLine(text);
        return;
    }
    if (sendToDispatcher(text)) return;
    spd_close(g_conn);
    g_conn = nullptr;
    if (connect() && sendToDispatcher(text)) return;
    if (g_conn) {
        spd_close(g_conn);
        g_conn = nullptr;
    }
    g_fallback = true;
    printLine(text);
}

void closeSpeech() {
    if (g_conn) spd_close(g_conn);
    g_conn = nullptr;
    g_triedConnect = false;
    g_fallback = false;
}

} // namespace platform
