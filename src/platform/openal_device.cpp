// The 3D audio device on OpenAL Soft: the device and its context, the
// device's own thread, the listener and the moment 3D changes take effect.
// Samples and playbacks are in openal_playback.cpp, streams in
// openal_stream.cpp. One mutex guards everything the thread touches.
//
// The core's axes are left-handed (z to the front), OpenAL's right-handed
// (front is -z): every position and direction has its z negated on the way in.
#include "platform/openal_internal.h"

#include <chrono>
#include <condition_variable>
#include <thread>

namespace platform {
namespace openal {

std::mutex g_mutex;
ALCcontext* g_context = nullptr;
uint32_t g_nextHandle = 1;
std::map<uint32_t, Sample> g_samples;
std::map<uint32_t, Playback> g_playbacks;
std::vector<ALuint> g_freeSources;
int g_sourceCount = 0;
std::vector<uint32_t> g_dirty;
uint32_t g_stopCount = 0;
std::deque<uint32_t> g_stopLog;

namespace {

ALCdevice* g_device = nullptr;
bool g_loopback = false;
bool g_hrtf = false;
uint64_t g_rendered = 0; // frames mixed by the loopback device
AudioVector g_listenerPos, g_listenerFront{0, 0, 1}, g_listenerTop{0, 1, 0};

std::thread g_thread;
std::mutex g_quitMutex;
std::condition_variable g_quitCv;
bool g_quit = false;

} // namespace

double deviceMs() {
    if (g_loopback) return double(g_rendered) * 1000.0 / RATE;
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

namespace {

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

// HRTF_AUTO leaves HRTF to OpenAL Soft: on for headphones, off for
// loudspeakers, or as the player's alsoft.conf forces it.
constexpr int HRTF_AUTO = -1;

bool createContext(int hrtf) {
    std::vector<ALCint> attrs = {ALC_FREQUENCY, RATE, ALC_MONO_SOURCES, MAX_MONO_SOURCES,
                                 ALC_STEREO_SOURCES, MAX_STEREO_SOURCES};
    if (g_loopback) {
        attrs.insert(attrs.end(), {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT,
                                   ALC_FORMAT_TYPE_SOFT, ALC_FLOAT_SOFT});
    }
    if (hrtf != HRTF_AUTO && alcIsExtensionPresent(g_device, "ALC_SOFT_HRTF"))
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

bool openDevice(bool loopback, int hrtf) {
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
    if (!createContext(hrtf) && !(hrtf == 1 && createContext(0))) {
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
} // namespace openal

using namespace openal;

bool audioInit() {
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (g_context) return true;
        if (!openDevice(false, HRTF_AUTO)) return false;
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
    return openDevice(true, hrtf ? 1 : 0);
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
    for (auto& [h, s] : g_samples) {
        alDeleteBuffers(1, &s.buffer);
        if (s.centred) alDeleteBuffers(1, &s.centred);
    }
    g_samples.clear();
    if (!g_freeSources.empty()) alDeleteSources(ALsizei(g_freeSources.size()), g_freeSources.data());
    g_freeSources.clear();
    g_sourceCount = 0;
    g_dirty.clear();
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(g_context);
    alcCloseDevice(g_device);
    g_context = nullptr;
    g_device = nullptr;
    g_hrtf = false;
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
    // Only what changed: the cost stays that of the changes, however many
    // playbacks the samples hold.
    for (uint32_t h : g_dirty) {
        Playback* p = findPlayback(h);
        if (!p) continue;
        p->applied = p->pending;
        p->placementDirty = false;
        pushPlacement(*p);
    }
    g_dirty.clear();
}

uint32_t audioStopsSince(uint32_t since, std::vector<uint32_t>& handles, bool& complete) {
    std::lock_guard<std::mutex> lock(g_mutex);
    const uint32_t fresh = g_stopCount - since;
    complete = fresh <= g_stopLog.size();
    if (complete) {
        try {
            handles.insert(handles.end(), g_stopLog.end() - fresh, g_stopLog.end());
        } catch (...) {
            complete = false;
        }
    }
    return g_stopCount;
}

} // namespace platform
