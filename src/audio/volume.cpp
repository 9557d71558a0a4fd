#include "audio/volume.h"

#include "base/wrap.h"
#include "core/speech.h"
#include "audio/game_audio.h"
#include "audio/playback.h"
#include "core/save_file.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int CHANNEL_COUNT = 8;
constexpr const char* CHANNEL_LABELS[CHANNEL_COUNT] = {
    "Volume principal", "Ambiances", "Armes", "Zombies",
    "Votre joueur", "Autres joueurs", "Sons de la carte", "Effets spéciaux"};

constexpr int MENU_MUSIC_MIN = 1;
constexpr int MENU_MUSIC_MAX = 6;

std::map<AudioChannel, ChannelInfo> buildChannels() {
    std::map<AudioChannel, ChannelInfo> channels;
    for (int i = 0; i < CHANNEL_COUNT; ++i) channels[static_cast<AudioChannel>(i)] = {CHANNEL_LABELS[i], 1.0f};
    return channels;
}

float levelOf(AudioChannel c) {
    const auto it = audioChannels.find(c);
    return it == audioChannels.end() ? 1.0f : it->second.volume;
}

// Levels stepped by 0.05 in float land a hair below the round value (0.8
// arrives as 0.79999995); the small margin keeps the spoken figure on it.
int percentOf(float level) {
    return static_cast<int>(level * 100.0f + 0.001f);
}

// Sounds that follow the level while they play are re-levelled here.
void refreshPlayingVolumes() {
    refreshActiveVolumes();
    refreshInstantKillVolume();
}

int g_menuMusicIdx = 1;
bool g_inited = false;

} // namespace

std::map<AudioChannel, ChannelInfo> audioChannels = buildChannels();
const std::vector<AudioChannel> navOrder = {
    AudioChannel::AMBIANCE, AudioChannel::WEAPONS, AudioChannel::ZOMBIES, AudioChannel::PLAYER,
    AudioChannel::OTHER_PLAYERS, AudioChannel::MAP, AudioChannel::EFFECTS};
int currentNavIdx = 0;
AudioChannel selectedChannel = AudioChannel::AMBIANCE;

void initVolumeManager() {
    audioChannels = buildChannels();
    loadVolumes();
}

float getFinalVolume(AudioChannel c) {
    return levelOf(c) * levelOf(AudioChannel::MASTER);
}

void adjustVolume(AudioChannel c, float delta) {
    const auto it = audioChannels.find(c);
    if (it == audioChannels.end()) return;
    float level = it->second.volume + delta;
    if (level > 1.0f) level = 1.0f;
    if (level < 0.0f) level = 0.0f;
    it->second.volume = level;
    saveVolumes();

    refreshPlayingVolumes();
}

void adjustSelectedChannel(float delta) {
    adjustVolume(selectedChannel, delta);
    say(std::to_string(percentOf(levelOf(selectedChannel))) + " pourcent");
}

void adjustMasterChannel(float delta) {
    adjustVolume(AudioChannel::MASTER, delta);
    say("Volume principal " + std::to_string(percentOf(levelOf(AudioChannel::MASTER))) + " pourcent");
}

void cycleChannel(bool forward) {
    const int n = static_cast<int>(navOrder.size());
    currentNavIdx = wrapIndex(currentNavIdx, forward ? 1 : -1, n);
    selectedChannel = navOrder[currentNavIdx];
    const auto it = audioChannels.find(selectedChannel);
    if (it != audioChannels.end()) say(it->second.label);
}

bool saveVolumes() {
    SaveData save = ensureSaveLoaded().value_or(SaveData{});
    save.volumes.clear();
    for (int i = 0; i < CHANNEL_COUNT; ++i) save.volumes.push_back(levelOf(static_cast<AudioChannel>(i)));
    return writeSave(save);
}

bool loadVolumes() {
    const std::optional<SaveData> save = ensureSaveLoaded();
    if (!save || save->volumes.empty()) return false;
    const size_t count = std::min(save->volumes.size(), static_cast<size_t>(CHANNEL_COUNT));
    for (size_t i = 0; i < count; ++i) audioChannels[static_cast<AudioChannel>(i)].volume = save->volumes[i];
    return true;
}

void initMenuMusicManager() {
    if (g_inited) return;
    g_inited = true;
    const std::optional<SaveData> save = ensureSaveLoaded();
    g_menuMusicIdx = std::clamp(save ? save->menuMusicIndex : 1, MENU_MUSIC_MIN, MENU_MUSIC_MAX);
}

int getMenuMusicIndex() {
    initMenuMusicManager();
    return g_menuMusicIdx;
}

void setMenuMusicIndex(int index) {
    initMenuMusicManager();
    g_menuMusicIdx = std::clamp(index, MENU_MUSIC_MIN, MENU_MUSIC_MAX);
    SaveData save;
    if (std::optional<SaveData> loaded = ensureSaveLoaded()) save = std::move(*loaded);
    else save.profile.gender = "M";
    save.menuMusicIndex = g_menuMusicIdx;
    writeSave(save);
}

const char* getMenuMusicEventId() {
    static char buffer[32];
    std::snprintf(buffer, sizeof buffer, "music_menu_%d", getMenuMusicIndex());
    return buffer;
}

void resetVolumeState() {
    audioChannels = buildChannels();
    currentNavIdx = 0;
    selectedChannel = AudioChannel::AMBIANCE;
    g_menuMusicIdx = 1;
    g_inited = false;
}
