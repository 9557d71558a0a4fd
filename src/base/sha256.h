#pragma once
// SHA-256 (FIPS 180-4). Passwords and registration e-mails are stored and
// sent only as this digest.
#include <cstdint>
#include <string>
#include <vector>

// The 32-byte digest of the given bytes.
std::vector<uint8_t> sha256(const std::vector<uint8_t>& data);

// The digest of the bytes of `text`, taken as they are, in 64 lower-case hex digits.
std::string sha256Hex(const std::string& text);
