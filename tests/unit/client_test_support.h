#pragma once
// Runs the whole client headless: a fresh working folder, every sound file
// present for the audio double, scripted keys on the fake clock.
#include "app/app.h"
#include "audio/sound_registry.h"
#include "fake_audio.h"
#include "fake_platform.h"
#include "fake_process.h"
#include "core/save_file.h"
#include "platform/keyboard.h"
#include "temp_folder.h"

#include <algorithm>
#include <string>
#include <vector>

class ClientTest : public TempFolder {
protected:
    static constexpr uint32_t kIntroMusicMs = 6000;

    void SetUp() override {
        TempFolder::SetUp();
        fake::reset();
        fake::audio::reset();
        fake::process::reset();
        resetClientForTests();
        for (const SoundDef& d : soundTable())
            fake::audio::addFile(kSounds + d.file, std::string(d.name) == "music_intro" ? kIntroMusicMs : 4000);
        fake::closeWindowAt(120000); // never hang a test
    }

    static void withIdentity() {
        PlayerProfile p;
        p.username = "Alice";
        p.email = "alice@example.org";
        p.passHash = std::string(64, 'a');
        p.gender = "F";
        ASSERT_TRUE(saveIdentity(p));
    }

    // The key is down from `at` for `holdMs`.
    static void press(int vk, uint32_t at, uint32_t holdMs = 30) {
        fake::at(at, [vk] { fake::setKey(vk, true); });
        fake::at(at + holdMs, [vk] { fake::setKey(vk, false); });
    }

    static void closeAt(uint32_t at) { fake::at(at, [] { fake::pushClose(); }); }

    static size_t count(const std::string& text) {
        const auto& s = fake::spoken();
        return static_cast<size_t>(std::count(s.begin(), s.end(), text));
    }

    static std::string file(const std::string& name) {
        for (const SoundDef& d : soundTable())
            if (d.name == name) return kSounds + d.file;
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

    inline static const std::string kSounds = "/opt/ashen/";
};
