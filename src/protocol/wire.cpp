#include "protocol/wire.h"

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Consumes a run of digits; false when the value passes `limit`.
bool readDigits(FieldCursor& cursor, uint64_t limit, uint64_t& value) {
    value = 0;
    bool fits = true;
    while (cursor.pos < cursor.text.size() && isDigit(cursor.text[cursor.pos])) {
        if (fits) {
            value = value * 10 + static_cast<uint64_t>(cursor.text[cursor.pos] - '0');
            if (value > limit) fits = false;
        }
        ++cursor.pos;
    }
    return fits;
}

// The one character between two numbers, whatever it is.
void skipSeparator(FieldCursor& cursor) {
    if (cursor.pos < cursor.text.size()) ++cursor.pos;
}

} // namespace

std::string_view packetMessage(std::string_view bytes) { return bytes.substr(0, bytes.find('\0')); }

bool matchesKeyword(std::string_view message, Keyword keyword, KeywordMatch how) {
    const std::string_view k = keyword.text();
    if (how == KeywordMatch::STANDARD && !keyword.takesFields()) return message == k;
    return message.substr(0, k.size()) == k;
}

FieldCursor fieldsAfter(std::string_view message, Keyword keyword, LineBreak lineBreak) {
    FieldCursor cursor;
    cursor.pos = keyword.text().size() < message.size() ? keyword.text().size() : message.size();
    cursor.text = lineBreak == LineBreak::KEPT ? message : message.substr(0, message.find_first_of("\r\n", cursor.pos));
    return cursor;
}

size_t fieldsLeft(const FieldCursor& cursor) {
    size_t count = 1;
    for (size_t i = cursor.pos; i < cursor.text.size(); ++i) count += cursor.text[i] == ':';
    return count;
}

std::string readField(FieldCursor& cursor) {
    size_t start = cursor.pos;
    size_t end = cursor.text.find(':', start);
    if (end == std::string_view::npos) end = cursor.text.size();
    cursor.pos = end < cursor.text.size() ? end + 1 : end;
    return std::string(cursor.text.substr(start, end - start));
}

bool readInt(FieldCursor& cursor, int32_t& value) {
    value = 0;
    size_t start = cursor.pos;
    bool negative = false;
    if (start < cursor.text.size() && (cursor.text[start] == '-' || cursor.text[start] == '+')) {
        negative = cursor.text[start] == '-';
        ++cursor.pos;
    }
    if (cursor.pos >= cursor.text.size() || !isDigit(cursor.text[cursor.pos])) {
        cursor.pos = start; // a lone sign is not a number
        return false;
    }
    uint64_t magnitude = 0;
    const uint64_t limit = negative ? uint64_t(INT32_MAX) + 1 : uint64_t(INT32_MAX);
    if (!readDigits(cursor, limit, magnitude)) return false;
    value = negative ? static_cast<int32_t>(-static_cast<int64_t>(magnitude))
                     : static_cast<int32_t>(magnitude);
    return true;
}

bool readUint32(FieldCursor& cursor, uint32_t& value) {
    value = 0;
    if (cursor.pos >= cursor.text.size() || !isDigit(cursor.text[cursor.pos])) return false;
    uint64_t v = 0;
    if (!readDigits(cursor, UINT32_MAX, v)) return false;
    value = static_cast<uint32_t>(v);
    return true;
}

int32_t readId(FieldCursor& cursor) {
    int32_t id = 0;
    readInt(cursor, id);
    skipSeparator(cursor);
    return id;
}

TileField readTile(FieldCursor& cursor) {
    TileField t;
    const bool xRead = readInt(cursor, t.x);
    skipSeparator(cursor);
    const bool yRead = readInt(cursor, t.y);
    t.valid = xRead && yRead;
    return t;
}

std::string readRest(FieldCursor& cursor) {
    size_t start = cursor.pos;
    cursor.pos = cursor.text.size();
    return std::string(cursor.text.substr(start));
}

std::vector<std::string> readList(FieldCursor& cursor) {
    const std::string rest = readRest(cursor);
    std::vector<std::string> entries;
    size_t start = 0;
    while (start <= rest.size()) {
        size_t end = rest.find('|', start);
        if (end == std::string::npos) end = rest.size();
        if (end > start) entries.push_back(rest.substr(start, end - start));
        start = end + 1;
    }
    return entries;
}

std::string& Message::next() {
    if (separator_) text_ += separator_;
    separator_ = ':';
    return text_;
}

Message& Message::field(std::string_view text) {
    next() += text;
    return *this;
}

Message& Message::number(int64_t value) {
    next() += std::to_string(value);
    return *this;
}

Message& Message::id(int64_t value) {
    number(value);
    separator_ = ',';
    return *this;
}

Message& Message::tile(int32_t x, int32_t y) {
    next() += std::to_string(x) + ',' + std::to_string(y);
    return *this;
}

Message& Message::list(const std::vector<std::string>& entries) {
    std::string& text = next();
    for (size_t i = 0; i < entries.size(); ++i) {
        if (i > 0) text += '|';
        text += entries[i];
    }
    return *this;
}
