#pragma once
// The start-up check for a newer client. The update host is fixed when the
// client is configured (ASHEN_UPDATE_HOST, see README).
#include <cstdint>
#include <string>
#include <vector>

// One signed 32-bit number per dot-separated part, read leniently: blanks
// around a part, trailing text and a lone sign are ignored; an empty,
// non-numeric or out-of-range part reads 0. A trailing dot adds no part.
std::vector<int32_t> parseVersionParts(const std::string& text);

// -1 when a is older than b, 1 when newer, 0 when equal; a missing part counts as 0.
int compareVersions(const std::string& a, const std::string& b);

// Asks the update host for the current version. Returns when no update is to
// be installed, every failure included (silently); otherwise announces it,
// starts the updater and ends the process.
void checkUpdate();
