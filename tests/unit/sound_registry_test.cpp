// The registry: where sound files are looked for, what a failed load leaves
// behind, and that nothing stays loaded after shut-down.
#include "audio_test_support.h"

#include <gtest/gtest.h>

#include <set>

using namespace audio_test;
using fake::audio::callsTo;

TEST(SoundRegistry, FilesAreFoundBesideTheExecutable) {
    fake::process::setExecutablePath("/home/joueur/jeu/AshenRefuge");
    EXPECT_EQ(getBaseDir(), "/home/joueur/jeu");
    fake::process::setExecutablePath("C:\\Jeux\\Ashen\\AshenRefuge.exe");
    EXPECT_EQ(getBaseDir(), "C:\\Jeux\\Ashen");
    fake::process::setExecutablePath("AshenRefuge");
    EXPECT_EQ(getBaseDir(), ".");
    fake::process::setExecutablePath("");
    EXPECT_EQ(getBaseDir(), ".");

    g_baseDir = ".";
    EXPECT_EQ(makePath("Sounds/Interface/menunav.wav"), "./Sounds/Interface/menunav.wav");
    g_baseDir = "/opt/ashen";
    EXPECT_EQ(makePath(nullptr), "");
    EXPECT_EQ(makePath("C:\\x.wav"), "C:\\x.wav");
    EXPECT_EQ(makePath("d:"), "d:");
    EXPECT_EQ(makePath("\\\\serveur\\x.wav"), "\\\\serveur\\x.wav");
    EXPECT_EQ(makePath("\\x.wav"), "\\x.wav");
    EXPECT_EQ(makePath("/tmp/x.wav"), "/tmp/x.wav");
    // One letter, or a digit before the colon, is a relative name.
    EXPECT_EQ(makePath("C"), "/opt/ashen/C");
    EXPECT_EQ(makePath("1:x"), "/opt/ashen/1:x");
    EXPECT_EQ(makePath("Sounds/Map/x.wav"), "/opt/ashen/Sounds/Map/x.wav");

    // Start-up reads the folder again and loads from it.
    fake::reset();
    fake::audio::reset();
    fake::process::setExecutablePath("/srv/ar/bin/AshenRefuge");
    fake::audio::addFile("/srv/ar/bin/Sounds/Interface/menunav.wav", 100);
    initAudio();
    EXPECT_EQ(g_baseDir, "/srv/ar/bin");
    EXPECT_TRUE(hasSound("ui_nav"));
    EXPECT_FALSE(hasSound("ui_valid"));
}

TEST(SoundRegistry, LoadsTheWholeTableInOrder) {
    startAudio();
    const auto& table = soundTable();
    ASSERT_EQ(table.size(), 86u);
    std::set<std::string> names;
    for (const SoundDef& d : table) names.insert(d.name);
    EXPECT_EQ(names.size(), 86u);
    EXPECT_EQ(g_assets.size(), 86u);

    // Each file loaded once, in table order, as the right kind with its flags.
    std::vector<std::string> loaded;
    for (const auto& c : fake::audio::calls()) {
        if (c.fn != "sampleLoad" && c.fn != "streamCreateFile") continue;
        loaded.push_back(c.path);
        if (c.fn == "sampleLoad") {
            EXPECT_EQ(c.maxPlaybacks, SAMPLE_MAX_PLAYBACKS);
        }
    }
    ASSERT_EQ(loaded.size(), 86u);
    for (size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(loaded[i], SOUNDS + table[i].file);
        EXPECT_TRUE(hasSound(table[i].name)) << table[i].name;
    }

    // Streams answer with their handle, samples never do.
    EXPECT_EQ(getSoundHandle("ui_nav"), 0u);
    EXPECT_EQ(getSoundHandle("fire_AK47"), 0u);
    EXPECT_EQ(getSoundHandle("pas_de_son"), 0u);
    const uint32_t lobby = getSoundHandle("music_lobby");
    ASSERT_NE(lobby, 0u);
    EXPECT_EQ(fake::audio::playback(lobby)->path, SOUNDS + "Sounds/Music/map_attente_1.wav");
    EXPECT_EQ(fake::audio::playback(lobby)->flags, platform::AUDIO_LOOP);
    EXPECT_EQ(fake::audio::playback(getSoundHandle("music_intro"))->flags, 0u);
    EXPECT_EQ(fake::audio::playback(getSoundHandle("box_loop"))->flags, platform::AUDIO_LOOP | platform::AUDIO_3D);
    EXPECT_EQ(g_assets["door_open"].flags, platform::AUDIO_3D);
    EXPECT_EQ(g_assets["ui_nav"].flags, 0u);
    EXPECT_EQ(g_assets["step_zombie_1"].channel, AudioChannel::ZOMBIES);
    EXPECT_EQ(g_assets["step_lobby_0"].channel, AudioChannel::OTHER_PLAYERS);
    EXPECT_EQ(g_assets["impact_bullet"].channel, AudioChannel::ZOMBIES);
    EXPECT_EQ(g_assets["bonus_insta"].channel, AudioChannel::EFFECTS);
}

TEST(SoundRegistry, AMissingFileIsSkippedSilently) {
    startAudio(1000, 4000, {"fire_M16", "music_lobby"});
    EXPECT_EQ(g_assets.count("fire_M16"), 1u);
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
    EXPECT_EQ(g_assets.size(), 86u);
    for (const SoundDef& d : soundTable()) EXPECT_FALSE(hasSound(d.name));
    playSound("ui_nav", -1, -1);
    EXPECT_TRUE(fake::audio::playbacks().empty());
}

TEST(SoundRegistry, NothingStaysLoadedAfterShutDown) {
    startAudio();
    playSound("ui_nav", -1, -1);
    playSound("music_menu_1", -1, -1);
    ASSERT_FALSE(g_active.empty());
    const size_t samples = callsTo("sampleLoad").size();
    const size_t streams = callsTo("streamCreateFile").size();

    cleanupAudio();
    for (const SoundDef& d : soundTable()) EXPECT_FALSE(hasSound(d.name)) << d.name;
    EXPECT_EQ(getSoundHandle("music_menu_1"), 0u);
    EXPECT_TRUE(g_active.empty());
    EXPECT_EQ(callsTo("sampleFree").size(), samples);
    EXPECT_EQ(callsTo("streamFree").size(), streams);
    EXPECT_FALSE(fake::audio::initialised());
    // The device is freed last, after every sound.
    EXPECT_EQ(fake::audio::calls().back().fn, "audioFree");
}

TEST(SoundRegistry, ReplacingOrReloadingFreesTheOldHandles) {
    startAudio();
    const uint32_t first = g_assets["ui_nav"].sample;
    regSample("ui_nav", "Sounds/Interface/back.wav", AudioChannel::MASTER, 0);
    EXPECT_NE(g_assets["ui_nav"].sample, first);
    ASSERT_EQ(callsTo("sampleFree").size(), 1u);
    EXPECT_EQ(callsTo("sampleFree")[0].handle, first);

    const uint32_t music = getSoundHandle("music_lobby");
    playSound("music_lobby", -1, -1);
    loadAllGameSounds();
    EXPECT_EQ(callsTo("sampleFree").size(), 1u + 75u);
    EXPECT_EQ(callsTo("streamFree").size(), 11u);
    EXPECT_FALSE(fake::audio::playback(music)); // the old music no longer plays
    EXPECT_TRUE(hasSound("music_lobby"));
    EXPECT_EQ(fake::audio::playbacks().size(), 11u); // only the new, idle streams
}
