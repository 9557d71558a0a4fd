#include "server/auth.h"

#include "server/instances.h"
#include "server/lobby.h"
#include "server/results.h"
#include "server/storage.h"
#include "server/text.h"

#include "protocol/wire.h"

#include <sodium.h>

#include <memory>

namespace {

// Wrong passwords within a minute: per account, and per address with a
// higher bound, since several players may share one address.
constexpr size_t FAILS_PER_ACCOUNT = 5;
constexpr size_t FAILS_PER_ADDRESS = 20;
constexpr uint64_t FAIL_WINDOW_MS = 60000;
constexpr uint64_t REGISTER_WINDOW_MS = 3600000;

const std::string SERVER_ERROR = "Erreur du serveur, réessayez plus tard.";
const std::string WRONG = "E-mail ou mot de passe incorrect.";

// Run lifetime.
ServerSettings g_settings;
RecentEvents g_failsByAddress{FAIL_WINDOW_MS, {}};
RecentEvents g_failsByAccount{FAIL_WINDOW_MS, {}}; // by e-mail hash
RecentEvents g_registrations{REGISTER_WINDOW_MS, {}}; // by address: hashed registration requests

std::string tag(const Session& s) { return "#" + std::to_string(s.id); }

void refuseLogin(const Session& s, Outbox& out, const std::string& reason, const std::string& logged) {
    out.log.push_back("refus : " + tag(s) + " connexion refusée (" + logged + ")");
    sendTo(out, s.id, Message(MSG_AUTH_FAIL).field(reason));
}

// A well-formed request with a wrong pass: it counts against the address and,
// when one was named, the account.
void failLogin(const Session& s, const std::string& email, uint64_t nowMs, Outbox& out, const std::string& reason,
               const std::string& logged) {
    recentAdd(g_failsByAddress, s.address, nowMs);
    if (!email.empty()) recentAdd(g_failsByAccount, email, nowMs);
    refuseLogin(s, out, reason, logged);
}

// Compared through fixed-length digests so the time taken says nothing of the pass.
bool testPassMatches(const std::string& given) {
    unsigned char a[32], b[32];
    crypto_generichash(a, sizeof a, reinterpret_cast<const unsigned char*>(given.data()), given.size(), nullptr, 0);
    crypto_generichash(b, sizeof b, reinterpret_cast<const unsigned char*>(g_settings.testPassword.data()),
                       g_settings.testPassword.size(), nullptr, 0);
    return sodium_memcmp(a, b, sizeof a) == 0;
}

// 3 to 20 printable characters, neither field nor list separators, no blank
// at either end (two players would otherwise look alike).
bool validPseudo(const std::string& p) {
    const size_t n = utf8CountChars(p);
    return n >= 3 && n <= 20 && isPrintableUtf8(p) && p.find_first_of(":|;") == std::string::npos &&
           p.front() != ' ' && p.back() != ' ';
}

Message registerReply(RegisterResult result) {
    switch (result) {
    case RegisterResult::OK: return MSG_REGISTER_OK;
    case RegisterResult::PSEUDO_TAKEN: return Message(MSG_REGISTER_FAIL).field("Ce pseudo est déjà pris.");
    case RegisterResult::EMAIL_TAKEN:
        return Message(MSG_REGISTER_FAIL).field("Cette adresse e-mail a déjà un compte.");
    case RegisterResult::FAILED: break;
    }
    return Message(MSG_REGISTER_FAIL).field(SERVER_ERROR);
}

// Only logged-in players fill the server; the account's own other session is about to leave.
bool serverFull(int64_t account) {
    size_t others = 0;
    for (const Session* p : loggedInPlayers()) others += p->account != account;
    return others >= g_settings.maxPlayers;
}

void logIn(Session& s, const StoredAccount& account, uint64_t nowMs, Outbox& out) {
    if (serverFull(account.id)) return refuseLogin(s, out, "Serveur complet, réessayez plus tard.", "serveur complet");
    for (Session* other : loggedInPlayers())
        if (other->account == account.id) authLoggedInElsewhere(other->id, nowMs, out);
    s.account = account.id;
    s.pseudo = account.pseudo;
    enterLobby(s);
    instancesLoggedIn(s);
    out.log.push_back(tag(s) + " connecté : " + s.pseudo);
    sendTo(out, s.id, MSG_AUTH_OK);
    sendTo(out, s.id, MSG_GOTO_LOBBY);
    sendToLobby(out, Message(MSG_LOBBY_JOIN).field(s.pseudo), s.id);
}

// The fields are checked and the pseudo and address were found free: the hash
// of the password, then the account, on a worker.
void createAccount(Session& s, const std::vector<std::string>& f, RegisterResult free, const std::string& error,
                   uint64_t nowMs, Outbox& out) {
    const auto refuse = [&](const std::string& reason) { sendTo(out, s.id, Message(MSG_REGISTER_FAIL).field(reason)); };
    if (free == RegisterResult::FAILED) out.log.push_back(tag(s) + " compte non vérifié : " + error);
    if (free != RegisterResult::OK) return sendTo(out, s.id, registerReply(free));
    // Each registration costs a hash: an address gets a few an hour.
    if (recentCount(g_registrations, s.address, nowMs) >= g_settings.registerLimit) {
        out.log.push_back("refus : " + tag(s) + " trop de comptes créés depuis " + s.address);
        return refuse("Trop de comptes créés depuis votre adresse, réessayez dans une heure.");
    }
    // Games wait to be written: the disk has no room for an account either.
    if (resultsRefused()) return refuse(SERVER_ERROR);

    auto result = std::make_shared<RegisterResult>(RegisterResult::FAILED);
    auto why = std::make_shared<std::string>();
    const uint32_t id = s.id;
    const bool queued = sessionJob(
        s,
        [=] {
            const std::string stored = storageHashPassword(f[2]);
            if (stored.empty()) return void(*why = "hachage impossible");
            *result = storageCreateAccount(f[0], f[1], stored, f[3], *why);
            if (*result == RegisterResult::FAILED) *why = "écriture impossible, " + *why;
        },
        [=](Session* session, uint64_t, Outbox& out) {
            // Written even when the player left meanwhile: he may come back to log in.
            if (*result == RegisterResult::OK) out.log.push_back("#" + std::to_string(id) + " compte créé : " + f[1]);
            if (*result == RegisterResult::FAILED)
                out.log.push_back("#" + std::to_string(id) + " compte non créé : " + *why);
            if (session) sendTo(out, id, registerReply(*result));
        },
        true);
    if (!queued) return refuse(SERVER_BUSY);
    recentAdd(g_registrations, s.address, nowMs);
}

// The account of the e-mail was looked up: the password is checked on a worker.
void checkPassword(Session& s, const std::string& email, const std::string& pass, Lookup found,
                   const StoredAccount& account, const std::string& error, uint64_t nowMs, Outbox& out) {
    if (found == Lookup::FAILED) return refuseLogin(s, out, SERVER_ERROR, "base de données : " + error);
    if (found == Lookup::UNKNOWN) return failLogin(s, email, nowMs, out, WRONG, "identifiants");
    if (serverFull(account.id)) return refuseLogin(s, out, "Serveur complet, réessayez plus tard.", "serveur complet");

    auto matches = std::make_shared<bool>(false);
    const bool queued = sessionJob(
        s, [matches, stored = account.password, pass] { *matches = storagePasswordMatches(stored, pass); },
        [=](Session* session, uint64_t nowMs, Outbox& out) {
            if (session == nullptr || session->account != 0) return;
            if (!*matches) return failLogin(*session, email, nowMs, out, WRONG, "identifiants");
            logIn(*session, account, nowMs, out);
        },
        true);
    if (!queued) refuseLogin(s, out, SERVER_BUSY, "file de calcul pleine");
}

} // namespace

void authReset(const ServerSettings& settings) {
    g_settings = settings;
    g_failsByAddress.byKey.clear();
    g_failsByAccount.byKey.clear();
    g_registrations.byKey.clear();
}

void handleRegister(Session& s, FieldCursor& fields, uint64_t, Outbox& out) {
    const auto refuse = [&](const std::string& reason) { sendTo(out, s.id, Message(MSG_REGISTER_FAIL).field(reason)); };
    if (s.testPort) return refuse("Les comptes se créent sur le serveur principal.");
    if (fieldsLeft(fields) < 4) return refuse("Demande incomplète.");
    // E-mail hash, pseudo, password hash, gender (which takes any ':' left).
    const std::string f[4] = {readField(fields), readField(fields), readField(fields), readRest(fields)};
    if (!isLowerHex64(f[0])) return refuse("Adresse e-mail invalide.");
    if (!validPseudo(f[1]))
        return refuse("Le pseudo doit faire de 3 à 20 caractères, sans deux-points, point-virgule ni barre verticale.");
    if (!isLowerHex64(f[2])) return refuse("Mot de passe invalide.");
    if (f[3] != "M" && f[3] != "F") return refuse("Genre invalide.");
    // Whether the pseudo and the address are free is asked first: a refusal costs no hash.
    const std::vector<std::string> request(std::begin(f), std::end(f));
    auto free = std::make_shared<RegisterResult>(RegisterResult::FAILED);
    auto error = std::make_shared<std::string>();
    const bool queued = sessionJob(
        s, [=] { *free = storageCheckFree(request[0], request[1], *error); },
        [=](Session* session, uint64_t nowMs, Outbox& out) {
            if (session) createAccount(*session, request, *free, *error, nowMs, out);
        });
    if (!queued) refuse(SERVER_BUSY);
}

void handleLogin(Session& s, FieldCursor& fields, uint64_t nowMs, Outbox& out) {
    const size_t given = fieldsLeft(fields);
    // E-mail (or its hash), password hash, access pass (which takes any ':' left).
    const std::string f[3] = {readField(fields), readField(fields), readRest(fields)};
    if (given < 3 || f[0].empty() || !isLowerHex64(f[1]))
        return refuseLogin(s, out, "Identifiants incomplets.", "demande mal formée");
    // The client sends the address as typed until it has the hash of it.
    const std::string email = isLowerHex64(f[0]) ? f[0] : emailHash(f[0]);
    if (recentCount(g_failsByAddress, s.address, nowMs) >= FAILS_PER_ADDRESS ||
        recentCount(g_failsByAccount, email, nowMs) >= FAILS_PER_ACCOUNT)
        return refuseLogin(s, out, "Trop de tentatives. Attendez une minute avant de réessayer.", "trop de tentatives");
    if (s.testPort && (g_settings.testPassword.empty() || !testPassMatches(f[2])))
        return failLogin(s, {}, nowMs, out, "Mot de passe du serveur de test incorrect.", "mot de passe d'accès");
    auto found = std::make_shared<Lookup>(Lookup::FAILED);
    auto account = std::make_shared<StoredAccount>();
    auto error = std::make_shared<std::string>();
    const bool queued = sessionJob(
        s, [=] { *found = storageFindAccount(email, *account, *error); },
        [=, pass = f[1]](Session* session, uint64_t nowMs, Outbox& out) {
            if (session) checkPassword(*session, email, pass, *found, *account, *error, nowMs, out);
        });
    if (!queued) refuseLogin(s, out, SERVER_BUSY, "file de calcul pleine");
}

void authLoggedInElsewhere(uint32_t session, uint64_t nowMs, Outbox& out) {
    refuseSession(session, "Votre compte vient de se connecter depuis un autre poste.", nowMs, out);
}
