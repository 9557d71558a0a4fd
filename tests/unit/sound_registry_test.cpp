// The registry: where sound files are looked for, what a failed load leaves
// behind, and that nothing stays loaded after shut-down.
#include "client_test_support.h"

using fake::audio::callsTo;
using fake::audio::playback;

// Every other test finds the files beside the double's /opt/ashen/AshenRefuge.
TEST(SoundRegistry, AnExecutableOfUnknownPathLooksInTheWorkingFolder) {
    freshClient();
    fake::process::setExecutablePath("");
    initAudio();
    EXPECT_EQ(g_baseDir, ".");
}

TEST(SoundRegistry, LoadsTheWholeTableOnce) {
    startAudio();
    std::vector<std::string> loaded;
    for (const auto& c : fake::audio::calls())
        if (c.fn == "sampleLoad" || c.fn == "streamCreateFile") loaded.push_back(c.path);
    ASSERT_EQ(loaded.size(), soundTable().size());
    EXPECT_EQ(g_assets.size(), soundTable().size()); // no name twice
    // Each is there; streams answer with their handle, samples never do.
    for (const SoundDef& d : soundTable())
        EXPECT_TRUE(hasSound(d.name) && (getSoundHandle(d.name) != 0) == (d.type == SOUND_STREAM)) << d.name;
    EXPECT_EQ(getSoundHandle("pas_de_son"), 0u);
    // The intro must end, the box loop be placed: client_scenario_test, playback_test.
    EXPECT_EQ(playback(getSoundHandle("music_lobby"))->flags, platform::AUDIO_LOOP);
}

TEST(SoundRegistry, AMissingFileIsSkippedSilently) {
    startAudio(1000, 4000, {"fire_M16", "music_lobby"});
    EXPECT_FALSE(hasSound("fire_M16"));
    EXPECT_FALSE(hasSound("music_lobby"));
    EXPECT_EQ(getSoundHandle("music_lobby"), 0u);
    EXPECT_TRUE(hasSound("fire_AK47"));
    EXPECT_TRUE(hasSound("music_maison"));

    fake::audio::clearCalls();
    playSound("fire_M16", -1, -1);
    playSound("music_lobby", -1, -1);
    playSound("pas_de_son", 3, 4);
    EXPECT_TRUE(callsTo("sampleGetChannel").empty());
    EXPECT_TRUE(callsTo("channelPlay").empty());
    EXPECT_TRUE(g_active.empty());

    // Nothing at all loads when the device did not open; the game goes on silent.
    fake::audio::reset();
    fake::audio::failInit(true);
    for (const SoundDef& d : soundTable()) fake::audio::addFile(SOUNDS + d.file, 500);
    testing::internal::CaptureStderr();
    initAudio();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Erreur BASS_Init\n");
    for (const SoundDef& d : soundTable()) EXPECT_FALSE(hasSound(d.name));
    playSound("ui_nav", -1, -1);
    EXPECT_TRUE(fake::audio::playbacks().empty());
}

TEST(SoundRegistry, OldHandlesAreFreedOnReplaceReloadAndShutDown) {
    startAudio();
    const uint32_t first = g_assets["ui_nav"].sample;
    regSample("ui_nav", "Sounds/Interface/back.wav", AudioChannel::MASTER, 0);
    EXPECT_NE(g_assets["ui_nav"].sample, first);
    ASSERT_EQ(callsTo("sampleFree").size(), 1u);
    EXPECT_EQ(callsTo("sampleFree")[0].handle, first);

    const uint32_t music = getSoundHandle("music_lobby");
    playSound("music_lobby", -1, -1);
    fake::audio::clearCalls();
    loadAllGameSounds();
    const size_t samples = callsTo("sampleLoad").size(), streams = callsTo("streamCreateFile").size();
    ASSERT_EQ(samples + streams, soundTable().size());
    EXPECT_EQ(callsTo("sampleFree").size(), samples);
    EXPECT_EQ(callsTo("streamFree").size(), streams);
    EXPECT_FALSE(playback(music)); // the old music no longer plays
    EXPECT_TRUE(hasSound("music_lobby"));
    EXPECT_EQ(fake::audio::playbacks().size(), streams); // only the new, idle streams

    playSound("ui_nav", -1, -1);
    playSound("music_menu_1", -1, -1);
    ASSERT_FALSE(g_active.empty());
    fake::audio::clearCalls();
    cleanupAudio();
    for (const SoundDef& d : soundTable()) EXPECT_FALSE(hasSound(d.name)) << d.name;
    EXPECT_EQ(getSoundHandle("music_menu_1"), 0u);
    EXPECT_TRUE(g_active.empty());
    EXPECT_EQ(callsTo("sampleFree").size(), samples);
    EXPECT_EQ(callsTo("streamFree").size(), streams);
    EXPECT_FALSE(fake::audio::initialised());
    EXPECT_EQ(fake::audio::calls().back().fn, "audioFree"); // the device is freed last
}
