// Samples and playbacks of the OpenAL Soft audio device. A sample is decoded
// whole into one OpenAL buffer; each playback borrows a source only while it
// plays or is paused. Playback state, volume, rate, slides and 3D placement
// live here, so a playback keeps them while it holds no source.
#include "platform/openal_internal.h"

#include <algorithm>

namespace platform {
namespace openal {
namespace {

uint64_t frameBytes(const Playback& p) { return uint64_t(p.info.channels) * 2; }

void pushVolume(const Playback& p) {
    if (p.source) alSourcef(p.source, AL_GAIN, p.volume);
}

void pushPitch(const Playback& p) {
    if (p.source) alSourcef(p.source, AL_PITCH, p.freq / float(p.info.rate));
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

// The playback with its end noticed: enough to read its state.
Playback* settled(uint32_t handle) {
    Playback* p = findPlayback(handle);
    if (!p) return nullptr;
    if (p->sample) noticeEnd(*p);
    else if (p->state == AUDIO_PLAYING && sourceState(*p) == AL_STOPPED) serviceStream(*p);
    return p;
}

// The playback brought up to date before anyone reads or changes it.
Playback* current(uint32_t handle) {
    Playback* p = settled(handle);
    if (p) runSlides(*p, deviceMs());
    return p;
}

uint64_t positionFrames(const Playback& p) {
    if (!p.sample) return streamPosition(p);
    if (!p.source) return p.frame;
    ALint offset = 0;
    alGetSourcei(p.source, AL_SAMPLE_OFFSET, &offset);
    return uint64_t(std::max(offset, 0));
}

bool makeBuffer(ALuint* buffer, const std::vector<int16_t>& pcm, int channels, int rate) {
    alGetError();
    alGenBuffers(1, buffer);
    if (alGetError() != AL_NO_ERROR) return false;
    alBufferData(*buffer, alFormat(channels), pcm.data(), ALsizei(pcm.size() * 2), rate);
    if (alGetError() == AL_NO_ERROR) return true;
    alDeleteBuffers(1, buffer);
    *buffer = 0;
    return false;
}

// Chosen when the playback starts: a placeable sample started with 3D off
// plays its stereo twin for as long as it sounds.
ALuint bufferFor(const Playback& p) {
    const Sample& s = g_samples[p.sample];
    return (s.centred && p.pending.mode == AUDIO_3D_OFF) ? s.centred : s.buffer;
}

void markPlacementDirty(uint32_t handle, Playback& p) {
    if (p.placementDirty) return;
    try {
        g_dirty.push_back(handle);
        p.placementDirty = true;
    } catch (...) {
        // Out of memory: this change is not applied.
    }
}

bool validAttrib(int attrib) { return attrib == AUDIO_ATTRIB_VOL || attrib == AUDIO_ATTRIB_FREQ; }

float clampAttrib(const Playback& p, int attrib, float value) {
    if (attrib == AUDIO_ATTRIB_VOL) return std::clamp(value, 0.0f, 1.0f);
    // 0 asks for the file's own rate.
    return value <= 0 ? float(p.info.rate) : std::clamp(value, 100.0f, 200000.0f);
}

} // namespace

// --- sources -----------------------------------------------------------------

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

// --- playbacks ---------------------------------------------------------------

Playback* findPlayback(uint32_t handle) {
    if (!g_context) return nullptr;
    auto it = g_playbacks.find(handle);
    return it == g_playbacks.end() ? nullptr : &it->second;
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

void markStopped(Playback& p) {
    if (p.state != AUDIO_STOPPED) {
        ++g_stopCount;
        try {
            if (g_stopLog.size() == STOP_LOG_MAX) g_stopLog.pop_front();
            g_stopLog.push_back(p.handle);
        } catch (...) {
            g_stopLog.clear(); // listed no more: the next reader asks each playback
        }
    }
    p.state = AUDIO_STOPPED;
}

void noticeEnd(Playback& p) {
    if (p.sample && p.state == AUDIO_PLAYING && sourceState(p) == AL_STOPPED) {
        markStopped(p);
        p.frame = p.info.frames;
        releaseSource(p);
    }
}

void erasePlayback(uint32_t handle) {
    auto it = g_playbacks.find(handle);
    if (it == g_playbacks.end()) return;
    Playback& p = it->second;
    markStopped(p);
    releaseSource(p);
    if (!p.freeBuffers.empty()) alDeleteBuffers(ALsizei(p.freeBuffers.size()), p.freeBuffers.data());
    g_playbacks.erase(it);
}

} // namespace openal

using namespace openal;

uint32_t sampleLoad(const std::string& path, int maxPlaybacks, uint32_t flags) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_context || maxPlaybacks < 1 || maxPlaybacks > 65535) return 0;
    try {
        Sample s;
        std::vector<int16_t> pcm;
        int channels = 1;
        if (!soundDecodeAll(path, (flags & AUDIO_3D) != 0, &s.info, &channels, &pcm)) return 0;
        if (!makeBuffer(&s.buffer, pcm, channels, s.info.rate)) return 0;
        if (channels == 1) {
            std::vector<int16_t> both(pcm.size() * 2);
            for (size_t i = 0; i < pcm.size(); ++i) both[2 * i] = both[2 * i + 1] = pcm[i];
            if (!makeBuffer(&s.centred, both, 2, s.info.rate)) {
                alDeleteBuffers(1, &s.buffer);
                return 0;
            }
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
            Playback* p = settled(h);
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
    p.handle = h;
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
    if (it->second.centred) alDeleteBuffers(1, &it->second.centred);
    g_samples.erase(it);
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
        alSourcei(p->source, AL_BUFFER, ALint(bufferFor(*p)));
        alSourcei(p->source, AL_SAMPLE_OFFSET, ALint(from));
    } else if (!restartStreamAt(*p, from)) {
        releaseSource(*p);
        markStopped(*p);
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
    markStopped(*p);
    releaseSource(*p);
    return true;
}

int channelIsActive(uint32_t channel) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Playback* p = settled(channel);
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
    markPlacementDirty(channel, *p);
    return true;
}

bool channelSet3DPosition(uint32_t channel, const AudioVector& position) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Playback* p = findPlayback(channel);
    if (!p || !p->is3D) return false;
    p->pending.position = position;
    markPlacementDirty(channel, *p);
    return true;
}

} // namespace platform
