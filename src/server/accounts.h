#pragma once
// Accounts and game statistics in SQLite. The e-mail is kept only as the
// client's SHA-256 of it, the password only as an Argon2id hash of the
// client's SHA-256 of it. Every function fails softly: false, 0 or empty.
//
// The database is the loop's: every function but the two password ones runs
// on the loop thread. Those two are slow (a tenth of a second and 64 MB by
// design), touch no database and run on the workers.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Creates the folder (0700) when missing and opens or creates its database.
bool accountsOpen(const std::string& dataDir);
// Writes back what it can and closes the database; accountsUnsaved() then
// tells how many games were lost.
void accountsClose();

// The Argon2id string to store for a password hash; empty when hashing failed. Any thread.
std::string accountsHashPassword(const std::string& passHash);
// The password hash matches the stored Argon2id string. Any thread.
bool accountsPasswordMatches(const std::string& stored, const std::string& passHash);

enum class RegisterResult { OK, PSEUDO_TAKEN, EMAIL_TAKEN, FAILED };
// Whether the pseudo (without regard to case) and the e-mail are still free:
// checked before hashing, so a refusal costs no Argon2id run.
RegisterResult accountsCheckFree(const std::string& emailHash, const std::string& pseudo);
// Fields are checked by the caller. A pseudo or e-mail taken meanwhile is told as such.
RegisterResult accountsCreate(const std::string& emailHash, const std::string& pseudo, const std::string& stored,
                              const std::string& gender);

struct StoredAccount {
    int64_t id = 0;
    std::string pseudo;
    std::string password; // the Argon2id string
};
// The account of an e-mail hash; false when unknown.
bool accountsFind(const std::string& emailHash, StoredAccount& account);

// Folds one game into the account's statistics: best points, total kills,
// best round. A game that cannot be written (a full disk) is kept in memory,
// and written by accountsMaintain once it can be: false then.
bool accountsRecordGame(const std::string& pseudo, int points, int kills, int round);
// Games kept in memory, not yet written.
size_t accountsUnsaved();
// Every minute: the write-ahead log folded back and cut short, kept games
// written. One French line per event worth logging.
void accountsMaintain(std::vector<std::string>& log);
// SQLite's last error, for the log.
std::string accountsError();
// Tests: every write fails from now on, as on a full disk (false lifts it).
void accountsFailWrites(bool fail);

enum class RankingKind { POINTS, KILLS, ROUND };
struct RankingEntry { std::string pseudo; int64_t value; };
// Best first, ties by pseudo; accounts without a game are left out.
std::vector<RankingEntry> accountsRanking(RankingKind kind, int limit);
