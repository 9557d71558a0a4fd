#pragma once
#include <string>

namespace platform {

// Speaks a UTF-8 text, always cutting off the speech in progress.
void speak(const std::string& text);

void closeSpeech();

} // namespace platform
