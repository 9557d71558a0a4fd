#include "audio/game_audio.h"

#include "core/speech.h"
#include "audio/playback.h"
#include "audio/sound_registry.h"
#include "platform/audio_device.h"
#include "platform/random.h"

void playZombieStep(int x, int y) {
    playSound(platform::randomInt() % 2 == 0 ? "step_zombie_1" : "step_zombie_2", x, y);
}

void playImpactSound(const std::string& weapon, bool killed, int x, int y) {
    const char* name = "impact_bullet";
    if (killed) name = "death_walker";
    else if (weapon == "Couteau") name = "impact_couteau";
    else if (weapon == "Epee") name = "impact_epee";
    playSound(name, x, y);
}

void stopGameOverSound() {
    if (const uint32_t h = getSoundHandle("game_over")) platform::channelStop(h);
}

void stopInstantKillSound() {
    if (g_instantKillCh == 0) return;
    platform::channelStop(g_instantKillCh);
    g_instantKillCh = 0;
}

void refreshInstantKillVolume() {
    if (!isChannelPlaying(g_instantKillCh)) {
        g_instantKillCh = 0;
        return;
    }
    platform::channelSetAttribute(g_instantKillCh, platform::AUDIO_ATTRIB_VOL,
                                  getFinalVolume(AudioChannel::EFFECTS) * INSTANT_KILL_BASE_VOL);
}

void speakAudioDebug() {
    pruneActive();
    int virtualised = 0;
    int perBus[6] = {};
    for (const PlayingSound& s : g_active) {
        if (s.virtualised) ++virtualised;
        const auto bus = static_cast<uint32_t>(s.bus);
        if (bus < 6) ++perBus[bus];
    }
    auto n = [](int v) { return std::to_string(v); };
    say("Audio debug. Total " + n(int(g_active.size())) + ", virtualises " + n(virtualised) + ". Zombies " +
        n(perBus[int(AudioBus::ZOMBIES)]) + ", armes " + n(perBus[int(AudioBus::WEAPONS)]) + ", joueur " +
        n(perBus[int(AudioBus::PLAYER)]) + ", interface " + n(perBus[int(AudioBus::UI)]) + ", ambiance " +
        n(perBus[int(AudioBus::AMBIENT)]) + ".");
}
