// The placeholder sound set as the client meets it: every file of the table
// is in Sounds/ beside the executable, each one its own sound, of a length
// that suits its use, and the real device loads all 86 of them.
#include "audio/playback.h"
#include "audio/sound_registry.h"
#include "platform/audio_device.h"
#include "platform/process.h"
#include "platform/sound_decoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

std::string folder() {
    const std::string exe = platform::executablePath();
    return exe.substr(0, exe.find_last_of('/'));
}

} // namespace

TEST(SoundFiles, EveryFileOfTheTableIsASoundOfItsOwn) {
    std::set<std::vector<int16_t>> contents;
    for (const SoundDef& d : soundTable()) {
        SCOPED_TRACE(d.file);
        platform::SoundFileInfo info;
        int channels = 0;
        std::vector<int16_t> pcm;
        ASSERT_TRUE(platform::soundDecodeAll(folder() + "/" + d.file, false, &info, &channels, &pcm));
        EXPECT_TRUE(contents.insert(pcm).second) << "same sound as another file";

        // The intro ends by itself after the sentences said at 2 and 4 s; loops
        // last a while; interface sounds are short, other single sounds under 3 s.
        const std::string name = d.name;
        const bool intro = name == "music_intro", loop = d.flags & platform::AUDIO_LOOP;
        const double seconds = double(info.frames) / info.rate;
        EXPECT_GE(seconds, intro ? 5.0 : loop ? 1.0 : 0.0);
        EXPECT_LE(seconds, intro || loop ? 8.0 : name.rfind("ui_", 0) == 0 ? 0.2 : 3.0);
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
