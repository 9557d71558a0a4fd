#pragma once
// UTF-8 as the client and the server handle it: texts are kept and sent as
// bytes, edited and counted in characters.
#include <cstddef>
#include <string>

// Bytes of the character a lead byte starts, judged by the lead byte alone
// (1 for ASCII and for a stray continuation byte).
size_t utf8SequenceLength(unsigned char lead);

// Length of the well-formed character at s[i] (no overlong form, no
// surrogate, at most U+10FFFF), or 0 when the bytes there are not one.
size_t utf8ValidLength(const std::string& s, size_t i);

// Decodes the well-formed character at s[i]; 0 bytes read when there is none.
size_t utf8Decode(const std::string& s, size_t i, char32_t& codePoint);

bool utf8IsValid(const std::string& s);

// Each byte that is not part of a well-formed character becomes U+FFFD.
std::string utf8Repaired(const std::string& s);

// Characters, counted by their lead bytes.
size_t utf8CountChars(const std::string& s);

// Byte offset of the character at `index`; the size of the text past the end.
size_t utf8ByteOffset(const std::string& s, size_t index);

// Byte offset where the last character starts (0 for an empty text).
size_t utf8LastCharStart(const std::string& s);
