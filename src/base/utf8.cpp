#include "base/utf8.h"

size_t utf8SequenceLength(unsigned char lead) {
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

size_t utf8Decode(const std::string& s, size_t i, char32_t& codePoint) {
    if (i >= s.size()) return 0;
    const unsigned char c = static_cast<unsigned char>(s[i]);
    size_t len;
    char32_t cp;
    if (c < 0x80) {
        codePoint = c;
        return 1;
    }
    if ((c & 0xE0) == 0xC0) { len = 2; cp = c & 0x1F; }
    else if ((c & 0xF0) == 0xE0) { len = 3; cp = c & 0x0F; }
    else if ((c & 0xF8) == 0xF0) { len = 4; cp = c & 0x07; }
    else return 0;
    if (i + len > s.size()) return 0;
    for (size_t k = 1; k < len; ++k) {
        const unsigned char cc = static_cast<unsigned char>(s[i + k]);
        if ((cc & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (cc & 0x3F);
    }
    static const char32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    codePoint = cp;
    return len;
}

size_t utf8ValidLength(const std::string& s, size_t i) {
    char32_t ignored;
    return utf8Decode(s, i, ignored);
}

bool utf8IsValid(const std::string& s) {
    for (size_t i = 0; i < s.size();) {
        const size_t len = utf8ValidLength(s, i);
        if (len == 0) return false;
        i += len;
    }
    return true;
}

std::string utf8Repaired(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        const size_t len = utf8ValidLength(s, i);
        if (len == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else {
            out.append(s, i, len);
            i += len;
        }
    }
    return out;
}

size_t utf8CountChars(const std::string& s) {
    size_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

size_t utf8ByteOffset(const std::string& s, size_t index) {
    size_t offset = 0;
    while (index > 0 && offset < s.size()) {
        offset += utf8SequenceLength(static_cast<unsigned char>(s[offset]));
        --index;
    }
    return offset < s.size() ? offset : s.size();
}

size_t utf8LastCharStart(const std::string& s) {
    size_t i = s.size();
    while (i > 0) {
        --i;
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return i;
    }
    return 0;
}
