#pragma once
// Accounts, logins and game statistics, in SQLite (one file in the data
// folder, the embedded default) or in PostgreSQL (which several servers may
// share). The e-mail is kept only as the client's SHA-256 of it, the password
// only as an Argon2id hash of the client's SHA-256 of it.
//
// Threads: storageOpen and storageClose belong to the loop, at start-up and
// shut-down, where waiting is allowed. Every other call waits on the disk or
// the network and is made from a job's `work` (workers.h); each thread uses a
// connection of its own, opened at its first call. Every call fails softly,
// with the database's own words in `error` for the log.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The schema this server writes; a database at a later one is refused.
constexpr int STORAGE_SCHEMA = 2;
// The channel on which a shared database tells every server of each login.
constexpr const char* STORAGE_LOGIN_CHANNEL = "ashen_login";

// `database` empty: SQLite in `dataDir` (created 0700 when missing);
// otherwise a PostgreSQL connection URI. Brings the schema up to date.
// False with a French `error`.
bool storageOpen(const std::string& dataDir, const std::string& database, std::string& error);
// Closes the loop thread's connection; the workers' close as their threads end.
void storageClose();
// PostgreSQL: other servers may use the same accounts.
bool storageShared();

// The Argon2id string to store for a password hash; empty when hashing failed.
// Slow by design (a tenth of a second, 64 MB); touches no database.
std::string storageHashPassword(const std::string& passHash);
// The password hash matches the stored Argon2id string. Slow likewise.
bool storagePasswordMatches(const std::string& stored, const std::string& passHash);

enum class RegisterResult { OK, PSEUDO_TAKEN, EMAIL_TAKEN, FAILED };
// Whether the pseudo (without regard to case) and the e-mail are still free:
// asked before hashing, so a refusal costs no Argon2id run.
RegisterResult storageCheckFree(const std::string& emailHash, const std::string& pseudo, std::string& error);
// Fields are checked by the caller. A pseudo or e-mail taken meanwhile (here
// or by another server) is told as such.
RegisterResult storageCreateAccount(const std::string& emailHash, const std::string& pseudo, const std::string& stored,
                                    const std::string& gender, std::string& error);

struct StoredAccount {
    int64_t id = 0;
    std::string pseudo;
    std::string password; // the Argon2id string
};
enum class Lookup { FOUND, UNKNOWN, FAILED };
Lookup storageFindAccount(const std::string& emailHash, StoredAccount& account, std::string& error);

struct GameRecord {
    std::string pseudo;
    int points = 0, kills = 0, round = 0;
};
// Folds games into their accounts' statistics (best points, total kills, best
// round), in order until one fails; how many were written.
size_t storageRecordGames(const std::vector<GameRecord>& games, std::string& error);

enum class RankingKind { POINTS, KILLS, ROUND };
struct RankingEntry {
    std::string pseudo;
    int64_t value = 0;
};
// Best first, ties by pseudo (byte order of its lower-case key); accounts without a game are left out.
bool storageRanking(RankingKind kind, int limit, std::vector<RankingEntry>& entries, std::string& error);

// Shared database: this login becomes the account's latest. Its serial, which
// grows with each login of the account in the order they were written, and
// which every listening server hears as "account:serial:instance"; 0 on failure.
int64_t storageClaimLogin(int64_t account, const std::string& instance, std::string& error);
struct LoginClaim {
    int64_t account = 0;
    int64_t serial = 0;
};
// The latest login serial of each of these accounts that has one.
bool storageLatestLogins(const std::vector<int64_t>& accounts, std::vector<LoginClaim>& claims, std::string& error);

// Shared database: a connection that hears every server's logins. Opened
// and listening by storageListenOpen, which waits on the network (a job's
// work); read by storageListenRead, which never waits (the loop). Null, or
// false, with `error` when the connection cannot be had or was lost.
struct StorageListener;
std::shared_ptr<StorageListener> storageListenOpen(std::string& error);
// Appends each login notice that arrived, as "account:serial:instance".
bool storageListenRead(StorageListener& listener, std::vector<std::string>& notices, std::string& error);

// Once a minute: SQLite's write-ahead log folded back and cut short.
bool storageMaintain(std::string& error);
// Tests: every write fails from now on, as on a full disk (false lifts it).
void storageFailWrites(bool fail);
