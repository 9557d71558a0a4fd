// The placeholder sound set as the client meets it: every file of the table
// is a plain WAV in Sounds/ beside the executable, each one its own sound, of
// a length that suits its use, and the real device loads all 86 of them.
#include "audio/playback.h"
#include "audio/sound_registry.h"
#include "platform/audio_device.h"
#include "platform/process.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace {

struct Wav {
    bool ok = false;
    int format = 0, channels = 0, bits = 0;
    uint32_t rate = 0;
    std::string data;
    double seconds() const { return ok && rate ? double(data.size()) / (rate * channels * bits / 8) : 0; }
};

uint32_t le(const std::string& s, size_t at, size_t bytes) {
    uint32_t v = 0;
    std::memcpy(&v, s.data() + at, bytes); // WAV and the host are both little-endian
    return v;
}

Wav readWav(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string s((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Wav w;
    if (s.size() < 12 || s.compare(0, 4, "RIFF") != 0 || s.compare(8, 4, "WAVE") != 0) return w;
    bool fmt = false;
    for (size_t at = 12; at + 8 <= s.size();) {
        const std::string id = s.substr(at, 4);
        const uint32_t size = le(s, at + 4, 4);
        if (at + 8 + size > s.size()) break;
        if (id == "fmt " && size >= 16) {
            w.format = int(le(s, at + 8, 2));
            w.channels = int(le(s, at + 10, 2));
            w.rate = le(s, at + 12, 4);
            w.bits = int(le(s, at + 22, 2));
            fmt = true;
        } else if (id == "data") {
            w.data = s.substr(at + 8, size);
            w.ok = fmt;
        }
        at += 8 + size + (size & 1);
    }
    return w;
}

std::string folder() {
    const std::string exe = platform::executablePath();
    return exe.substr(0, exe.find_last_of('/'));
}

} // namespace

TEST(SoundFiles, EveryFileOfTheTableIsAPlainWavOfItsOwn) {
    std::set<std::string> contents;
    for (const SoundDef& d : soundTable()) {
        SCOPED_TRACE(d.file);
        const Wav w = readWav(folder() + "/" + d.file);
        ASSERT_TRUE(w.ok);
        EXPECT_EQ(w.format, 1); // PCM
        EXPECT_EQ(w.channels, 1);
        EXPECT_EQ(w.bits, 16);
        EXPECT_FALSE(w.data.empty());
        EXPECT_TRUE(contents.insert(w.data).second) << "same sound as another file";

        // The intro ends by itself after the sentences said at 2 and 4 s; loops
        // last a while; interface sounds are short, other single sounds under 3 s.
        const std::string name = d.name;
        const bool intro = name == "music_intro", loop = d.flags & platform::AUDIO_LOOP;
        EXPECT_GE(w.seconds(), intro ? 5.0 : loop ? 1.0 : 0.0);
        EXPECT_LE(w.seconds(), intro || loop ? 8.0 : name.rfind("ui_", 0) == 0 ? 0.2 : 3.0);
    }
}

TEST(SoundFiles, TheRealDeviceLoadsAllOfThemAtStartUp) {
    setenv("ALSOFT_DRIVERS", "null", 0);
    testing::internal::CaptureStderr();
    initAudio();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "the silent device did not open";
    EXPECT_EQ(g_baseDir, folder());
    for (const SoundDef& d : soundTable()) EXPECT_TRUE(hasSound(d.name)) << d.name;

    playSound("music_intro", -1, -1);
    EXPECT_TRUE(isChannelPlaying(getSoundHandle("music_intro")));
    playSound("step_zombie_1", 3, 4);
    ASSERT_EQ(g_active.size(), 1u);
    EXPECT_TRUE(isChannelPlaying(g_active[0].handle));
    cleanupAudio();
}
