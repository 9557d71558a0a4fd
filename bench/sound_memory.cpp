// Resident memory of the client once the audio device is open and all 86
// sounds are loaded from the generated Sounds folder beside this program.
// OpenAL Soft's "null" output lets it run on machines without a sound card.
#include "audio/playback.h"
#include "audio/sound_registry.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

std::string statusLine(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0) return line;
    return std::string(key) + " ?";
}

} // namespace

int main() {
    setenv("ALSOFT_DRIVERS", "null", 0);
    std::printf("before audio: %s\n", statusLine("VmRSS:").c_str());
    initAudio();
    int loaded = 0;
    for (const SoundDef& d : soundTable()) loaded += hasSound(d.name);
    std::printf("sounds loaded: %d of %zu from %s/Sounds\n", loaded, soundTable().size(), g_baseDir.c_str());
    std::printf("after loading: %s\n", statusLine("VmRSS:").c_str());
    // A few playbacks and a music on top, as in a menu.
    playSound("music_menu_1", -1, -1);
    for (int i = 0; i < 8; ++i) playSound("step_zombie_1", i, 3);
    std::printf("while playing: %s\n", statusLine("VmRSS:").c_str());
    std::printf("peak:          %s\n", statusLine("VmHWM:").c_str());
    cleanupAudio();
    return loaded == int(soundTable().size()) ? 0 : 1;
}
