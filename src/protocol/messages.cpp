#include "protocol/messages.h"

#include "protocol/keywords.h"

std::string composeMessage(std::string_view keyword, const std::string& field) {
    std::string out(keyword);
    out += field;
    return out;
}

std::string composeAuthLogin(const std::string& email, const std::string& passHash, const std::string& accessPass) {
    return composeMessage(MSG_AUTH_LOGIN, email + ":" + passHash + ":" + accessPass);
}

std::string composeAuthRegister(const std::string& emailHash, const std::string& username,
                                const std::string& passHash, const std::string& gender) {
    return composeMessage(MSG_AUTH_REGISTER, emailHash + ":" + username + ":" + passHash + ":" + gender);
}

std::string composeChatMp(const std::string& pseudo, const std::string& text) {
    return composeMessage(MSG_CHAT_MP, pseudo + ":" + text);
}

std::string composeNumber(std::string_view keyword, int64_t value) {
    return composeMessage(keyword, std::to_string(value));
}
