// The audio double's simulated playback is what the engine's tests stand on:
// if it let a paused playback run on or never ended one, limiting and
// pruning tests would pass for the wrong reason.
#include "fake_audio.h"
#include "fake_platform.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(FakeAudio, PlaybacksFollowTheClock) {
    fake::reset();
    fake::audio::reset();
    fake::audio::addFile("a.wav", 1000, 44100, 2);
    fake::audio::addFile("music.ogg", 2000);
    EXPECT_EQ(sampleLoad("a.wav", 16, 0), 0u); // not started yet
    ASSERT_TRUE(audioInit());
    EXPECT_EQ(sampleLoad("missing.wav", 16, 0), 0u);
    uint32_t s = sampleLoad("a.wav", 2, AUDIO_3D);
    ASSERT_NE(s, 0u);

    uint32_t a = sampleGetChannel(s);
    uint32_t b = sampleGetChannel(s);
    ASSERT_TRUE(channelPlay(a, true));
    ASSERT_TRUE(channelPlay(b, true));
    EXPECT_EQ(sampleGetChannel(s), 0u); // both slots busy
    EXPECT_EQ(channelGetLength(a), 44100u * 4);

    fake::advance(250);
    EXPECT_EQ(channelGetPosition(a), 11025u * 4);
    ASSERT_TRUE(channelPause(a));
    fake::advance(500);
    EXPECT_EQ(channelIsActive(a), AUDIO_PAUSED);
    EXPECT_EQ(channelGetPosition(a), 11025u * 4);
    EXPECT_EQ(sampleGetChannel(s), 0u); // a paused playback keeps its slot
    EXPECT_EQ(channelIsActive(b), AUDIO_PLAYING);
    fake::advance(250); // b reaches its end at 1000 ms
    EXPECT_EQ(channelIsActive(b), AUDIO_STOPPED);
    uint32_t c = sampleGetChannel(s);
    EXPECT_NE(c, 0u);
    EXPECT_EQ(channelIsActive(b), AUDIO_STOPPED);
    EXPECT_FALSE(channelPlay(b, true)); // its slot went to c

    ASSERT_TRUE(channelPlay(a, false)); // resumes at 250 ms
    fake::advance(100);
    EXPECT_EQ(channelGetPosition(a), 15435u * 4);

    // Slides run on their own; 3D takes effect at apply3D.
    ASSERT_TRUE(channelSetAttribute(a, AUDIO_ATTRIB_VOL, 1.0f));
    ASSERT_TRUE(channelSlideAttribute(a, AUDIO_ATTRIB_VOL, 0.0f, 200));
    fake::advance(100);
    EXPECT_NEAR(fake::audio::playback(a)->volume, 0.5f, 1e-4);
    ASSERT_TRUE(channelSet3DPosition(a, {3, 0, 4}));
    EXPECT_EQ(fake::audio::playback(a)->position3D.x, 0.0f);
    apply3D();
    EXPECT_EQ(fake::audio::playback(a)->position3D.x, 3.0f);

    // A looping stream wraps instead of ending.
    uint32_t m = streamCreateFile("music.ogg", AUDIO_LOOP);
    ASSERT_TRUE(channelPlay(m, true));
    fake::advance(2500);
    EXPECT_EQ(channelIsActive(m), AUDIO_PLAYING);
    EXPECT_EQ(channelGetPosition(m), 22050u * 2);

    // A stream that has ended still fades to its target.
    uint32_t once = streamCreateFile("music.ogg", 0);
    ASSERT_TRUE(channelPlay(once, true));
    fake::advance(2100);
    ASSERT_EQ(channelIsActive(once), AUDIO_STOPPED);
    ASSERT_TRUE(channelSlideAttribute(once, AUDIO_ATTRIB_VOL, 0.0f, 800));
    fake::advance(800);
    float v = -1;
    ASSERT_TRUE(channelGetAttribute(once, AUDIO_ATTRIB_VOL, &v));
    EXPECT_EQ(v, 0.0f);
}
