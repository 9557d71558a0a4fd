#pragma once
// Test double of the 3D audio device (platform/audio_device.h).
//
// Only files registered with addFile exist. Each playback's state, position,
// volume and rate follow the fake clock: paused ones hold, non-looping ones
// end, looping ones wrap, slides are linear. 3D settings and the listener
// take effect at apply3D, as on the real device. fake::reset() does not
// touch this double; call fake::audio::reset().
#include "platform/audio_device.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace fake::audio {

// Forgets files, handles, calls and the listener; the device is not started.
void reset();
// Makes audioInit fail, like a machine without sound card. The loopback
// functions, for the device's own tests, are not doubled.
void failInit(bool fail);
// A file the device can load, `ms` long; every file is mono, 16-bit, 44.1 kHz.
void addFile(const std::string& path, uint32_t ms);
bool initialised();

// One playback (a sample's playback or a stream) as the player would hear it now.
struct Playback {
    std::string path;
    uint32_t flags = 0; // the load flags of its sample or stream
    int state = platform::AUDIO_STOPPED;
    uint64_t position = 0, length = 0; // bytes
    float volume = 1.0f;
    float freq = 0.0f;    // Hz
    bool sliding = false; // a volume slide still running (the rate never slides)
    // 3D settings applied; meaningful only with the AUDIO_3D flag.
    int mode3D = platform::AUDIO_3D_NORMAL;
    float minDistance = 1.0f, maxDistance = 1e9f;
    platform::AudioVector position3D;
    int plays = 0;
};
// Empty when the handle is not a live playback.
std::optional<Playback> playback(uint32_t handle);
// Every live playback, oldest first.
std::vector<Playback> playbacks();

struct Listener {
    platform::AudioVector position, front{0, 0, 1}, top{0, 1, 0};
};
Listener listener(); // as applied by the last apply3D

// One call to the device, with the arguments the tests look at.
struct Call {
    std::string fn;      // the function's name, e.g. "channelPlay"
    uint32_t handle = 0; // the sample/stream/playback argument; for a load, the sample it returned
    std::string path;
    bool restart = false;
    uint32_t ms = 0;
};
const std::vector<Call>& calls();
std::vector<Call> callsTo(const std::string& fn);
void clearCalls();

} // namespace fake::audio
