#pragma once
// The local account identity and save.dat, the one file that keeps the
// identity, the menu music choice and the volume levels between runs.
#include <optional>
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

// Everything save.dat keeps.
struct SaveData {
    PlayerProfile profile;
    int menuMusicIndex = 1; // 1 to 6 when chosen; not limited here
    std::vector<float> volumes; // one level per volume channel, in channel order
};

// Reads save.dat. Nothing when it is missing or its header or version is
// wrong, or a read fails; a truncated file or bad lines still load.
std::optional<SaveData> loadSave();

// Replaces save.dat as a whole. False, with the previous file intact, on any failure.
// A save.dat that exists but does not load is never written over: it is first
// renamed save.dat.old-<seconds since 1970>.
bool writeSave(const SaveData& save);

// loadSave, or, without a usable save.dat, rebuilds it from identity.dat,
// menu_music.dat and volumes.dat (which are only read). Every reader and
// writer of the save goes through here.
std::optional<SaveData> ensureSaveLoaded();

// A saved identity exists: both username and email are set (passHash may be empty).
bool hasIdentity();
// The saved profile, or four empty fields.
PlayerProfile loadIdentity();
// Stores the profile, keeping the saved menu music and volumes.
bool saveIdentity(const PlayerProfile& profile);

// Start-up: removes a save.dat.tmp left by an interrupted save; myProfile
// takes the saved identity, or has its username, email and passHash cleared
// when there is none.
void initIdentity();
