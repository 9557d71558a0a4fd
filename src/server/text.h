#pragma once
// Checks on text that came from a client: every byte is untrusted. UTF-8 itself
// is read by base/utf8.h.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/utf8.h"

// Well-formed UTF-8 without control characters (C0, DEL, C1).
bool isPrintableUtf8(std::string_view text);
// The key under which two names count as the same: ASCII and Latin-1 letters
// lower-cased, so "Zoé" and "ZOÉ" meet.
std::string caseKey(std::string_view name);
// Exactly 64 lower-case hexadecimal digits, as the client writes a SHA-256.
bool isLowerHex64(std::string_view text);
// The client's hash of an address: blanks trimmed, bytes lower-cased, SHA-256.
std::string emailHash(std::string_view address);
// Names joined as French speaks a list: "A", "A et B", "A, B et C".
std::string frenchList(const std::vector<std::string>& names);
