#include "platform/https.h"

#include <curl/curl.h>

#include <memory>

namespace platform {
namespace {

struct Sink {
    std::string* body;
    size_t limit;
};

size_t writeBody(char* data, size_t size, size_t count, void* user) {
    Sink* sink = static_cast<Sink*>(user);
    const size_t n = size * count;
    // Returning less than offered aborts the transfer with a write error.
    if (sink->body->size() + n > sink->limit) return 0;
    sink->body->append(data, n);
    return n;
}

bool curlReady() {
    // Once per run, on the main thread, before any other curl call.
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ready;
}

} // namespace

bool httpsGet(const HttpsRequest& request, std::string& body) {
    body.clear();
    if (!curlReady()) return false;
    std::unique_ptr<CURL, void (*)(CURL*)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) return false;
    // Ask every cache on the way for a fresh copy.
    std::unique_ptr<curl_slist, void (*)(curl_slist*)> headers(
        curl_slist_append(nullptr, "Cache-Control: no-cache"), curl_slist_free_all);
    if (!headers || !curl_slist_append(headers.get(), "Pragma: no-cache")) return false;
    Sink sink{&body, request.maxBodyBytes};
    CURL* c = curl.get();
    bool ok = curl_easy_setopt(c, CURLOPT_URL, request.url.c_str()) == CURLE_OK;
    ok = ok && curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "https") == CURLE_OK;
    ok = ok && curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L) == CURLE_OK;
    ok = ok && curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "https") == CURLE_OK;
    ok = ok && curl_easy_setopt(c, CURLOPT_MAXREDIRS, 5L) == CURLE_OK;
    // An empty proxy overrides the *_proxy environment variables too.
    ok = ok && curl_easy_setopt(c, CURLOPT_PROXY, "") == CURLE_OK;
    ok = ok && curl_easy_setopt(c, CURLOPT_USERAGENT, request.userAgent.c_str()) == CURLE_OK;
    ok = ok && curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get()) == CURLE_OK;
    ok = ok && curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L) == CURLE_OK;
    ok = ok && curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L) == CURLE_OK;
    if (!request.caFile.empty()) {
        ok = ok && curl_easy_setopt(c, CURLOPT_CAINFO, request.caFile.c_str()) == CURLE_OK;
        ok = ok && curl_easy_setopt(c, CURLOPT_CAPATH, nullptr) == CURLE_OK;
    }
    ok = ok && curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, long(request.connectTimeoutMs)) == CURLE_OK;
    ok = ok && curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, long(request.totalTimeoutMs)) == CURLE_OK;
    // Known sizes over the limit are refused before any byte is read.
    ok = ok && curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(request.maxBodyBytes)) == CURLE_OK;
    // No signals: the time-outs must not rely on SIGALRM in a process that
    // also runs audio threads.
    ok = ok && curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L) == CURLE_OK;
    ok = ok && curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, writeBody) == CURLE_OK;
    ok = ok && curl_easy_setopt(c, CURLOPT_WRITEDATA, &sink) == CURLE_OK;
    if (!ok || curl_easy_perform(c) != CURLE_OK) {
        body.clear();
        return false;
    }
    return true;
}

} // namespace platform
