// The playback engine as the player hears it: which playbacks sound, at what
// volume and where, when buses overflow, ducking windows and music levels.
#include "client_test_support.h"
#include "core/local_player.h"
#include "core/scene.h"

using fake::audio::callsTo;
using fake::audio::playback;
using platform::AUDIO_PAUSED;
using platform::AUDIO_PLAYING;

namespace {

// Plays a sound and returns the handle of the newest sample playback.
uint32_t play(const char* name, int x, int y) {
    playSound(name, x, y);
    return g_active.empty() ? 0 : g_active.back().handle;
}

float volumeOf(uint32_t handle) { return playback(handle)->volume; }

const PlayingSound* recordOf(uint32_t handle) {
    for (const auto& s : g_active)
        if (s.handle == handle) return &s;
    return nullptr;
}

// Silenced means virtualised, paused and at volume 0; audible means playing.
void expectSilenced(uint32_t handle, bool silenced) {
    ASSERT_NE(recordOf(handle), nullptr) << handle;
    EXPECT_EQ(recordOf(handle)->virtualised, silenced) << handle;
    EXPECT_EQ(playback(handle)->state, silenced ? AUDIO_PAUSED : AUDIO_PLAYING) << handle;
    EXPECT_TRUE(!silenced || volumeOf(handle) == 0.0f) << handle;
}

std::vector<float> xyz(const platform::AudioVector& v) { return {v.x, v.y, v.z}; }
using V = std::vector<float>;

// The volume levels and the menu music are saved in the working folder.
using PlaybackSaved = TempFolder;

} // namespace

TEST(Playback, ZombieBusKeepsTheTenMostImportant) {
    startAudio();
    // Importance is measured from the local player's tile.
    localPlayer = {50, 50};
    const auto at = [](const char* name, int dx, int dy) { return play(name, 50 + dx, 50 + dy); };
    std::vector<uint32_t> near;
    for (int d = 1; d <= 10; ++d) near.push_back(at("death_walker", d, 0));
    const uint32_t far = at("death_walker", 20, 0); // farther than all ten
    expectSilenced(far, true);
    for (uint32_t h : near) expectSilenced(h, false);

    // Nearer than some: the least important audible one makes room.
    const uint32_t mid = at("death_walker", 0, 5);
    expectSilenced(mid, false);
    EXPECT_FLOAT_EQ(volumeOf(mid), 1.0f);
    expectSilenced(near[9], true);
    expectSilenced(far, true);
    // Of two equally important playbacks, the earlier keeps the last audible place.
    expectSilenced(at("death_walker", -9, 0), true);
    expectSilenced(near[8], false);

    // Other buses do not count against it.
    expectSilenced(play("fire_AK47", -1, -1), false);
    EXPECT_EQ(std::count_if(g_active.begin(), g_active.end(),
                            [](const PlayingSound& s) { return s.bus == AudioBus::ZOMBIES && !s.virtualised; }),
              10);

    // A full weapons bus keeps a shot over a reload, and a reload over a dry click, from farther too.
    for (const char* name : {"empty_AK47", "empty_M16"})
        for (int i = 0; i < 9; ++i) at(name, 1, 0);
    const uint32_t reload = at("reload_AK47", 4, 0), shot = at("fire_M16", 9, 0);
    expectSilenced(reload, false);
    expectSilenced(shot, false);
    EXPECT_EQ(std::count_if(g_active.begin(), g_active.end(), [](const PlayingSound& s) { return s.virtualised; }), 4);
}

TEST(Playback, ASilencedPlaybackResumesWhereItStoppedAtTheBusNextSound) {
    startAudio();
    fake::audio::addFile(SOUNDS + "Sounds/Weapons/bullet_impact.wav", 2000);
    fake::audio::addFile(SOUNDS + "Sounds/Weapons/couteau_impact.wav", 300);
    loadAllGameSounds();
    updateListenerPosition(0, 0);
    const uint32_t far = play("impact_bullet", 20, 0); // 2 s long, sounds alone for 200 ms
    fake::setTime(200);
    const uint32_t shortOne = play("impact_couteau", 1, 0); // ends at 500 ms
    for (int d = 2; d <= 10; ++d) play("death_walker", d, 0);
    ASSERT_EQ(playback(far)->state, AUDIO_PAUSED);
    const uint64_t pausedAt = playback(far)->position;
    EXPECT_GT(pausedAt, 0u);

    // Room frees up, but nothing re-examines the bus until it plays again.
    fake::setTime(600);
    playSound("equip_AK47", -1, -1);
    playSound("step_lobby_0", 1, 1);
    EXPECT_EQ(playback(far)->state, AUDIO_PAUSED);

    fake::setTime(650);
    setLevel(AudioChannel::ZOMBIES, 0.5f);
    expectSilenced(play("death_walker", 30, 0), true);
    expectSilenced(far, false);
    EXPECT_FLOAT_EQ(volumeOf(far), 0.5f);
    EXPECT_EQ(playback(far)->position, pausedAt);
    EXPECT_FALSE(callsTo("channelPlay").back().restart);
    EXPECT_EQ(recordOf(shortOne), nullptr); // the finished one was dropped
}

TEST(Playback, DuckingWindowsAndFactors) {
    // The bite's own file is missing: the window opens all the same.
    startAudio(1000, 4000, {"morsure"});
    setLevel(AudioChannel::MASTER, 0.8f);
    setLevel(AudioChannel::ZOMBIES, 0.5f);
    const float zombies = 0.5f * 0.8f, ambiance = 0.8f;

    fake::setTime(10000);
    playSound("morsure", -1, -1);
    fake::setTime(10400);
    EXPECT_FLOAT_EQ(volumeOf(play("zombie_groan", 3, 3)), 0.6f * zombies);
    playSound("music_lobby", -1, -1);
    EXPECT_FLOAT_EQ(volumeOf(getSoundHandle("music_lobby")), 0.7f * ambiance);
    EXPECT_FLOAT_EQ(volumeOf(play("reload_AK47", -1, -1)), 0.8f); // weapons are never ducked
    fake::setTime(10600);
    EXPECT_FLOAT_EQ(volumeOf(play("zombie_groan", 3, 3)), zombies);
    // Started ducked, it stays so: nothing raises it back.
    EXPECT_FLOAT_EQ(volumeOf(getSoundHandle("music_lobby")), 0.7f * ambiance);

    // A gunshot inside the bite's window shortens it but keeps the deeper factor.
    fake::setTime(20000);
    playSound("cri_femme", 1, 1);
    fake::setTime(20100);
    playSound("fire_M16", -1, -1);
    fake::setTime(20300);
    EXPECT_FLOAT_EQ(volumeOf(play("step_zombie_1", 2, 2)), 0.6f * zombies);
    fake::setTime(20360);
    EXPECT_FLOAT_EQ(volumeOf(play("step_zombie_2", 2, 2)), zombies);

    // After a window, a gunshot alone ducks by its own factors.
    fake::setTime(30000);
    playSound("fire_Revolver", -1, -1);
    EXPECT_FLOAT_EQ(volumeOf(play("death_walker", 4, 4)), 0.75f * zombies);
}

TEST(Playback, TheMapBusIsNeverLimited) {
    startAudio();
    for (int i = 0; i < 16; ++i) {
        playSound("door_open", i, 3);
        playSound("door_close", 3, i);
    }
    ASSERT_EQ(g_active.size(), 32u);
    for (const auto& s : g_active) expectSilenced(s.handle, false);

    // A 17th door while all 16 of its playbacks sound is dropped silently.
    playSound("door_open", 1, 1);
    EXPECT_EQ(g_active.size(), 32u);
}

TEST(Playback, PlacementIn3D) {
    startAudio();
    EXPECT_FLOAT_EQ(dist2D(INT32_MAX, 0, INT32_MIN, 0), 4294967295.0f); // no overflow on far tiles

    updateListenerPosition(2, 5);
    EXPECT_EQ(xyz(fake::audio::listener().position), (V{2, 0, 5}));
    EXPECT_EQ(xyz(fake::audio::listener().front), (V{0, 0, 1}));
    EXPECT_EQ(xyz(fake::audio::listener().top), (V{0, 1, 0}));

    // A 3D-flagged sample without a tile is positional and sits on the listener.
    auto door = playback(play("door_open", -1, -1));
    EXPECT_EQ(door->mode3D, platform::AUDIO_3D_OFF);
    EXPECT_FLOAT_EQ(door->minDistance, 1.5f);
    door = playback(play("door_open", 5, 9));
    EXPECT_EQ(door->mode3D, platform::AUDIO_3D_NORMAL);
    EXPECT_EQ(xyz(door->position3D), (V{5, 0, 9}));
    const auto step = playback(play("step_zombie_1", 2, 6));
    EXPECT_FLOAT_EQ(step->minDistance, 3.5f);
    EXPECT_FLOAT_EQ(step->maxDistance, 80.0f);

    // Musics play from their start; the box loop is placed and only moved when replayed.
    playSound("music_maison", -1, -1);
    EXPECT_EQ(callsTo("channelPlay").back().handle, getSoundHandle("music_maison"));
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

// Each zombie voice draws its pitch within +-3 %; a step also draws where
// in its first 15 % it starts.
TEST(Playback, ZombieVoicesVaryByTheirDraws) {
    startAudio();
    fake::scriptDraws({1001, 1000, 99, 500, 100});
    EXPECT_FLOAT_EQ(playback(play("zombie_groan", 3, 3))->freq, 44100.0f * 0.97f);
    const auto step = playback(play("step_zombie_1", 3, 3));
    EXPECT_FLOAT_EQ(step->freq, 44100.0f * 1.03f);
    EXPECT_EQ(step->position, uint64_t(double(step->length) * 0.99 * 0.15) / 2 * 2);
    const auto other = playback(play("step_zombie_2", 4, 4));
    EXPECT_FLOAT_EQ(other->freq, 44100.0f);
    EXPECT_EQ(other->position, 0u);
    // No spread for other zombie sounds.
    EXPECT_FLOAT_EQ(playback(play("death_walker", 3, 3))->freq, 44100.0f);
    EXPECT_EQ(fake::drawsLeft(), 0u);
}

TEST_F(PlaybackSaved, MusicFollowsTheAmbianceLevel) {
    startAudio();
    setLevel(AudioChannel::MASTER, 0.5f);
    setLevel(AudioChannel::AMBIANCE, 0.8f);

    // The house music stays at 0.4 of the level through a change.
    SceneManager::currentScene = Scene::MAISON;
    playSound("music_maison", -1, -1);
    fadeMusic("music_maison", 0.4f * 0.4f, 0);
    const uint32_t groan = play("zombie_groan", 3, 3);
    adjustVolume(AudioChannel::AMBIANCE, -0.2f);
    EXPECT_NEAR(volumeOf(getSoundHandle("music_maison")), 0.4f * 0.6f * 0.5f, 1e-5);
    EXPECT_FLOAT_EQ(volumeOf(groan), 0.5f); // other sounds keep their start level

    // Menus re-level the chosen menu music only.
    SceneManager::currentScene = Scene::OPTIONS;
    setMenuMusicIndex(3);
    playSound("music_menu_1", -1, -1);
    playSound("music_menu_3", -1, -1);
    adjustVolume(AudioChannel::MASTER, -0.25f);
    EXPECT_NEAR(volumeOf(getSoundHandle("music_menu_3")), 0.6f * 0.25f, 1e-5);
    EXPECT_NEAR(volumeOf(getSoundHandle("music_menu_1")), 0.6f * 0.5f, 1e-5);

    // Fades slide on the device's side.
    fadeMusic("music_maison", 0.0f, 1000);
    EXPECT_EQ(callsTo("channelSlideAttribute").back().ms, 1000u);
    EXPECT_TRUE(playback(getSoundHandle("music_maison"))->sliding);
}

// What these tests take from the audio double without checking it themselves:
// paused playbacks keep their slot, stopped ones give theirs up, looping
// streams wrap, and 3D waits for apply3D (so a missing apply3D fails).
TEST(FakeAudio, SlotsLoopsAnd3DFollowTheDevice) {
    using namespace platform;
    freshClient();
    fake::audio::addFile("a.wav", 1000);
    ASSERT_TRUE(audioInit());
    const uint32_t s = sampleLoad("a.wav", 2, AUDIO_3D), m = streamCreateFile("a.wav", AUDIO_LOOP);
    const uint32_t a = sampleGetChannel(s), b = sampleGetChannel(s);
    ASSERT_TRUE(channelPlay(a, true) && channelPlay(b, true) && channelPlay(m, true) && channelPause(a));
    EXPECT_EQ(sampleGetChannel(s), 0u);
    fake::advance(1250); // b has ended; the loop wrapped
    EXPECT_EQ(channelIsActive(m), AUDIO_PLAYING);
    EXPECT_EQ(playback(m)->position, 11025u * 2);
    EXPECT_NE(sampleGetChannel(s), 0u);
    EXPECT_FALSE(channelPlay(b, true)); // its slot went to the new one

    ASSERT_TRUE(channelSet3DPosition(a, {3, 0, 4}));
    EXPECT_EQ(playback(a)->position3D.x, 0.0f);
    apply3D();
    EXPECT_EQ(playback(a)->position3D.x, 3.0f);
}
