#pragma once
// Test double of the 3D audio device (platform/audio_device.h).
//
// "Files" exist only once a test registers them with addFile. Every call is
// recorded; each playback's state, position, volume and rate are simulated
// from the file's length and the fake clock (fake::now()): a paused playback
// holds its position, a non-looping one ends by itself, a looping one wraps,
// slides move linearly to their target over their duration. 3D settings and
// the listener take effect only at apply3D, as on the real device.
//
// fake::reset() does not touch this double; call fake::audio::reset().
#include "platform/audio_device.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace fake::audio {

// Forgets files, handles, calls and the listener; the device is not started.
void reset();
// Makes audioInit (and audioInitLoopback) fail, like a machine without sound card.
void failInit(bool fail);
// A file the device can load: its length in milliseconds, its own rate and
// channel count. Lengths in bytes are frames x channels x 2.
void addFile(const std::string& path, uint32_t ms, int rate = 44100, int channels = 1);
uint64_t fileBytes(const std::string& path);

bool initialised();
uint32_t apply3DCount();

// One playback (a sample's playback or a stream) as the player would hear it now.
struct Playback {
    uint32_t handle = 0;
    uint32_t sample = 0; // 0 for a stream
    std::string path;
    uint32_t flags = 0; // the load flags of its sample or stream
    int state = platform::AUDIO_STOPPED;
    uint64_t position = 0; // bytes
    uint64_t length = 0;   // bytes
    float volume = 1.0f;
    float freq = 0.0f;     // Hz
    bool sliding = false;  // a slide of volume or rate still running
    // 3D settings in effect (applied); meaningful only with the AUDIO_3D flag.
    int mode3D = platform::AUDIO_3D_NORMAL;
    float minDistance = 1.0f;
    float maxDistance = 1e9f;
    platform::AudioVector position3D;
    int plays = 0, pauses = 0, stops = 0;
};
// Empty when the handle is not a live playback.
std::optional<Playback> playback(uint32_t handle);
// Every live playback, oldest first.
std::vector<Playback> playbacks();
// Live playbacks of one file, oldest first.
std::vector<Playback> playbacksOf(const std::string& path);

struct Listener {
    platform::AudioVector position;
    platform::AudioVector front{0, 0, 1};
    platform::AudioVector top{0, 1, 0};
};
Listener listener(); // as applied by the last apply3D

// One call to the device, with the arguments it took and what it returned.
struct Call {
    std::string fn; // the function's name, e.g. "channelSetAttribute"
    uint32_t handle = 0; // the sample/stream/playback argument
    uint32_t result = 0; // the handle returned by a load or sampleGetChannel
    std::string path;
    uint32_t flags = 0;
    int maxPlaybacks = 0;
    bool restart = false;
    int attrib = 0;
    float value = 0;
    uint32_t ms = 0;
    int mode = 0;
    float minDistance = 0, maxDistance = 0;
    uint64_t bytes = 0;
    platform::AudioVector position, front, top;
    bool ok = false; // a nonzero handle or a true result
    uint32_t time = 0; // fake clock at the call
};
const std::vector<Call>& calls();
std::vector<Call> callsTo(const std::string& fn);
void clearCalls();

} // namespace fake::audio
