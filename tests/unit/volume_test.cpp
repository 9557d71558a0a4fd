// Volume channels and the menu music choice as the player hears and keeps them.
#include "app/app.h"
#include "audio/volume.h"
#include "fake_platform.h"
#include "core/save_file.h"
#include "temp_folder.h"

#include <cstdio>

namespace {

using V = std::vector<float>;

class Volume : public TempFolder {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        resetClientForTests();
        fake::reset();
        currentNavIdx = 0;
        selectedChannel = AudioChannel::AMBIANCE;
    }
};

// The eight levels in channel order.
V levels() {
    V v;
    for (const auto& [channel, info] : audioChannels) v.push_back(info.volume);
    return v;
}

void expectNear(const V& got, const V& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(got[i], want[i], 1e-6) << "channel " << i;
}

// An unreadable save shows as menu music -1.
SaveData readSave() { return loadSave().value_or(SaveData{{}, -1, {}}); }

} // namespace

TEST_F(Volume, KeysChangeLevelsWithinRangeAndSpeakThem) {
    initVolumeManager();
    EXPECT_EQ(levels(), V(8, 1.0f));
    adjustMasterChannel(+0.05f);
    EXPECT_EQ(fake::lastSpoken(), "Volume principal 100 pourcent");
    adjustMasterChannel(-0.05f);
    EXPECT_EQ(fake::lastSpoken(), "Volume principal 95 pourcent");
    for (int i = 0; i < 3; ++i) adjustMasterChannel(-0.05f);
    EXPECT_EQ(fake::lastSpoken(), "Volume principal 80 pourcent") << "float steps must not be heard as 79";

    // The selected channel is Ambiances at first; it alone moves.
    for (int i = 0; i < 25; ++i) adjustSelectedChannel(-0.05f);
    EXPECT_EQ(fake::lastSpoken(), "0 pourcent");
    adjustSelectedChannel(+0.05f);
    EXPECT_EQ(fake::lastSpoken(), "5 pourcent");
    for (int i = 0; i < 18; ++i) adjustSelectedChannel(+0.05f);
    EXPECT_EQ(fake::lastSpoken(), "95 pourcent");
    // Every change is saved at once, in channel order.
    expectNear(readSave().volumes, {0.8f, 0.95f, 1, 1, 1, 1, 1, 1});
    EXPECT_NEAR(getFinalVolume(AudioChannel::MASTER), 0.64f, 1e-5) << "interface sounds: master squared";
    EXPECT_NEAR(getFinalVolume(AudioChannel::AMBIANCE), 0.76f, 1e-5);

    // The channel keys step through all but master, both ways.
    cycleChannel(false);
    EXPECT_EQ(fake::lastSpoken(), "Effets spéciaux");
    fake::clearSpoken();
    for (int i = 0; i < 9; ++i) cycleChannel(true);
    EXPECT_EQ(fake::spoken(), (std::vector<std::string>{"Ambiances", "Armes", "Zombies", "Votre joueur",
                                                        "Autres joueurs", "Sons de la carte",
                                                        "Effets spéciaux", "Ambiances", "Armes"}));
    adjustSelectedChannel(-0.05f);
    expectNear(levels(), {0.8f, 0.95f, 0.95f, 1, 1, 1, 1, 1});
}

TEST_F(Volume, SavedListsFillChannelsInOrder) {
    const PlayerProfile alice{"Alice", "a@x.fr", "", "F"};
    ASSERT_TRUE(writeSave({alice, 4, {0.5f, 0.25f, 1.5f}}));
    initVolumeManager();
    EXPECT_EQ(levels(), (V{0.5f, 0.25f, 1.5f, 1, 1, 1, 1, 1})) << "taken as stored";

    V ten;
    for (int i = 0; i < 10; ++i) ten.push_back(0.1f * static_cast<float>(i));
    ASSERT_TRUE(writeSave({alice, 4, ten}));
    initVolumeManager();
    ten.resize(8);
    EXPECT_EQ(levels(), ten);

    // A change writes back exactly eight levels and keeps identity and music.
    adjustVolume(AudioChannel::MAP, +0.05f);
    ten[6] = 0.65f;
    const SaveData s = readSave();
    expectNear(s.volumes, ten);
    EXPECT_EQ(s.profile.username, "Alice");
    EXPECT_EQ(s.profile.gender, "F");
    EXPECT_EQ(s.menuMusicIndex, 4);

    // A save without volume lines leaves the defaults.
    ASSERT_TRUE(writeSave({alice, 4, {}}));
    initVolumeManager();
    EXPECT_EQ(levels(), V(8, 1.0f));
}

TEST_F(Volume, MenuMusicChoiceIsLimitedAndSaved) {
    // Read from the save on first use, limited to the six musics.
    ASSERT_TRUE(writeSave({{"Alice", "a@x.fr", "h", "F"}, 9, {0.5f}}));
    EXPECT_EQ(getMenuMusicIndex(), 6);

    setMenuMusicIndex(0);
    EXPECT_EQ(getMenuMusicIndex(), 1);
    SaveData s = readSave();
    EXPECT_EQ(s.menuMusicIndex, 1);
    EXPECT_EQ(s.profile.username, "Alice");
    EXPECT_EQ(s.volumes, V{0.5f});
    setMenuMusicIndex(9);
    EXPECT_EQ(getMenuMusicIndex(), 6);
    EXPECT_EQ(readSave().menuMusicIndex, 6);

    // With nothing readable, the choice is saved with an empty identity.
    std::remove("save.dat");
    setMenuMusicIndex(2);
    s = readSave();
    EXPECT_EQ(s.menuMusicIndex, 2);
    EXPECT_EQ(s.profile.username, "");
    EXPECT_EQ(s.profile.gender, "M");
    EXPECT_TRUE(s.volumes.empty());
}
