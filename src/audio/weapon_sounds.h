#pragma once
// Weapon names turned into weapon sounds, and the mystery box's loop, which
// keeps sounding from a fixed point while the box shows a weapon.
#include <cstdint>
#include <string>

// Where the box loop sounds, and when it was last started or refreshed.
extern int curBoxX;
extern int curBoxY;
extern uint32_t lastBoxSpawnSoundTime;
extern bool boxWeaponVisible;

// In the house, every pass: re-places and re-levels the loop once a second,
// and starts it again if it stopped.
void updateMysteryBoxAudio();
void playBoxOpening(int x, int y);
// Speaks "<weapon> apparu" and starts the loop ten tiles further along y.
void playBoxWeaponSpawn(const std::string& weapon, int x, int y);
void stopBoxWeaponLoop();
// "pickup_<weapon>" with stray line ends and blanks removed.
void playBoxPickup(const std::string& weapon, int x, int y);
void playBoxTeleport(int x, int y);

// Shots, reloads and dry fire use the server's name as it is.
void playWeaponShoot(const std::string& weapon);
void playRemoteWeaponShoot(const std::string& weapon, int x, int y);
void playWeaponReload(const std::string& weapon);
void playDryFire(const std::string& weapon);
// "equip_" and the cleaned name as sent, in upper case, or capitalised:
// the first of them that is registered.
void playWeaponEquip(const std::string& weapon);

// Shut-down: the loop stops.
void cleanupWeaponsAudio();

// In place: C-locale white space off both ends; every byte 0 to 31 removed.
void trimSpaces(std::string& text);
void stripControls(std::string& text);

// Whole run: no weapon shown, no position.
void resetWeaponsAudio();
