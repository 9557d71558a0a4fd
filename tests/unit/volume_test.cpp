// Volume channels and the menu music choice as the player hears and keeps them.
#include "audio/volume.h"
#include "fake_platform.h"
#include "net/save_file.h"
#include "temp_folder.h"

#include <cstdio>

namespace {

class Volume : public TempFolder {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        fake::reset();
        currentNavIdx = 0;
        selectedChannel = AudioChannel::AMBIANCE;
    }
};

float level(AudioChannel c) { return audioChannels.at(c).volume; }

struct Save {
    bool ok = false;
    PlayerProfile profile;
    int index = -1;
    std::vector<float> volumes;
};

Save readSave() {
    Save s;
    s.ok = loadSave(s.profile, s.index, s.volumes);
    return s;
}

} // namespace

TEST_F(Volume, LevelsStayWithinRangeAndAreSpoken) {
    initVolumeManager();
    for (int i = 0; i < 8; ++i) EXPECT_EQ(level(static_cast<AudioChannel>(i)), 1.0f);

    adjustMasterChannel(+0.05f);
    EXPECT_EQ(fake::lastSpoken(), "Volume principal 100 pourcent");
    EXPECT_EQ(level(AudioChannel::MASTER), 1.0f);
    adjustMasterChannel(-0.05f);
    EXPECT_EQ(fake::lastSpoken(), "Volume principal 95 pourcent");
    adjustMasterChannel(-0.05f);
    adjustMasterChannel(-0.05f);
    adjustMasterChannel(-0.05f);
    EXPECT_EQ(fake::lastSpoken(), "Volume principal 80 pourcent") << "float steps must not be heard as 79";

    // The selected channel is Ambiances at first; it alone moves.
    for (int i = 0; i < 25; ++i) adjustSelectedChannel(-0.05f);
    EXPECT_EQ(fake::lastSpoken(), "0 pourcent");
    EXPECT_EQ(level(AudioChannel::AMBIANCE), 0.0f);
    EXPECT_EQ(level(AudioChannel::WEAPONS), 1.0f);
    adjustSelectedChannel(+0.05f);
    EXPECT_EQ(fake::lastSpoken(), "5 pourcent");
    for (int i = 0; i < 18; ++i) adjustSelectedChannel(+0.05f);
    EXPECT_EQ(fake::lastSpoken(), "95 pourcent");

    // Every change is saved at once, in channel order.
    const Save s = readSave();
    ASSERT_TRUE(s.ok);
    ASSERT_EQ(s.volumes.size(), 8u);
    EXPECT_NEAR(s.volumes[0], 0.8f, 1e-6);
    EXPECT_NEAR(s.volumes[1], 0.95f, 1e-6);
    EXPECT_EQ(s.volumes[2], 1.0f);
}

TEST_F(Volume, FinalVolumeIsChannelTimesMaster) {
    initVolumeManager();
    for (int i = 0; i < 10; ++i) adjustMasterChannel(-0.05f);
    EXPECT_NEAR(getFinalVolume(AudioChannel::MASTER), 0.25f, 1e-5) << "interface sounds: master squared";
    EXPECT_NEAR(getFinalVolume(AudioChannel::WEAPONS), 0.5f, 1e-5);
    for (int i = 0; i < 10; ++i) adjustVolume(AudioChannel::ZOMBIES, -0.05f);
    EXPECT_NEAR(getFinalVolume(AudioChannel::ZOMBIES), 0.25f, 1e-5);
    EXPECT_NEAR(getFinalVolume(AudioChannel::WEAPONS), 0.5f, 1e-5);
}

TEST_F(Volume, ChannelKeysStepThroughAllButMaster) {
    initVolumeManager();
    cycleChannel(false);
    EXPECT_EQ(fake::lastSpoken(), "Effets spéciaux");
    EXPECT_EQ(selectedChannel, AudioChannel::EFFECTS);
    cycleChannel(true);
    cycleChannel(true);
    EXPECT_EQ(fake::lastSpoken(), "Armes");

    fake::clearSpoken();
    for (int i = 0; i < 7; ++i) cycleChannel(true);
    EXPECT_EQ(fake::spoken(), (std::vector<std::string>{"Zombies", "Votre joueur", "Autres joueurs",
                                                        "Sons de la carte", "Effets spéciaux", "Ambiances", "Armes"}));
    adjustSelectedChannel(-0.05f);
    EXPECT_NEAR(level(AudioChannel::WEAPONS), 0.95f, 1e-6);
    EXPECT_EQ(level(AudioChannel::MASTER), 1.0f);
}

TEST_F(Volume, SavedListsFillChannelsInOrder) {
    const PlayerProfile alice{"Alice", "a@x.fr", "", "F"};
    ASSERT_TRUE(writeSave(alice, 4, {0.5f, 0.25f, 1.5f}));
    initVolumeManager();
    EXPECT_EQ(level(AudioChannel::MASTER), 0.5f);
    EXPECT_EQ(level(AudioChannel::AMBIANCE), 0.25f);
    EXPECT_EQ(level(AudioChannel::WEAPONS), 1.5f) << "taken as stored";
    for (int i = 3; i < 8; ++i) EXPECT_EQ(level(static_cast<AudioChannel>(i)), 1.0f);

    std::vector<float> ten;
    for (int i = 0; i < 10; ++i) ten.push_back(0.1f * static_cast<float>(i));
    ASSERT_TRUE(writeSave(alice, 4, ten));
    initVolumeManager();
    for (int i = 0; i < 8; ++i) EXPECT_EQ(level(static_cast<AudioChannel>(i)), ten[i]);
    EXPECT_EQ(audioChannels.size(), 8u);

    // A change writes back exactly eight levels and keeps identity and music.
    adjustVolume(AudioChannel::MAP, +0.05f);
    const Save s = readSave();
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.profile.username, "Alice");
    EXPECT_EQ(s.profile.gender, "F");
    EXPECT_EQ(s.index, 4);
    ASSERT_EQ(s.volumes.size(), 8u);
    EXPECT_NEAR(s.volumes[6], 0.65f, 1e-6);

    // A save without volume lines leaves the defaults.
    ASSERT_TRUE(writeSave(alice, 4, {}));
    initVolumeManager();
    EXPECT_EQ(level(AudioChannel::MASTER), 1.0f);
}

TEST_F(Volume, MenuMusicChoiceIsLimitedAndSaved) {
    // Read from the save on first use, limited to the six musics.
    ASSERT_TRUE(writeSave(PlayerProfile{"Alice", "a@x.fr", "h", "F"}, 9, {0.5f}));
    EXPECT_EQ(getMenuMusicIndex(), 6);
    EXPECT_STREQ(getMenuMusicEventId(), "music_menu_6");

    setMenuMusicIndex(0);
    EXPECT_EQ(getMenuMusicIndex(), 1);
    Save s = readSave();
    EXPECT_EQ(s.index, 1);
    EXPECT_EQ(s.profile.username, "Alice");
    EXPECT_EQ(s.volumes, std::vector<float>{0.5f});

    setMenuMusicIndex(9);
    EXPECT_EQ(getMenuMusicIndex(), 6);
    EXPECT_EQ(readSave().index, 6);
    setMenuMusicIndex(3);
    EXPECT_STREQ(getMenuMusicEventId(), "music_menu_3");

    // With nothing readable, the choice is saved with an empty identity.
    std::remove("save.dat");
    setMenuMusicIndex(2);
    s = readSave();
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.index, 2);
    EXPECT_EQ(s.profile.username, "");
    EXPECT_EQ(s.profile.gender, "M");
    EXPECT_TRUE(s.volumes.empty());
}

TEST_F(Volume, LevelsAndMusicSurviveARestart) {
    ASSERT_TRUE(saveIdentity(PlayerProfile{"Bob", "b@x.fr", "h", "M"}));
    initVolumeManager();
    adjustMasterChannel(-0.05f);
    cycleChannel(true);
    adjustSelectedChannel(-0.05f);
    adjustSelectedChannel(-0.05f);
    setMenuMusicIndex(5);

    // The next run starts from the file alone.
    audioChannels.clear();
    initVolumeManager();
    EXPECT_NEAR(level(AudioChannel::MASTER), 0.95f, 1e-6);
    EXPECT_NEAR(level(AudioChannel::WEAPONS), 0.9f, 1e-6);
    EXPECT_EQ(level(AudioChannel::AMBIANCE), 1.0f);
    EXPECT_EQ(audioChannels.at(AudioChannel::EFFECTS).label, "Effets spéciaux");
    const Save s = readSave();
    EXPECT_EQ(s.index, 5);
    EXPECT_EQ(s.profile.username, "Bob");
}
