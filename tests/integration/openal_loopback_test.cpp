// The real audio device mixing into memory through OpenAL Soft's loopback
// device: what a player would hear, measured as levels per channel.
#include "../unit/temp_folder.h"
#include "platform/audio_device.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

using namespace platform;

namespace {

constexpr int RATE = 44100;
// RMS of the tone writeTone writes, per channel.
const double FILE_LEVEL = 16000.0 / 32767.0 / std::sqrt(2.0);
const AudioVector ORIGIN{0, 0, 0}, FRONT{0, 0, 1}, TOP{0, 1, 0};
enum Side { LEFT = -1, CENTRE = 0, RIGHT = 1 };

struct Levels {
    double left = 0, right = 0; // RMS
    double total() const { return std::sqrt(left * left + right * right); }
};

// Writes a 16-bit PCM WAV of a 441 Hz sine and gives its path; with `leftOnly`,
// a stereo file's right channel is silent.
std::string writeTone(const std::string& path, uint32_t ms, int rate, int channels, bool leftOnly = false) {
    std::vector<int16_t> pcm;
    for (uint32_t i = 0; i < uint32_t(uint64_t(ms) * rate / 1000); ++i)
        for (int c = 0; c < channels; ++c)
            pcm.push_back(c > 0 && leftOnly ? 0 : int16_t(std::lround(16000.0 * std::sin(2 * M_PI * 441.0 * i / rate))));
    const uint32_t bytes = uint32_t(pcm.size() * 2), r = uint32_t(rate), ch = uint32_t(channels);
    // "RIFF", size, "WAVE", "fmt ", 16, PCM and channels, rate, byte rate, block size and bits, "data", size.
    const uint32_t head[] = {0x46464952, 36 + bytes, 0x45564157, 0x20746d66, 16, 1 | ch << 16, r, r * ch * 2,
                             ch * 2 | 16 << 16, 0x61746164, bytes};
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(head), sizeof head);
    f.write(reinterpret_cast<const char*>(pcm.data()), std::streamsize(bytes));
    return path;
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

// One ear leads by more than 3 dB, or both are within 0.5 dB.
void expectSide(int side) {
    const Levels l = settledLevels();
    if (side == CENTRE) {
        EXPECT_NEAR(decibels(l.right, l.left), 0.0, 0.5);
    } else {
        EXPECT_GT(side * decibels(l.right, l.left), 3.0);
    }
}

// A playback's volume or rate; -1 when the device does not answer.
float attribute(uint32_t ch, int attrib) {
    float v = -1;
    return channelGetAttribute(ch, attrib, &v) ? v : -1;
}

// About `ms` into a mono 44.1 kHz file, within 10 ms.
void expectAt(uint32_t ch, double ms) {
    EXPECT_NEAR(double(channelGetPosition(ch)), ms * 44.1 * 2, 441 * 2);
}

// The tone's files in a scratch working folder.
class Loopback : public TempFolder {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        writeTone(tone, 1000, RATE, 1);
        ASSERT_TRUE(audioInitLoopback(false));
    }
    void TearDown() override {
        audioFree();
        TempFolder::TearDown();
    }
    // A looping 3D playback of the tone, placed and started.
    uint32_t placedTone(const AudioVector& at, float minDistance = 1, float maxDistance = 100) {
        uint32_t ch = sampleGetChannel(sampleLoad(tone, 16, AUDIO_3D | AUDIO_LOOP));
        EXPECT_TRUE(channelSet3DAttributes(ch, AUDIO_3D_NORMAL, minDistance, maxDistance));
        EXPECT_TRUE(channelPlay(ch, true));
        moveTo(ch, at);
        return ch;
    }
    void moveTo(uint32_t ch, const AudioVector& at) {
        EXPECT_TRUE(channelSet3DPosition(ch, at));
        apply3D();
    }
    const std::string tone = "tone.wav";
};

TEST_F(Loopback, PanningFollowsTheLeftHandedAxesWithAndWithoutHrtf) {
    // The listener and its front, the source, whether apply3D follows, and the ear that leads.
    const struct {
        AudioVector listener, front, source;
        bool apply;
        Side side;
    } steps[] = {
        {ORIGIN, FRONT, {5, 0, 0}, true, RIGHT},
        {ORIGIN, FRONT, {-5, 0, 0}, true, LEFT},
        {ORIGIN, FRONT, {0, 0, 5}, true, CENTRE},
        {ORIGIN, {1, 0, 0}, {0, 0, 5}, true, LEFT}, // turned towards +x, +z is on the left
        {{10, 0, 0}, FRONT, {5, 0, 0}, true, LEFT}, // the listener's own position counts
        {{0, 0, 10}, {1, 0, 0}, {0, 0, 5}, true, RIGHT},
        {ORIGIN, FRONT, {-5, 0, 0}, false, RIGHT}, // changes wait for apply3D
        {ORIGIN, FRONT, {-5, 0, 0}, true, LEFT},
        {{-10, 0, 0}, FRONT, {-5, 0, 0}, false, LEFT},
        {{-10, 0, 0}, FRONT, {-5, 0, 0}, true, RIGHT},
    };
    for (bool hrtf : {false, true}) {
        SCOPED_TRACE(hrtf ? "HRTF" : "stereo");
        audioFree();
        ASSERT_TRUE(audioInitLoopback(hrtf));
        if (hrtf && !audioHrtfEnabled()) GTEST_SKIP() << "no HRTF data set installed";
        const uint32_t ch = placedTone(ORIGIN);
        for (size_t i = 0; i < std::size(steps); ++i) {
            SCOPED_TRACE("step " + std::to_string(i));
            ASSERT_TRUE(set3DListener(steps[i].listener, steps[i].front, TOP));
            ASSERT_TRUE(channelSet3DPosition(ch, steps[i].source));
            if (steps[i].apply) apply3D();
            expectSide(steps[i].side);
        }
    }
}

TEST_F(Loopback, StereoFilesArePlacedAsMonoWhen3D) {
    const std::string stereo = writeTone("left.wav", 500, RATE, 2, true);
    const uint32_t sample = sampleGetChannel(sampleLoad(stereo, 16, AUDIO_3D | AUDIO_LOOP));
    for (uint32_t ch : {sample, streamCreateFile(stereo, AUDIO_3D | AUDIO_LOOP)}) {
        SCOPED_TRACE(ch == sample ? "sample" : "stream");
        EXPECT_EQ(channelGetLength(ch), uint64_t(RATE) / 2 * 4); // the file's own layout
        ASSERT_TRUE(channelPlay(ch, true));
        moveTo(ch, {5, 0, 0});
        expectSide(RIGHT);
        ASSERT_TRUE(channelStop(ch));
    }
}

TEST_F(Loopback, GainIsMinOverDistanceUpToMax) {
    const uint32_t ch = placedTone({0, 0, 2}, 2, 10);
    const double atMin = settledLevels().total();
    const std::pair<float, double> gains[] = {{1, 1.0}, {4, 0.5}, {5, 0.4}, {8, 0.25}, {10, 0.2}, {40, 0.2}};
    for (const auto& [d, gain] : gains) {
        moveTo(ch, {0, 0, d});
        EXPECT_NEAR(settledLevels().total() / atMin, gain, 0.02) << "at " << d;
    }
    // A negative distance leaves it alone: min stays 2, max becomes 20.
    ASSERT_TRUE(channelSet3DAttributes(ch, AUDIO_3D_NORMAL, -1, 20));
    apply3D();
    EXPECT_NEAR(settledLevels().total() / atMin, 0.1, 0.01);
}

TEST_F(Loopback, SlideRunsOnItsOwnAndReachesItsTargetInItsDuration) {
    const uint32_t ch = sampleGetChannel(sampleLoad(tone, 16, AUDIO_LOOP));
    ASSERT_TRUE(channelPlay(ch, true));
    const double full = settledLevels().total();
    ASSERT_TRUE(channelSlideAttribute(ch, AUDIO_ATTRIB_VOL, 0.0f, 500));
    renderFrames(240);
    EXPECT_NEAR(attribute(ch, AUDIO_ATTRIB_VOL), 0.5f, 0.05f);
    EXPECT_NEAR(levelsOf(renderFrames(20)).total() / full, 0.5, 0.08);
    renderFrames(260);
    EXPECT_EQ(attribute(ch, AUDIO_ATTRIB_VOL), 0.0f);
    EXPECT_LT(levelsOf(renderFrames(50)).total(), full * 0.01);
    // Setting the attribute ends a slide in progress.
    ASSERT_TRUE(channelSlideAttribute(ch, AUDIO_ATTRIB_VOL, 1.0f, 1000));
    ASSERT_TRUE(channelSetAttribute(ch, AUDIO_ATTRIB_VOL, 0.25f));
    renderFrames(200);
    EXPECT_EQ(attribute(ch, AUDIO_ATTRIB_VOL), 0.25f);
}

TEST_F(Loopback, AFirstStartKeepsItsPlaceAndPauseHoldsThePosition) {
    const uint32_t sample = sampleGetChannel(sampleLoad(tone, 16, AUDIO_3D));
    for (uint32_t ch : {sample, streamCreateFile(tone, 0)}) {
        SCOPED_TRACE(ch == sample ? "sample" : "stream");
        // A first start begins where the playback was placed; a later restart at the beginning.
        ASSERT_TRUE(channelSetPosition(ch, 4410 * 2));
        ASSERT_TRUE(channelPlay(ch, true));
        renderFrames(100);
        expectAt(ch, 200);
        ASSERT_TRUE(channelPlay(ch, true));
        renderFrames(300);
        ASSERT_TRUE(channelPause(ch));
        EXPECT_EQ(channelIsActive(ch), AUDIO_PAUSED);
        const uint64_t at = channelGetPosition(ch);
        expectAt(ch, 300);
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
        expectAt(ch, 200);
        ASSERT_TRUE(channelStop(ch));
    }
}

TEST_F(Loopback, StreamsLoopWithoutGapAndEndOnlyAtTheirEnd) {
    const std::string shortOne = writeTone("short.wav", 300, RATE, 1);
    const uint32_t loop = streamCreateFile(shortOne, AUDIO_LOOP);
    ASSERT_TRUE(channelPlay(loop, true));
    const std::vector<float> pcm = renderFrames(1000);
    EXPECT_EQ(channelIsActive(loop), AUDIO_PLAYING);
    expectAt(loop, 100);
    double quietest = 1;
    for (size_t i = 0; i + 220 * 2 <= pcm.size(); i += 220 * 2)
        quietest = std::min(quietest, levelsOf({pcm.begin() + long(i), pcm.begin() + long(i + 220 * 2)}).total());
    EXPECT_GT(quietest, 0.5 * levelsOf(pcm).total()) << "a gap in the loop";
    ASSERT_TRUE(channelStop(loop));

    const uint32_t once = streamCreateFile(shortOne, 0);
    ASSERT_TRUE(channelPlay(once, true));
    renderFrames(250);
    EXPECT_EQ(channelIsActive(once), AUDIO_PLAYING);
    renderFrames(100);
    EXPECT_EQ(channelIsActive(once), AUDIO_STOPPED);
    EXPECT_LT(levelsOf(renderFrames(50)).total(), 1e-4);
    // A fade started once it has ended still runs to its target (the intro waits for it).
    ASSERT_TRUE(channelSlideAttribute(once, AUDIO_ATTRIB_VOL, 0.0f, 300));
    renderFrames(320);
    EXPECT_EQ(attribute(once, AUDIO_ATTRIB_VOL), 0.0f);

    // Starved of refills for longer than its queue lasts, a long stream is
    // not over: it carries on once the device's thread catches up.
    const uint32_t longStream = streamCreateFile(tone, 0);
    ASSERT_TRUE(channelPlay(longStream, true));
    std::vector<float> starved(RATE / 2 * 2);
    ASSERT_TRUE(audioRenderLoopback(starved.data(), RATE / 2));
    EXPECT_NE(channelIsActive(longStream), AUDIO_STOPPED);
    renderFrames(100);
    EXPECT_EQ(channelIsActive(longStream), AUDIO_PLAYING);
    EXPECT_GT(levelsOf(renderFrames(50)).total(), 0.01);
}

// The stop list is what the engine prunes by: every stop in it, once each.
TEST_F(Loopback, ASampleHasAtMostSixteenPlaybacksAtOnceAndStopsAreListed) {
    std::vector<uint32_t> stops;
    bool complete = false;
    const auto stoppedSince = [&](uint32_t& since) {
        stops.clear();
        since = audioStopsSince(since, stops, complete);
        std::sort(stops.begin(), stops.end());
        return stops;
    };
    uint32_t since = audioStopsSince(0, stops, complete);
    const uint32_t s = sampleLoad(writeTone("short.wav", 200, RATE, 1), 16, AUDIO_3D);
    std::vector<uint32_t> chans;
    for (int i = 0; i < 16; ++i) {
        chans.push_back(sampleGetChannel(s));
        ASSERT_TRUE(channelPlay(chans.back(), true));
    }
    ASSERT_TRUE(channelPause(chans[0])); // paused still holds its place
    EXPECT_EQ(sampleGetChannel(s), 0u);
    ASSERT_TRUE(channelStop(chans[1]));
    EXPECT_EQ(stoppedSince(since), std::vector<uint32_t>{chans[1]});
    EXPECT_TRUE(complete);
    const uint32_t taker = sampleGetChannel(s);
    ASSERT_TRUE(channelPlay(taker, true));
    EXPECT_FALSE(channelPlay(chans[1], true)); // its place was taken
    EXPECT_EQ(sampleGetChannel(s), 0u);
    renderFrames(300); // the playing ones end by themselves
    EXPECT_EQ(channelIsActive(chans[2]), AUDIO_STOPPED);
    std::vector<uint32_t> ended(chans.begin() + 2, chans.end());
    ended.push_back(taker);
    std::sort(ended.begin(), ended.end());
    EXPECT_EQ(stoppedSince(since), ended);
    EXPECT_TRUE(stoppedSince(since).empty());
    EXPECT_NE(sampleGetChannel(s), 0u);
    EXPECT_TRUE(sampleFree(s));
    EXPECT_EQ(stoppedSince(since), std::vector<uint32_t>{chans[0]}); // freed while paused
    EXPECT_EQ(channelIsActive(chans[0]), AUDIO_STOPPED);
    EXPECT_FALSE(channelPlay(chans[0], false));
    stoppedSince(since = since - 2000);
    EXPECT_FALSE(complete) << "more stops asked for than remembered";
}

TEST_F(Loopback, RateIsMeasuredAgainstTheFilesOwnRate) {
    const uint32_t ch = sampleGetChannel(sampleLoad(writeTone("low.wav", 1000, 22050, 1), 16, 0));
    EXPECT_EQ(attribute(ch, AUDIO_ATTRIB_FREQ), 22050.0f);
    ASSERT_TRUE(channelPlay(ch, true));
    renderFrames(200);
    EXPECT_NEAR(double(channelGetPosition(ch)), 4410 * 2, 300);
    ASSERT_TRUE(channelSetAttribute(ch, AUDIO_ATTRIB_FREQ, 44100.0f));
    renderFrames(200);
    EXPECT_NEAR(double(channelGetPosition(ch)), (4410 + 8820) * 2, 300);
    ASSERT_TRUE(channelSetAttribute(ch, AUDIO_ATTRIB_FREQ, 0.0f)); // back to its own
    EXPECT_EQ(attribute(ch, AUDIO_ATTRIB_FREQ), 22050.0f);
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
class NullDevice : public Loopback {};
TEST_F(NullDevice, TheDevicesThreadRunsSlidesAndStreams) {
    if (!std::getenv("ASHEN_EXPECT_NULL_DEVICE")) GTEST_SKIP() << "run by ctest only";
    audioFree();
    ASSERT_TRUE(audioInit());
    const uint32_t stream = streamCreateFile(writeTone("short.wav", 600, RATE, 1), 0);
    ASSERT_TRUE(channelPlay(stream, true));
    ASSERT_TRUE(channelSlideAttribute(stream, AUDIO_ATTRIB_VOL, 0.0f, 300));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (channelIsActive(stream) != AUDIO_STOPPED && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(channelIsActive(stream), AUDIO_STOPPED);
    EXPECT_EQ(attribute(stream, AUDIO_ATTRIB_VOL), 0.0f);
}

} // namespace

// Music files are stereo, most effects mono: both play centred at the file's
// level, or the balance between them changes. Also a mono sample loaded to be
// placed and started with 3D off, wherever the listener stands.
TEST_F(Loopback, CentredMonoSoundsAtTheLevelOfStereoWithAndWithoutHrtf) {
    const std::string stereoFile = writeTone("stereo.wav", 1000, RATE, 2);
    for (bool hrtf : {false, true}) {
        SCOPED_TRACE(hrtf ? "HRTF" : "panning");
        audioFree();
        ASSERT_TRUE(audioInitLoopback(hrtf));
        if (hrtf && !audioHrtfEnabled()) GTEST_SKIP() << "no HRTF data set installed";
        ASSERT_TRUE(set3DListener({50, 0, -20}, {1, 0, 0}, TOP));
        auto levelOf = [](uint32_t ch) {
            EXPECT_TRUE(channelPlay(ch, true));
            apply3D();
            const Levels l = settledLevels();
            EXPECT_TRUE(channelStop(ch));
            return l;
        };
        const Levels stereo = levelOf(sampleGetChannel(sampleLoad(stereoFile, 16, AUDIO_LOOP)));
        const uint32_t flat = sampleGetChannel(sampleLoad(tone, 16, AUDIO_LOOP)); // not loaded for 3D: not placed
        EXPECT_FALSE(channelSet3DPosition(flat, {60, 0, 0}));
        EXPECT_FALSE(channelSet3DAttributes(flat, AUDIO_3D_NORMAL, 1, 10));
        const Levels mono = levelOf(flat);
        const uint32_t placeable = sampleGetChannel(sampleLoad(tone, 16, AUDIO_3D | AUDIO_LOOP));
        ASSERT_TRUE(channelSet3DAttributes(placeable, AUDIO_3D_OFF, -1, -1));
        const Levels centred3D = levelOf(placeable);
        // HRTF renders stereo through its own virtual speakers, about 1 dB up.
        EXPECT_NEAR(decibels(stereo.left, FILE_LEVEL), 0.0, hrtf ? 1.5 : 0.5);
        EXPECT_NEAR(decibels(stereo.right, FILE_LEVEL), 0.0, hrtf ? 1.5 : 0.5);
        for (const Levels& l : {mono, centred3D}) {
            EXPECT_NEAR(decibels(l.left, stereo.left), 0.0, 0.5);
            EXPECT_NEAR(decibels(l.right, stereo.right), 0.0, 0.5);
        }
    }
}
