#pragma once
// Everything the game server says enters here, one message at a time, in
// arrival order. Unknown or malformed messages are dropped without a word.
#include <string>

// Never throws; text past a NUL byte is not part of the message.
void handleIncomingPacket(const std::string& text);
