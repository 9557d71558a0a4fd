#pragma once
// Every sound the client can make, loaded once at start-up and known by a
// short name ("ui_nav", "fire_AK47", "music_lobby"). The registry owns the
// device handles until shut-down.
#include "audio/volume.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

constexpr uint32_t SOUND_NONE = 0;
constexpr uint32_t SOUND_SAMPLE = 1; // whole file in memory, several playbacks at once
constexpr uint32_t SOUND_STREAM = 2; // decoded while it plays, one playback

// How many playbacks of one sample may sound at once.
constexpr int SAMPLE_MAX_PLAYBACKS = 16;

struct SoundAsset {
    uint32_t type = SOUND_NONE;
    uint32_t sample = 0; // device sample handle, for SOUND_SAMPLE
    uint32_t stream = 0; // device stream handle, for SOUND_STREAM
    AudioChannel channel = AudioChannel::MASTER;
    // Load flags: 0, platform::AUDIO_LOOP, platform::AUDIO_3D or both. AUDIO_3D
    // also makes every playback of a sample positional.
    uint32_t flags = 0;
};

extern std::unordered_map<std::string, SoundAsset> g_assets;
// The executable's folder, without a trailing separator; set by loadAllGameSounds.
extern std::string g_baseDir;

// The folder of the running executable; "." when its path has no separator.
std::string getBaseDir();
// An absolute name (a drive letter and colon, or a leading slash or backslash)
// unchanged; otherwise g_baseDir + "/" + relative. Null gives "".
std::string makePath(const char* relative);

// Load one file and store it under `name`, replacing (and freeing) any entry
// of that name. A file that does not load leaves an entry without handle.
void regSample(const std::string& name, const char* relativePath, AudioChannel channel, uint32_t flags);
void regStream(const std::string& name, const char* relativePath, AudioChannel channel, uint32_t flags);

// Registered and loaded.
bool hasSound(const std::string& name);
// The stream handle of a loaded stream; 0 for samples and unknown names.
uint32_t getSoundHandle(const std::string& name);

// One line of the client's sound table.
struct SoundDef {
    const char* name;
    const char* file; // relative to the executable's folder
    AudioChannel channel;
    uint32_t type;    // SOUND_SAMPLE or SOUND_STREAM
    uint32_t flags;
};
// The 86 sounds of the client, in load order.
const std::vector<SoundDef>& soundTable();

// Sets g_baseDir and registers the whole table; anything loaded before is freed first.
void loadAllGameSounds();
// Frees every handle; afterwards hasSound is false for every name.
void unloadAllGameSounds();

// Whole run: nothing registered. Forgets the handles without freeing them,
// for a device that starts again too.
void resetSoundRegistry();
