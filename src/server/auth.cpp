#include "server/auth.h"

#include "server/accounts.h"
#include "server/lobby.h"
#include "server/text.h"

#include <sodium.h>

#include <deque>
#include <map>

namespace {

constexpr size_t FAILS_PER_MINUTE = 5;

// Run lifetime.
std::string g_testPassword;
std::map<std::string, std::deque<uint32_t>> g_failures; // by address: failed logins of the last minute

std::deque<uint32_t>& recentFailures(const std::string& address, uint32_t nowMs) {
    auto& times = g_failures[address];
    while (!times.empty() && static_cast<uint32_t>(nowMs - times.front()) >= 60000) times.pop_front();
    return times;
}

void fail(Session& s, uint32_t nowMs, Outbox& out, const std::string& reason, const std::string& logged) {
    recentFailures(s.address, nowMs).push_back(nowMs);
    // Addresses that stopped trying are dropped now and then, so the table stays small.
    if (g_failures.size() > 4096)
        for (auto it = g_failures.begin(); it != g_failures.end();)
            it = recentFailures(it->first, nowMs).empty() ? g_failures.erase(it) : std::next(it);
    out.log.push_back("refus : #" + std::to_string(s.id) + " connexion refusée (" + logged + ")");
    sendTo(out, s.id, "AUTH_FAIL:" + reason);
}

// Compared through fixed-length digests so the time taken says nothing of the pass.
bool testPassMatches(const std::string& given) {
    unsigned char a[32], b[32];
    crypto_generichash(a, sizeof a, reinterpret_cast<const unsigned char*>(given.data()), given.size(), nullptr, 0);
    crypto_generichash(b, sizeof b, reinterpret_cast<const unsigned char*>(g_testPassword.data()),
                       g_testPassword.size(), nullptr, 0);
    return sodium_memcmp(a, b, sizeof a) == 0;
}

// 3 to 20 printable characters, neither field nor list separators, no blank
// at either end (two players would otherwise look alike).
bool validPseudo(const std::string& p) {
    const size_t n = utf8CountChars(p);
    return n >= 3 && n <= 20 && isPrintableUtf8(p) && p.find_first_of(":|") == std::string::npos &&
           p.front() != ' ' && p.back() != ' ';
}

} // namespace

void authReset(const std::string& testPassword) {
    g_testPassword = testPassword;
    g_failures.clear();
}

void handleRegister(Session& s, std::string_view fields, uint32_t, Outbox& out) {
    const auto f = splitFields(fields, ':', 4);
    const auto refuse = [&](const std::string& reason) { sendTo(out, s.id, "REGISTER_FAIL:" + reason); };
    if (s.testPort) return refuse("Les comptes se créent sur le serveur principal.");
    if (f.size() != 4) return refuse("Demande incomplète.");
    if (!isLowerHex64(f[0])) return refuse("Adresse e-mail invalide.");
    if (!validPseudo(f[1])) return refuse("Le pseudo doit faire de 3 à 20 caractères, sans deux-points ni barre verticale.");
    if (!isLowerHex64(f[2])) return refuse("Mot de passe invalide.");
    if (f[3] != "M" && f[3] != "F") return refuse("Genre invalide.");
    switch (accountsRegister(f[0], f[1], f[2], f[3])) {
    case RegisterResult::OK:
        out.log.push_back("#" + std::to_string(s.id) + " compte créé : " + f[1]);
        return sendTo(out, s.id, "REGISTER_OK");
    case RegisterResult::PSEUDO_TAKEN: return refuse("Ce pseudo est déjà pris.");
    case RegisterResult::EMAIL_TAKEN: return refuse("Cette adresse e-mail a déjà un compte.");
    case RegisterResult::FAILED: return refuse("Erreur du serveur, réessayez plus tard.");
    }
}

void handleLogin(Session& s, std::string_view fields, uint32_t nowMs, Outbox& out) {
    if (recentFailures(s.address, nowMs).size() >= FAILS_PER_MINUTE) {
        out.log.push_back("refus : #" + std::to_string(s.id) + " trop de tentatives depuis " + s.address);
        return sendTo(out, s.id, "AUTH_FAIL:Trop de tentatives. Attendez une minute avant de réessayer.");
    }
    const auto f = splitFields(fields, ':', 3);
    if (f.size() != 3 || f[0].empty() || !isLowerHex64(f[1]))
        return fail(s, nowMs, out, "Identifiants incomplets.", "demande mal formée");
    if (s.testPort && (g_testPassword.empty() || !testPassMatches(f[2])))
        return fail(s, nowMs, out, "Mot de passe du serveur de test incorrect.", "mot de passe d'accès");
    // The client sends the address as typed until it has the hash of it.
    const std::string email = isLowerHex64(f[0]) ? f[0] : emailHash(f[0]);
    std::string pseudo;
    const int64_t account = accountsLogin(email, f[1], pseudo);
    if (account == 0) return fail(s, nowMs, out, "E-mail ou mot de passe incorrect.", "identifiants");

    for (Session* other : loggedInPlayers())
        if (other->account == account) {
            sendTo(out, other->id, "SAY:Votre compte vient de se connecter depuis un autre poste.");
            closeSession(other->id, nowMs, out);
        }
    s.account = account;
    s.pseudo = pseudo;
    enterLobby(s);
    out.log.push_back("#" + std::to_string(s.id) + " connecté : " + pseudo);
    sendTo(out, s.id, "AUTH_OK");
    sendTo(out, s.id, "GOTO_LOBBY");
    sendToLobby(out, "LOBBY_JOIN:" + pseudo, s.id);
}
