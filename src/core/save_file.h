#pragma once
// The local account identity and save.dat, the one file that keeps the
// identity, the menu music choice and the volume levels between runs.
#include <string>
#include <vector>

struct PlayerProfile {
    std::string username;
    std::string email;    // as typed at login, or the hash of the normalised address
    std::string passHash; // sha256Hex of the password; empty until typed once
    std::string gender;   // "M" or "F"
};

// The local player's identity for the whole run.
extern PlayerProfile myProfile;

constexpr const char* SAVE_FILE = "save.dat";
constexpr int SAVE_VERSION = 1;

// Reads save.dat. False (outputs untouched) when it is missing or its header
// or version is wrong; a truncated file or bad lines still load.
bool loadSave(PlayerProfile& profile, int& menuMusicIndex, std::vector<float>& volumes);

// Replaces save.dat as a whole. False, with the previous file intact, on any failure.
bool writeSave(const PlayerProfile& profile, int menuMusicIndex, const std::vector<float>& volumes);

// loadSave, or, without a usable save.dat, rebuilds it from identity.dat,
// menu_music.dat and volumes.dat (which are only read). Every reader and
// writer of the save goes through here.
bool ensureSaveLoaded(PlayerProfile& profile, int& menuMusicIndex, std::vector<float>& volumes);

// A saved identity exists: both username and email are set (passHash may be empty).
bool hasIdentity();
// The saved profile, or four empty fields.
PlayerProfile loadIdentity();
// Stores the profile, keeping the saved menu music and volumes.
bool saveIdentity(const PlayerProfile& profile);

// Start-up: myProfile takes the saved identity, or has its username, email
// and passHash cleared when there is none.
void initIdentity();
