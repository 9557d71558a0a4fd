#pragma once
// Reading the fields of one server message: names end at the next ':',
// numbers are decimal, the last text runs to the end. A line break ends the
// fields.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A read position in the text after a message's keyword.
struct FieldCursor {
    std::string_view text;
    size_t pos = 0;
};

// The fields after the keyword, up to the first line break.
FieldCursor fieldsAfter(std::string_view message, size_t keywordLength);

// Up to the next ':' (or the end); the ':' is consumed.
std::string readName(FieldCursor& cursor);

// An optional sign and decimal digits. False, with `value` 0, when there are
// no digits or the number does not fit; the digits are consumed either way so
// the next field stays in place.
bool readInt(FieldCursor& cursor, int32_t& value);

// Decimal digits only, 0 to 4294967295; same rules as readInt.
bool readUint32(FieldCursor& cursor, uint32_t& value);

// Skips the one separator character between two numbers, whatever it is.
void skipSeparator(FieldCursor& cursor);

// Everything left.
std::string readRest(FieldCursor& cursor);

// Everything left, split at '|'; empty entries (a leading, doubled or trailing
// '|') are dropped.
std::vector<std::string> readListEntries(FieldCursor& cursor);
