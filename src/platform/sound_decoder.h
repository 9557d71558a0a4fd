#pragma once
// Sound files read through libsndfile as 16-bit PCM, a piece at a time or
// whole, mixed down to mono for placing (OpenAL only places mono sounds) or
// else to stereo: OpenAL pans a centred mono source below its file level,
// while it plays stereo at it.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

struct SoundFileInfo {
    int rate = 0;
    int channels = 0;    // the file's own
    uint64_t frames = 0;
};

struct SoundFile;
struct SoundFileCloser {
    void operator()(SoundFile* file) const;
};
using SoundFilePtr = std::unique_ptr<SoundFile, SoundFileCloser>;

// Null when the file cannot be opened or holds no sound.
SoundFilePtr soundOpen(const std::string& path, SoundFileInfo* info);
// The channel count this file decodes to: 1 when mono is asked for, else 2
// (a mono file on both sides, more than two channels mixed down).
int soundOutputChannels(const SoundFileInfo& info, bool mono);
// Reads up to `frames` frames of interleaved 16-bit PCM with `outChannels`
// channels into `out`; returns the frames read (0 at the end).
uint64_t soundRead(SoundFile* file, int16_t* out, uint64_t frames, int outChannels);
bool soundSeek(SoundFile* file, uint64_t frame);
// The whole file; false when it cannot be read.
bool soundDecodeAll(const std::string& path, bool mono, SoundFileInfo* info, int* outChannels,
                    std::vector<int16_t>* pcm);

} // namespace platform
