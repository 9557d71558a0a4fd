#include "server/text.h"

#include "base/sha256.h"
#include "base/text.h"
#include "base/utf8.h"

bool isPrintableUtf8(std::string_view text) {
    const std::string bytes(text);
    char32_t value = 0;
    for (size_t i = 0; i < bytes.size();) {
        const size_t n = utf8Decode(bytes, i, value);
        if (n == 0 || value < 0x20 || (value >= 0x7F && value <= 0x9F)) return false;
        i += n;
    }
    return true;
}

std::string caseKey(std::string_view name) {
    std::string key(name);
    for (size_t i = 0; i < key.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(key[i]);
        if (c >= 'A' && c <= 'Z') {
            key[i] = static_cast<char>(c + 32);
        } else if (c == 0xC3 && i + 1 < key.size()) {
            // U+00C0 to U+00DE are the capitals of U+00E0 to U+00FE, but for ×.
            unsigned char next = static_cast<unsigned char>(key[i + 1]);
            if (next >= 0x80 && next <= 0x9E && next != 0x97) key[i + 1] = static_cast<char>(next + 32);
            ++i;
        }
    }
    return key;
}

bool isLowerHex64(std::string_view text) {
    if (text.size() != 64) return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

std::string emailHash(std::string_view address) { return sha256Hex(normaliseEmail(std::string(address))); }

std::string frenchList(const std::vector<std::string>& names) {
    std::string out;
    for (size_t i = 0; i < names.size(); ++i) {
        if (i > 0) out += i + 1 == names.size() ? " et " : ", ";
        out += names[i];
    }
    return out;
}
