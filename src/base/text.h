#pragma once
// Byte-wise text helpers in the C locale: ASCII only, whatever the system's locale.
#include <string>

// What isspace() accepts in the C locale.
constexpr const char* C_WHITESPACE = " \t\n\v\f\r";

// `s` without the leading and trailing characters found in `set`.
std::string trimChars(const std::string& s, const char* set);

// ASCII letters lowered; every other byte kept.
std::string toLowerAscii(std::string s);
std::string toUpperAscii(std::string s);

// An e-mail address as it is hashed: C-locale white space trimmed, lower case.
std::string normaliseEmail(const std::string& email);
