#pragma once
// The one way the game makes a sound: playSound(name, x, y), flat or at a
// tile around the listener. Sample playbacks are grouped into mixing buses;
// a bus that holds more audible playbacks than its limit pauses and silences
// (virtualises) the least important ones and brings them back when room
// frees up at its next new playback.
#include "audio/volume.h"

#include <cstdint>
#include <string>
#include <vector>

enum class AudioBus : uint32_t { OTHER = 0, ZOMBIES = 1, WEAPONS = 2, PLAYER = 3, UI = 4, AMBIENT = 5 };

constexpr int LIM_ZOMBIES = 10;
constexpr int LIM_WEAPONS = 20;
constexpr int LIM_PLAYER = 8;
constexpr int LIM_UI = 4;
constexpr int LIM_AMBIENT = 4;
constexpr int LIM_NONE = 999; // any limit above 899 means "not limited"

// The instant-kill sound plays at this fraction of its channel's level.
constexpr float INSTANT_KILL_BASE_VOL = 0.35f;

// One sample playback.
struct PlayingSound {
    uint32_t handle = 0;
    AudioBus bus = AudioBus::OTHER;
    AudioChannel channel = AudioChannel::MASTER;
    float distance = 0.0f; // to the listener's tile at start; 0 for a flat playback
    float priority = 0.0f; // fixed at start, higher is more important
    bool virtualised = false;
    float gain = 1.0f;     // extra factor applied when the playback is resumed
    bool positional = false;
};

// Sample playbacks in start order.
extern std::vector<PlayingSound> g_active;
// The latest playback of "instant_kill_snd".
extern uint32_t g_instantKillCh;

// Opens the device (reporting "Erreur BASS_Init" on failure, then going on
// silent) and loads every sound.
void initAudio();
// Unloads every sound, then frees the device. No call may follow.
void cleanupAudio();

// The listener stands at this tile, facing growing y; distances and
// priorities of new playbacks are measured from it.
void updateListenerPosition(int x, int y);

// Plays a registered sound; -1, -1 for no position. Failures are silent.
void playSound(const std::string& name, int x, int y);

// The current scene's music at the ambiance level (no ducking).
void refreshActiveVolumes();
// Slides a stream's volume to `volume` over `ms`; nothing for a name without stream.
void fadeMusic(const std::string& name, float volume, int ms);
// A nonzero handle that the device reports playing or stalled.
bool isChannelPlaying(uint32_t handle);

// The engine's steps, open for tests and the mixer report.
AudioBus busFromChannel(AudioChannel channel);
int limitForBus(AudioBus bus);
float dist2D(int x1, int y1, int x2, int y2);
float computePriority(const std::string& name, AudioBus bus, int x, int y);
void applyLimiting(AudioBus bus);
void tryDevirtualize(AudioBus bus);
// Forgets playbacks the device has finished; paused ones stay.
void pruneActive();

// Whole run: nothing playing, the listener at (0, 0), no ducking.
void resetPlaybackState();
