#include "audio/sound_registry.h"

#include "audio/playback.h"
#include "platform/audio_device.h"
#include "platform/process.h"

#include <cstring>

using platform::AUDIO_3D;
using platform::AUDIO_LOOP;

std::unordered_map<std::string, SoundAsset> g_assets;
std::string g_baseDir;

namespace {

const std::vector<SoundDef> SOUND_TABLE = {
    {"ui_nav", "Sounds/Interface/menunav.wav", AudioChannel::MASTER, SOUND_SAMPLE, 0},
    {"ui_valid", "Sounds/Interface/menuvalid.wav", AudioChannel::MASTER, SOUND_SAMPLE, 0},
    {"chat_open", "Sounds/Player/ChatOpen.wav", AudioChannel::MASTER, SOUND_SAMPLE, 0},
    {"ui_key1", "Sounds/Interface/toucheClavier1.wav", AudioChannel::MASTER, SOUND_SAMPLE, 0},
    {"ui_key2", "Sounds/Interface/toucheClavier2.wav", AudioChannel::MASTER, SOUND_SAMPLE, 0},
    {"ui_keyEnter", "Sounds/Interface/toucheEnter.wav", AudioChannel::MASTER, SOUND_SAMPLE, 0},
    {"ui_keyNav", "Sounds/Interface/toucheNav.wav", AudioChannel::MASTER, SOUND_SAMPLE, 0},
    {"ui_keySup", "Sounds/Interface/toucheSup.wav", AudioChannel::MASTER, SOUND_SAMPLE, 0},
    {"ui_back", "Sounds/Interface/back.wav", AudioChannel::MASTER, SOUND_SAMPLE, 0},
    {"team_create", "Sounds/Interface/TeamCreate.wav", AudioChannel::MASTER, SOUND_SAMPLE, 0},
    {"team_destroy", "Sounds/Interface/TeamDestroy.wav", AudioChannel::MASTER, SOUND_SAMPLE, 0},
    {"team_join", "Sounds/Interface/TeamJoin.wav", AudioChannel::MASTER, SOUND_SAMPLE, 0},
    {"team_leave", "Sounds/Interface/TeamLeave.wav", AudioChannel::MASTER, SOUND_SAMPLE, 0},
    {"music_menu_1", "Sounds/Music/menu_music_1.wav", AudioChannel::AMBIANCE, SOUND_STREAM, AUDIO_LOOP},
    {"music_menu_2", "Sounds/Music/menu_music_2.wav", AudioChannel::AMBIANCE, SOUND_STREAM, AUDIO_LOOP},
    {"music_menu_3", "Sounds/Music/menu_music_3.wav", AudioChannel::AMBIANCE, SOUND_STREAM, AUDIO_LOOP},
    {"music_menu_4", "Sounds/Music/menu_music_4.wav", AudioChannel::AMBIANCE, SOUND_STREAM, AUDIO_LOOP},
    {"music_menu_5", "Sounds/Music/menu_music_5.wav", AudioChannel::AMBIANCE, SOUND_STREAM, AUDIO_LOOP},
    {"music_menu_6", "Sounds/Music/menu_music_6.wav", AudioChannel::AMBIANCE, SOUND_STREAM, AUDIO_LOOP},
    {"music_lobby", "Sounds/Music/map_attente_1.wav", AudioChannel::AMBIANCE, SOUND_STREAM, AUDIO_LOOP},
    {"music_maison", "Sounds/Music/map_maison_1.wav", AudioChannel::AMBIANCE, SOUND_STREAM, AUDIO_LOOP},
    {"music_intro", "Sounds/Music/intro.wav", AudioChannel::AMBIANCE, SOUND_STREAM, 0},
    {"game_over", "Sounds/Map/game_over.wav", AudioChannel::AMBIANCE, SOUND_STREAM, 0},
    {"door_open", "Sounds/Map/porte_open.wav", AudioChannel::MAP, SOUND_SAMPLE, AUDIO_3D},
    {"door_close", "Sounds/Map/porte_close.wav", AudioChannel::MAP, SOUND_SAMPLE, AUDIO_3D},
    {"round_start", "Sounds/Map/round_start.wav", AudioChannel::MAP, SOUND_SAMPLE, 0},
    {"round_over", "Sounds/Map/round_over.wav", AudioChannel::MAP, SOUND_SAMPLE, 0},
    {"wall_lobby", "Sounds/Map/bord_de_map1.wav", AudioChannel::MAP, SOUND_SAMPLE, AUDIO_3D},
    {"wall_maison", "Sounds/Map/bord_de_map2.wav", AudioChannel::MAP, SOUND_SAMPLE, AUDIO_3D},
    {"potion_vie", "Sounds/Map/PotionVie.wav", AudioChannel::MAP, SOUND_SAMPLE, 0},
    {"online", "Sounds/Map/Online.wav", AudioChannel::MAP, SOUND_SAMPLE, 0},
    {"offline", "Sounds/Map/Offline.wav", AudioChannel::MAP, SOUND_SAMPLE, 0},
    {"step_lobby_0", "Sounds/Player/step_map_attente1.wav", AudioChannel::OTHER_PLAYERS, SOUND_SAMPLE, AUDIO_3D},
    {"step_lobby_1", "Sounds/Player/step_map_attente2.wav", AudioChannel::OTHER_PLAYERS, SOUND_SAMPLE, AUDIO_3D},
    {"step_maison_0", "Sounds/Player/step_map_maison1.wav", AudioChannel::OTHER_PLAYERS, SOUND_SAMPLE, AUDIO_3D},
    {"step_maison_1", "Sounds/Player/step_map_maison2.wav", AudioChannel::OTHER_PLAYERS, SOUND_SAMPLE, AUDIO_3D},
    {"step_zombie_1", "Sounds/Zombies/step_zombie1.wav", AudioChannel::ZOMBIES, SOUND_SAMPLE, AUDIO_3D},
    {"step_zombie_2", "Sounds/Zombies/step_zombie2.wav", AudioChannel::ZOMBIES, SOUND_SAMPLE, AUDIO_3D},
    {"equip_Couteau", "Sounds/Weapons/couteau_equipe.wav", AudioChannel::WEAPONS, SOUND_SAMPLE, AUDIO_3D},
    {"empty_Couteau", "Sounds/Weapons/couteau_vide.wav", AudioChannel::WEAPONS, SOUND_SAMPLE, AUDIO_3D},
    {"mort_Couteau", "Sounds/Weapons/couteau_mort.wav", AudioChannel::WEAPONS, SOUND_SAMPLE, AUDIO_3D},
    {"equip_Epee", "Sounds/Weapons/epee_equipe.wav", AudioChannel::WEAPONS, SOUND_SAMPLE, AUDIO_3D},
    {"empty_Epee", "Sounds/Weapons/epee_vide.wav", AudioChannel::WEAPONS, SOUND_SAMPLE, AUDIO_3D},
    {"mort_Epee", "Sounds/Weapons/epee_mort.wav", AudioChannel::WEAPONS, SOUND_SAMPLE, AUDIO_3D},
    {"pickup_Epee", "Sounds/Weapons/epee_ramasse.wav", AudioChannel::WEAPONS, SOUND_SAMPLE, AUDIO_3D},
    {"reload_Revolver", "Sounds/Weapons/revolver_reload.wav", AudioChannel::WEAPONS, SOUND_SAMPLE, AUDIO_3D},
    {"empty_Revolver", "Sounds/Weapons/revolver_empty.wav", AudioChannel::WEAPONS, SOUND_SAMPLE, AUDIO_3D},
    {"fire_Revolver", "Sounds/Weapons/revolver_tir.wav", AudioChannel::WEAPONS, SOUND_SAMPLE, AUDIO_3D},
    {"equip_Revolver", "Sounds/Weapons/revolver_equipe.wav", AudioChannel::WEAPONS, SOUND_SAMPLE, AUDIO_3D},
    {"reload_FusilAPompe", "Sounds/Weapons/fusil_reload.wav", AudioChannel::WEAPONS, SOUND_SAMPLE, AUDIO_3D},
    {"empty_FusilAPompe", "Sounds/Weapons/fusil_empty.wav", AudioChannel::WEAPONS, SOUND_SAMPLE, AUDIO_3D},
    {"fire_FusilAPompe", "Sounds/Weapons/fusil_tir.wav", AudioChannel::WEAPONS, SOUND_SAMPLE, AUDIO_3D},
    {"equip_FusilAPompe", "Sounds/Weapons/fusil_equipe.wav", AudioChannel::WEAPONS, SOUND_SAMPLE, AUDIO_3D},
    {"pickup_FusilAPompe", "Sounds/Weapons/fusil_ramasse.wav", AudioChannel::WEAPONS, SOUND_SAMPLE, AUDIO_3D},
    {"reload_M16", "Sounds/Weapons/M16_reload.wav", AudioChannel::WEAPONS, SOUND_SAMPLE, AUDIO_3D},
    {"empty_M16", "Sounds/Weapons/M16_empty.wav", AudioChannel::WEAPONS, SOUND_SAMPLE, AUDIO_3D},
    {"fire_M16", "Sounds/Weapons/M16_tir.wav", AudioChannel::WEAPONS, SOUND_SAMPLE, AUDIO_3D},
    {"equip_M16", "Sounds/Weapons/M16_equipe.wav", AudioChannel::WEAPONS, SOUND_SAMPLE, AUDIO_3D},
    {"pickup_M16", "Sounds/Weapons/M16_ramasse.wav", AudioChannel::WEAPONS, SOUND_SAMPLE, AUDIO_3D},
    {"reload_AK47", "Sounds/Weapons/AK47_reload.wav", AudioChannel::WEAPONS, SOUND_SAMPLE, AUDIO_3D},
    {"empty_AK47", "Sounds/Weapons/AK47_empty.wav", AudioChannel::WEAPONS, SOUND_SAMPLE, AUDIO_3D},
    {"fire_AK47", "Sounds/Weapons/AK47_tir.wav", AudioChannel::WEAPONS, SOUND_SAMPLE, AUDIO_3D},
    {"equip_AK47", "Sounds/Weapons/AK47_equipe.wav", AudioChannel::WEAPONS, SOUND_SAMPLE, AUDIO_3D},
    {"pickup_AK47", "Sounds/Weapons/AK47_ramasse.wav", AudioChannel::WEAPONS, SOUND_SAMPLE, AUDIO_3D},
    {"death_walker", "Sounds/Zombies/death_walker.wav", AudioChannel::ZOMBIES, SOUND_SAMPLE, AUDIO_3D},
    {"impact_bullet", "Sounds/Weapons/bullet_impact.wav", AudioChannel::ZOMBIES, SOUND_SAMPLE, AUDIO_3D},
    {"impact_couteau", "Sounds/Weapons/couteau_impact.wav", AudioChannel::ZOMBIES, SOUND_SAMPLE, AUDIO_3D},
    {"impact_epee", "Sounds/Weapons/epee_impact.wav", AudioChannel::ZOMBIES, SOUND_SAMPLE, AUDIO_3D},
    {"zombie_spawn", "Sounds/Map/zombie_spawn.wav", AudioChannel::MAP, SOUND_SAMPLE, AUDIO_3D},
    {"zombie_groan", "Sounds/Zombies/grognement1.wav", AudioChannel::ZOMBIES, SOUND_SAMPLE, AUDIO_3D},
    {"player_death", "Sounds/Player/death.wav", AudioChannel::PLAYER, SOUND_SAMPLE, 0},
    {"player_death_male", "Sounds/Player/HommeMort.wav", AudioChannel::PLAYER, SOUND_SAMPLE, 0},
    {"player_death_female", "Sounds/Player/FemmeMort.wav", AudioChannel::PLAYER, SOUND_SAMPLE, 0},
    {"morsure", "Sounds/Player/morsure.wav", AudioChannel::PLAYER, SOUND_SAMPLE, AUDIO_3D},
    {"cri_homme", "Sounds/Player/CriHomme.wav", AudioChannel::PLAYER, SOUND_SAMPLE, AUDIO_3D},
    {"cri_femme", "Sounds/Player/CriFemme.wav", AudioChannel::PLAYER, SOUND_SAMPLE, AUDIO_3D},
    {"cloche", "Sounds/Player/cloche.wav", AudioChannel::PLAYER, SOUND_SAMPLE, 0},
    {"chat", "Sounds/Player/chat.wav", AudioChannel::PLAYER, SOUND_SAMPLE, 0},
    {"mp", "Sounds/Player/mp.wav", AudioChannel::PLAYER, SOUND_SAMPLE, 0},
    {"box_open", "Sounds/Map/mystery_box_open.wav", AudioChannel::MAP, SOUND_SAMPLE, AUDIO_3D},
    {"box_loop", "Sounds/Map/weapon_spawn_loop.wav", AudioChannel::MAP, SOUND_STREAM, AUDIO_LOOP | AUDIO_3D},
    {"box_teleport", "Sounds/Map/mystery_box_teleport.wav", AudioChannel::MAP, SOUND_SAMPLE, 0},
    {"bonus_ammo", "Sounds/Effects/max_munition.wav", AudioChannel::EFFECTS, SOUND_SAMPLE, 0},
    {"bonus_double", "Sounds/Effects/double_point.wav", AudioChannel::EFFECTS, SOUND_SAMPLE, 0},
    {"bonus_insta", "Sounds/Effects/instant_kill.wav", AudioChannel::EFFECTS, SOUND_SAMPLE, 0},
    {"instant_kill_snd", "Sounds/Effects/instant_kill_sound.wav", AudioChannel::EFFECTS, SOUND_SAMPLE, 0},
};

void release(SoundAsset& asset) {
    if (asset.type == SOUND_STREAM && asset.stream) {
        platform::channelStop(asset.stream);
        platform::streamFree(asset.stream);
        asset.stream = 0;
    } else if (asset.type == SOUND_SAMPLE && asset.sample) {
        platform::sampleFree(asset.sample); // ends its playbacks too
        asset.sample = 0;
    }
    asset.type = SOUND_NONE;
}

void store(const std::string& name, const SoundAsset& asset) {
    auto it = g_assets.find(name);
    if (it == g_assets.end()) {
        g_assets.emplace(name, asset);
        return;
    }
    // The old handles would otherwise stay loaded until the device is freed.
    release(it->second);
    it->second = asset;
}

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

} // namespace

std::string getBaseDir() {
    const std::string exe = platform::executablePath();
    const size_t cut = exe.find_last_of("\\/");
    if (cut == std::string::npos) return ".";
    return exe.substr(0, cut);
}

std::string makePath(const char* relative) {
    if (!relative) return std::string();
    const size_t n = std::strlen(relative);
    const bool drive = n > 1 && isAsciiLetter(relative[0]) && relative[1] == ':';
    // A leading backslash also covers network names (two backslashes).
    const bool rooted = n > 0 && (relative[0] == '/' || relative[0] == '\\');
    if (drive || rooted) return relative;
    return g_baseDir + "/" + relative;
}

void regSample(const std::string& name, const char* relativePath, AudioChannel channel, uint32_t flags) {
    SoundAsset asset;
    asset.type = SOUND_SAMPLE;
    asset.sample = platform::sampleLoad(makePath(relativePath), SAMPLE_MAX_PLAYBACKS, flags);
    asset.channel = channel;
    asset.flags = flags;
    store(name, asset);
}

void regStream(const std::string& name, const char* relativePath, AudioChannel channel, uint32_t flags) {
    SoundAsset asset;
    asset.type = SOUND_STREAM;
    asset.stream = platform::streamCreateFile(makePath(relativePath), flags);
    asset.channel = channel;
    asset.flags = flags;
    store(name, asset);
}

bool hasSound(const std::string& name) {
    const auto it = g_assets.find(name);
    if (it == g_assets.end()) return false;
    const SoundAsset& a = it->second;
    return a.type != SOUND_NONE && (a.sample != 0 || a.stream != 0);
}

uint32_t getSoundHandle(const std::string& name) {
    const auto it = g_assets.find(name);
    if (it == g_assets.end() || it->second.type != SOUND_STREAM) return 0;
    return it->second.stream;
}

const std::vector<SoundDef>& soundTable() { return SOUND_TABLE; }

void loadAllGameSounds() {
    try {
        unloadAllGameSounds();
        g_baseDir = getBaseDir();
        for (const SoundDef& def : SOUND_TABLE) {
            if (def.type == SOUND_STREAM) regStream(def.name, def.file, def.channel, def.flags);
            else regSample(def.name, def.file, def.channel, def.flags);
        }
    } catch (...) {
        // Out of memory while building names: the sounds not registered stay silent.
    }
}

void unloadAllGameSounds() {
    for (auto& entry : g_assets) release(entry.second);
    g_assets.clear();
    g_active.clear();
}

void resetSoundRegistry() {
    g_assets.clear();
    g_baseDir.clear();
}
