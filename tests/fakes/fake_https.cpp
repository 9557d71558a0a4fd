#include "fake_https.h"

namespace fake::https {
namespace {

bool g_ok = false;
std::string g_body;
int g_requests = 0;
platform::HttpsRequest g_last;

} // namespace

void reset() {
    g_ok = false;
    g_body.clear();
    g_requests = 0;
    g_last = platform::HttpsRequest();
}
void answer(const std::string& body) {
    g_ok = true;
    g_body = body;
}
int requests() { return g_requests; }
const platform::HttpsRequest& lastRequest() { return g_last; }

} // namespace fake::https

namespace platform {

bool httpsGet(const HttpsRequest& request, std::string& body) {
    ++fake::https::g_requests;
    fake::https::g_last = request;
    body = fake::https::g_ok ? fake::https::g_body : std::string();
    return fake::https::g_ok;
}

} // namespace platform
