// The game's sound events as the player hears them, beyond what the server's
// messages make them play (incoming_test): weapon names cleaned, the mystery
// box loop, the zombie groans, the instant-kill sound and the mixer report.
#include "audio/game_audio.h"
#include "audio/weapon_sounds.h"
#include "client_test_support.h"
#include "world/world_state.h"
#include "world/zombies.h"

using fake::audio::playback;

// The server's plain names (SWITCH_OK, BOX_PICKUP_OK) are incoming_test's.
TEST(WeaponSounds, NamesAreCleanedWhereTheServerMayStray) {
    startAudio();
    EXPECT_EQ(heard([] { playWeaponEquip(" ak47\r\n"); }), " [equip_AK47]");
    EXPECT_EQ(heard([] { playWeaponEquip("couteau"); }), " [equip_Couteau]");
    EXPECT_EQ(heard([] { playWeaponEquip("\tM\x01" "16\v"); }), " [equip_M16]");
    EXPECT_EQ(heard([] { playWeaponEquip(""); }), "");
    EXPECT_EQ(heard([] { playBoxPickup("M16\r\n", 4, 5); }), " [pickup_M16@4,5]");
    EXPECT_EQ(heard([] { playBoxPickup(" \tAK47 \t", 4, 5); }), " [pickup_AK47@4,5]");
}

TEST(WeaponSounds, BoxLoopSoundsTenTilesOnAndIsRefreshedOnceASecond) {
    startAudio();
    fake::setTime(5000);
    EXPECT_EQ(heard([] { playBoxWeaponSpawn("M16", 20, 5); }), "M16 apparu [box_loop@20,15]");
    const uint32_t loop = getSoundHandle("box_loop");
    auto placements = [loop] {
        int n = 0;
        for (const auto& c : fake::audio::callsTo("channelSet3DPosition")) n += c.handle == loop;
        return n;
    };
    auto refreshFor = [](int ms) {
        for (int i = 0; i < ms / 10; ++i, updateMysteryBoxAudio()) fake::advance(10);
    };
    const int atSpawn = placements();
    refreshFor(3000);
    EXPECT_EQ(placements() - atSpawn, 3);
    EXPECT_EQ(playback(loop)->state, platform::AUDIO_PLAYING);

    // A loop that stopped by itself starts again at the next refresh.
    platform::channelStop(loop);
    EXPECT_EQ(heard([&] { refreshFor(1000); }), " [box_loop@20,15]");

    stopBoxWeaponLoop();
    EXPECT_EQ(playback(loop)->state, platform::AUDIO_STOPPED);
    const int atStop = placements();
    fake::advance(2000);
    updateMysteryBoxAudio();
    EXPECT_EQ(placements(), atStop) << "no refresh once the weapon is gone";

    playBoxWeaponSpawn("AK47", 1, 1);
    cleanupWeaponsAudio();
    EXPECT_EQ(playback(loop)->state, platform::AUDIO_STOPPED);
}

TEST(GameSounds, TheThreeNearestZombiesMayGroanEvery900Ms) {
    startAudio();
    fake::setTime(10000);
    // Listed far and near mixed; the player stands at (0, 0).
    for (int d : {200, 5, 100, 50, 10}) localZombies.push_back(ZombieClient{d, d, 0, "", true});
    // Draws of 1000ths: the zombie at 5 (chance 0.8) takes 0.8, the one at 10
    // misses with 0.801, the one at 50 (chance 0.45) takes exactly 0.45; each
    // groan then draws its pitch.
    fake::scriptDraws({800, 0, 801, 450, 0});
    EXPECT_EQ(heard([] { updateZombieAudio(0, 0); }), " [zombie_groan@5,0] [zombie_groan@50,0]");
    EXPECT_EQ(fake::drawsLeft(), 0u) << "only the three nearest draw";

    fake::advance(899);
    EXPECT_EQ(heard([] { updateZombieAudio(0, 0); }), "");
    fake::advance(1);
    fake::scriptDraws({801, 0, 0, 451});
    EXPECT_EQ(heard([] { updateZombieAudio(0, 0); }), " [zombie_groan@10,0]");

    // Seen from elsewhere, the far ones are the nearest; beyond 80 tiles the chance is 0.2.
    fake::advance(900);
    fake::scriptDraws({200, 0, 201, 0, 0});
    EXPECT_EQ(heard([] { updateZombieAudio(300, 0); }), " [zombie_groan@200,0] [zombie_groan@50,0]");
}

TEST(GameSounds, InstantKillReplacesItselfAndFollowsTheEffectsLevelUntilItEnds) {
    startAudio(1000);
    setLevel(AudioChannel::EFFECTS, 0.5f);
    playSound("instant_kill_snd", -1, -1);
    const uint32_t first = g_instantKillCh;
    EXPECT_FLOAT_EQ(playback(first)->volume, 0.5f * INSTANT_KILL_BASE_VOL);
    playSound("instant_kill_snd", -1, -1);
    const uint32_t h = g_instantKillCh;
    EXPECT_NE(h, first);
    EXPECT_FALSE(isChannelPlaying(first));
    setLevel(AudioChannel::EFFECTS, 0.8f);
    refreshInstantKillVolume();
    EXPECT_FLOAT_EQ(playback(h)->volume, 0.8f * INSTANT_KILL_BASE_VOL);
    fake::advance(1500);
    refreshInstantKillVolume();
    EXPECT_EQ(g_instantKillCh, 0u) << "an ended playback is forgotten";
    fake::audio::clearCalls();
    stopInstantKillSound();
    EXPECT_TRUE(fake::audio::callsTo("channelStop").empty());

    playSound("instant_kill_snd", -1, -1);
    stopInstantKillSound();
    EXPECT_EQ(g_instantKillCh, 0u);
    EXPECT_EQ(fake::audio::callsTo("channelStop").size(), 1u);
}

TEST(GameSounds, MixerReportCountsLivePlaybacksPerBus) {
    startAudio(1000);
    speakAudioDebug();
    EXPECT_EQ(fake::lastSpoken(),
              "Audio debug. Total 0, virtualises 0. Zombies 0, armes 0, joueur 0, interface 0, ambiance 0.");
    for (int d = 1; d <= 12; ++d) playSound("death_walker", d, 0); // two beyond the zombie limit
    playSound("fire_AK47", -1, -1);
    playSound("ui_nav", -1, -1); // master channel: counted in the total only
    playSound("step_maison_0", 3, 3);
    playSound("cloche", -1, -1);
    speakAudioDebug();
    EXPECT_EQ(fake::lastSpoken(),
              "Audio debug. Total 16, virtualises 2. Zombies 12, armes 1, joueur 2, interface 0, ambiance 0.");
    fake::advance(1500);
    speakAudioDebug();
    EXPECT_EQ(fake::lastSpoken(),
              "Audio debug. Total 2, virtualises 2. Zombies 2, armes 0, joueur 0, interface 0, ambiance 0.")
        << "finished playbacks are dropped first; silenced ones wait for their bus";
}
