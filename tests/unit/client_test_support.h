#pragma once
// The client headless in a fresh working folder: every double reset, every
// file of the sound table present for the audio double, keys scripted on the
// fake clock, and what the player hears written out.
#include "app/app.h"
#include "audio/playback.h"
#include "audio/sound_registry.h"
#include "audio/volume.h"
#include "core/save_file.h"
#include "fake_audio.h"
#include "fake_https.h"
#include "fake_layout.h"
#include "fake_platform.h"
#include "fake_process.h"
#include "platform/keyboard.h"
#include "temp_folder.h"

#include <algorithm>
#include <set>
#include <string>
#include <vector>

// Where the double puts the executable, hence the sounds.
inline const std::string SOUNDS = "/opt/ashen/";
constexpr uint32_t INTRO_MUSIC_MS = 6000;

// Every double and module as a new run finds them (no network, no layout);
// every sound file but `missing` exists, samples `sampleMs` long, streams
// `streamMs`, the intro 6 s.
inline void freshClient(uint32_t sampleMs = 1000, uint32_t streamMs = 4000, const std::set<std::string>& missing = {}) {
    fake::reset();
    fake::audio::reset();
    fake::https::reset();
    fake::clearLayout();
    fake::process::reset();
    resetClientForTests();
    for (const SoundDef& d : soundTable())
        if (!missing.count(d.name))
            fake::audio::addFile(SOUNDS + d.file, d.name == std::string("music_intro") ? INTRO_MUSIC_MS
                                                  : d.type == SOUND_STREAM             ? streamMs
                                                                                       : sampleMs);
}

// A fresh client whose audio has started, as at start-up.
inline void startAudio(uint32_t sampleMs = 1000, uint32_t streamMs = 4000, const std::set<std::string>& missing = {}) {
    freshClient(sampleMs, streamMs, missing);
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

// How often a text was spoken.
inline size_t count(const std::string& text) {
    const auto& s = fake::spoken();
    return static_cast<size_t>(std::count(s.begin(), s.end(), text));
}

// A fresh client in a scratch working folder of its own.
class FreshClient : public TempFolder {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        freshClient();
    }
};

// The whole client run by runClient, scripted on the fake clock.
class ClientTest : public FreshClient {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        freshClient(4000);
        fake::closeWindowAt(120000); // never hang a test
    }

    static void withIdentity() {
        ASSERT_TRUE(saveIdentity({"Alice", "alice@example.org", std::string(64, 'a'), "F"}));
    }
    // The key is down from `at` for `holdMs`.
    static void press(int vk, uint32_t at, uint32_t holdMs = 30) {
        fake::at(at, [vk] { fake::setKey(vk, true); });
        fake::at(at + holdMs, [vk] { fake::setKey(vk, false); });
    }
    static void closeAt(uint32_t at) { fake::at(at, [] { fake::pushClose(); }); }

    static std::string file(const std::string& name) {
        for (const SoundDef& d : soundTable())
            if (d.name == name) return SOUNDS + d.file;
        return {};
    }
    // How often a stream was started from its beginning; only while the client runs.
    static int starts(const std::string& stream) {
        const uint32_t handle = getSoundHandle(stream);
        int n = 0;
        for (const auto& c : fake::audio::callsTo("channelPlay"))
            if (handle != 0 && c.handle == handle && c.restart) ++n;
        return n;
    }
    static int stateOf(const std::string& stream) {
        auto p = fake::audio::playback(getSoundHandle(stream));
        return p ? p->state : platform::AUDIO_STOPPED;
    }
};
