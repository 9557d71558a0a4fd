#include "audio/playback.h"

#include "core/local_player.h"
#include "core/scene.h"
#include "audio/ducking.h"
#include "audio/sound_registry.h"
#include "platform/audio_device.h"
#include "platform/random.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

std::vector<PlayingSound> g_active;
uint32_t g_instantKillCh = 0;

namespace {

// The device's stop count when g_active was last pruned: the next prune drops
// only the handles the device lists as stopped since, with no query per entry.
uint32_t g_prunedAtStops = 0;
bool g_pruneCurrent = false;
std::vector<uint32_t> g_stopped; // scratch of pruneActive, kept for its capacity

bool startsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

bool isCry(const std::string& name) {
    return name == "morsure" || name == "cri_homme" || name == "cri_femme";
}

bool isZombieStep(const std::string& name) { return name == "step_zombie_1" || name == "step_zombie_2"; }

void set3DForBus(uint32_t handle, AudioBus bus) {
    float minDistance = 1.5f, maxDistance = 200.0f;
    if (bus == AudioBus::ZOMBIES) {
        minDistance = 3.5f;
        maxDistance = 80.0f;
    } else if (bus == AudioBus::AMBIENT) {
        minDistance = 2.5f;
        maxDistance = 120.0f;
    }
    platform::channelSet3DAttributes(handle, platform::AUDIO_3D_NORMAL, minDistance, maxDistance);
}

// A tile becomes the point (x, 0, y); without a tile the playback sits on the listener.
void apply3D(uint32_t handle, int x, int y) {
    if (x != -1 && y != -1) {
        platform::channelSet3DAttributes(handle, platform::AUDIO_3D_NORMAL, -1, -1);
        platform::channelSet3DPosition(handle, {float(x), 0.0f, float(y)});
    } else {
        platform::channelSet3DAttributes(handle, platform::AUDIO_3D_OFF, -1, -1);
    }
}

// Positions in g_active of the bus's entries, most important first; the
// earlier start wins among equals.
std::vector<size_t> rankBus(AudioBus bus) {
    std::vector<size_t> order;
    for (size_t i = 0; i < g_active.size(); ++i)
        if (g_active[i].bus == bus) order.push_back(i);
    std::stable_sort(order.begin(), order.end(),
                     [](size_t a, size_t b) { return g_active[a].priority > g_active[b].priority; });
    return order;
}

// The entries ranked past the bus's limit are paused and silenced.
void silenceBeyondLimit(AudioBus bus, const std::vector<size_t>& order) {
    for (size_t k = size_t(limitForBus(bus)); k < order.size(); ++k) {
        PlayingSound& s = g_active[order[k]];
        if (s.virtualised) continue;
        s.virtualised = true;
        platform::channelSetAttribute(s.handle, platform::AUDIO_ATTRIB_VOL, 0.0f);
        platform::channelPause(s.handle);
    }
}

// Silenced entries ranked within the limit go on from where they were paused.
void resumeWithinLimit(AudioBus bus, const std::vector<size_t>& order) {
    const size_t audible = std::min(order.size(), size_t(limitForBus(bus)));
    for (size_t k = 0; k < audible; ++k) {
        PlayingSound& s = g_active[order[k]];
        if (!s.virtualised) continue;
        s.virtualised = false;
        const float volume = getFinalVolume(s.channel) * duckMulForBus(bus) * s.gain;
        platform::channelSetAttribute(s.handle, platform::AUDIO_ATTRIB_VOL, volume);
        platform::channelPlay(s.handle, false);
    }
}

void playStream(const std::string& name, const SoundAsset& asset, AudioBus bus, int x, int y) {
    const uint32_t h = asset.stream;
    const float volume = getFinalVolume(asset.channel) * duckMulForBus(bus);
    if (name == "box_loop") {
        // Called again while it plays, it only moves and re-levels the loop.
        if (platform::channelIsActive(h) != platform::AUDIO_PLAYING) platform::channelPlay(h, true);
        set3DForBus(h, bus);
        apply3D(h, x, y);
        platform::channelSetAttribute(h, platform::AUDIO_ATTRIB_VOL, volume);
        platform::apply3D();
        return;
    }
    platform::channelSetAttribute(h, platform::AUDIO_ATTRIB_VOL, volume);
    platform::channelSet3DAttributes(h, platform::AUDIO_3D_OFF, -1, -1);
    platform::channelPlay(h, true);
}

void playSample(const std::string& name, const SoundAsset& asset, AudioBus bus, int x, int y) {
    const uint32_t h = platform::sampleGetChannel(asset.sample);
    if (!h) return; // every playback of this sample is busy
    // Pruning reads only the device, not the new playback: after it, a request
    // that finds every playback busy costs no pass over g_active.
    pruneActive();

    if (name == "instant_kill_snd") {
        if (g_instantKillCh != h && isChannelPlaying(g_instantKillCh)) platform::channelStop(g_instantKillCh);
        g_instantKillCh = h;
    }

    // A 3D-flagged sample without a tile is still positional: it sits on the listener.
    const bool positional = (x != -1 && y != -1) || (asset.flags & platform::AUDIO_3D);
    if (positional) {
        set3DForBus(h, bus);
        apply3D(h, x, y);
    } else {
        apply3D(h, -1, -1);
    }

    // Zombie voices vary by +-3 % so a crowd does not sound cloned.
    if (isZombieStep(name) || name == "zombie_groan") {
        float rate = 0.0f;
        if (platform::channelGetAttribute(h, platform::AUDIO_ATTRIB_FREQ, &rate) && rate > 0.0f) {
            const int r = platform::randomInt() % 1001;
            platform::channelSetAttribute(h, platform::AUDIO_ATTRIB_FREQ, rate * (0.97f + 0.06f * float(r) / 1000.0f));
        }
    }

    float volume = getFinalVolume(asset.channel) * duckMulForBus(bus);
    if (name == "instant_kill_snd") volume *= INSTANT_KILL_BASE_VOL;
    platform::channelSetAttribute(h, platform::AUDIO_ATTRIB_VOL, volume);

    // Zombie steps start somewhere in their first 15 %, so steps do not fall in step.
    if (isZombieStep(name)) {
        const uint64_t length = platform::channelGetLength(h);
        if (length != 0 && length != platform::AUDIO_ERROR_LENGTH) {
            const int q = platform::randomInt() % 100;
            const double offset = double(length) * (q / 100.0) * 0.15;
            platform::channelSetPosition(h, static_cast<uint64_t>(offset));
        }
    }

    const bool started = platform::channelPlay(h, true);
    platform::apply3D();

    // A playback that could not start (no voice left) is stopped: a prune
    // would drop its record at once, so it gets none.
    if (started) {
        PlayingSound record;
        record.handle = h;
        record.bus = bus;
        record.channel = asset.channel;
        record.distance = positional ? dist2D(x, y, localPlayer.x, localPlayer.y) : 0.0f;
        record.priority = computePriority(name, bus, x, y);
        record.virtualised = false;
        record.gain = 1.0f;
        record.positional = positional;
        g_active.push_back(record);
    }

    // applyLimiting then tryDevirtualize, sharing the prune above and one
    // ranking (limiting changes no priority); on a crowded bus the device
    // queries of two more prunes would cost more than the rest of the call.
    if (limitForBus(bus) > 899) return;
    const std::vector<size_t> order = rankBus(bus);
    silenceBeyondLimit(bus, order);
    resumeWithinLimit(bus, order);
}

} // namespace

void initAudio() {
    if (!platform::audioInit()) std::fputs("Erreur BASS_Init\n", stderr);
    platform::audioSet3DAlgorithm(0);
    platform::apply3D();
    loadAllGameSounds();
}

void cleanupAudio() {
    unloadAllGameSounds();
    g_instantKillCh = 0;
    platform::audioFree();
}

void updateListenerPosition(int x, int y) {
    platform::set3DListener({float(x), 0.0f, float(y)}, {0.0f, 0.0f, 1.0f}, {0.0f, 1.0f, 0.0f});
    platform::apply3D();
}

void playSound(const std::string& name, int x, int y) {
    try {
        const auto it = g_assets.find(name);
        if (it == g_assets.end()) return;
        const SoundAsset asset = it->second;

        // The trigger comes first, so even a sound whose file failed to load ducks.
        if (isCry(name)) triggerDucking(500, 0.6f, 0.7f);
        else if (startsWith(name, "fire_")) triggerDucking(250, 0.75f, 0.85f);

        const AudioBus bus = busFromChannel(asset.channel);
        if (asset.type == SOUND_STREAM && asset.stream) playStream(name, asset, bus, x, y);
        else if (asset.type == SOUND_SAMPLE && asset.sample) playSample(name, asset, bus, x, y);
    } catch (...) {
        // Out of memory for the record: the sound is simply not tracked.
    }
}

void refreshActiveVolumes() {
    if (g_assets.empty()) return; // nothing loaded, nothing to re-level
    float v = getFinalVolume(AudioChannel::AMBIANCE);
    std::string name;
    switch (SceneManager::currentScene) {
    case Scene::INTRO: name = "music_intro"; break;
    case Scene::MENU:
    case Scene::OPTIONS:
        name = "music_menu_" + std::to_string(std::clamp(getMenuMusicIndex(), 1, 6));
        break;
    case Scene::LOBBY: name = "music_lobby"; break;
    case Scene::MAISON:
        // Kept at its share: a volume key must not lift it over the game.
        name = "music_maison";
        v *= MAISON_MUSIC_SHARE;
        break;
    default: return;
    }
    const uint32_t h = getSoundHandle(name);
    if (h) platform::channelSetAttribute(h, platform::AUDIO_ATTRIB_VOL, v);
}

void fadeMusic(const std::string& name, float volume, int ms) {
    const uint32_t h = getSoundHandle(name);
    if (!h) return;
    platform::channelSlideAttribute(h, platform::AUDIO_ATTRIB_VOL, volume, ms > 0 ? uint32_t(ms) : 0u);
}

bool isChannelPlaying(uint32_t handle) {
    if (!handle) return false;
    const int state = platform::channelIsActive(handle);
    return state == platform::AUDIO_PLAYING || state == platform::AUDIO_STALLED;
}

AudioBus busFromChannel(AudioChannel channel) {
    switch (channel) {
    case AudioChannel::ZOMBIES: return AudioBus::ZOMBIES;
    case AudioChannel::WEAPONS: return AudioBus::WEAPONS;
    case AudioChannel::PLAYER:
    case AudioChannel::OTHER_PLAYERS: return AudioBus::PLAYER;
    case AudioChannel::AMBIANCE: return AudioBus::AMBIENT;
    default: return AudioBus::OTHER;
    }
}

int limitForBus(AudioBus bus) {
    switch (bus) {
    case AudioBus::ZOMBIES: return LIM_ZOMBIES;
    case AudioBus::WEAPONS: return LIM_WEAPONS;
    case AudioBus::PLAYER: return LIM_PLAYER;
    case AudioBus::UI: return LIM_UI;
    case AudioBus::AMBIENT: return LIM_AMBIENT;
    default: return LIM_NONE;
    }
}

float dist2D(int x1, int y1, int x2, int y2) {
    // Tiles come from the server: far-apart ones must not overflow an int.
    const float dx = float(int64_t(x1) - x2);
    const float dy = float(int64_t(y1) - y2);
    return std::sqrt(dx * dx + dy * dy);
}

float computePriority(const std::string& name, AudioBus bus, int x, int y) {
    const float d = (x == -1 || y == -1) ? 0.0f : dist2D(x, y, localPlayer.x, localPlayer.y);
    float p = 1.0f / (d + 1.0f);
    if (bus == AudioBus::UI) p += 2.0f;
    if (isCry(name)) p += 1.5f;
    if (startsWith(name, "fire_")) p += 0.8f;
    else if (startsWith(name, "reload_")) p += 0.4f;
    else if (startsWith(name, "equip_")) p += 0.3f;
    return p;
}

void applyLimiting(AudioBus bus) {
    pruneActive();
    if (limitForBus(bus) > 899) return;
    silenceBeyondLimit(bus, rankBus(bus));
}

void tryDevirtualize(AudioBus bus) {
    pruneActive();
    if (limitForBus(bus) > 899) return;
    resumeWithinLimit(bus, rankBus(bus));
}

void pruneActive() {
    g_stopped.clear();
    bool listed = false;
    const uint32_t stops = platform::audioStopsSince(g_prunedAtStops, g_stopped, listed);
    if (g_pruneCurrent && stops == g_prunedAtStops) return;
    bool (*finished)(const PlayingSound&) = [](const PlayingSound& s) {
        return s.handle == 0 || platform::channelIsActive(s.handle) == platform::AUDIO_STOPPED;
    };
    if (g_pruneCurrent && listed) {
        // Only the listed handles can have stopped: no device query per entry.
        std::sort(g_stopped.begin(), g_stopped.end());
        finished = [](const PlayingSound& s) {
            return std::binary_search(g_stopped.begin(), g_stopped.end(), s.handle);
        };
    }
    g_active.erase(std::remove_if(g_active.begin(), g_active.end(), finished), g_active.end());
    g_prunedAtStops = stops;
    g_pruneCurrent = true;
}

void resetPlaybackState() {
    g_active.clear();
    g_instantKillCh = 0;
    g_pruneCurrent = false;
    resetDucking();
}
