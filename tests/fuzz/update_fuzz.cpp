// The update host's answer, and the version text in it. The input is taken
// as the whole document, then as the "version" of a well-formed one. The
// client ends for an update exactly when the version is newer than its own,
// having said so; otherwise it starts silently.
#include "build_config.h"
#include "fake_https.h"
#include "fake_platform.h"
#include "fake_process.h"
#include "fuzz_support.h"
#include "base/utf8.h"
#include "update/update_check.h"

#include <nlohmann/json.hpp>

namespace {

// True when the check ended the client.
bool check(const std::string& body) {
    fake::reset();
    fake::https::reset();
    fake::process::reset();
    fake::https::answer(body);
    bool ended = false;
    try {
        checkUpdate();
    } catch (const fake::process::Exited& e) {
        FUZZ_CHECK(e.code == 0);
        ended = true;
    }
    FUZZ_CHECK(ended == !fake::process::started().empty());
    FUZZ_CHECK(ended == !fake::spoken().empty());
    return ended;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input = asText(data, size);
    check(input);

    const int order = compareVersions(input, APP_VERSION);
    FUZZ_CHECK(order == -compareVersions(APP_VERSION, input));
    FUZZ_CHECK(compareVersions(input, input) == 0);
    const std::string document =
        nlohmann::json{{"version", input}}.dump(-1, ' ', false, nlohmann::json::error_handler_t::ignore);
    FUZZ_CHECK(check(document) == (order == 1) || !utf8IsValid(input));
    return 0;
}
