// The real audio device mixing into memory through OpenAL Soft's loopback
// device: what a player would hear, measured as levels per channel.
#include "platform/audio_device.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

using namespace platform;
namespace fs = std::filesystem;

namespace {

constexpr int RATE = 44100;

struct Levels {
    double left = 0, right = 0; // RMS
    double total() const { return std::sqrt(left * left + right * right); }
};

// A 16-bit PCM WAV of a sine; with `leftOnly`, a stereo file's right channel is silent.
void writeTone(const std::string& path, uint32_t ms, int rate, int channels, bool leftOnly = false) {
    uint32_t frames = uint32_t(uint64_t(ms) * rate / 1000);
    uint32_t dataBytes = frames * uint32_t(channels) * 2;
    std::ofstream f(path, std::ios::binary);
    auto u32 = [&](uint32_t v) { f.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](uint16_t v) { f.write(reinterpret_cast<const char*>(&v), 2); };
    f.write("RIFF", 4);
    u32(36 + dataBytes);
    f.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(uint16_t(channels));
    u32(uint32_t(rate));
    u32(uint32_t(rate * channels * 2));
    u16(uint16_t(channels * 2));
    u16(16);
    f.write("data", 4);
    u32(dataBytes);
    for (uint32_t i = 0; i < frames; ++i) {
        auto v = int16_t(std::lround(16000.0 * std::sin(2 * M_PI * 441.0 * i / rate)));
        for (int c = 0; c < channels; ++c) u16(uint16_t(c > 0 && leftOnly ? 0 : v));
    }
}

// Renders as the device's thread and the sound card would: a pump, 10 ms of audio.
std::vector<float> renderFrames(uint32_t ms) {
    std::vector<float> out(size_t(ms) * RATE / 1000 * 2);
    for (size_t done = 0; done < out.size(); done += 441 * 2) {
        audioPump();
        EXPECT_TRUE(audioRenderLoopback(out.data() + done, 441));
    }
    return out;
}

Levels levelsOf(const std::vector<float>& pcm) {
    Levels l;
    for (size_t i = 0; i < pcm.size(); i += 2) {
        l.left += double(pcm[i]) * pcm[i];
        l.right += double(pcm[i + 1]) * pcm[i + 1];
    }
    size_t n = pcm.size() / 2;
    return Levels{std::sqrt(l.left / n), std::sqrt(l.right / n)};
}

// Levels after the mixer's own smoothing of a change has settled.
Levels settledLevels() {
    renderFrames(50);
    return levelsOf(renderFrames(100));
}

double decibels(double a, double b) { return 20 * std::log10(a / b); }

const AudioVector FRONT{0, 0, 1}, TOP{0, 1, 0};

class Loopback : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/ashen-audio-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        tone = dir + "/tone.wav";
        writeTone(tone, 1000, RATE, 1);
        ASSERT_TRUE(audioInitLoopback(false));
    }
    void TearDown() override {
        audioFree();
        fs::remove_all(dir);
    }
    // A looping 3D playback of the tone, placed and started.
    uint32_t placedTone(const AudioVector& at, float minDistance = 1, float maxDistance = 100) {
        uint32_t s = sampleLoad(tone, 16, AUDIO_3D | AUDIO_LOOP);
        uint32_t ch = sampleGetChannel(s);
        EXPECT_TRUE(channelSet3DAttributes(ch, AUDIO_3D_NORMAL, minDistance, maxDistance));
        EXPECT_TRUE(channelSet3DPosition(ch, at));
        EXPECT_TRUE(channelPlay(ch, true));
        apply3D();
        return ch;
    }
    void moveTo(uint32_t ch, const AudioVector& at) {
        EXPECT_TRUE(channelSet3DPosition(ch, at));
        apply3D();
    }
    std::string dir, tone;
};

TEST_F(Loopback, PanningFollowsTheLeftHandedAxesWithAndWithoutHrtf) {
    for (bool hrtf : {false, true}) {
        SCOPED_TRACE(hrtf ? "HRTF" : "stereo");
        audioFree();
        ASSERT_TRUE(audioInitLoopback(hrtf));
        if (hrtf && !audioHrtfEnabled()) GTEST_SKIP() << "no HRTF data set installed";
        uint32_t ch = placedTone({5, 0, 0});
        Levels right = settledLevels();
        EXPECT_GT(decibels(right.right, right.left), 3.0);
        moveTo(ch, {-5, 0, 0});
        Levels left = settledLevels();
        EXPECT_GT(decibels(left.left, left.right), 3.0);
        moveTo(ch, {0, 0, 5});
        Levels front = settledLevels();
        EXPECT_NEAR(decibels(front.left, front.right), 0.0, 0.5);

        // Turned towards +x, the player has +z on the left.
        ASSERT_TRUE(set3DListener({0, 0, 0}, {1, 0, 0}, TOP));
        apply3D();
        Levels turned = settledLevels();
        EXPECT_GT(decibels(turned.left, turned.right), 3.0);

        // The listener's position counts, and changes wait for apply3D.
        ASSERT_TRUE(set3DListener({10, 0, 0}, FRONT, TOP));
        ASSERT_TRUE(channelSet3DPosition(ch, {5, 0, 0}));
        Levels pending = settledLevels();
        EXPECT_GT(decibels(pending.left, pending.right), 3.0);
        apply3D();
        Levels behindLeft = settledLevels();
        EXPECT_GT(decibels(behindLeft.left, behindLeft.right), 3.0);
        ASSERT_TRUE(set3DListener({0, 0, 0}, FRONT, TOP));
        apply3D();
        Levels nowRight = settledLevels();
        EXPECT_GT(decibels(nowRight.right, nowRight.left), 3.0);
    }
}

TEST_F(Loopback, StereoFilesArePlacedAsMonoWhen3D) {
    std::string stereo = dir + "/left.wav";
    writeTone(stereo, 500, RATE, 2, true);
    uint32_t sample = sampleGetChannel(sampleLoad(stereo, 16, AUDIO_3D | AUDIO_LOOP));
    uint32_t stream = streamCreateFile(stereo, AUDIO_3D | AUDIO_LOOP);
    for (uint32_t ch : {sample, stream}) {
        SCOPED_TRACE(ch == sample ? "sample" : "stream");
        EXPECT_EQ(channelGetLength(ch), uint64_t(RATE) / 2 * 4); // the file's own layout
        ASSERT_TRUE(channelSet3DPosition(ch, {5, 0, 0}));
        ASSERT_TRUE(channelPlay(ch, true));
        apply3D();
        Levels l = settledLevels();
        EXPECT_GT(decibels(l.right, l.left), 3.0);
        ASSERT_TRUE(channelStop(ch));
    }
}

TEST_F(Loopback, FlatPlaybacksAreCentredWhereverTheListenerIs) {
    ASSERT_TRUE(set3DListener({50, 0, -20}, {1, 0, 0}, TOP));
    apply3D();
    uint32_t ch = placedTone({60, 0, 30}, 1, 100);
    ASSERT_TRUE(channelSet3DAttributes(ch, AUDIO_3D_OFF, -1, -1));
    apply3D();
    Levels off = settledLevels();
    EXPECT_NEAR(decibels(off.left, off.right), 0.0, 0.1);
    channelStop(ch);

    uint32_t flat = sampleGetChannel(sampleLoad(tone, 16, AUDIO_LOOP));
    EXPECT_FALSE(channelSet3DPosition(flat, {60, 0, 0})); // not loaded for 3D
    EXPECT_FALSE(channelSet3DAttributes(flat, AUDIO_3D_NORMAL, 1, 10));
    ASSERT_TRUE(channelPlay(flat, true));
    apply3D();
    Levels centred = settledLevels();
    EXPECT_NEAR(decibels(centred.left, centred.right), 0.0, 0.1);
    // Neither is attenuated by the 58 tiles between them and the listener.
    EXPECT_NEAR(decibels(centred.total(), off.total()), 0.0, 0.5);
}

TEST_F(Loopback, GainIsMinOverDistanceBetweenMinAndMaxAndConstantBeyond) {
    uint32_t ch = placedTone({0, 0, 2}, 2, 10);
    double atMin = settledLevels().total();
    moveTo(ch, {0, 0, 1});
    EXPECT_NEAR(settledLevels().total() / atMin, 1.0, 0.02);
    for (float d : {4.0f, 5.0f, 8.0f, 10.0f}) {
        moveTo(ch, {0, 0, d});
        EXPECT_NEAR(settledLevels().total() / atMin, 2.0 / d, 0.02) << "at " << d;
    }
    moveTo(ch, {0, 0, 40});
    EXPECT_NEAR(settledLevels().total() / atMin, 0.2, 0.02);
    // A negative distance leaves it alone: min stays 2, max becomes 20.
    ASSERT_TRUE(channelSet3DAttributes(ch, AUDIO_3D_NORMAL, -1, 20));
    apply3D();
    EXPECT_NEAR(settledLevels().total() / atMin, 0.1, 0.01);
}

TEST_F(Loopback, SlideRunsOnItsOwnAndReachesItsTargetInItsDuration) {
    uint32_t ch = sampleGetChannel(sampleLoad(tone, 16, AUDIO_LOOP));
    ASSERT_TRUE(channelPlay(ch, true));
    double full = settledLevels().total();
    ASSERT_TRUE(channelSlideAttribute(ch, AUDIO_ATTRIB_VOL, 0.0f, 500));
    renderFrames(240);
    float v = -1;
    ASSERT_TRUE(channelGetAttribute(ch, AUDIO_ATTRIB_VOL, &v));
    EXPECT_NEAR(v, 0.5f, 0.05f);
    EXPECT_NEAR(levelsOf(renderFrames(20)).total() / full, 0.5, 0.08);
    renderFrames(260);
    ASSERT_TRUE(channelGetAttribute(ch, AUDIO_ATTRIB_VOL, &v));
    EXPECT_EQ(v, 0.0f);
    EXPECT_LT(levelsOf(renderFrames(50)).total(), full * 0.01);
    // Setting the attribute ends a slide in progress.
    ASSERT_TRUE(channelSlideAttribute(ch, AUDIO_ATTRIB_VOL, 1.0f, 1000));
    ASSERT_TRUE(channelSetAttribute(ch, AUDIO_ATTRIB_VOL, 0.25f));
    renderFrames(200);
    ASSERT_TRUE(channelGetAttribute(ch, AUDIO_ATTRIB_VOL, &v));
    EXPECT_EQ(v, 0.25f);
}

TEST_F(Loopback, PauseKeepsThePositionAndResumeContinuesFromIt) {
    uint32_t sample = sampleGetChannel(sampleLoad(tone, 16, 0));
    uint32_t stream = streamCreateFile(tone, 0);
    for (uint32_t ch : {sample, stream}) {
        SCOPED_TRACE(ch == sample ? "sample" : "stream");
        ASSERT_TRUE(channelPlay(ch, true));
        renderFrames(300);
        ASSERT_TRUE(channelPause(ch));
        EXPECT_EQ(channelIsActive(ch), AUDIO_PAUSED);
        uint64_t at = channelGetPosition(ch);
        EXPECT_NEAR(double(at), 300 * 44.1 * 2, 441 * 2);
        EXPECT_LT(levelsOf(renderFrames(500)).total(), 1e-4);
        EXPECT_EQ(channelGetPosition(ch), at);
        ASSERT_TRUE(channelPlay(ch, false));
        renderFrames(200);
        EXPECT_EQ(channelIsActive(ch), AUDIO_PLAYING);
        EXPECT_NEAR(double(channelGetPosition(ch)), double(at) + 200 * 44.1 * 2, 441 * 2);
        // Moved while paused, it resumes from the new place.
        ASSERT_TRUE(channelPause(ch));
        ASSERT_TRUE(channelSetPosition(ch, 4410 * 2));
        renderFrames(100);
        EXPECT_EQ(channelGetPosition(ch), 4410u * 2);
        ASSERT_TRUE(channelPlay(ch, false));
        renderFrames(100);
        EXPECT_NEAR(double(channelGetPosition(ch)), 2 * 4410 * 2, 441 * 2);
        ASSERT_TRUE(channelStop(ch));
    }
}

TEST_F(Loopback, AFirstStartBeginsWhereThePlaybackWasPlaced) {
    uint32_t sample = sampleGetChannel(sampleLoad(tone, 16, AUDIO_3D));
    uint32_t stream = streamCreateFile(tone, 0);
    for (uint32_t ch : {sample, stream}) {
        SCOPED_TRACE(ch == sample ? "sample" : "stream");
        ASSERT_TRUE(channelSetPosition(ch, 4410 * 2));
        ASSERT_TRUE(channelPlay(ch, true));
        renderFrames(100);
        EXPECT_NEAR(double(channelGetPosition(ch)), 2 * 4410 * 2, 441 * 2);
        // Later restarts go back to the beginning.
        ASSERT_TRUE(channelPlay(ch, true));
        renderFrames(100);
        EXPECT_NEAR(double(channelGetPosition(ch)), 4410 * 2, 441 * 2);
        ASSERT_TRUE(channelStop(ch));
    }
}

TEST_F(Loopback, StreamsLoopWithoutGapAndEndOnlyAtTheirEnd) {
    std::string shortTone = dir + "/short.wav";
    writeTone(shortTone, 300, RATE, 1);
    uint32_t loop = streamCreateFile(shortTone, AUDIO_LOOP);
    ASSERT_TRUE(channelPlay(loop, true));
    std::vector<float> pcm = renderFrames(1000);
    EXPECT_EQ(channelIsActive(loop), AUDIO_PLAYING);
    EXPECT_NEAR(double(channelGetPosition(loop)), 100 * 44.1 * 2, 441 * 2);
    double quietest = 1;
    for (size_t i = 0; i + 220 * 2 <= pcm.size(); i += 220 * 2) {
        std::vector<float> window(pcm.begin() + long(i), pcm.begin() + long(i + 220 * 2));
        quietest = std::min(quietest, levelsOf(window).total());
    }
    EXPECT_GT(quietest, 0.5 * levelsOf(pcm).total()) << "a gap in the loop";
    ASSERT_TRUE(channelStop(loop));

    uint32_t once = streamCreateFile(shortTone, 0);
    ASSERT_TRUE(channelPlay(once, true));
    renderFrames(250);
    EXPECT_EQ(channelIsActive(once), AUDIO_PLAYING);
    renderFrames(100);
    EXPECT_EQ(channelIsActive(once), AUDIO_STOPPED);
    EXPECT_LT(levelsOf(renderFrames(50)).total(), 1e-4);
    // A fade started once it has ended still runs to its target (the intro waits for it).
    ASSERT_TRUE(channelSlideAttribute(once, AUDIO_ATTRIB_VOL, 0.0f, 300));
    renderFrames(320);
    float v = -1;
    ASSERT_TRUE(channelGetAttribute(once, AUDIO_ATTRIB_VOL, &v));
    EXPECT_EQ(v, 0.0f);

    // Starved of refills for longer than its queue lasts, a long stream is
    // not over: it carries on once the device's thread catches up.
    uint32_t longStream = streamCreateFile(tone, 0);
    ASSERT_TRUE(channelPlay(longStream, true));
    std::vector<float> starved(RATE / 2 * 2);
    ASSERT_TRUE(audioRenderLoopback(starved.data(), RATE / 2));
    EXPECT_NE(channelIsActive(longStream), AUDIO_STOPPED);
    renderFrames(100);
    EXPECT_EQ(channelIsActive(longStream), AUDIO_PLAYING);
    EXPECT_GT(levelsOf(renderFrames(50)).total(), 0.01);
}

TEST_F(Loopback, ASampleHasAtMostSixteenPlaybacksAtOnce) {
    std::string shortTone = dir + "/short.wav";
    writeTone(shortTone, 200, RATE, 1);
    uint32_t s = sampleLoad(shortTone, 16, AUDIO_3D);
    std::vector<uint32_t> chans;
    for (int i = 0; i < 16; ++i) {
        chans.push_back(sampleGetChannel(s));
        ASSERT_NE(chans.back(), 0u);
        ASSERT_TRUE(channelPlay(chans.back(), true));
    }
    ASSERT_TRUE(channelPause(chans[0])); // paused still holds its place
    EXPECT_EQ(sampleGetChannel(s), 0u);
    ASSERT_TRUE(channelStop(chans[1]));
    uint32_t seventeenth = sampleGetChannel(s);
    ASSERT_NE(seventeenth, 0u);
    ASSERT_TRUE(channelPlay(seventeenth, true));
    EXPECT_FALSE(channelPlay(chans[1], true)); // its place was taken
    EXPECT_EQ(sampleGetChannel(s), 0u);
    renderFrames(300); // the playing ones end by themselves
    EXPECT_EQ(channelIsActive(chans[2]), AUDIO_STOPPED);
    EXPECT_NE(sampleGetChannel(s), 0u);
    EXPECT_TRUE(sampleFree(s));
    EXPECT_EQ(channelIsActive(chans[0]), AUDIO_STOPPED);
    EXPECT_FALSE(channelPlay(chans[0], false));
}

TEST_F(Loopback, RateIsMeasuredAgainstTheFilesOwnRate) {
    std::string lowRate = dir + "/low.wav";
    writeTone(lowRate, 1000, 22050, 1);
    uint32_t ch = sampleGetChannel(sampleLoad(lowRate, 16, 0));
    float freq = 0;
    ASSERT_TRUE(channelGetAttribute(ch, AUDIO_ATTRIB_FREQ, &freq));
    EXPECT_EQ(freq, 22050.0f);
    ASSERT_TRUE(channelPlay(ch, true));
    renderFrames(200);
    EXPECT_NEAR(double(channelGetPosition(ch)), 4410 * 2, 300);
    ASSERT_TRUE(channelSetAttribute(ch, AUDIO_ATTRIB_FREQ, 44100.0f));
    renderFrames(200);
    EXPECT_NEAR(double(channelGetPosition(ch)), (4410 + 8820) * 2, 300);
    ASSERT_TRUE(channelSetAttribute(ch, AUDIO_ATTRIB_FREQ, 0.0f)); // back to its own
    ASSERT_TRUE(channelGetAttribute(ch, AUDIO_ATTRIB_FREQ, &freq));
    EXPECT_EQ(freq, 22050.0f);
}

// Run by ctest with ALSOFT_DRIVERS naming no real backend: the machine
// without a sound card.
TEST(NoDevice, EveryCallIsHarmlessAndEveryLoadFails) {
    if (!std::getenv("ASHEN_EXPECT_NO_DEVICE")) GTEST_SKIP() << "run by ctest only";
    EXPECT_FALSE(audioInit());
    audioSet3DAlgorithm(0);
    apply3D();
    EXPECT_FALSE(set3DListener({1, 0, 1}, FRONT, TOP));
    EXPECT_EQ(sampleLoad("/nonexistent.wav", 16, 0), 0u);
    EXPECT_EQ(streamCreateFile("/nonexistent.wav", AUDIO_LOOP), 0u);
    EXPECT_EQ(sampleGetChannel(1), 0u);
    EXPECT_FALSE(channelPlay(1, true));
    EXPECT_EQ(channelIsActive(1), AUDIO_STOPPED);
    EXPECT_EQ(channelGetLength(1), AUDIO_ERROR_LENGTH);
    EXPECT_FALSE(channelSlideAttribute(1, AUDIO_ATTRIB_VOL, 0, 100));
    EXPECT_FALSE(audioRenderLoopback(nullptr, 0));
    audioFree();
}

// Run by ctest on OpenAL Soft's silent "null" backend: the device's own
// thread, on the wall clock, runs slides and ends streams.
TEST(NullDevice, TheDevicesThreadRunsSlidesAndStreams) {
    if (!std::getenv("ASHEN_EXPECT_NULL_DEVICE")) GTEST_SKIP() << "run by ctest only";
    char tmpl[] = "/tmp/ashen-audio-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    std::string path = std::string(tmpl) + "/short.wav";
    writeTone(path, 600, RATE, 1);
    ASSERT_TRUE(audioInit());
    uint32_t stream = streamCreateFile(path, 0);
    ASSERT_TRUE(channelPlay(stream, true));
    ASSERT_TRUE(channelSlideAttribute(stream, AUDIO_ATTRIB_VOL, 0.0f, 300));
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (channelIsActive(stream) != AUDIO_STOPPED && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(channelIsActive(stream), AUDIO_STOPPED);
    float v = -1;
    ASSERT_TRUE(channelGetAttribute(stream, AUDIO_ATTRIB_VOL, &v));
    EXPECT_EQ(v, 0.0f);
    audioFree();
    fs::remove_all(tmpl);
}

} // namespace
