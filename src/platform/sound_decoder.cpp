#include "platform/sound_decoder.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>

namespace platform {

struct SoundFile {
    SNDFILE* sf = nullptr;
    int channels = 0;
    std::vector<float> scratch; // one read's interleaved frames in the file's layout
};

void SoundFileCloser::operator()(SoundFile* file) const {
    if (!file) return;
    if (file->sf) sf_close(file->sf);
    delete file;
}

SoundFilePtr soundOpen(const std::string& path, SoundFileInfo* info) {
    SF_INFO sfi{};
    SNDFILE* sf = sf_open(path.c_str(), SFM_READ, &sfi);
    if (!sf) return nullptr;
    if (sfi.channels < 1 || sfi.samplerate < 1 || sfi.frames < 1) {
        sf_close(sf);
        return nullptr;
    }
    SoundFilePtr file(new SoundFile);
    file->sf = sf;
    file->channels = sfi.channels;
    if (info) *info = SoundFileInfo{sfi.samplerate, sfi.channels, uint64_t(sfi.frames)};
    return file;
}

int soundOutputChannels(const SoundFileInfo& info, bool mono) {
    (void)info;
    return mono ? 1 : 2;
}

uint64_t soundRead(SoundFile* file, int16_t* out, uint64_t frames, int outChannels) {
    if (!file || !out) return 0;
    const int in = file->channels;
    // Reading floats keeps the scaling right whatever the file's own format.
    constexpr uint64_t PIECE = 4096;
    uint64_t done = 0;
    while (done < frames) {
        uint64_t want = std::min(PIECE, frames - done);
        file->scratch.resize(size_t(want) * size_t(in));
        sf_count_t got = sf_readf_float(file->sf, file->scratch.data(), sf_count_t(want));
        if (got <= 0) break;
        const float* src = file->scratch.data();
        int16_t* dst = out + done * uint64_t(outChannels);
        for (sf_count_t f = 0; f < got; ++f, src += in) {
            for (int c = 0; c < outChannels; ++c) {
                float v;
                if (outChannels == in) {
                    v = src[c];
                } else {
                    v = 0;
                    for (int k = 0; k < in; ++k) v += src[k];
                    v /= float(in);
                }
                *dst++ = int16_t(std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f));
            }
        }
        done += uint64_t(got);
        if (uint64_t(got) < want) break;
    }
    return done;
}

bool soundSeek(SoundFile* file, uint64_t frame) {
    return file && sf_seek(file->sf, sf_count_t(frame), SEEK_SET) == sf_count_t(frame);
}

bool soundDecodeAll(const std::string& path, bool mono, SoundFileInfo* info, int* outChannels,
                    std::vector<int16_t>* pcm) {
    SoundFileInfo fi;
    SoundFilePtr file = soundOpen(path, &fi);
    if (!file) return false;
    int oc = soundOutputChannels(fi, mono);
    pcm->assign(size_t(fi.frames) * size_t(oc), 0);
    uint64_t got = soundRead(file.get(), pcm->data(), fi.frames, oc);
    if (got == 0) return false;
    // Some formats announce more frames than they hold; keep what was read.
    fi.frames = got;
    pcm->resize(size_t(got) * size_t(oc));
    *info = fi;
    *outChannels = oc;
    return true;
}

} // namespace platform
