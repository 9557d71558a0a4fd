#include "fake_audio.h"

#include "platform/clock.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace fake::audio {
namespace {

using platform::AudioVector;

constexpr float RATE = 44100.0f; // every file: mono, 16-bit, 44.1 kHz

struct Slide {
    bool active = false;
    float from = 0, to = 0;
    uint32_t start = 0, ms = 0;
};

// The public view (with the applied 3D settings) plus what the simulation needs.
struct Play : Playback {
    uint32_t handle = 0;
    uint32_t sample = 0; // 0 for a stream
    uint64_t frames = 0;
    double frame = 0;
    uint32_t settledAt = 0;
    Slide slide; // of the volume; the engine never slides the rate
    Playback pending; // its 3D settings, until apply3D
};

struct Sample {
    Play proto; // what each new playback starts as
    std::vector<uint32_t> slots; // playback handles, 0 = never used
};

struct State {
    bool failInit = false, init = false;
    uint32_t nextHandle = 1;
    std::map<std::string, uint64_t> files; // frames
    std::map<uint32_t, Sample> samples;
    std::map<uint32_t, Play> plays;
    std::vector<uint32_t> stopLog; // every stopped handle, in order
    Listener pendingListener, listener;
    std::vector<Call> calls;
} g;

Call& record(const char* fn, uint32_t handle = 0) {
    Call& c = g.calls.emplace_back();
    c.fn = fn;
    c.handle = handle;
    return c;
}

// Brings a playback up to the fake clock: position, end or wrap, slide.
void settle(Play& p) {
    const uint32_t now = platform::tickCount();
    if (p.state == platform::AUDIO_PLAYING) {
        p.frame += double(now - p.settledAt) * p.freq / 1000.0;
        const double len = double(p.frames);
        if (p.frame >= len && (p.flags & platform::AUDIO_LOOP) && len > 0) {
            p.frame = std::fmod(p.frame, len);
        } else if (p.frame >= len) {
            p.frame = len;
            p.state = platform::AUDIO_STOPPED;
            g.stopLog.push_back(p.handle);
        }
    }
    p.settledAt = now;
    p.position = uint64_t(p.frame) * 2;
    if (p.slide.active) {
        const uint32_t t = now - p.slide.start;
        p.slide.active = t < p.slide.ms;
        p.volume = p.slide.active ? p.slide.from + (p.slide.to - p.slide.from) * float(t) / float(p.slide.ms)
                                  : p.slide.to;
    }
    p.sliding = p.slide.active;
}

Play* live(uint32_t handle) {
    auto it = g.plays.find(handle);
    if (it == g.plays.end()) return nullptr;
    settle(it->second);
    return &it->second;
}

// Records a call on a playback; the playback, if live.
Play* use(const char* fn, uint32_t handle) {
    record(fn, handle);
    return live(handle);
}

void erasePlay(uint32_t handle) {
    Play* p = live(handle);
    if (p && p->state != platform::AUDIO_STOPPED) g.stopLog.push_back(handle);
    g.plays.erase(handle);
}

Play makePlay(const std::string& path, uint32_t flags, uint64_t frames) {
    Play p;
    p.path = path;
    p.flags = flags;
    p.frames = frames;
    p.length = frames * 2;
    p.freq = RATE;
    return p;
}

uint32_t addPlay(Play p) {
    p.settledAt = platform::tickCount();
    p.handle = g.nextHandle;
    g.plays[g.nextHandle] = p;
    return g.nextHandle++;
}

} // namespace

void reset() { g = State{}; }
void failInit(bool fail) { g.failInit = fail; }
void addFile(const std::string& path, uint32_t ms) { g.files[path] = uint64_t(ms) * 441 / 10; }
bool initialised() { return g.init; }

std::optional<Playback> playback(uint32_t handle) {
    Play* p = live(handle);
    return p ? std::optional<Playback>(*p) : std::nullopt;
}

std::vector<Playback> playbacks() {
    std::vector<Playback> out;
    for (auto& [h, p] : g.plays) {
        settle(p);
        out.push_back(p);
    }
    return out;
}

Listener listener() { return g.listener; }

const std::vector<Call>& calls() { return g.calls; }
std::vector<Call> callsTo(const std::string& fn) {
    std::vector<Call> out;
    for (const auto& c : g.calls)
        if (c.fn == fn) out.push_back(c);
    return out;
}
void clearCalls() { g.calls.clear(); }

} // namespace fake::audio

namespace platform {

using namespace fake::audio;

bool audioInit() {
    record("audioInit");
    return g.init = !g.failInit;
}

void audioSet3DAlgorithm(int) { record("audioSet3DAlgorithm"); }

void audioFree() {
    record("audioFree");
    g.init = false;
    g.samples.clear();
    while (!g.plays.empty()) erasePlay(g.plays.begin()->first);
}

uint32_t sampleLoad(const std::string& path, int maxPlaybacks, uint32_t flags) {
    Call& c = record("sampleLoad");
    c.path = path;
    auto file = g.files.find(path);
    if (!g.init || file == g.files.end() || maxPlaybacks < 1) return 0;
    g.samples[g.nextHandle] = Sample{makePlay(path, flags, file->second), std::vector<uint32_t>(size_t(maxPlaybacks))};
    g.samples[g.nextHandle].proto.sample = g.nextHandle;
    c.handle = g.nextHandle; // the handle it returned
    return g.nextHandle++;
}

uint32_t streamCreateFile(const std::string& path, uint32_t flags) {
    record("streamCreateFile").path = path;
    auto file = g.files.find(path);
    if (!g.init || file == g.files.end()) return 0;
    return addPlay(makePlay(path, flags, file->second));
}

uint32_t sampleGetChannel(uint32_t sample) {
    record("sampleGetChannel", sample);
    auto it = g.samples.find(sample);
    if (it == g.samples.end()) return 0;
    Sample& s = it->second;
    // A never-used slot first, then one whose playback is stopped (its old
    // handle dies); playing and paused playbacks keep theirs.
    auto slot = std::find(s.slots.begin(), s.slots.end(), 0u);
    if (slot == s.slots.end()) {
        slot = std::find_if(s.slots.begin(), s.slots.end(), [](uint32_t h) {
            Play* p = live(h);
            return !p || p->state == AUDIO_STOPPED;
        });
    }
    if (slot == s.slots.end()) return 0;
    g.plays.erase(*slot);
    return *slot = addPlay(s.proto);
}

bool sampleFree(uint32_t sample) {
    record("sampleFree", sample);
    auto it = g.samples.find(sample);
    if (it == g.samples.end()) return false;
    for (uint32_t h : it->second.slots) erasePlay(h);
    g.samples.erase(it);
    return true;
}

bool streamFree(uint32_t stream) {
    record("streamFree", stream);
    auto it = g.plays.find(stream);
    if (it == g.plays.end() || it->second.sample != 0) return false;
    erasePlay(stream);
    return true;
}

bool channelPlay(uint32_t channel, bool restart) {
    record("channelPlay", channel).restart = restart;
    Play* p = live(channel);
    if (!p) return false;
    // A first start keeps a position set before it, as the device does.
    if ((restart && p->plays > 0) || p->frame >= double(p->frames)) p->frame = 0;
    p->state = AUDIO_PLAYING;
    ++p->plays;
    settle(*p);
    return true;
}

bool channelPause(uint32_t channel) {
    Play* p = use("channelPause", channel);
    if (!p || p->state != AUDIO_PLAYING) return false;
    p->state = AUDIO_PAUSED;
    return true;
}

bool channelStop(uint32_t channel) {
    Play* p = use("channelStop", channel);
    if (!p) return false;
    if (p->state != AUDIO_STOPPED) g.stopLog.push_back(channel);
    p->state = AUDIO_STOPPED;
    return true;
}

// Not logged: it is the engine's bookkeeping, not a change to the sound.
uint32_t audioStopsSince(uint32_t since, std::vector<uint32_t>& handles, bool& complete) {
    for (auto& [h, p] : g.plays) settle(p); // the device's own pass
    const uint32_t count = uint32_t(g.stopLog.size());
    complete = since <= count;
    if (complete) handles.insert(handles.end(), g.stopLog.begin() + since, g.stopLog.end());
    return count;
}

int channelIsActive(uint32_t channel) {
    Play* p = use("channelIsActive", channel);
    return p ? p->state : AUDIO_STOPPED;
}

bool channelSetAttribute(uint32_t channel, int attrib, float value) {
    Play* p = use("channelSetAttribute", channel);
    if (!p || (attrib != AUDIO_ATTRIB_VOL && attrib != AUDIO_ATTRIB_FREQ)) return false;
    if (attrib == AUDIO_ATTRIB_FREQ) {
        p->freq = value <= 0 ? RATE : value;
        return true;
    }
    p->volume = std::clamp(value, 0.0f, 1.0f);
    p->slide.active = p->sliding = false; // setting ends a slide
    return true;
}

bool channelGetAttribute(uint32_t channel, int attrib, float* value) {
    Play* p = use("channelGetAttribute", channel);
    if (!p || !value || (attrib != AUDIO_ATTRIB_VOL && attrib != AUDIO_ATTRIB_FREQ)) return false;
    *value = attrib == AUDIO_ATTRIB_VOL ? p->volume : p->freq;
    return true;
}

bool channelSlideAttribute(uint32_t channel, int attrib, float value, uint32_t ms) {
    record("channelSlideAttribute", channel).ms = ms;
    Play* p = live(channel);
    if (!p || attrib != AUDIO_ATTRIB_VOL) return false;
    p->slide = Slide{true, p->volume, std::clamp(value, 0.0f, 1.0f), platform::tickCount(), ms};
    settle(*p);
    return true;
}

uint64_t channelGetLength(uint32_t channel) {
    Play* p = use("channelGetLength", channel);
    return p ? p->length : AUDIO_ERROR_LENGTH;
}

bool channelSetPosition(uint32_t channel, uint64_t bytes) {
    Play* p = use("channelSetPosition", channel);
    if (!p || bytes / 2 >= p->frames) return false;
    p->frame = double(bytes / 2);
    settle(*p);
    return true;
}

bool channelSet3DAttributes(uint32_t channel, int mode, float minDistance, float maxDistance) {
    Play* p = use("channelSet3DAttributes", channel);
    if (!p || !(p->flags & AUDIO_3D)) return false;
    if (mode != AUDIO_3D_NORMAL && mode != AUDIO_3D_OFF && mode >= 0) return false;
    if (mode >= 0) p->pending.mode3D = mode;
    if (minDistance >= 0) p->pending.minDistance = minDistance;
    if (maxDistance >= 0) p->pending.maxDistance = maxDistance;
    return true;
}

bool channelSet3DPosition(uint32_t channel, const AudioVector& position) {
    Play* p = use("channelSet3DPosition", channel);
    if (!p || !(p->flags & AUDIO_3D)) return false;
    p->pending.position3D = position;
    return true;
}

bool set3DListener(const AudioVector& position, const AudioVector& front, const AudioVector& top) {
    record("set3DListener");
    if (!g.init) return false;
    g.pendingListener = Listener{position, front, top};
    return true;
}

void apply3D() {
    record("apply3D");
    if (!g.init) return;
    g.listener = g.pendingListener;
    for (auto& [h, p] : g.plays) {
        p.mode3D = p.pending.mode3D;
        p.minDistance = p.pending.minDistance;
        p.maxDistance = p.pending.maxDistance;
        p.position3D = p.pending.position3D;
    }
}

} // namespace platform
