#include "server/instances.h"

#include "server/auth.h"
#include "server/storage.h"

#include "protocol/wire.h"

#include <sodium.h>

#include <algorithm>
#include <map>
#include <memory>

namespace {

// A listener that cannot be had is asked for again after 1 s, then twice as
// long each time up to 30 s: a database that restarts is found again quickly,
// one that is gone is not hammered.
constexpr uint64_t RETRY_FIRST_MS = 1000;
constexpr uint64_t RETRY_MAX_MS = 30000;

struct Claim {
    int64_t account = 0;
    int64_t serial = 0;  // this login's, once written
    bool pending = true; // being written
    int64_t later = 0;   // the latest other login heard while it was written
};

// Run lifetime: from instancesStart to instancesStop.
bool g_shared = false;
std::string g_instance; // this run's name in the notices
std::shared_ptr<StorageListener> g_listener;
bool g_opening = false;
bool g_checking = false;
bool g_lost = false; // the loss was logged; its end will be
uint64_t g_retryAt = 0;
uint64_t g_retryMs = RETRY_FIRST_MS;
std::map<uint32_t, Claim> g_claims; // by session
uint64_t g_run = 0;                 // answers of an earlier run are ignored

// The session of a claim, while it is still logged in to that account.
Session* holder(uint32_t id, const Claim& claim) {
    Session* s = findSession(id);
    return s && s->account == claim.account && s->closeAt == 0 ? s : nullptr;
}

void forgetGone() {
    for (auto it = g_claims.begin(); it != g_claims.end();)
        it = holder(it->first, it->second) ? std::next(it) : g_claims.erase(it);
}

void open() {
    auto listener = std::make_shared<std::shared_ptr<StorageListener>>();
    auto error = std::make_shared<std::string>();
    g_opening = workersSubmit(
        0, [listener, error] { *listener = storageListenOpen(*error); },
        [listener, error, run = g_run](uint64_t nowMs, Outbox& out) {
            if (run != g_run) return;
            g_opening = false;
            if (!*listener) {
                if (!g_lost) out.log.push_back("base partagée : écoute des autres serveurs impossible : " + *error);
                g_lost = true;
                g_retryAt = nowMs + g_retryMs;
                g_retryMs = std::min(g_retryMs * 2, RETRY_MAX_MS);
                return;
            }
            g_listener = *listener;
            out.log.push_back(g_lost ? "base partagée : écoute des autres serveurs rétablie"
                                     : "base partagée : à l'écoute des autres serveurs");
            g_lost = false;
            g_retryMs = RETRY_FIRST_MS;
            // What was said while nobody here listened.
            instancesCheck();
        });
}

// "account:serial:instance", from any server on the database.
void heard(const std::string& notice, uint64_t nowMs, Outbox& out) {
    FieldCursor fields{notice};
    const std::string f[3] = {readField(fields), readField(fields), readRest(fields)};
    const auto number = [](const std::string& t) {
        return !t.empty() && t.size() <= 18 && t.find_first_not_of("0123456789") == std::string::npos;
    };
    if (!number(f[0]) || !number(f[1]) || f[2].empty() || f[2] == g_instance) return;
    const int64_t account = std::stoll(f[0]), serial = std::stoll(f[1]);
    for (Session* s : loggedInPlayers()) {
        if (s->account != account) continue;
        auto claim = g_claims.find(s->id);
        if (claim != g_claims.end() && claim->second.pending)
            claim->second.later = std::max(claim->second.later, serial);
        else if (claim == g_claims.end() || serial > claim->second.serial)
            authLoggedInElsewhere(s->id, nowMs, out);
    }
}

} // namespace

void instancesStart(uint64_t nowMs) {
    instancesStop();
    g_shared = storageShared();
    unsigned char bytes[8];
    randombytes_buf(bytes, sizeof bytes);
    char hex[sizeof bytes * 2 + 1];
    g_instance = sodium_bin2hex(hex, sizeof hex, bytes, sizeof bytes);
    g_retryAt = nowMs;
}

void instancesStop() {
    g_shared = false;
    g_listener.reset();
    g_opening = g_checking = g_lost = false;
    g_retryMs = RETRY_FIRST_MS;
    g_claims.clear();
    ++g_run;
}

void instancesLoggedIn(const Session& s) {
    if (!g_shared) return;
    const uint32_t id = s.id;
    const int64_t account = s.account;
    auto serial = std::make_shared<int64_t>(0);
    auto error = std::make_shared<std::string>();
    const bool queued = workersSubmit(
        id, [=, instance = g_instance] { *serial = storageClaimLogin(account, instance, *error); },
        [=, run = g_run, pseudo = s.pseudo](uint64_t nowMs, Outbox& out) {
            auto claim = g_claims.find(id);
            if (run != g_run || claim == g_claims.end()) return;
            if (!holder(id, claim->second)) return (void)g_claims.erase(claim);
            if (*serial == 0) {
                // Unknown to the others: any later login there ends it.
                out.log.push_back("connexion de " + pseudo + " non annoncée aux autres serveurs : " + *error);
                return (void)g_claims.erase(claim);
            }
            claim->second.pending = false;
            claim->second.serial = *serial;
            if (claim->second.later > *serial) authLoggedInElsewhere(id, nowMs, out);
        });
    if (queued) g_claims[id] = Claim{account};
}

void instancesPoll(uint64_t nowMs, Outbox& out) {
    if (!g_shared) return;
    if (!g_listener) {
        if (!g_opening && nowMs >= g_retryAt) open();
        return;
    }
    std::vector<std::string> notices;
    std::string error;
    const bool alive = storageListenRead(*g_listener, notices, error);
    for (const std::string& notice : notices) heard(notice, nowMs, out);
    if (alive) return;
    out.log.push_back("base partagée : écoute des autres serveurs perdue : " + error);
    g_lost = true;
    g_listener.reset();
    g_retryAt = nowMs;
}

void instancesCheck() {
    if (!g_shared || g_checking) return;
    forgetGone();
    std::vector<int64_t> accounts;
    for (const auto& [id, claim] : g_claims)
        if (!claim.pending) accounts.push_back(claim.account);
    if (accounts.empty()) return;
    auto latest = std::make_shared<std::vector<LoginClaim>>();
    auto error = std::make_shared<std::string>();
    g_checking = workersSubmit(
        0, [=] { storageLatestLogins(accounts, *latest, *error); },
        [=, run = g_run](uint64_t nowMs, Outbox& out) {
            if (run != g_run) return;
            g_checking = false;
            for (const LoginClaim& l : *latest)
                for (const auto& [id, claim] : g_claims)
                    if (claim.account == l.account && !claim.pending && claim.serial < l.serial &&
                        holder(id, claim))
                        authLoggedInElsewhere(id, nowMs, out);
        });
}
