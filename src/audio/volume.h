#pragma once
// The eight volume channels the player sets by keyboard, and the chosen menu
// music. Both are kept in save.dat.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

enum class AudioChannel : int32_t {
    MASTER = 0,
    AMBIANCE = 1,
    WEAPONS = 2,
    ZOMBIES = 3,
    PLAYER = 4,
    OTHER_PLAYERS = 5,
    MAP = 6,
    EFFECTS = 7,
};

struct ChannelInfo {
    std::string label; // spoken name
    float volume = 1.0f;
};

extern std::map<AudioChannel, ChannelInfo> audioChannels;
// What the channel keys step through; the master channel has keys of its own.
extern const std::vector<AudioChannel> navOrder;
extern int currentNavIdx;
extern AudioChannel selectedChannel;

// Builds the eight channels at full level, then loads the saved levels.
void initVolumeManager();

// The channel's level times the master level (master level squared for the
// master channel's own interface sounds).
float getFinalVolume(AudioChannel c);

// Changes one level within 0..1 and saves it.
void adjustVolume(AudioChannel c, float delta);
// The level keys: change a level and speak the new percentage.
void adjustSelectedChannel(float delta);
void adjustMasterChannel(float delta);
// Selects the next or previous channel and speaks its label.
void cycleChannel(bool forward);

// The eight levels into save.dat, the rest of the save kept as it is.
bool saveVolumes();
// The saved levels onto the channels, in order; false when none were saved.
bool loadVolumes();

// Menu music choice, 1 to 6, read from the save on first use.
void initMenuMusicManager();
int getMenuMusicIndex();
void setMenuMusicIndex(int index);
// "music_menu_<index>" in a buffer the next call overwrites.
const char* getMenuMusicEventId();

// Whole run: every level at 1, the ambience selected, menu music 1, nothing loaded yet.
void resetVolumeState();
