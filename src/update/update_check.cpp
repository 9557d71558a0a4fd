#include "update/update_check.h"

#include "base/text.h"
#include "core/speech.h"
#include "build_config.h"
#include "platform/clock.h"
#include "platform/https.h"
#include "platform/process.h"

#include <nlohmann/json.hpp>

#include <cctype>
#include <climits>
#include <cstdlib>

namespace {

const char* const UPDATE_PATH = "/updates/update.json";
const char* const UPDATER_PROGRAM = "./Updater";

int32_t parsePart(const std::string& raw) {
    const std::string part = trimChars(raw, C_WHITESPACE);
    const size_t end = part.size();
    size_t i = 0;
    const bool negative = i < end && part[i] == '-';
    if (i < end && (part[i] == '+' || part[i] == '-')) ++i;
    // Accumulate in 64 bits and stop as soon as the value leaves the 32-bit
    // range, so a part of any length cannot overflow.
    int64_t value = 0;
    bool digits = false;
    for (; i < end && std::isdigit(static_cast<unsigned char>(part[i])); ++i) {
        digits = true;
        value = value * 10 + (part[i] - '0');
        if (value > int64_t(INT32_MAX) + 1) return 0;
    }
    if (!digits) return 0;
    if (negative) value = -value;
    if (value > INT32_MAX || value < INT32_MIN) return 0;
    return static_cast<int32_t>(value);
}

// The document's "version" when it is a string; empty otherwise.
std::string remoteVersion(const std::string& body) {
    try {
        const nlohmann::json doc = nlohmann::json::parse(body, nullptr, true, false);
        return doc.at("version").get<std::string>();
    } catch (const std::exception&) {
        return std::string();
    }
}

} // namespace

std::vector<int32_t> parseVersionParts(const std::string& text) {
    std::vector<int32_t> parts;
    size_t start = 0;
    while (start < text.size()) {
        size_t dot = text.find('.', start);
        if (dot == std::string::npos) dot = text.size();
        parts.push_back(parsePart(text.substr(start, dot - start)));
        start = dot + 1;
    }
    return parts;
}

int compareVersions(const std::string& a, const std::string& b) {
    const std::vector<int32_t> pa = parseVersionParts(a);
    const std::vector<int32_t> pb = parseVersionParts(b);
    for (size_t i = 0; i < pa.size() || i < pb.size(); ++i) {
        const int32_t va = i < pa.size() ? pa[i] : 0;
        const int32_t vb = i < pb.size() ? pb[i] : 0;
        if (va != vb) return va < vb ? -1 : 1;
    }
    return 0;
}

void checkUpdate() {
    platform::HttpsRequest request;
    request.url = std::string("https://") + ASHEN_UPDATE_HOST + UPDATE_PATH;
    request.userAgent = "AshenRefugeCheck";
    // A silent or unreachable host must not hold the player at a silent start.
    request.connectTimeoutMs = 3000;
    request.totalTimeoutMs = 5000;
    request.maxBodyBytes = 64 * 1024;
    std::string body;
    if (!platform::httpsGet(request, body)) return;
    if (compareVersions(remoteVersion(body), APP_VERSION) != 1) return;

    say("Une version plus récente est disponible. Préparation du téléchargement.");
    platform::sleepMs(2000); // let the sentence be heard
    // Players must update: the client ends even when the updater cannot start.
    platform::startDetached(UPDATER_PROGRAM);
    platform::exitNow(0);
}
