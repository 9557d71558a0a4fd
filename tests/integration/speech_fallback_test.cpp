// With no speech-dispatcher to talk to, every text must come out as exactly one line.
#include "platform/speech.h"

#include <gtest/gtest.h>

#include <cstdlib>

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
