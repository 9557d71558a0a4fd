#include "core/save_file.h"

#include "base/text.h"
#include "base/sha256.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <locale>
#include <sstream>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

PlayerProfile myProfile;

namespace {

constexpr const char* SAVE_HEADER = "AR_SAVE_V";
constexpr size_t SAVE_HEADER_LEN = 9;
// Written first and renamed over save.dat, so an interrupted write never
// leaves a half-written save behind.
constexpr const char* SAVE_TMP_FILE = "save.dat.tmp";

constexpr const char* LEGACY_IDENTITY = "identity.dat";
constexpr const char* LEGACY_MENU_MUSIC = "menu_music.dat";
constexpr const char* LEGACY_VOLUMES = "volumes.dat";

std::string _ar_safeReadLine(std::ifstream& in) {
    std::string line;
    std::getline(in, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

// Leading blanks skipped, trailing garbage tolerated, like stoi; the
// classic locale so a player's locale never changes what a file means.
bool parseInt(const std::string& text, int& out) {
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    int value = 0;
    if (!(in >> value)) return false;
    out = value;
    return true;
}

// The stream refuses "nan", "inf" and out-of-range values: a NaN level could
// never be adjusted back.
bool parseFloat(const std::string& text, float& out) {
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    float value = 0.0f;
    if (!(in >> value)) return false;
    out = value;
    return true;
}

// A line break inside a field would shift every later line of the file.
std::string oneLine(const std::string& field) {
    std::string out = field;
    out.erase(std::remove_if(out.begin(), out.end(), [](char c) { return c == '\r' || c == '\n'; }),
              out.end());
    return out;
}

std::string formatSave(const PlayerProfile& profile, int menuMusicIndex, const std::vector<float>& volumes) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << SAVE_HEADER << SAVE_VERSION << '\n';
    out << oneLine(profile.username) << '\n';
    out << oneLine(profile.email) << '\n';
    out << oneLine(profile.passHash) << '\n';
    out << oneLine(profile.gender) << '\n';
    out << menuMusicIndex << '\n';
    for (float v : volumes) out << v << '\n';
    return out.str();
}

bool writeAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// Makes the rename itself survive a power cut; best effort.
void syncWorkingFolder() {
    const int fd = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

std::string normaliseLegacyEmail(const std::string& email) {
    return sha256Hex(toLowerAscii(trimChars(email, " \t\r\n")));
}

bool _ar_loadLegacyIdentity(PlayerProfile& profile) {
    std::ifstream in(LEGACY_IDENTITY);
    if (!in.is_open()) return false;
    profile.username = _ar_safeReadLine(in);
    profile.email = _ar_safeReadLine(in);
    profile.passHash = _ar_safeReadLine(in);
    profile.gender = _ar_safeReadLine(in);
    // Older clients kept the address in clear; a 64-character value is already a hash.
    if (profile.email.find('@') != std::string::npos && profile.email.size() != 64)
        profile.email = normaliseLegacyEmail(profile.email);
    return !profile.username.empty() && !profile.email.empty();
}

bool _ar_loadLegacyMenuMusic(int& menuMusicIndex) {
    std::ifstream in(LEGACY_MENU_MUSIC);
    if (!in.is_open()) return false;
    in.imbue(std::locale::classic());
    int value = 0;
    menuMusicIndex = (in >> value) ? value : 1;
    return true;
}

bool _ar_loadLegacyVolumes(std::vector<float>& volumes) {
    std::ifstream in(LEGACY_VOLUMES);
    if (!in.is_open()) return false;
    in.imbue(std::locale::classic());
    float value = 0.0f;
    while (in >> value) volumes.push_back(value);
    return !volumes.empty();
}

} // namespace

bool loadSave(PlayerProfile& profile, int& menuMusicIndex, std::vector<float>& volumes) {
    std::ifstream in(SAVE_FILE, std::ios::binary);
    if (!in.is_open()) return false;

    const std::string header = _ar_safeReadLine(in);
    if (header.compare(0, SAVE_HEADER_LEN, SAVE_HEADER) != 0) return false;
    int version = 0;
    if (!parseInt(header.substr(SAVE_HEADER_LEN), version) || version != SAVE_VERSION) return false;

    // Missing lines read as empty, so a truncated file still loads.
    PlayerProfile read;
    read.username = _ar_safeReadLine(in);
    read.email = _ar_safeReadLine(in);
    read.passHash = _ar_safeReadLine(in);
    read.gender = _ar_safeReadLine(in);
    int index = 1;
    if (!parseInt(_ar_safeReadLine(in), index)) index = 1;

    std::vector<float> levels;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        float v = 0.0f;
        if (!line.empty() && parseFloat(line, v)) levels.push_back(v);
    }

    profile = std::move(read);
    menuMusicIndex = index;
    volumes = std::move(levels);
    return true;
}

bool writeSave(const PlayerProfile& profile, int menuMusicIndex, const std::vector<float>& volumes) {
    const std::string content = formatSave(profile, menuMusicIndex, volumes);

    // A fresh file every time: a leftover from a crash, or a link planted in
    // its place, is never written through.
    ::unlink(SAVE_TMP_FILE);
    const int fd = ::open(SAVE_TMP_FILE, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600); // it holds the password hash
    if (fd < 0) return false;
    const bool written = writeAll(fd, content) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || std::rename(SAVE_TMP_FILE, SAVE_FILE) != 0) {
        ::unlink(SAVE_TMP_FILE);
        return false;
    }
    syncWorkingFolder();
    return true;
}

bool ensureSaveLoaded(PlayerProfile& profile, int& menuMusicIndex, std::vector<float>& volumes) {
    if (loadSave(profile, menuMusicIndex, volumes)) return true;

    PlayerProfile legacyProfile;
    int legacyIndex = 1;
    std::vector<float> legacyVolumes;
    const bool identityFound = _ar_loadLegacyIdentity(legacyProfile);
    const bool musicFound = _ar_loadLegacyMenuMusic(legacyIndex);
    const bool volumesFound = _ar_loadLegacyVolumes(legacyVolumes);
    if (!identityFound && !musicFound && !volumesFound) return false;

    if (legacyProfile.gender.empty()) legacyProfile.gender = "M";
    legacyIndex = std::clamp(legacyIndex, 1, 6);
    if (!writeSave(legacyProfile, legacyIndex, legacyVolumes)) return false;
    return loadSave(profile, menuMusicIndex, volumes);
}

bool hasIdentity() {
    PlayerProfile profile;
    int index = 1;
    std::vector<float> volumes;
    return ensureSaveLoaded(profile, index, volumes) && !profile.username.empty() && !profile.email.empty();
}

PlayerProfile loadIdentity() {
    PlayerProfile profile;
    int index = 1;
    std::vector<float> volumes;
    if (!ensureSaveLoaded(profile, index, volumes)) return PlayerProfile{};
    return profile;
}

bool saveIdentity(const PlayerProfile& profile) {
    PlayerProfile stored;
    int index = 1;
    std::vector<float> volumes;
    ensureSaveLoaded(stored, index, volumes);
    return writeSave(profile, index, volumes);
}

void initIdentity() {
    if (hasIdentity()) {
        myProfile = loadIdentity();
    } else {
        myProfile.username.clear();
        myProfile.email.clear();
        myProfile.passHash.clear();
    }
}
