#pragma once
// The 3D audio device: samples (whole files in memory, played through
// short-lived playbacks) and streams (decoded as they play), volume and
// pitch, slides that run on their own, and 3D placement.
//
// Handles are 32-bit; 0 means none or failure. A stream handle is also a
// playback handle; a sample handle is not (ask sampleGetChannel for one).
// Axes are left-handed: x to the right, y up, z to the front.
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

constexpr uint32_t AUDIO_LOOP = 4;
constexpr uint32_t AUDIO_3D = 8;

constexpr int AUDIO_ATTRIB_FREQ = 1; // playback rate in Hz
constexpr int AUDIO_ATTRIB_VOL = 2;  // linear volume 0..1

constexpr int AUDIO_3D_NORMAL = 0;
constexpr int AUDIO_3D_OFF = 2; // relative to the listener, at its position

constexpr int AUDIO_STOPPED = 0;
constexpr int AUDIO_PLAYING = 1;
constexpr int AUDIO_STALLED = 2;
constexpr int AUDIO_PAUSED = 3;

constexpr uint64_t AUDIO_ERROR_LENGTH = ~uint64_t(0);

struct AudioVector {
    float x = 0, y = 0, z = 0;
};

// Default device, 44100 Hz, 3D; HRTF as OpenAL Soft chooses for the output
// (headphones yes, loudspeakers no) or the player's alsoft.conf says. False
// when no device could be opened; every later call is then harmless and
// every load fails. It prints nothing: the caller reports the failure.
bool audioInit();
void audioSet3DAlgorithm(int algorithm); // 0 = the device's default
void audioFree();

// For tests and benchmarks: a device that mixes into memory instead of a
// sound card (stereo, 44100 Hz, HRTF if asked and available). No thread of
// its own runs: the caller alternates audioPump and audioRenderLoopback of
// about 10 ms, as the device's thread and the sound card would. The device's
// time, which slides follow, is the audio rendered so far.
bool audioInitLoopback(bool hrtf);
// Mixes `frames` frames of interleaved stereo 32-bit float (left, right).
bool audioRenderLoopback(float* out, uint32_t frames);
bool audioHrtfEnabled();
// One pass of the device's own work: refills streams, advances slides and
// notices ended playbacks. The device's thread runs it every 10 ms.
void audioPump();

// flags: 0 or AUDIO_3D. At most maxPlaybacks playbacks of it at once.
uint32_t sampleLoad(const std::string& path, int maxPlaybacks, uint32_t flags);
// flags: 0, AUDIO_LOOP, or AUDIO_LOOP | AUDIO_3D.
uint32_t streamCreateFile(const std::string& path, uint32_t flags);
// A new playback of the sample; 0 when all its playbacks are busy (playing
// or paused). A stopped playback's place may be taken by a new one, and its
// old handle then fails.
uint32_t sampleGetChannel(uint32_t sample);
bool sampleFree(uint32_t sample);
bool streamFree(uint32_t stream);

// restart: from the start; otherwise a paused playback resumes where it
// stopped, a stopped one goes on from its position (from the start once it
// has played to its end) and a playing one is left alone. The first start of
// a playback, restart or not, is where channelSetPosition put it.
bool channelPlay(uint32_t channel, bool restart);
bool channelPause(uint32_t channel);
bool channelStop(uint32_t channel);
int channelIsActive(uint32_t channel); // AUDIO_STOPPED .. AUDIO_PAUSED
// Stops are counted: a playback played to its end (noticed by the device's
// pass or when it is asked about), stopped or freed. Returns the count now and
// appends to `handles` the playbacks stopped since the count `since`;
// `complete` is false when more stopped than the device remembers (ask each).
// While the count holds still, no playback reported playing or paused has stopped.
uint32_t audioStopsSince(uint32_t since, std::vector<uint32_t>& handles, bool& complete);

// Volume is kept within 0..1; a rate of 0 means the file's own. Setting an
// attribute ends a slide of it.
bool channelSetAttribute(uint32_t channel, int attrib, float value);
bool channelGetAttribute(uint32_t channel, int attrib, float* value);
// Moves the attribute to value over ms milliseconds, on the device's own thread.
bool channelSlideAttribute(uint32_t channel, int attrib, float value, uint32_t ms);

// Lengths and positions in bytes of 16-bit PCM in the file's channel layout.
uint64_t channelGetLength(uint32_t channel); // AUDIO_ERROR_LENGTH on failure
uint64_t channelGetPosition(uint32_t channel); // AUDIO_ERROR_LENGTH on failure
bool channelSetPosition(uint32_t channel, uint64_t bytes);

// Only playbacks loaded with AUDIO_3D can be placed; the others play centred
// and these calls fail on them. Changes wait for apply3D.
// mode AUDIO_3D_NORMAL or AUDIO_3D_OFF; a negative mode or distance leaves
// that value unchanged. Distance gain: min/d between the two, constant beyond.
bool channelSet3DAttributes(uint32_t channel, int mode, float minDistance, float maxDistance);
bool channelSet3DPosition(uint32_t channel, const AudioVector& position);
bool set3DListener(const AudioVector& position, const AudioVector& front, const AudioVector& top);
// Pending 3D changes take effect.
void apply3D();

} // namespace platform
