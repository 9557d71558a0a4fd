// The game server's message dispatch, with the real game behind it. Alice and
// Bob are logged in and a third connection is not; each input line is one
// packet, sent by Alice, Bob or the stranger as its first byte says ('0',
// '1', '2'), a game tick apart.
#include "base/sha256.h"
#include "base/utf8.h"
#include "fuzz_support.h"
#include "server/server.h"

#include <sodium.h>

#include <cstring>
#include <filesystem>

// The real password hashing takes a tenth of a second and 64 MB by design;
// a cheap keyed stand-in keeps the accounts' logic and the fuzzer's pace.
extern "C" int crypto_pwhash_str(char out[crypto_pwhash_STRBYTES], const char* const passwd,
                                 unsigned long long passwdlen, unsigned long long, size_t) {
    const std::string stored = "$fuzz$" + sha256Hex(std::string(passwd, passwdlen));
    std::memcpy(out, stored.c_str(), stored.size() + 1);
    return 0;
}
extern "C" int crypto_pwhash_str_verify(const char* str, const char* const passwd, unsigned long long passwdlen) {
    return ("$fuzz$" + sha256Hex(std::string(passwd, passwdlen))) == str ? 0 : -1;
}

namespace {

uint64_t g_now = 0;
Outbox g_out;

void checkSends() {
    // One message per packet, whole: the client stops at a NUL or a line break.
    for (const GameSend& s : g_out.sends) {
        FUZZ_CHECK(utf8IsValid(s.text));
        FUZZ_CHECK(s.text.find_first_of(std::string("\0\r\n", 3)) == std::string::npos);
    }
    g_out = Outbox{};
}

void send(uint32_t session, const std::string& packet) {
    serverReceive(session, packet, g_now, g_now, g_out);
    checkSends();
    g_now += 25;
    serverTick(g_now, g_out);
    checkSends();
}

uint32_t loggedIn(const std::string& pseudo, const std::string& address) {
    const uint32_t session = serverConnect(address, false, g_now, g_out);
    const std::string email = sha256Hex(pseudo + "@exemple.fr"), pass = sha256Hex("mdp " + pseudo);
    send(session, "AUTH_REGISTER:" + email + ":" + pseudo + ":" + pass + ":F");
    send(session, "AUTH_LOGIN:" + email + ":" + pass + ":");
    return session;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Every input meets a new server with an empty database.
    std::filesystem::remove_all("data");
    g_now = 1000;
    ServerSettings settings;
    settings.testPassword = "clé de test";
    settings.maxPlayers = 16;
    settings.workerThreads = 0;
    FUZZ_CHECK(serverStart(settings, "data", g_now));
    const uint32_t sessions[] = {loggedIn("Alice", "10.0.0.1"), loggedIn("Bob", "10.0.0.2"),
                                 serverConnect("10.0.0.3", true, g_now, g_out)};

    const std::string input = asText(data, size);
    for (size_t start = 0; start < input.size();) {
        size_t end = input.find('\n', start);
        if (end == std::string::npos) end = input.size();
        const std::string line = input.substr(start, end - start);
        if (!line.empty()) send(sessions[static_cast<uint8_t>(line[0] - '0') % 3], line.substr(1));
        start = end + 1;
    }
    for (uint32_t session : sessions) serverDisconnect(session, g_now, g_out);
    checkSends();
    serverStop();
    return 0;
}
