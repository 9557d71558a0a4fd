#pragma once
// Accounts and game statistics in SQLite. The e-mail is kept only as the
// client's SHA-256 of it, the password only as an Argon2id hash of the
// client's SHA-256 of it. Every function fails softly: false, 0 or empty.
#include <cstdint>
#include <string>
#include <vector>

// Creates the folder (0700) when missing and opens or creates its database.
bool accountsOpen(const std::string& dataDir);
void accountsClose();

enum class RegisterResult { OK, PSEUDO_TAKEN, EMAIL_TAKEN, FAILED };
// Fields are checked by the caller; uniqueness here (pseudo without regard to case).
RegisterResult accountsRegister(const std::string& emailHash, const std::string& pseudo,
                                const std::string& passHash, const std::string& gender);

// The account's id and pseudo, or 0 when the e-mail is unknown or the password wrong.
int64_t accountsLogin(const std::string& emailHash, const std::string& passHash, std::string& pseudo);

// Folds one game into the account's statistics: best points, total kills, best round.
void accountsRecordGame(const std::string& pseudo, int points, int kills, int round);

enum class RankingKind { POINTS, KILLS, ROUND };
struct RankingEntry { std::string pseudo; int64_t value; };
// Best first, ties by pseudo; accounts without a game are left out.
std::vector<RankingEntry> accountsRanking(RankingKind kind, int limit);
