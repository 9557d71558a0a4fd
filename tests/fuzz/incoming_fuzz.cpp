// The server's messages as they arrive. The input's first line names the
// scene by its first byte ('0' intro to '4' options); every further line is
// one message, handled in order, a frame apart.
#include "app/app.h"
#include "client_test_support.h"
#include "base/utf8.h"
#include "core/save_file.h"
#include "core/scene.h"
#include "fuzz_support.h"
#include "net/connection.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input = asText(data, size);
    const size_t firstBreak = input.find('\n');
    if (input.empty() || firstBreak == std::string::npos) return -1;

    startAudio();
    myProfile = PlayerProfile{"Zoé", "zoe@exemple.fr", std::string(64, 'c'), "F"};
    SceneManager::currentScene = static_cast<Scene>(static_cast<uint8_t>(input[0] - '0') % 5);
    for (size_t start = firstBreak + 1; start <= input.size();) {
        size_t end = input.find('\n', start);
        if (end == std::string::npos) end = input.size();
        handleIncomingPacket(input.substr(start, end - start));
        fake::advance(16); // one frame between two messages
        start = end + 1;
    }

    // Speech reaches the player whole: one line of well-formed UTF-8.
    for (const std::string& text : fake::spoken()) {
        FUZZ_CHECK(utf8IsValid(text));
        FUZZ_CHECK(text.find_first_of(std::string("\0\r\n", 3)) == std::string::npos);
    }
    return 0;
}
