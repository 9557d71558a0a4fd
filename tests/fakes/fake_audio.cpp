#include "fake_audio.h"

#include "platform/clock.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

namespace fake::audio {
namespace {

using platform::AudioVector;

struct File {
    uint64_t frames = 0;
    int rate = 44100;
    int channels = 1;
};

struct Slide {
    bool active = false;
    float from = 0, to = 0;
    uint32_t start = 0, ms = 0;
};

struct Place3D {
    int mode = platform::AUDIO_3D_NORMAL;
    float minDistance = 1.0f, maxDistance = 1e9f;
    AudioVector position;
};

struct Play {
    uint32_t sample = 0;
    std::string path;
    uint32_t flags = 0;
    File file;
    int state = platform::AUDIO_STOPPED;
    double frame = 0;
    uint32_t settledAt = 0;
    float volume = 1.0f, freq = 0.0f;
    Slide volSlide, freqSlide;
    Place3D pending, applied;
    int plays = 0, pauses = 0, stops = 0;
};

struct Sample {
    std::string path;
    uint32_t flags = 0;
    File file;
    std::vector<uint32_t> slots; // playback handles, 0 = never used
};

bool g_failInit = false;
bool g_init = false;
uint32_t g_nextHandle = 1;
uint32_t g_apply3D = 0;
std::map<std::string, File> g_files;
std::map<uint32_t, Sample> g_samples;
std::map<uint32_t, Play> g_plays;
Listener g_pendingListener, g_listener;
std::vector<Call> g_calls;

Call& record(const char* fn, uint32_t handle) {
    Call c;
    c.fn = fn;
    c.handle = handle;
    c.time = platform::tickCount();
    g_calls.push_back(c);
    return g_calls.back();
}

float slideValue(Slide& s, float current, uint32_t now) {
    if (!s.active) return current;
    uint32_t t = now - s.start;
    if (t >= s.ms) {
        s.active = false;
        return s.to;
    }
    return s.from + (s.to - s.from) * float(t) / float(s.ms);
}

// Brings a playback up to the fake clock: position, end or wrap, slides.
void settle(Play& p) {
    uint32_t now = platform::tickCount();
    uint32_t elapsed = now - p.settledAt;
    p.settledAt = now;
    if (p.state == platform::AUDIO_PLAYING) {
        p.frame += double(elapsed) * p.freq / 1000.0;
        double len = double(p.file.frames);
        if (p.frame >= len) {
            if ((p.flags & platform::AUDIO_LOOP) && len > 0) {
                p.frame = std::fmod(p.frame, len);
            } else {
                p.frame = len;
                p.state = platform::AUDIO_STOPPED;
            }
        }
    }
    p.volume = slideValue(p.volSlide, p.volume, now);
    p.freq = slideValue(p.freqSlide, p.freq, now);
}

Play* live(uint32_t handle) {
    auto it = g_plays.find(handle);
    if (it == g_plays.end()) return nullptr;
    settle(it->second);
    return &it->second;
}

uint64_t frameBytes(const Play& p) { return uint64_t(p.file.channels) * 2; }

Playback view(uint32_t handle, const Play& p) {
    Playback v;
    v.handle = handle;
    v.sample = p.sample;
    v.path = p.path;
    v.flags = p.flags;
    v.state = p.state;
    v.position = uint64_t(p.frame) * frameBytes(p);
    v.length = p.file.frames * frameBytes(p);
    v.volume = p.volume;
    v.freq = p.freq;
    v.sliding = p.volSlide.active || p.freqSlide.active;
    v.mode3D = p.applied.mode;
    v.minDistance = p.applied.minDistance;
    v.maxDistance = p.applied.maxDistance;
    v.position3D = p.applied.position;
    v.plays = p.plays;
    v.pauses = p.pauses;
    v.stops = p.stops;
    return v;
}

Play newPlay(uint32_t sample, const std::string& path, uint32_t flags, const File& file) {
    Play p;
    p.sample = sample;
    p.path = path;
    p.flags = flags;
    p.file = file;
    p.freq = float(file.rate);
    p.settledAt = platform::tickCount();
    return p;
}

bool validAttrib(int attrib) {
    return attrib == platform::AUDIO_ATTRIB_VOL || attrib == platform::AUDIO_ATTRIB_FREQ;
}

float clampAttrib(const Play& p, int attrib, float value) {
    if (attrib == platform::AUDIO_ATTRIB_VOL) return std::clamp(value, 0.0f, 1.0f);
    return value <= 0 ? float(p.file.rate) : std::clamp(value, 100.0f, 200000.0f);
}

} // namespace

void reset() {
    g_failInit = false;
    g_init = false;
    g_nextHandle = 1;
    g_apply3D = 0;
    g_files.clear();
    g_samples.clear();
    g_plays.clear();
    g_pendingListener = g_listener = Listener{};
    g_calls.clear();
}

void failInit(bool fail) { g_failInit = fail; }

void addFile(const std::string& path, uint32_t ms, int rate, int channels) {
    g_files[path] = File{uint64_t(ms) * uint64_t(rate) / 1000, rate, channels};
}

uint64_t fileBytes(const std::string& path) {
    auto it = g_files.find(path);
    return it == g_files.end() ? 0 : it->second.frames * uint64_t(it->second.channels) * 2;
}

bool initialised() { return g_init; }
uint32_t apply3DCount() { return g_apply3D; }

std::optional<Playback> playback(uint32_t handle) {
    Play* p = live(handle);
    if (!p) return std::nullopt;
    return view(handle, *p);
}

std::vector<Playback> playbacks() {
    std::vector<Playback> out;
    for (auto& [h, p] : g_plays) {
        settle(p);
        out.push_back(view(h, p));
    }
    return out;
}

std::vector<Playback> playbacksOf(const std::string& path) {
    std::vector<Playback> out;
    for (auto& v : playbacks())
        if (v.path == path) out.push_back(v);
    return out;
}

Listener listener() { return g_listener; }

const std::vector<Call>& calls() { return g_calls; }
std::vector<Call> callsTo(const std::string& fn) {
    std::vector<Call> out;
    for (const auto& c : g_calls)
        if (c.fn == fn) out.push_back(c);
    return out;
}
void clearCalls() { g_calls.clear(); }

} // namespace fake::audio

namespace platform {

using namespace fake::audio;

bool audioInit() {
    Call& c = record("audioInit", 0);
    g_init = !g_failInit;
    c.ok = g_init;
    return g_init;
}

bool audioInitLoopback(bool) {
    Call& c = record("audioInitLoopback", 0);
    g_init = !g_failInit;
    c.ok = g_init;
    return g_init;
}

bool audioRenderLoopback(float* out, uint32_t frames) {
    if (out) std::memset(out, 0, size_t(frames) * 2 * sizeof(float));
    return g_init;
}

bool audioHrtfEnabled() { return false; }
void audioPump() {}

void audioSet3DAlgorithm(int algorithm) {
    Call& c = record("audioSet3DAlgorithm", 0);
    c.mode = algorithm;
    c.ok = g_init;
}

void audioFree() {
    record("audioFree", 0).ok = g_init;
    g_init = false;
    g_samples.clear();
    g_plays.clear();
}

uint32_t sampleLoad(const std::string& path, int maxPlaybacks, uint32_t flags) {
    Call& c = record("sampleLoad", 0);
    c.path = path;
    c.maxPlaybacks = maxPlaybacks;
    c.flags = flags;
    auto file = g_files.find(path);
    if (!g_init || file == g_files.end() || maxPlaybacks < 1) return 0;
    uint32_t h = g_nextHandle++;
    g_samples[h] = Sample{path, flags, file->second, std::vector<uint32_t>(size_t(maxPlaybacks), 0)};
    c.result = h;
    c.ok = true;
    return h;
}

uint32_t streamCreateFile(const std::string& path, uint32_t flags) {
    Call& c = record("streamCreateFile", 0);
    c.path = path;
    c.flags = flags;
    auto file = g_files.find(path);
    if (!g_init || file == g_files.end()) return 0;
    uint32_t h = g_nextHandle++;
    g_plays[h] = newPlay(0, path, flags, file->second);
    c.result = h;
    c.ok = true;
    return h;
}

uint32_t sampleGetChannel(uint32_t sample) {
    Call& c = record("sampleGetChannel", sample);
    auto it = g_samples.find(sample);
    if (it == g_samples.end()) return 0;
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
    if (*slot) g_plays.erase(*slot);
    uint32_t h = g_nextHandle++;
    g_plays[h] = newPlay(sample, s.path, s.flags, s.file);
    *slot = h;
    c.result = h;
    c.ok = true;
    return h;
}

bool sampleFree(uint32_t sample) {
    Call& c = record("sampleFree", sample);
    auto it = g_samples.find(sample);
    if (it == g_samples.end()) return false;
    for (uint32_t h : it->second.slots) g_plays.erase(h);
    g_samples.erase(it);
    return c.ok = true;
}

bool streamFree(uint32_t stream) {
    Call& c = record("streamFree", stream);
    auto it = g_plays.find(stream);
    if (it == g_plays.end() || it->second.sample != 0) return false;
    g_plays.erase(it);
    return c.ok = true;
}

bool channelPlay(uint32_t channel, bool restart) {
    Call& c = record("channelPlay", channel);
    c.restart = restart;
    Play* p = live(channel);
    if (!p) return false;
    // A first start keeps a position set before it, as the device does.
    if ((restart && p->plays > 0) || p->frame >= double(p->file.frames)) p->frame = 0;
    p->state = AUDIO_PLAYING;
    ++p->plays;
    return c.ok = true;
}

bool channelPause(uint32_t channel) {
    Call& c = record("channelPause", channel);
    Play* p = live(channel);
    if (!p || p->state != AUDIO_PLAYING) return false;
    p->state = AUDIO_PAUSED;
    ++p->pauses;
    return c.ok = true;
}

bool channelStop(uint32_t channel) {
    Call& c = record("channelStop", channel);
    Play* p = live(channel);
    if (!p) return false;
    p->state = AUDIO_STOPPED;
    ++p->stops;
    return c.ok = true;
}

int channelIsActive(uint32_t channel) {
    Call& c = record("channelIsActive", channel);
    Play* p = live(channel);
    c.ok = p != nullptr;
    return p ? p->state : AUDIO_STOPPED;
}

bool channelSetAttribute(uint32_t channel, int attrib, float value) {
    Call& c = record("channelSetAttribute", channel);
    c.attrib = attrib;
    c.value = value;
    Play* p = live(channel);
    if (!p || !validAttrib(attrib)) return false;
    value = clampAttrib(*p, attrib, value);
    if (attrib == AUDIO_ATTRIB_VOL) {
        p->volume = value;
        p->volSlide.active = false;
    } else {
        p->freq = value;
        p->freqSlide.active = false;
    }
    return c.ok = true;
}

bool channelGetAttribute(uint32_t channel, int attrib, float* value) {
    Call& c = record("channelGetAttribute", channel);
    c.attrib = attrib;
    Play* p = live(channel);
    if (!p || !value || !validAttrib(attrib)) return false;
    *value = attrib == AUDIO_ATTRIB_VOL ? p->volume : p->freq;
    c.value = *value;
    return c.ok = true;
}

bool channelSlideAttribute(uint32_t channel, int attrib, float value, uint32_t ms) {
    Call& c = record("channelSlideAttribute", channel);
    c.attrib = attrib;
    c.value = value;
    c.ms = ms;
    Play* p = live(channel);
    if (!p || !validAttrib(attrib)) return false;
    value = clampAttrib(*p, attrib, value);
    float& current = attrib == AUDIO_ATTRIB_VOL ? p->volume : p->freq;
    Slide& s = attrib == AUDIO_ATTRIB_VOL ? p->volSlide : p->freqSlide;
    if (ms == 0) {
        current = value;
        s.active = false;
    } else {
        s = Slide{true, current, value, platform::tickCount(), ms};
    }
    return c.ok = true;
}

uint64_t channelGetLength(uint32_t channel) {
    Call& c = record("channelGetLength", channel);
    Play* p = live(channel);
    if (!p) return AUDIO_ERROR_LENGTH;
    c.ok = true;
    return c.bytes = p->file.frames * frameBytes(*p);
}

uint64_t channelGetPosition(uint32_t channel) {
    Call& c = record("channelGetPosition", channel);
    Play* p = live(channel);
    if (!p) return AUDIO_ERROR_LENGTH;
    c.ok = true;
    return c.bytes = uint64_t(p->frame) * frameBytes(*p);
}

bool channelSetPosition(uint32_t channel, uint64_t bytes) {
    Call& c = record("channelSetPosition", channel);
    c.bytes = bytes;
    Play* p = live(channel);
    if (!p) return false;
    uint64_t frame = bytes / frameBytes(*p);
    if (frame >= p->file.frames) return false;
    p->frame = double(frame);
    return c.ok = true;
}

bool channelSet3DAttributes(uint32_t channel, int mode, float minDistance, float maxDistance) {
    Call& c = record("channelSet3DAttributes", channel);
    c.mode = mode;
    c.minDistance = minDistance;
    c.maxDistance = maxDistance;
    Play* p = live(channel);
    if (!p || !(p->flags & AUDIO_3D)) return false;
    if (mode != AUDIO_3D_NORMAL && mode != AUDIO_3D_OFF && mode >= 0) return false;
    if (mode >= 0) p->pending.mode = mode;
    if (minDistance >= 0) p->pending.minDistance = minDistance;
    if (maxDistance >= 0) p->pending.maxDistance = maxDistance;
    return c.ok = true;
}

bool channelSet3DPosition(uint32_t channel, const AudioVector& position) {
    Call& c = record("channelSet3DPosition", channel);
    c.position = position;
    Play* p = live(channel);
    if (!p || !(p->flags & AUDIO_3D)) return false;
    p->pending.position = position;
    return c.ok = true;
}

bool set3DListener(const AudioVector& position, const AudioVector& front, const AudioVector& top) {
    Call& c = record("set3DListener", 0);
    c.position = position;
    c.front = front;
    c.top = top;
    if (!g_init) return false;
    g_pendingListener = Listener{position, front, top};
    return c.ok = true;
}

void apply3D() {
    record("apply3D", 0).ok = g_init;
    if (!g_init) return;
    ++g_apply3D;
    g_listener = g_pendingListener;
    for (auto& [h, p] : g_plays) p.applied = p.pending;
}

} // namespace platform
