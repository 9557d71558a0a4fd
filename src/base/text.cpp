#include "base/text.h"

std::string trimChars(const std::string& s, const char* set) {
    const size_t first = s.find_first_not_of(set);
    if (first == std::string::npos) return std::string();
    const size_t last = s.find_last_not_of(set);
    return s.substr(first, last - first + 1);
}

std::string toLowerAscii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string toUpperAscii(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

std::string normaliseEmail(const std::string& email) { return toLowerAscii(trimChars(email, C_WHITESPACE)); }
