#include "core/save_file.h"

#include "base/text.h"
#include "base/sha256.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <locale>
#include <sstream>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
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

std::string formatSave(const SaveData& save) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << SAVE_HEADER << SAVE_VERSION << '\n';
    out << oneLine(save.profile.username) << '\n';
    out << oneLine(save.profile.email) << '\n';
    out << oneLine(save.profile.passHash) << '\n';
    out << oneLine(save.profile.gender) << '\n';
    out << save.menuMusicIndex << '\n';
    for (float v : save.volumes) out << v << '\n';
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

// Never replaces `to`. Falls back to a hard link where the file system
// cannot rename without replacing.
bool renameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    ::unlink(from.c_str());
    return true;
}

// A save.dat that exists but does not load may still hold the player's
// account: a newer client's file, or one a permission or disk fault hides.
// It moves to save.dat.old-<seconds since 1970> instead of being written
// over. False when it could not be moved and still stands in the way.
bool setAsideUnloadableSave() {
    struct stat info;
    if (::lstat(SAVE_FILE, &info) != 0) return errno == ENOENT;
    if (loadSave()) return true;
    const std::string aside = std::string(SAVE_FILE) + ".old-" + std::to_string(std::time(nullptr));
    for (int n = 1; n <= 100; ++n) {
        if (renameNoReplace(SAVE_FILE, n == 1 ? aside : aside + "-" + std::to_string(n))) return true;
        if (errno != EEXIST) return false;
    }
    return false;
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

std::optional<SaveData> loadSave() {
    std::ifstream in(SAVE_FILE, std::ios::binary);
    if (!in.is_open()) return std::nullopt;

    const std::string header = _ar_safeReadLine(in);
    if (header.compare(0, SAVE_HEADER_LEN, SAVE_HEADER) != 0) return std::nullopt;
    int version = 0;
    if (!parseInt(header.substr(SAVE_HEADER_LEN), version) || version != SAVE_VERSION) return std::nullopt;

    // Missing lines read as empty, so a truncated file still loads.
    SaveData save;
    save.profile.username = _ar_safeReadLine(in);
    save.profile.email = _ar_safeReadLine(in);
    save.profile.passHash = _ar_safeReadLine(in);
    save.profile.gender = _ar_safeReadLine(in);
    parseInt(_ar_safeReadLine(in), save.menuMusicIndex); // stays 1 when it does not parse

    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        float v = 0.0f;
        if (!line.empty() && parseFloat(line, v)) save.volumes.push_back(v);
    }
    // A disk error is not a truncation: what was read may lack the identity.
    if (in.bad()) return std::nullopt;
    return save;
}

bool writeSave(const SaveData& save) {
    const std::string content = formatSave(save);
    if (!setAsideUnloadableSave()) return false;

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

std::optional<SaveData> ensureSaveLoaded() {
    if (std::optional<SaveData> save = loadSave()) return save;

    SaveData legacy;
    const bool identityFound = _ar_loadLegacyIdentity(legacy.profile);
    const bool musicFound = _ar_loadLegacyMenuMusic(legacy.menuMusicIndex);
    const bool volumesFound = _ar_loadLegacyVolumes(legacy.volumes);
    if (!identityFound && !musicFound && !volumesFound) return std::nullopt;

    if (legacy.profile.gender.empty()) legacy.profile.gender = "M";
    legacy.menuMusicIndex = std::clamp(legacy.menuMusicIndex, 1, 6);
    if (!writeSave(legacy)) return std::nullopt;
    return loadSave();
}

bool hasIdentity() {
    const std::optional<SaveData> save = ensureSaveLoaded();
    return save && !save->profile.username.empty() && !save->profile.email.empty();
}

PlayerProfile loadIdentity() {
    const std::optional<SaveData> save = ensureSaveLoaded();
    return save ? save->profile : PlayerProfile{};
}

bool saveIdentity(const PlayerProfile& profile) {
    SaveData save = ensureSaveLoaded().value_or(SaveData{});
    save.profile = profile;
    return writeSave(save);
}

void initIdentity() {
    // Left by a save cut short: save.dat is whole without it, and it holds the password hash.
    ::unlink(SAVE_TMP_FILE);
    if (hasIdentity()) {
        myProfile = loadIdentity();
    } else {
        myProfile.username.clear();
        myProfile.email.clear();
        myProfile.passHash.clear();
    }
}
