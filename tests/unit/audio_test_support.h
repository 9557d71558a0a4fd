#pragma once
// Shared start for the audio engine's tests: fresh doubles, the device open,
// every file of the sound table present in the fake executable's folder.
#include "app/app.h"
#include "audio/playback.h"
#include "audio/sound_registry.h"
#include "fake_audio.h"
#include "fake_platform.h"
#include "fake_process.h"

#include <set>
#include <string>

namespace audio_test {

// Where the double puts the executable, hence the sounds.
inline const std::string SOUNDS = "/opt/ashen/";

// Every file of the table but `missing` exists, samples `sampleMs` long and
// streams `streamMs`; then the client's start-up.
inline void startAudio(uint32_t sampleMs = 1000, uint32_t streamMs = 4000,
                       const std::set<std::string>& missing = {}) {
    fake::reset();
    fake::audio::reset();
    fake::process::reset();
    resetClientForTests();
    for (const SoundDef& d : soundTable())
        if (!missing.count(d.name))
            fake::audio::addFile(SOUNDS + d.file, d.type == SOUND_STREAM ? streamMs : sampleMs);
    initAudio();
}

inline void setLevel(AudioChannel c, float level) { audioChannels[c].volume = level; }

// The table name of the sound a playback plays, with "@x,z" when placed in
// 3D; "" when none.
inline std::string soundOf(uint32_t handle) {
    const auto p = fake::audio::playback(handle);
    for (const SoundDef& d : soundTable()) {
        if (!p || p->path != SOUNDS + d.file) continue;
        if (!(p->flags & platform::AUDIO_3D) || p->mode3D == platform::AUDIO_3D_OFF) return d.name;
        return std::string(d.name) + "@" + std::to_string(int(p->position3D.x)) + "," +
               std::to_string(int(p->position3D.z));
    }
    return "";
}

// What the player got from `action`: each text spoken, then each sound
// started, as "text / text [sound] [sound@x,z]".
template <typename F>
std::string heard(F action) {
    fake::clearSpoken();
    const size_t from = fake::audio::calls().size();
    action();
    std::string out;
    for (const std::string& text : fake::spoken()) out += (out.empty() ? "" : " / ") + text;
    const auto& calls = fake::audio::calls();
    for (size_t i = from; i < calls.size(); ++i)
        if (calls[i].fn == "channelPlay" && !soundOf(calls[i].handle).empty())
            out += " [" + soundOf(calls[i].handle) + "]";
    return out;
}

} // namespace audio_test
