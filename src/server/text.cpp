#include "server/text.h"

#include "net/sha256.h"

#include <cctype>

namespace {

// Length of the well-formed character starting at text[i] and its value, or 0.
size_t charAt(std::string_view text, size_t i, uint32_t& value) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) {
        value = lead;
        return 1;
    }
    size_t length;
    uint32_t min;
    if ((lead & 0xE0) == 0xC0) { length = 2; min = 0x80; value = lead & 0x1F; }
    else if ((lead & 0xF0) == 0xE0) { length = 3; min = 0x800; value = lead & 0x0F; }
    else if ((lead & 0xF8) == 0xF0) { length = 4; min = 0x10000; value = lead & 0x07; }
    else return 0;
    if (i + length > text.size()) return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        value = (value << 6) | (byte(i + k) & 0x3F);
    }
    if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    return length;
}

} // namespace

bool isValidUtf8(std::string_view text) {
    uint32_t value;
    for (size_t i = 0; i < text.size();) {
        const size_t n = charAt(text, i, value);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

size_t utf8Length(std::string_view text) {
    size_t count = 0;
    for (char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    return count;
}

bool isPrintableUtf8(std::string_view text) {
    uint32_t value;
    for (size_t i = 0; i < text.size();) {
        const size_t n = charAt(text, i, value);
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

std::string emailHash(std::string_view address) {
    size_t begin = 0, end = address.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(address[begin]))) ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(address[end - 1]))) --end;
    std::string normalised(address.substr(begin, end - begin));
    for (char& c : normalised) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return sha256Hex(normalised);
}

std::vector<std::string> splitFields(std::string_view text, char separator, size_t count) {
    std::vector<std::string> fields;
    size_t start = 0;
    while (fields.size() + 1 < count) {
        const size_t end = text.find(separator, start);
        if (end == std::string_view::npos) break;
        fields.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    fields.emplace_back(text.substr(start));
    return fields;
}

std::string frenchList(const std::vector<std::string>& names) {
    std::string out;
    for (size_t i = 0; i < names.size(); ++i) {
        if (i > 0) out += i + 1 == names.size() ? " et " : ", ";
        out += names[i];
    }
    return out;
}
