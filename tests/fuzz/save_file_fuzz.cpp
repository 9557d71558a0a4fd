// save.dat as found on disk. A file that loads writes back to one that loads
// the same profile; one that does not is moved aside byte for byte, never lost.
#include "core/save_file.h"
#include "fuzz_support.h"

#include <algorithm>
#include <cmath>

#include <unistd.h>

namespace {

// The profile's fields as the writer keeps them: without carriage returns,
// since a line break inside one would shift the lines after it.
std::string written(const PlayerProfile& p) {
    std::string lines = p.username + '\n' + p.email + '\n' + p.passHash + '\n' + p.gender;
    lines.erase(std::remove(lines.begin(), lines.end(), '\r'), lines.end());
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input = asText(data, size);
    writeFile(SAVE_FILE, input);
    const std::optional<SaveData> first = loadSave();
    const PlayerProfile other{"Zoé", "zoe@exemple.fr", "", "F"};

    if (!first) {
        FUZZ_CHECK(writeSave({other, 2, {0.5f}}));
        const std::vector<std::string> aside = filesStartingWith("save.dat.old-");
        FUZZ_CHECK(aside.size() == 1 && readFile(aside[0]) == input);
        ::unlink(aside[0].c_str());
        return 0;
    }

    FUZZ_CHECK(writeSave(*first));
    const std::optional<SaveData> second = loadSave();
    FUZZ_CHECK(second);
    FUZZ_CHECK(written(second->profile) == written(first->profile));
    FUZZ_CHECK(second->menuMusicIndex == first->menuMusicIndex);
    // Levels are written to six significant digits.
    FUZZ_CHECK(second->volumes.size() == first->volumes.size());
    for (size_t i = 0; i < first->volumes.size(); ++i)
        FUZZ_CHECK(std::fabs(second->volumes[i] - first->volumes[i]) <=
                   1e-5f * std::fmax(1.0f, std::fabs(first->volumes[i])));

    // A loadable file is replaced, not set aside.
    FUZZ_CHECK(saveIdentity(other));
    FUZZ_CHECK(filesStartingWith("save.dat.old-").empty());
    return 0;
}
