// The 3D audio device on OpenAL Soft.
//
// Samples are decoded whole into one OpenAL buffer; each playback borrows a
// source only while it plays or is paused. Streams keep their file open and
// a few queued buffers that the device's thread refills. Playback state,
// volume, rate, slides and 3D placement live here, so a playback keeps them
// while it holds no source. One mutex guards everything the thread touches.
//
// The core's axes are left-handed (z to the front), OpenAL's right-handed
// (front is -z): every position and direction has its z negated on the way in.
#define AL_ALEXT_PROTOTYPES
#include "platform/audio_device.h"
#include "platform/clock.h"
#include "platform/sound_decoder.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace platform {
namespace {

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
    SoundFileInfo info;
    uint32_t flags = 0;
    std::vector<uint32_t> slots; // playback handles, 0 = never used
};

std::mutex g_mutex;
ALCdevice* g_device = nullptr;
ALCcontext* g_context = nullptr;
bool g_loopback = false;
bool g_hrtf = false;
uint64_t g_rendered = 0; // frames mixed by the loopback device
uint32_t g_nextHandle = 1;
std::map<uint32_t, Sample> g_samples;
std::map<uint32_t, Playback> g_playbacks;
std::vector<ALuint> g_freeSources;
int g_sourceCount = 0;
AudioVector g_listenerPos, g_listenerFront{0, 0, 1}, g_listenerTop{0, 1, 0};

std::thread g_thread;
std::mutex g_quitMutex;
std::condition_variable g_quitCv;
bool g_quit = false;

// Milliseconds on the device's own time line: audio mixed for the loopback
// device, the wall clock otherwise.
double deviceMs() {
    if (g_loopback) return double(g_rendered) * 1000.0 / RATE;
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

uint64_t frameBytes(const Playback& p) { return uint64_t(p.info.channels) * 2; }

ALenum alFormat(int channels) { return channels == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16; }

// --- sources -----------------------------------------------------------------

void pushVolume(const Playback& p) {
    if (p.source) alSourcef(p.source, AL_GAIN, p.volume);
}

void pushPitch(const Playback& p) {
    if (p.source) alSourcef(p.source, AL_PITCH, p.freq / float(p.info.rate));
}

void pushPlacement(const Playback& p) {
    if (!p.source) return;
    const Place3D& a = p.applied;
    if (!p.is3D || a.mode == AUDIO_3D_OFF) {
        alSourcei(p.source, AL_SOURCE_RELATIVE, AL_TRUE);
        alSource3f(p.source, AL_POSITION, 0, 0, 0);
    } else {
        alSourcei(p.source, AL_SOURCE_RELATIVE, AL_FALSE);
        alSource3f(p.source, AL_POSITION, a.position.x, a.position.y, -a.position.z);
    }
    float ref = std::max(a.minDistance, 1e-3f);
    alSourcef(p.source, AL_REFERENCE_DISTANCE, ref);
    alSourcef(p.source, AL_MAX_DISTANCE, std::max(a.maxDistance, ref));
    alSourcef(p.source, AL_ROLLOFF_FACTOR, 1.0f);
}

bool acquireSource(Playback& p) {
    if (p.source) return true;
    if (!g_freeSources.empty()) {
        p.source = g_freeSources.back();
        g_freeSources.pop_back();
    } else {
        if (g_sourceCount >= MAX_MONO_SOURCES + MAX_STEREO_SOURCES) return false;
        alGetError();
        ALuint s = 0;
        alGenSources(1, &s);
        if (alGetError() != AL_NO_ERROR) return false;
        ++g_sourceCount;
        p.source = s;
    }
    alSourcei(p.source, AL_LOOPING, (p.sample && p.loop) ? AL_TRUE : AL_FALSE);
    pushVolume(p);
    pushPitch(p);
    pushPlacement(p);
    return true;
}

void releaseSource(Playback& p) {
    if (!p.source) return;
    alSourceStop(p.source);
    alSourcei(p.source, AL_BUFFER, 0);
    g_freeSources.push_back(p.source);
    p.source = 0;
    for (const QueuedChunk& c : p.queue) p.freeBuffers.push_back(c.buffer);
    p.queue.clear();
}

ALint sourceState(const Playback& p) {
    ALint st = AL_STOPPED;
    if (p.source) alGetSourcei(p.source, AL_SOURCE_STATE, &st);
    return st;
}

// --- streams -----------------------------------------------------------------

// Decodes the next chunk into `buffer`, wrapping to the start for a looping
// stream so the loop has no gap. False when nothing is left.
bool fillChunk(Playback& p, ALuint buffer, QueuedChunk* chunk) {
    static thread_local std::vector<int16_t> pcm;
    pcm.resize(size_t(STREAM_CHUNK) * size_t(p.outChannels));
    chunk->buffer = buffer;
    chunk->start = p.decodeFrame;
    uint64_t filled = 0;
    bool justWrapped = false; // a file that yields nothing after a wrap ends
    while (filled < uint64_t(STREAM_CHUNK) && !p.eof) {
        uint64_t got = soundRead(p.file.get(), pcm.data() + filled * uint64_t(p.outChannels),
                                 uint64_t(STREAM_CHUNK) - filled, p.outChannels);
        filled += got;
        p.decodeFrame += got;
        if (got > 0) justWrapped = false;
        if (got > 0 && p.decodeFrame < p.info.frames) continue;
        if (p.loop && !justWrapped && soundSeek(p.file.get(), 0)) {
            p.decodeFrame = 0;
            justWrapped = true;
        } else {
            p.eof = true;
        }
    }
    if (filled == 0) return false;
    chunk->frames = filled;
    alBufferData(buffer, alFormat(p.outChannels), pcm.data(),
                 ALsizei(filled * uint64_t(p.outChannels) * 2), p.info.rate);
    return true;
}

void queueFreeBuffers(Playback& p) {
    while (!p.freeBuffers.empty()) {
        QueuedChunk c;
        if (!fillChunk(p, p.freeBuffers.back(), &c)) break;
        p.freeBuffers.pop_back();
        alSourceQueueBuffers(p.source, 1, &c.buffer);
        p.queue.push_back(c);
    }
}

// Empties the queue and refills it from `frame`; the source is left initial.
bool restartStreamAt(Playback& p, uint64_t frame) {
    if (!acquireSource(p)) return false;
    alSourceStop(p.source);
    alSourcei(p.source, AL_BUFFER, 0);
    for (const QueuedChunk& c : p.queue) p.freeBuffers.push_back(c.buffer);
    p.queue.clear();
    p.eof = false;
    if (!soundSeek(p.file.get(), frame)) return false;
    p.decodeFrame = frame;
    queueFreeBuffers(p);
    // Initial, not stopped: OpenAL counts every buffer of a stopped source as
    // processed, and the next service would throw the fresh ones away.
    alSourceRewind(p.source);
    return !p.queue.empty();
}

uint64_t streamPosition(const Playback& p) {
    if (!p.source || p.queue.empty()) return p.frame;
    ALint offset = 0;
    alGetSourcei(p.source, AL_SAMPLE_OFFSET, &offset);
    uint64_t off = uint64_t(std::max(offset, 0));
    for (const QueuedChunk& c : p.queue) {
        if (off < c.frames) return (c.start + off) % p.info.frames;
        off -= c.frames;
    }
    return p.decodeFrame % p.info.frames;
}

// Moves finished buffers back to the decoder; restarts a stream that ran dry
// and ends one that played out.
void serviceStream(Playback& p) {
    if (!p.source) return;
    ALint processed = 0;
    alGetSourcei(p.source, AL_BUFFERS_PROCESSED, &processed);
    while (processed-- > 0 && !p.queue.empty()) {
        ALuint b = p.queue.front().buffer;
        alSourceUnqueueBuffers(p.source, 1, &b);
        p.queue.pop_front();
        p.freeBuffers.push_back(b);
    }
    if (p.state != AUDIO_PLAYING) return;
    queueFreeBuffers(p);
    if (sourceState(p) == AL_STOPPED) {
        if (p.queue.empty()) {
            p.state = AUDIO_STOPPED;
            p.frame = p.info.frames;
            releaseSource(p);
        } else {
            alSourcePlay(p.source); // it ran dry before this refill
        }
    }
}

// --- playbacks ---------------------------------------------------------------

Playback* findPlayback(uint32_t handle) {
    if (!g_context) return nullptr;
    auto it = g_playbacks.find(handle);
    return it == g_playbacks.end() ? nullptr : &it->second;
}

float slideValue(Slide& s, float current, double now) {
    if (!s.active) return current;
    double t = now - s.start;
    if (t >= s.ms) {
        s.active = false;
        return s.to;
    }
    return s.from + float((s.to - s.from) * (t / s.ms));
}

void runSlides(Playback& p, double now) {
    if (p.volSlide.active) {
        p.volume = slideValue(p.volSlide, p.volume, now);
        pushVolume(p);
    }
    if (p.freqSlide.active) {
        p.freq = slideValue(p.freqSlide, p.freq, now);
        pushPitch(p);
    }
}

// Notices a sample playback that played to its end and gives its source back.
void noticeEnd(Playback& p) {
    if (p.sample && p.state == AUDIO_PLAYING && sourceState(p) == AL_STOPPED) {
        p.state = AUDIO_STOPPED;
        p.frame = p.info.frames;
        releaseSource(p);
    }
}

// The playback brought up to date before anyone reads or changes it.
Playback* current(uint32_t handle) {
    Playback* p = findPlayback(handle);
    if (!p) return nullptr;
    runSlides(*p, deviceMs());
    if (p->sample) noticeEnd(*p);
    else if (p->state == AUDIO_PLAYING && sourceState(*p) == AL_STOPPED) serviceStream(*p);
    return p;
}

uint64_t positionFrames(const Playback& p) {
    if (!p.sample) return streamPosition(p);
    if (!p.source) return p.frame;
    ALint offset = 0;
    alGetSourcei(p.source, AL_SAMPLE_OFFSET, &offset);
    return uint64_t(std::max(offset, 0));
}

void erasePlayback(uint32_t handle) {
    auto it = g_playbacks.find(handle);
    if (it == g_playbacks.end()) return;
    Playback& p = it->second;
    releaseSource(p);
    if (!p.freeBuffers.empty()) alDeleteBuffers(ALsizei(p.freeBuffers.size()), p.freeBuffers.data());
    g_playbacks.erase(it);
}

bool validAttrib(int attrib) { return attrib == AUDIO_ATTRIB_VOL || attrib == AUDIO_ATTRIB_FREQ; }

float clampAttrib(const Playback& p, int attrib, float value) {
    if (attrib == AUDIO_ATTRIB_VOL) return std::clamp(value, 0.0f, 1.0f);
    // 0 asks for the file's own rate.
    return value <= 0 ? float(p.info.rate) : std::clamp(value, 100.0f, 200000.0f);
}

void pumpLocked() {
    if (!g_context) return;
    double now = deviceMs();
    for (auto& [h, p] : g_playbacks) {
        runSlides(p, now);
        if (p.sample) noticeEnd(p);
        else serviceStream(p);
    }
}

void pumpThread() {
    std::unique_lock<std::mutex> quitLock(g_quitMutex);
    while (!g_quit) {
        quitLock.unlock();
        {
            std::lock_guard<std::mutex> lock(g_mutex);
            pumpLocked();
        }
        quitLock.lock();
        g_quitCv.wait_for(quitLock, std::chrono::milliseconds(PUMP_MS), [] { return g_quit; });
    }
}

void pushListener() {
    alListener3f(AL_POSITION, g_listenerPos.x, g_listenerPos.y, -g_listenerPos.z);
    ALfloat orientation[6] = {g_listenerFront.x, g_listenerFront.y, -g_listenerFront.z,
                              g_listenerTop.x,   g_listenerTop.y,   -g_listenerTop.z};
    alListenerfv(AL_ORIENTATION, orientation);
}

bool createContext(bool hrtf) {
    std::vector<ALCint> attrs = {ALC_FREQUENCY, RATE, ALC_MONO_SOURCES, MAX_MONO_SOURCES,
                                 ALC_STEREO_SOURCES, MAX_STEREO_SOURCES};
    if (g_loopback) {
        attrs.insert(attrs.end(), {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT,
                                   ALC_FORMAT_TYPE_SOFT, ALC_FLOAT_SOFT});
    }
    if (alcIsExtensionPresent(g_device, "ALC_SOFT_HRTF"))
        attrs.insert(attrs.end(), {ALC_HRTF_SOFT, hrtf ? ALC_TRUE : ALC_FALSE});
    attrs.push_back(0);
    g_context = alcCreateContext(g_device, attrs.data());
    if (!g_context) return false;
    if (!alcMakeContextCurrent(g_context)) {
        alcDestroyContext(g_context);
        g_context = nullptr;
        return false;
    }
    ALCint status = ALC_FALSE;
    if (alcIsExtensionPresent(g_device, "ALC_SOFT_HRTF"))
        alcGetIntegerv(g_device, ALC_HRTF_SOFT, 1, &status);
    g_hrtf = status == ALC_TRUE;
    return true;
}

bool openDevice(bool loopback, bool hrtf) {
    if (g_context) return true;
    g_loopback = loopback;
    g_rendered = 0;
    if (loopback) {
        g_device = alcLoopbackOpenDeviceSOFT(nullptr);
        if (g_device && !alcIsRenderFormatSupportedSOFT(g_device, RATE, ALC_STEREO_SOFT, ALC_FLOAT_SOFT)) {
            alcCloseDevice(g_device);
            g_device = nullptr;
        }
    } else {
        g_device = alcOpenDevice(nullptr);
    }
    if (!g_device) return false;
    // A device that refuses HRTF still plays in plain stereo.
    if (!createContext(hrtf) && !(hrtf && createContext(false))) {
        alcCloseDevice(g_device);
        g_device = nullptr;
        return false;
    }
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
    g_listenerPos = AudioVector{};
    g_listenerFront = AudioVector{0, 0, 1};
    g_listenerTop = AudioVector{0, 1, 0};
    pushListener();
    return true;
}

} // namespace

bool audioInit() {
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (g_context) return true;
        if (!openDevice(false, true)) return false;
    }
    g_quit = false;
    try {
        g_thread = std::thread(pumpThread);
    } catch (...) {
        // Without its thread the device cannot refill streams; run silent.
        audioFree();
        return false;
    }
    return true;
}

bool audioInitLoopback(bool hrtf) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_context) return g_loopback;
    return openDevice(true, hrtf);
}

bool audioRenderLoopback(float* out, uint32_t frames) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_context || !g_loopback || !out) return false;
    alcRenderSamplesSOFT(g_device, out, ALCsizei(frames));
    g_rendered += frames;
    return true;
}

bool audioHrtfEnabled() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_context && g_hrtf;
}

void audioPump() {
    std::lock_guard<std::mutex> lock(g_mutex);
    pumpLocked();
}

void audioSet3DAlgorithm(int) {
    // OpenAL Soft renders with HRTF or panning as the device allows; there is
    // nothing else to choose.
}

void audioFree() {
    if (g_thread.joinable()) {
        {
            std::lock_guard<std::mutex> quitLock(g_quitMutex);
            g_quit = true;
        }
        g_quitCv.notify_all();
        g_thread.join();
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_context) return;
    while (!g_playbacks.empty()) erasePlayback(g_playbacks.begin()->first);
    for (auto& [h, s] : g_samples) alDeleteBuffers(1, &s.buffer);
    g_samples.clear();
    if (!g_freeSources.empty()) alDeleteSources(ALsizei(g_freeSources.size()), g_freeSources.data());
    g_freeSources.clear();
    g_sourceCount = 0;
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(g_context);
    alcCloseDevice(g_device);
    g_context = nullptr;
    g_device = nullptr;
    g_hrtf = false;
}

uint32_t sampleLoad(const std::string& path, int maxPlaybacks, uint32_t flags) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_context || maxPlaybacks < 1 || maxPlaybacks > 65535) return 0;
    try {
        Sample s;
        std::vector<int16_t> pcm;
        int channels = 1;
        if (!soundDecodeAll(path, (flags & AUDIO_3D) != 0, &s.info, &channels, &pcm)) return 0;
        alGetError();
        alGenBuffers(1, &s.buffer);
        if (alGetError() != AL_NO_ERROR) return 0;
        alBufferData(s.buffer, alFormat(channels), pcm.data(), ALsizei(pcm.size() * 2), s.info.rate);
        if (alGetError() != AL_NO_ERROR) {
            alDeleteBuffers(1, &s.buffer);
            return 0;
        }
        s.flags = flags;
        s.slots.assign(size_t(maxPlaybacks), 0);
        uint32_t h = g_nextHandle++;
        g_samples[h] = std::move(s);
        return h;
    } catch (...) {
        return 0; // a file too large to hold
    }
}

uint32_t streamCreateFile(const std::string& path, uint32_t flags) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_context) return 0;
    try {
        Playback p;
        p.file = soundOpen(path, &p.info);
        if (!p.file) return 0;
        p.is3D = (flags & AUDIO_3D) != 0;
        p.loop = (flags & AUDIO_LOOP) != 0;
        p.outChannels = soundOutputChannels(p.info, p.is3D);
        p.freq = float(p.info.rate);
        p.freeBuffers.resize(STREAM_BUFFERS);
        alGetError();
        alGenBuffers(STREAM_BUFFERS, p.freeBuffers.data());
        if (alGetError() != AL_NO_ERROR) return 0;
        uint32_t h = g_nextHandle++;
        g_playbacks[h] = std::move(p);
        return h;
    } catch (...) {
        return 0;
    }
}

uint32_t sampleGetChannel(uint32_t sample) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_samples.find(sample);
    if (!g_context || it == g_samples.end()) return 0;
    Sample& s = it->second;
    // A never-used place first, then one whose playback has stopped (its old
    // handle dies); playing and paused playbacks keep theirs.
    auto slot = std::find(s.slots.begin(), s.slots.end(), 0u);
    if (slot == s.slots.end()) {
        slot = std::find_if(s.slots.begin(), s.slots.end(), [](uint32_t h) {
            Playback* p = current(h);
            return !p || p->state == AUDIO_STOPPED;
        });
    }
    if (slot == s.slots.end()) return 0;
    if (*slot) erasePlayback(*slot);
    Playback p;
    p.sample = sample;
    p.is3D = (s.flags & AUDIO_3D) != 0;
    p.loop = (s.flags & AUDIO_LOOP) != 0;
    p.info = s.info;
    p.freq = float(s.info.rate);
    uint32_t h = g_nextHandle++;
    g_playbacks[h] = std::move(p);
    *slot = h;
    return h;
}

bool sampleFree(uint32_t sample) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_samples.find(sample);
    if (!g_context || it == g_samples.end()) return false;
    for (uint32_t h : it->second.slots) erasePlayback(h);
    alDeleteBuffers(1, &it->second.buffer);
    g_samples.erase(it);
    return true;
}

bool streamFree(uint32_t stream) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Playback* p = findPlayback(stream);
    if (!p || p->sample) return false;
    erasePlayback(stream);
    return true;
}

bool channelPlay(uint32_t channel, bool restart) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Playback* p = current(channel);
    if (!p) return false;
    if (!restart && p->state == AUDIO_PLAYING) return true;
    if (!restart && p->state == AUDIO_PAUSED) {
        alSourcePlay(p->source);
        p->state = AUDIO_PLAYING;
        return true;
    }
    // A new start: from the beginning, or from where a stopped playback was
    // left unless it had played to its end. A playback's first start, restart
    // or not, is where channelSetPosition placed it.
    const bool fromPosition = p->state == AUDIO_STOPPED && (!restart || !p->started);
    uint64_t from = fromPosition ? positionFrames(*p) : 0;
    if (from >= p->info.frames) from = 0;
    if (!acquireSource(*p)) return false;
    alSourceStop(p->source);
    if (p->sample) {
        alSourcei(p->source, AL_BUFFER, ALint(g_samples[p->sample].buffer));
        alSourcei(p->source, AL_SAMPLE_OFFSET, ALint(from));
    } else if (!restartStreamAt(*p, from)) {
        releaseSource(*p);
        p->state = AUDIO_STOPPED;
        return false;
    }
    alSourcePlay(p->source);
    p->state = AUDIO_PLAYING;
    p->started = true;
    return true;
}

bool channelPause(uint32_t channel) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Playback* p = current(channel);
    if (!p || p->state != AUDIO_PLAYING) return false;
    alSourcePause(p->source);
    p->state = AUDIO_PAUSED;
    return true;
}

bool channelStop(uint32_t channel) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Playback* p = current(channel);
    if (!p) return false;
    if (p->state != AUDIO_STOPPED) p->frame = positionFrames(*p);
    p->state = AUDIO_STOPPED;
    releaseSource(*p);
    return true;
}

int channelIsActive(uint32_t channel) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Playback* p = current(channel);
    if (!p) return AUDIO_STOPPED;
    // A stream that ran dry waits for the device's thread to refill it.
    if (p->state == AUDIO_PLAYING && !p->sample && sourceState(*p) != AL_PLAYING) return AUDIO_STALLED;
    return p->state;
}

bool channelSetAttribute(uint32_t channel, int attrib, float value) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Playback* p = current(channel);
    if (!p || !validAttrib(attrib)) return false;
    value = clampAttrib(*p, attrib, value);
    if (attrib == AUDIO_ATTRIB_VOL) {
        p->volume = value;
        p->volSlide.active = false;
        pushVolume(*p);
    } else {
        p->freq = value;
        p->freqSlide.active = false;
        pushPitch(*p);
    }
    return true;
}

bool channelGetAttribute(uint32_t channel, int attrib, float* value) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Playback* p = current(channel);
    if (!p || !value || !validAttrib(attrib)) return false;
    *value = attrib == AUDIO_ATTRIB_VOL ? p->volume : p->freq;
    return true;
}

bool channelSlideAttribute(uint32_t channel, int attrib, float value, uint32_t ms) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Playback* p = current(channel);
    if (!p || !validAttrib(attrib)) return false;
    value = clampAttrib(*p, attrib, value);
    float& now = attrib == AUDIO_ATTRIB_VOL ? p->volume : p->freq;
    Slide& s = attrib == AUDIO_ATTRIB_VOL ? p->volSlide : p->freqSlide;
    if (ms == 0) {
        now = value;
        s.active = false;
    } else {
        s = Slide{true, now, value, deviceMs(), double(ms)};
    }
    pushVolume(*p);
    pushPitch(*p);
    return true;
}

uint64_t channelGetLength(uint32_t channel) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Playback* p = findPlayback(channel);
    return p ? p->info.frames * frameBytes(*p) : AUDIO_ERROR_LENGTH;
}

uint64_t channelGetPosition(uint32_t channel) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Playback* p = current(channel);
    return p ? positionFrames(*p) * frameBytes(*p) : AUDIO_ERROR_LENGTH;
}

bool channelSetPosition(uint32_t channel, uint64_t bytes) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Playback* p = current(channel);
    if (!p) return false;
    uint64_t frame = bytes / frameBytes(*p);
    if (frame >= p->info.frames) return false;
    if (!p->source) {
        p->frame = frame;
    } else if (p->sample) {
        alSourcei(p->source, AL_SAMPLE_OFFSET, ALint(frame));
    } else {
        // A paused stream stays paused: its refilled queue waits, initial.
        if (!restartStreamAt(*p, frame)) return false;
        if (p->state == AUDIO_PLAYING) alSourcePlay(p->source);
    }
    return true;
}

bool channelSet3DAttributes(uint32_t channel, int mode, float minDistance, float maxDistance) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Playback* p = findPlayback(channel);
    if (!p || !p->is3D) return false;
    if (mode >= 0 && mode != AUDIO_3D_NORMAL && mode != AUDIO_3D_OFF) return false;
    if (mode >= 0) p->pending.mode = mode;
    if (minDistance >= 0) p->pending.minDistance = minDistance;
    if (maxDistance >= 0) p->pending.maxDistance = maxDistance;
    return true;
}

bool channelSet3DPosition(uint32_t channel, const AudioVector& position) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Playback* p = findPlayback(channel);
    if (!p || !p->is3D) return false;
    p->pending.position = position;
    return true;
}

bool set3DListener(const AudioVector& position, const AudioVector& front, const AudioVector& top) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_context) return false;
    g_listenerPos = position;
    g_listenerFront = front;
    g_listenerTop = top;
    return true;
}

void apply3D() {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_context) return;
    pushListener();
    for (auto& [h, p] : g_playbacks) {
        p.applied = p.pending;
        pushPlacement(p);
    }
}

} // namespace platform
