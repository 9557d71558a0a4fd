// Streams of the OpenAL Soft audio device: the file stays open and a few
// queued buffers are decoded ahead, refilled by the device's thread.
#include "platform/openal_internal.h"

#include <algorithm>

namespace platform {
namespace openal {
namespace {

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

} // namespace

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
            markStopped(p);
            p.frame = p.info.frames;
            releaseSource(p);
        } else {
            alSourcePlay(p.source); // it ran dry before this refill
        }
    }
}

} // namespace openal

using namespace openal;

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
        p.handle = h;
        g_playbacks[h] = std::move(p);
        return h;
    } catch (...) {
        return 0;
    }
}

bool streamFree(uint32_t stream) {
    std::lock_guard<std::mutex> lock(g_mutex);
    Playback* p = findPlayback(stream);
    if (!p || p->sample) return false;
    erasePlayback(stream);
    return true;
}

} // namespace platform
