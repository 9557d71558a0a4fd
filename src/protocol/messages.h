#pragma once
// The texts of the client's messages, composed from their fields. Nothing is
// checked or escaped: a field holding ':' shifts the fields after it, as the
// server reads them.
#include <cstdint>
#include <string>
#include <string_view>

// A keyword followed by one field.
std::string composeMessage(std::string_view keyword, const std::string& field);

std::string composeAuthLogin(const std::string& email, const std::string& passHash, const std::string& accessPass);
std::string composeAuthRegister(const std::string& emailHash, const std::string& username,
                                const std::string& passHash, const std::string& gender);
std::string composeChatMp(const std::string& pseudo, const std::string& text);
std::string composeNumber(std::string_view keyword, int64_t value);
