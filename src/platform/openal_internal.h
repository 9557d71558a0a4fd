#pragma once
// What the three parts of the OpenAL Soft audio device share: the records of
// samples and playbacks, the mutex that guards them against the device's
// thread, and the steps each part takes on the others' records. Every
// function declared here expects g_mutex to be held.
#define AL_ALEXT_PROTOTYPES
#include "platform/audio_device.h"
#include "platform/sound_decoder.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <vector>

namespace platform::openal {

constexpr int RATE = 44100;
constexpr int STREAM_BUFFERS = 4;
constexpr int STREAM_CHUNK = 4096; // frames per queued buffer, about 93 ms
constexpr int PUMP_MS = 10;
constexpr int MAX_MONO_SOURCES = 512;
constexpr int MAX_STEREO_SOURCES = 32;

struct Slide {
    bool active = false;
    float from = 0, to = 0;
    double start = 0, ms = 0;
};

struct Place3D {
    int mode = AUDIO_3D_NORMAL;
    float minDistance = 1.0f, maxDistance = 1e9f;
    AudioVector position;
};

struct QueuedChunk {
    ALuint buffer = 0;
    uint64_t start = 0; // file frame of its first frame
    uint64_t frames = 0;
};

struct Playback {
    uint32_t handle = 0;
    uint32_t sample = 0; // 0 for a stream
    bool is3D = false, loop = false;
    SoundFileInfo info;  // the file's own rate, channels, length
    ALuint source = 0;   // held while playing or paused
    int state = AUDIO_STOPPED;
    bool started = false; // has been played at least once
    uint64_t frame = 0;  // position while no source holds it
    float volume = 1.0f, freq = 0.0f;
    Slide volSlide, freqSlide;
    Place3D pending, applied;
    bool placementDirty = false; // pending differs from applied: listed in g_dirty
    // Streams only.
    SoundFilePtr file;
    int outChannels = 1;
    std::vector<ALuint> freeBuffers;
    std::deque<QueuedChunk> queue;
    uint64_t decodeFrame = 0;
    bool eof = false;
};

struct Sample {
    ALuint buffer = 0;
    // A placeable (mono) sample's stereo twin, played when it starts with 3D
    // off, so it sounds at the file's level like any flat sound.
    ALuint centred = 0;
    SoundFileInfo info;
    uint32_t flags = 0;
    std::vector<uint32_t> slots; // playback handles, 0 = never used
};

extern std::mutex g_mutex;
extern ALCcontext* g_context; // null while no device is open
extern uint32_t g_nextHandle;
extern std::map<uint32_t, Sample> g_samples;
extern std::map<uint32_t, Playback> g_playbacks; // sample playbacks and streams
extern std::vector<ALuint> g_freeSources;
extern int g_sourceCount;
// Playbacks whose 3D placement changed since the last apply3D (dead handles skipped).
extern std::vector<uint32_t> g_dirty;
extern uint32_t g_stopCount;
extern std::deque<uint32_t> g_stopLog; // the latest stopped handles, oldest first
constexpr size_t STOP_LOG_MAX = 1024;

inline ALenum alFormat(int channels) { return channels == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16; }

// openal_device.cpp
// Milliseconds on the device's own time line: audio mixed for the loopback
// device, the wall clock otherwise.
double deviceMs();

// openal_playback.cpp
void pushPlacement(const Playback& p);
bool acquireSource(Playback& p);
void releaseSource(Playback& p);
ALint sourceState(const Playback& p);
Playback* findPlayback(uint32_t handle);
void runSlides(Playback& p, double now);
// Notices a sample playback that played to its end and gives its source back.
void noticeEnd(Playback& p);
// The playback is stopped from now on; counted once per stop.
void markStopped(Playback& p);
void erasePlayback(uint32_t handle);

// openal_stream.cpp
// Empties the queue and refills it from `frame`; the source is left initial.
bool restartStreamAt(Playback& p, uint64_t frame);
uint64_t streamPosition(const Playback& p);
// Moves finished buffers back to the decoder; restarts a stream that ran dry
// and ends one that played out.
void serviceStream(Playback& p);

} // namespace platform::openal
