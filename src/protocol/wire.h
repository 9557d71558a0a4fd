#pragma once
// The wire, for both ends. A packet carries one message: its text up to the
// first NUL. A message is a keyword (keywords.h), then fields, each written
// and read by one of these pairs, so both ends agree by construction:
//
//   field   text up to the next ':'           Message::field   readField
//   number  decimal                           Message::number  readInt, readUint32
//   id      a number joined by ',' to the     Message::id      readId
//           field after it ("7,Couteau")
//   tile    x ',' y                           Message::tile    readTile
//   list    entries joined by '|'             Message::list    readList
//   rest    the last field, ':' and all       Message::field   readRest
//
// Nothing is escaped: a ':' inside a field shifts the fields after it, so a
// text that may hold one goes last.
#include "protocol/keywords.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// --- a received packet

// The message a packet carries: its bytes up to the first NUL, or all of them.
std::string_view packetMessage(std::string_view bytes);

// STANDARD: a keyword ending in ':' begins the message, one without is the
// whole message. PREFIX: the message begins with the keyword, whatever
// follows (the client takes "REGISTER_OK" so).
enum class KeywordMatch { STANDARD, PREFIX };
bool matchesKeyword(std::string_view message, Keyword keyword, KeywordMatch how = KeywordMatch::STANDARD);

// --- reading the fields of a message

// A read position in a message's fields.
struct FieldCursor {
    std::string_view text;
    size_t pos = 0;
};

// ENDS: nothing after a line break is a field (the client speaks what it
// reads). KEPT: every byte stays in the fields, so the server's checks of a
// field see the control characters it must refuse.
enum class LineBreak { ENDS, KEPT };

// The fields after the keyword the message was matched with.
FieldCursor fieldsAfter(std::string_view message, Keyword keyword, LineBreak lineBreak = LineBreak::ENDS);

// How many fields are left: one, plus one for each ':' ahead.
size_t fieldsLeft(const FieldCursor& cursor);

// Up to the next ':' (or the end); the ':' is consumed.
std::string readField(FieldCursor& cursor);

// An optional sign and decimal digits. False, with `value` 0, when there are
// no digits or the number does not fit; the digits are consumed either way so
// the next field stays in place.
bool readInt(FieldCursor& cursor, int32_t& value);

// Decimal digits only, 0 to 4294967295; same rules as readInt.
bool readUint32(FieldCursor& cursor, uint32_t& value);

// A number and the one separator after it, whatever it is; 0 when unreadable.
int32_t readId(FieldCursor& cursor);

// A tile: x, one separator, y. A missing number reads as 0; `valid` tells
// whether both were numbers.
struct TileField {
    int32_t x = 0;
    int32_t y = 0;
    bool valid = false;
};
TileField readTile(FieldCursor& cursor);

// Everything left.
std::string readRest(FieldCursor& cursor);

// Everything left, split at '|'; empty entries (a leading, doubled or trailing
// '|') are dropped.
std::vector<std::string> readList(FieldCursor& cursor);

// --- writing a message

// The keyword, then each field written; ':' between two fields, ',' after an id.
//   Message(MSG_Z_HIT).id(7).field("Couteau").tile(3, 4)   gives "Z_HIT:7,Couteau:3,4"
// A keyword alone converts to its message.
class Message {
public:
    Message(Keyword keyword) : text_(keyword.text()) {}

    Message& field(std::string_view text);
    Message& number(int64_t value);
    Message& id(int64_t value);
    Message& tile(int32_t x, int32_t y);
    Message& list(const std::vector<std::string>& entries);

    const std::string& text() const { return text_; }

private:
    std::string& next();

    std::string text_;
    char separator_ = 0; // none before the first field
};
