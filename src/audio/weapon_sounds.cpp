#include "audio/weapon_sounds.h"

#include "base/text.h"
#include "base/ticks.h"
#include "core/speech.h"
#include "audio/playback.h"
#include "audio/sound_registry.h"
#include "platform/audio_device.h"
#include "platform/clock.h"

#include <algorithm>

int curBoxX = -1;
int curBoxY = -1;
uint32_t lastBoxSpawnSoundTime = 0;
bool boxWeaponVisible = false;

namespace {
// Along y from the tile the server gives for the box.
constexpr int BOX_LOOP_OFFSET_Y = 10;
constexpr uint32_t BOX_LOOP_REFRESH_MS = 999;
} // namespace

void updateMysteryBoxAudio() {
    if (!boxWeaponVisible) return;
    const uint32_t now = platform::tickCount();
    if (ticksSince(now, lastBoxSpawnSoundTime) <= BOX_LOOP_REFRESH_MS) return;
    playSound("box_loop", curBoxX, curBoxY);
    lastBoxSpawnSoundTime = now;
}

void playBoxOpening(int x, int y) { playSound("box_open", x, y); }

void playBoxWeaponSpawn(const std::string& weapon, int x, int y) {
    say(weapon + " apparu");
    curBoxX = x;
    curBoxY = y + BOX_LOOP_OFFSET_Y;
    boxWeaponVisible = true;
    lastBoxSpawnSoundTime = platform::tickCount();
    playSound("box_loop", curBoxX, curBoxY);
}

void stopBoxWeaponLoop() {
    boxWeaponVisible = false;
    if (const uint32_t h = getSoundHandle("box_loop")) platform::channelStop(h);
}

void playBoxPickup(const std::string& weapon, int x, int y) {
    std::string name = weapon;
    name.erase(name.find_last_not_of("\r\n \t") + 1); // npos + 1 == 0 clears an all-blank name
    const size_t start = name.find_first_not_of(" \t");
    name.erase(0, start == std::string::npos ? name.size() : start);
    playSound("pickup_" + name, x, y);
}

void playBoxTeleport(int, int) { playSound("box_teleport", -1, -1); }

void playWeaponShoot(const std::string& weapon) { playSound("fire_" + weapon, -1, -1); }
void playRemoteWeaponShoot(const std::string& weapon, int x, int y) { playSound("fire_" + weapon, x, y); }
void playWeaponReload(const std::string& weapon) { playSound("reload_" + weapon, -1, -1); }
void playDryFire(const std::string& weapon) { playSound("empty_" + weapon, -1, -1); }

void playWeaponEquip(const std::string& weapon) {
    std::string name = weapon;
    trimSpaces(name);
    stripControls(name);
    std::string capitalised = toLowerAscii(name);
    if (!capitalised.empty()) capitalised[0] = toUpperAscii(capitalised.substr(0, 1))[0];
    for (const std::string& variant : {name, toUpperAscii(name), capitalised}) {
        if (hasSound("equip_" + variant)) {
            playSound("equip_" + variant, -1, -1);
            return;
        }
    }
}

void cleanupWeaponsAudio() { stopBoxWeaponLoop(); }

void trimSpaces(std::string& text) { text = trimChars(text, C_WHITESPACE); }

void stripControls(std::string& text) {
    text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 32; }),
               text.end());
}

void resetWeaponsAudio() {
    curBoxX = -1;
    curBoxY = -1;
    lastBoxSpawnSoundTime = 0;
    boxWeaponVisible = false;
}
