// The playback engine as the player hears it: which playbacks sound, at what
// volume and where, when buses overflow, ducking windows and music levels.
#include "app/scene_manager.h"
#include "audio/ducking.h"
#include "audio_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include <unistd.h>

using namespace audio_test;
using fake::audio::callsTo;
using fake::audio::playback;
using platform::AUDIO_PAUSED;
using platform::AUDIO_PLAYING;

namespace {

const std::string DEATH = "Sounds/Zombies/death_walker.wav";

// Each new zombie playback's handle, in start order.
uint32_t playDeath(int x, int y) {
    playSound("death_walker", x, y);
    return g_active.back().handle;
}

int audibleOnBus(AudioBus bus) {
    int n = 0;
    for (const auto& s : g_active)
        if (s.bus == bus && !s.virtualised) ++n;
    return n;
}

const PlayingSound* recordOf(uint32_t handle) {
    for (const auto& s : g_active)
        if (s.handle == handle) return &s;
    return nullptr;
}

// The volume levels and the menu music are saved in the working folder.
class InTempFolder {
public:
    InTempFolder() : previous_(std::filesystem::current_path()) {
        char pattern[] = "/tmp/ashen_playback_XXXXXX";
        if (mkdtemp(pattern)) folder_ = pattern;
        std::filesystem::current_path(folder_);
    }
    ~InTempFolder() {
        std::filesystem::current_path(previous_);
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

private:
    std::filesystem::path previous_, folder_;
};

} // namespace

TEST(Playback, ZombieBusKeepsTheTenMostImportant) {
    startAudio();
    updateListenerPosition(0, 0);
    std::vector<uint32_t> near;
    for (int d = 1; d <= 10; ++d) near.push_back(playDeath(d, 0));
    EXPECT_EQ(audibleOnBus(AudioBus::ZOMBIES), 10);

    // Farther than all ten: silenced at once, paused at volume 0.
    const uint32_t far = playDeath(20, 0);
    EXPECT_TRUE(recordOf(far)->virtualised);
    EXPECT_EQ(playback(far)->state, AUDIO_PAUSED);
    EXPECT_EQ(playback(far)->volume, 0.0f);
    for (uint32_t h : near) EXPECT_EQ(playback(h)->state, AUDIO_PLAYING);

    // Nearer than some: the least important audible one makes room.
    const uint32_t mid = playDeath(0, 5);
    EXPECT_FALSE(recordOf(mid)->virtualised);
    EXPECT_EQ(playback(mid)->state, AUDIO_PLAYING);
    EXPECT_FLOAT_EQ(playback(mid)->volume, 1.0f);
    EXPECT_TRUE(recordOf(near[9])->virtualised);
    EXPECT_EQ(playback(near[9])->state, AUDIO_PAUSED);
    EXPECT_EQ(playback(near[9])->volume, 0.0f);
    EXPECT_EQ(playback(far)->state, AUDIO_PAUSED);
    EXPECT_EQ(audibleOnBus(AudioBus::ZOMBIES), 10);

    // Other buses do not count against it.
    playSound("fire_AK47", -1, -1);
    EXPECT_EQ(audibleOnBus(AudioBus::ZOMBIES), 10);
    EXPECT_EQ(playback(g_active.back().handle)->state, AUDIO_PLAYING);
}

TEST(Playback, TheEarlierOfTwoEqualPlaybacksKeepsTheLastSlot) {
    startAudio();
    updateListenerPosition(0, 0);
    for (int d = 1; d <= 9; ++d) playDeath(-d, 0);
    const uint32_t first = playDeath(0, 12);
    const uint32_t second = playDeath(12, 0); // same distance, started later
    EXPECT_FALSE(recordOf(first)->virtualised);
    EXPECT_TRUE(recordOf(second)->virtualised);
    EXPECT_EQ(playback(first)->state, AUDIO_PLAYING);
    EXPECT_EQ(playback(second)->state, AUDIO_PAUSED);
}

TEST(Playback, ASilencedPlaybackResumesWhereItStoppedAtTheBusNextSound) {
    startAudio();
    fake::audio::addFile(SOUNDS + "Sounds/Weapons/bullet_impact.wav", 2000);
    fake::audio::addFile(SOUNDS + "Sounds/Weapons/couteau_impact.wav", 300);
    loadAllGameSounds();
    updateListenerPosition(0, 0);

    playSound("impact_bullet", 20, 0); // 2 s long, sounds alone for 200 ms
    const uint32_t far = g_active.back().handle;
    fake::setTime(200);
    playSound("impact_couteau", 1, 0); // ends at 500 ms
    const uint32_t shortOne = g_active.back().handle;
    for (int d = 2; d <= 10; ++d) playDeath(d, 0);
    ASSERT_EQ(playback(far)->state, AUDIO_PAUSED);
    const uint64_t pausedAt = playback(far)->position;
    EXPECT_GT(pausedAt, 0u);

    // Room frees up, but nothing re-examines the bus until it plays again.
    fake::setTime(600);
    EXPECT_EQ(playback(shortOne)->state, platform::AUDIO_STOPPED);
    playSound("equip_AK47", -1, -1);
    playSound("step_lobby_0", 1, 1);
    EXPECT_EQ(playback(far)->state, AUDIO_PAUSED);

    fake::setTime(650);
    setLevel(AudioChannel::ZOMBIES, 0.5f);
    playSound("death_walker", 30, 0);
    const uint32_t farther = g_active.back().handle;
    EXPECT_TRUE(recordOf(farther)->virtualised);
    EXPECT_FALSE(recordOf(far)->virtualised);
    EXPECT_EQ(playback(far)->state, AUDIO_PLAYING);
    EXPECT_FLOAT_EQ(playback(far)->volume, 0.5f);
    EXPECT_EQ(playback(far)->position, pausedAt);
    EXPECT_FALSE(callsTo("channelPlay").back().restart);
    EXPECT_EQ(recordOf(shortOne), nullptr); // the finished one was dropped
}

TEST(Playback, DuckingWindowsAndFactors) {
    // The bite's own file is missing: the window opens all the same.
    startAudio(1000, 4000, {"morsure"});
    setLevel(AudioChannel::MASTER, 0.8f);
    setLevel(AudioChannel::ZOMBIES, 0.5f);
    const float zombies = 0.5f * 0.8f;
    const float ambiance = 0.8f;

    fake::setTime(10000);
    playSound("morsure", -1, -1);
    fake::setTime(10400);
    playSound("zombie_groan", 3, 3);
    EXPECT_FLOAT_EQ(playback(g_active.back().handle)->volume, 0.6f * zombies);
    playSound("music_lobby", -1, -1);
    EXPECT_FLOAT_EQ(playback(getSoundHandle("music_lobby"))->volume, 0.7f * ambiance);
    playSound("reload_AK47", -1, -1); // weapons are never ducked
    EXPECT_FLOAT_EQ(playback(g_active.back().handle)->volume, 0.8f);
    fake::setTime(10600);
    playSound("zombie_groan", 3, 3);
    EXPECT_FLOAT_EQ(playback(g_active.back().handle)->volume, zombies);
    // Started ducked, it stays so: nothing raises it back.
    EXPECT_FLOAT_EQ(playback(getSoundHandle("music_lobby"))->volume, 0.7f * ambiance);

    // A gunshot inside the bite's window shortens it but keeps the deeper factor.
    fake::setTime(20000);
    playSound("cri_femme", 1, 1);
    fake::setTime(20100);
    playSound("fire_M16", -1, -1);
    fake::setTime(20300);
    playSound("step_zombie_1", 2, 2);
    EXPECT_FLOAT_EQ(playback(g_active.back().handle)->volume, 0.6f * zombies);
    fake::setTime(20360);
    playSound("step_zombie_2", 2, 2);
    EXPECT_FLOAT_EQ(playback(g_active.back().handle)->volume, zombies);

    // After a window, a gunshot alone ducks by its own factors.
    fake::setTime(30000);
    playSound("fire_Revolver", -1, -1);
    playSound("death_walker", 4, 4);
    EXPECT_FLOAT_EQ(playback(g_active.back().handle)->volume, 0.75f * zombies);
}

TEST(Playback, TheMapBusIsNeverLimited) {
    startAudio();
    for (int i = 0; i < 16; ++i) {
        playSound("door_open", i, 3);
        playSound("door_close", 3, i);
    }
    for (const auto& s : g_active) {
        EXPECT_EQ(s.bus, AudioBus::OTHER);
        EXPECT_FALSE(s.virtualised);
        EXPECT_EQ(playback(s.handle)->state, AUDIO_PLAYING);
    }
    EXPECT_EQ(g_active.size(), 32u);
    EXPECT_TRUE(callsTo("channelPause").empty());

    // A 17th door while all 16 of its playbacks sound is dropped silently.
    playSound("door_open", 1, 1);
    EXPECT_EQ(g_active.size(), 32u);
}

TEST(Playback, PlacementIn3D) {
    startAudio();
    updateListenerPosition(2, 5);
    EXPECT_FLOAT_EQ(fake::audio::listener().position.x, 2.0f);
    EXPECT_FLOAT_EQ(fake::audio::listener().position.z, 5.0f);
    EXPECT_FLOAT_EQ(fake::audio::listener().front.z, 1.0f);
    EXPECT_FLOAT_EQ(fake::audio::listener().top.y, 1.0f);

    // A 3D-flagged sample without a tile is positional and sits on the listener.
    playSound("door_open", -1, -1);
    auto door = playback(g_active.back().handle);
    EXPECT_TRUE(g_active.back().positional);
    EXPECT_EQ(door->mode3D, platform::AUDIO_3D_OFF);
    EXPECT_FLOAT_EQ(door->minDistance, 1.5f);
    EXPECT_FLOAT_EQ(door->maxDistance, 200.0f);

    playSound("door_open", 5, 9); // 5 tiles from the listener
    door = playback(g_active.back().handle);
    EXPECT_EQ(door->mode3D, platform::AUDIO_3D_NORMAL);
    EXPECT_FLOAT_EQ(door->position3D.x, 5.0f);
    EXPECT_FLOAT_EQ(door->position3D.y, 0.0f);
    EXPECT_FLOAT_EQ(door->position3D.z, 9.0f);
    EXPECT_FLOAT_EQ(g_active.back().distance, 5.0f);

    playSound("step_zombie_1", 2, 6);
    auto step = playback(g_active.back().handle);
    EXPECT_FLOAT_EQ(step->minDistance, 3.5f);
    EXPECT_FLOAT_EQ(step->maxDistance, 80.0f);

    // A flat sample at a tile is recorded as positional but cannot be placed.
    playSound("ui_nav", 6, 8);
    EXPECT_TRUE(g_active.back().positional);
    EXPECT_FLOAT_EQ(g_active.back().distance, 5.0f);
    playSound("ui_valid", -1, -1);
    EXPECT_FALSE(g_active.back().positional);
    EXPECT_FLOAT_EQ(g_active.back().distance, 0.0f);

    // Musics play flat from their start; the box loop is placed and only moved when replayed.
    playSound("music_maison", -1, -1);
    const auto musicSet = callsTo("channelSet3DAttributes").back();
    EXPECT_EQ(musicSet.handle, getSoundHandle("music_maison"));
    EXPECT_EQ(musicSet.mode, platform::AUDIO_3D_OFF);
    EXPECT_TRUE(callsTo("channelPlay").back().restart);
    const uint32_t box = getSoundHandle("box_loop");
    playSound("box_loop", 20, 15);
    fake::advance(500);
    playSound("box_loop", 21, 15);
    EXPECT_EQ(playback(box)->plays, 1);
    EXPECT_EQ(playback(box)->state, AUDIO_PLAYING);
    EXPECT_GT(playback(box)->position, 0u);
    EXPECT_FLOAT_EQ(playback(box)->position3D.x, 21.0f);
    EXPECT_FLOAT_EQ(playback(box)->minDistance, 1.5f);
}

TEST(Playback, Priorities) {
    startAudio();
    updateListenerPosition(0, 0);
    EXPECT_FLOAT_EQ(computePriority("fire_AK47", AudioBus::WEAPONS, -1, -1), 1.8f);
    EXPECT_FLOAT_EQ(computePriority("zombie_groan", AudioBus::ZOMBIES, 9, 0), 0.1f);
    EXPECT_FLOAT_EQ(computePriority("morsure", AudioBus::PLAYER, -1, 4), 2.5f);
    EXPECT_FLOAT_EQ(computePriority("reload_M16", AudioBus::WEAPONS, 3, 4), 1.0f / 6.0f + 0.4f);
    EXPECT_FLOAT_EQ(computePriority("equip_Epee", AudioBus::WEAPONS, 0, 0), 1.3f);
    EXPECT_FLOAT_EQ(computePriority("ui_nav", AudioBus::UI, -1, -1), 3.0f);
    EXPECT_FLOAT_EQ(computePriority("empty_AK47", AudioBus::WEAPONS, -1, -1), 1.0f);
    EXPECT_FLOAT_EQ(dist2D(INT32_MAX, 0, -2, 0), 2147483649.0f); // no overflow on odd tiles

    // Distances run from the listener's tile.
    updateListenerPosition(5, 5);
    playSound("zombie_groan", 5, 14);
    EXPECT_FLOAT_EQ(g_active.back().priority, 0.1f);
    EXPECT_FLOAT_EQ(g_active.back().distance, 9.0f);
    playSound("fire_AK47", -1, -1);
    EXPECT_FLOAT_EQ(g_active.back().priority, 1.8f);
    EXPECT_EQ(g_active.back().bus, AudioBus::WEAPONS);
}

TEST(Playback, ZombieVoicesVaryAndInstantKillReplacesItself) {
    startAudio();
    std::srand(7);
    std::set<float> rates;
    size_t offsets = 0;
    for (int i = 0; i < 40; ++i) {
        fake::advance(1500); // the earlier ones have ended
        playSound(i % 2 ? "zombie_groan" : "step_zombie_1", 3, 3);
        const auto p = playback(g_active.back().handle);
        EXPECT_GE(p->freq, 44100.0f * 0.97f - 1.0f);
        EXPECT_LE(p->freq, 44100.0f * 1.03f + 1.0f);
        rates.insert(p->freq);
        if (i % 2 == 0) {
            // Steps start playing somewhere in their first 15 %.
            EXPECT_LE(p->position, p->length * 15 / 100);
            offsets += p->position > 0;
        }
    }
    EXPECT_GT(rates.size(), 20u);
    EXPECT_GT(offsets, 10u);
    playSound("death_walker", 3, 3); // no spread for other zombie sounds
    EXPECT_FLOAT_EQ(playback(g_active.back().handle)->freq, 44100.0f);

    setLevel(AudioChannel::EFFECTS, 0.5f);
    playSound("instant_kill_snd", -1, -1);
    const uint32_t first = g_instantKillCh;
    EXPECT_FLOAT_EQ(playback(first)->volume, 0.5f * INSTANT_KILL_BASE_VOL);
    playSound("instant_kill_snd", -1, -1);
    EXPECT_NE(g_instantKillCh, first);
    EXPECT_EQ(playback(first)->state, platform::AUDIO_STOPPED);
    EXPECT_EQ(playback(g_instantKillCh)->state, AUDIO_PLAYING);
    EXPECT_TRUE(isChannelPlaying(g_instantKillCh));
    EXPECT_FALSE(isChannelPlaying(first));
    EXPECT_FALSE(isChannelPlaying(0));
}

TEST(Playback, MusicFollowsTheAmbianceLevel) {
    InTempFolder folder;
    startAudio();
    setLevel(AudioChannel::MASTER, 0.5f);
    setLevel(AudioChannel::AMBIANCE, 0.8f);

    // The house starts its music at 0.4 of the level; a change brings it to the full level.
    SceneManager::currentScene = Scene::MAISON;
    playSound("music_maison", -1, -1);
    fadeMusic("music_maison", 0.4f * 0.4f, 0);
    playSound("zombie_groan", 3, 3);
    const uint32_t groan = g_active.back().handle;
    adjustVolume(AudioChannel::AMBIANCE, -0.2f);
    EXPECT_NEAR(playback(getSoundHandle("music_maison"))->volume, 0.6f * 0.5f, 1e-5);
    EXPECT_FLOAT_EQ(playback(groan)->volume, 0.5f); // other sounds keep their start level

    // Menus re-level the chosen menu music only.
    SceneManager::currentScene = Scene::OPTIONS;
    setMenuMusicIndex(3);
    playSound("music_menu_1", -1, -1);
    playSound("music_menu_3", -1, -1);
    adjustVolume(AudioChannel::MASTER, -0.25f);
    EXPECT_NEAR(playback(getSoundHandle("music_menu_3"))->volume, 0.6f * 0.25f, 1e-5);
    EXPECT_NEAR(playback(getSoundHandle("music_menu_1"))->volume, 0.6f * 0.5f, 1e-5);

    // Fades slide on the device's side; an unknown name does nothing.
    fadeMusic("music_maison", 0.0f, 1000);
    EXPECT_EQ(callsTo("channelSlideAttribute").back().ms, 1000u);
    EXPECT_TRUE(playback(getSoundHandle("music_maison"))->sliding);
    fake::audio::clearCalls();
    fadeMusic("ui_nav", 0.0f, 100);
    fadeMusic("pas_de_musique", 0.0f, 100);
    EXPECT_TRUE(callsTo("channelSlideAttribute").empty());
}
