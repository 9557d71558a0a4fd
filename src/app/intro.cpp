#include "app/intro.h"

#include "base/ticks.h"
#include "core/local_player.h"
#include "core/scene.h"
#include "core/speech.h"
#include "audio/playback.h"
#include "audio/sound_registry.h"
#include "platform/audio_device.h"
#include "platform/clock.h"
#include "scenes/menu.h"

uint32_t introStartTime = 0;
bool introPhase1Done = false;
bool introSpeech2Done = false;
bool introPhase2Done = false;
bool introFading = false;
uint32_t hIntro = 0;

namespace {
constexpr uint32_t kWelcomeAt = 2000;
constexpr uint32_t kSecondSentenceAt = 4000;
constexpr uint32_t kEarliestNaturalEnd = 1000;
constexpr uint32_t kFadeMs = 800;
constexpr float kSilent = 0.01f;
} // namespace

void startIntro() {
    // The intro's state starts with it.
    introPhase1Done = introSpeech2Done = introPhase2Done = introFading = false;
    introStartTime = platform::tickCount();
    playSound("music_intro", -1, -1);
    hIntro = getSoundHandle("music_intro");
}

void updateIntro() {
    if (introFading && hIntro == 0) {
        introFading = false;
        return;
    }
    uint32_t elapsed = ticksSince(platform::tickCount(), introStartTime);
    if (elapsed >= kWelcomeAt && !introPhase1Done) {
        say("Bienvenue sur Ashen Refuge !");
        introPhase1Done = true;
    }
    if (elapsed >= kSecondSentenceAt && !introSpeech2Done) {
        say("Pour survivre : écoutez, tirez, et courrez.");
        introSpeech2Done = true;
    }
    if (hIntro != 0 && elapsed > kEarliestNaturalEnd &&
        platform::channelIsActive(hIntro) == platform::AUDIO_STOPPED && !introFading)
        skipIntro();
    if (introFading && hIntro != 0) {
        float volume = 0.0f;
        platform::channelGetAttribute(hIntro, platform::AUDIO_ATTRIB_VOL, &volume);
        if (volume <= kSilent) {
            platform::channelStop(hIntro);
            hIntro = 0;
            introFading = false;
        }
    } else if (introFading) {
        introFading = false;
    }
}

void skipIntro() {
    // Once handed over, never again: without music the fade ends at once, and
    // a Return still held would otherwise re-enter the menu every frame.
    if (introFading || introPhase2Done) return;
    introFading = true;
    if (hIntro != 0) platform::channelSlideAttribute(hIntro, platform::AUDIO_ATTRIB_VOL, 0.0f, kFadeMs);
    SceneManager::switchScene(Scene::MENU);
    initMenuScene();
    introPhase1Done = true;
    introSpeech2Done = true;
    introPhase2Done = true;
    lastActionTime = platform::tickCount();
}

void resetIntro() {
    introStartTime = 0;
    introPhase1Done = false;
    introSpeech2Done = false;
    introPhase2Done = false;
    introFading = false;
    hIntro = 0;
}
