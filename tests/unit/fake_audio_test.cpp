// What the engine's tests take from the double without checking it
// themselves: paused playbacks keep their slot, stopped ones give theirs up,
// looping streams wrap, and 3D waits for apply3D (so a missing apply3D fails).
#include "fake_audio.h"
#include "fake_platform.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(FakeAudio, SlotsLoopsAnd3DFollowTheDevice) {
    fake::reset();
    fake::audio::reset();
    fake::audio::addFile("a.wav", 1000);
    ASSERT_TRUE(audioInit());
    const uint32_t s = sampleLoad("a.wav", 2, AUDIO_3D), m = streamCreateFile("a.wav", AUDIO_LOOP);
    const uint32_t a = sampleGetChannel(s), b = sampleGetChannel(s);
    ASSERT_TRUE(channelPlay(a, true) && channelPlay(b, true) && channelPlay(m, true) && channelPause(a));
    EXPECT_EQ(sampleGetChannel(s), 0u);
    fake::advance(1250); // b has ended; the loop wrapped
    EXPECT_EQ(channelIsActive(m), AUDIO_PLAYING);
    EXPECT_EQ(channelGetPosition(m), 11025u * 2);
    EXPECT_NE(sampleGetChannel(s), 0u);
    EXPECT_FALSE(channelPlay(b, true)); // its slot went to the new one

    ASSERT_TRUE(channelSet3DPosition(a, {3, 0, 4}));
    EXPECT_EQ(fake::audio::playback(a)->position3D.x, 0.0f);
    apply3D();
    EXPECT_EQ(fake::audio::playback(a)->position3D.x, 3.0f);
}
