// Volume channels and the menu music choice as the player hears and keeps them.
#include "client_test_support.h"

namespace {

using V = std::vector<float>;
using Volume = FreshClient;

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

SaveData readSave() { return loadSave().value_or(SaveData{}); }

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

// Saved levels are taken as stored, in channel order, eight at most; the
// menu music as stored, within the six. (What the writers keep: save_file_test.)
TEST_F(Volume, SavedLevelsAndMusicAreTakenBackWithinRange) {
    const PlayerProfile alice{"Alice", "a@x.fr", "", "F"};
    ASSERT_TRUE(writeSave({alice, 9, {0.5f, 0.25f, 1.5f}}));
    initVolumeManager();
    EXPECT_EQ(levels(), (V{0.5f, 0.25f, 1.5f, 1, 1, 1, 1, 1}));
    EXPECT_EQ(getMenuMusicIndex(), 6);
    setMenuMusicIndex(0);
    EXPECT_EQ(getMenuMusicIndex(), 1);

    V ten;
    for (int i = 0; i < 10; ++i) ten.push_back(0.1f * static_cast<float>(i));
    ASSERT_TRUE(writeSave({alice, 4, ten}));
    initVolumeManager();
    ten.resize(8);
    EXPECT_EQ(levels(), ten);

    // A save without volume lines leaves the defaults.
    ASSERT_TRUE(writeSave({alice, 4, {}}));
    initVolumeManager();
    EXPECT_EQ(levels(), V(8, 1.0f));
}
