// With no speech-dispatcher to talk to, every text must come out as exactly one line,
// and at once.
#include "platform/speech.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

TEST(SpeechFallback, EachTextIsOneFlushedLine) {
    // An address nobody listens on, in a folder that cannot exist.
    setenv("SPEECHD_ADDRESS", "unix_socket:/nonexistent-ashen/speechd.sock", 1);
    setenv("SPEECHD_CMD", "/nonexistent-ashen/speech-dispatcher", 1);
    testing::internal::CaptureStdout();
    platform::speak("Menu principal.");
    platform::speak("é");
    platform::speak("Deux\nlignes");
    std::string out = testing::internal::GetCapturedStdout();
    platform::closeSpeech();
    EXPECT_EQ(out, "Menu principal.\né\nDeux lignes\n");
}

TEST(SpeechFallback, ADispatcherThatNeverAnswersCostsSecondsNotTheGame) {
    // It accepts the connection (the kernel does, on its behalf) and says nothing.
    const std::string path = "/tmp/ashen-mute-" + std::to_string(getpid()) + ".sock";
    unlink(path.c_str());
    int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(listen(listener, 4), 0);
    setenv("SPEECHD_ADDRESS", ("unix_socket:" + path).c_str(), 1);
    setenv("SPEECHD_CMD", "/nonexistent-ashen/speech-dispatcher", 1);

    testing::internal::CaptureStdout();
    const auto start = std::chrono::steady_clock::now();
    platform::speak("Bienvenue.");
    const auto first = std::chrono::steady_clock::now() - start;
    // The opening still hangs: the next text must not wait for it again.
    platform::speak("Menu principal.");
    const auto both = std::chrono::steady_clock::now() - start;
    platform::closeSpeech();
    // Ends the hung opening's read, which holds its stream's lock: capturing
    // flushes every stream.
    close(listener);
    unlink(path.c_str());
    std::string out = testing::internal::GetCapturedStdout();

    EXPECT_EQ(out, "Bienvenue.\nMenu principal.\n");
    EXPECT_LT(first, std::chrono::seconds(10));
    EXPECT_LT(both - first, std::chrono::seconds(1));
}
