#pragma once
// One HTTPS GET, bounded in time and size, never served from a cache and
// never through a proxy. TLS is verified (peer and host name) against the
// system's certificate store. The HTTP status is not examined: whatever body
// the server sends is the answer.
#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

struct HttpsRequest {
    std::string url;
    std::string userAgent;
    uint32_t connectTimeoutMs = 3000;
    uint32_t totalTimeoutMs = 5000; // the whole transfer, connection included
    size_t maxBodyBytes = 64 * 1024;
    // Tests only: trust this CA file instead of the system store.
    std::string caFile;
};

// False on any failure (no network, refused or unverified TLS, time-out, a
// body over the limit); `body` is then left empty. Prints nothing.
bool httpsGet(const HttpsRequest& request, std::string& body);

} // namespace platform
