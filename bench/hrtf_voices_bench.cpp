// CPU time the real audio device spends per second of audio with 40
// positional voices, through OpenAL Soft's loopback device: the mix itself
// plus the device's pump every 10 ms, and optionally the voices moving every
// 10 ms as the house map's zombies do. Prints one line per case.
#include "platform/audio_device.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace platform;

namespace {

constexpr int RATE = 44100;
constexpr int VOICES = 40;
constexpr int SECONDS = 20;

void writeNoiseWav(const std::string& path, int ms) {
    uint32_t frames = uint32_t(RATE / 1000 * ms);
    uint32_t bytes = frames * 2;
    std::ofstream f(path, std::ios::binary);
    auto u32 = [&](uint32_t v) { f.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](uint16_t v) { f.write(reinterpret_cast<const char*>(&v), 2); };
    f.write("RIFF", 4);
    u32(36 + bytes);
    f.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(1);
    u32(RATE);
    u32(RATE * 2);
    u16(2);
    u16(16);
    f.write("data", 4);
    u32(bytes);
    uint32_t seed = 1;
    for (uint32_t i = 0; i < frames; ++i) {
        seed = seed * 1664525u + 1013904223u;
        u16(uint16_t(int16_t((seed >> 16) & 0x3fff) - 0x2000));
    }
}

double cpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

AudioVector around(int i, float turn) {
    float angle = float(i) * 6.2831853f / VOICES + turn;
    float radius = 2.0f + float(i % 10) * 2.0f;
    return AudioVector{radius * std::cos(angle), 0.0f, radius * std::sin(angle)};
}

void runCase(const std::string& file, const std::string& music, bool hrtf, bool moving) {
    if (!audioInitLoopback(hrtf)) {
        std::printf("loopback device unavailable\n");
        return;
    }
    bool hrtfOn = audioHrtfEnabled();
    uint32_t sample = sampleLoad(file, VOICES, AUDIO_3D | AUDIO_LOOP);
    std::vector<uint32_t> voices;
    for (int i = 0; i < VOICES; ++i) {
        uint32_t ch = sampleGetChannel(sample);
        channelSet3DAttributes(ch, AUDIO_3D_NORMAL, 3.5f, 80.0f);
        channelSet3DPosition(ch, around(i, 0));
        channelSetAttribute(ch, AUDIO_ATTRIB_VOL, 0.5f);
        channelPlay(ch, true);
        voices.push_back(ch);
    }
    uint32_t stream = streamCreateFile(music, AUDIO_LOOP);
    channelPlay(stream, true);
    apply3D();

    std::vector<float> out(441 * 2);
    const int steps = SECONDS * 100;
    double start = cpuSeconds();
    for (int step = 0; step < steps; ++step) {
        if (moving) {
            for (int i = 0; i < VOICES; ++i) channelSet3DPosition(voices[size_t(i)], around(i, float(step) * 0.01f));
            apply3D();
        }
        audioPump();
        audioRenderLoopback(out.data(), 441);
    }
    double perSecond = (cpuSeconds() - start) / SECONDS * 1000.0;
    std::printf("%-7s %2d voices + 1 stream, %-6s: %6.2f ms CPU per second of audio (%.2f%% of one core)\n",
                hrtfOn ? "HRTF" : "stereo", VOICES, moving ? "moving" : "still", perSecond, perSecond / 10.0);
    audioFree();
}

} // namespace

int main() {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "ashen-hrtf-bench";
    std::filesystem::create_directories(dir);
    std::string voice = (dir / "voice.wav").string();
    std::string music = (dir / "music.wav").string();
    writeNoiseWav(voice, 700);
    writeNoiseWav(music, 5000);
    std::printf("target: under 50 ms CPU per second of audio with HRTF (5%% of one core)\n");
    for (bool hrtf : {true, false})
        for (bool moving : {false, true}) runCase(voice, music, hrtf, moving);
    std::filesystem::remove_all(dir);
    return 0;
}
