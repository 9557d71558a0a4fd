#include "server/accounts.h"

#include "server/text.h"

#include <sodium.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <filesystem>

namespace {

// Run lifetime: opened at start-up, closed at shut-down.
sqlite3* g_db = nullptr;

const char* const SCHEMA =
    "CREATE TABLE IF NOT EXISTS accounts ("
    " id INTEGER PRIMARY KEY,"
    " email_hash TEXT NOT NULL UNIQUE,"
    " pseudo TEXT NOT NULL,"
    " pseudo_key TEXT NOT NULL UNIQUE,"
    " password TEXT NOT NULL,"
    " gender TEXT NOT NULL,"
    " created INTEGER NOT NULL);"
    "CREATE TABLE IF NOT EXISTS stats ("
    " account INTEGER PRIMARY KEY REFERENCES accounts(id),"
    " best_points INTEGER NOT NULL DEFAULT 0,"
    " total_kills INTEGER NOT NULL DEFAULT 0,"
    " best_round INTEGER NOT NULL DEFAULT 0,"
    " games INTEGER NOT NULL DEFAULT 0);";

// One prepared statement, finalised on every path out.
class Statement {
public:
    explicit Statement(const char* sql) {
        if (g_db == nullptr || sqlite3_prepare_v2(g_db, sql, -1, &stmt_, nullptr) != SQLITE_OK) stmt_ = nullptr;
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool ok() const { return stmt_ != nullptr; }
    Statement& bind(int index, const std::string& text) {
        if (stmt_) sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& bind(int index, int64_t value) {
        if (stmt_) sqlite3_bind_int64(stmt_, index, value);
        return *this;
    }
    int step() { return stmt_ ? sqlite3_step(stmt_) : SQLITE_ERROR; }
    std::string text(int column) const {
        const unsigned char* t = sqlite3_column_text(stmt_, column);
        return t ? std::string(reinterpret_cast<const char*>(t), static_cast<size_t>(sqlite3_column_bytes(stmt_, column)))
                 : std::string();
    }
    int64_t integer(int column) const { return sqlite3_column_int64(stmt_, column); }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

bool exists(const char* sql, const std::string& value) {
    Statement s(sql);
    return s.bind(1, value).step() == SQLITE_ROW;
}

} // namespace

bool accountsOpen(const std::string& dataDir) {
    accountsClose();
    if (sodium_init() < 0) return false;
    std::error_code error;
    if (!std::filesystem::is_directory(dataDir, error)) {
        if (!std::filesystem::create_directories(dataDir, error)) return false;
        // The folder holds every account's password hash: its owner only.
        if (chmod(dataDir.c_str(), 0700) != 0) return false;
    }
    const std::string path = dataDir + "/accounts.sqlite";
    if (sqlite3_open_v2(path.c_str(), &g_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        accountsClose();
        return false;
    }
    chmod(path.c_str(), 0600);
    // WAL lets a backup read while the server writes; a busy file waits a little rather than failing.
    sqlite3_busy_timeout(g_db, 2000);
    if (sqlite3_exec(g_db, "PRAGMA journal_mode=WAL; PRAGMA foreign_keys=ON;", nullptr, nullptr, nullptr) != SQLITE_OK ||
        sqlite3_exec(g_db, SCHEMA, nullptr, nullptr, nullptr) != SQLITE_OK) {
        accountsClose();
        return false;
    }
    return true;
}

void accountsClose() {
    if (g_db) sqlite3_close(g_db);
    g_db = nullptr;
}

RegisterResult accountsRegister(const std::string& emailHash, const std::string& pseudo, const std::string& passHash,
                                const std::string& gender) {
    if (g_db == nullptr) return RegisterResult::FAILED;
    const std::string key = caseKey(pseudo);
    // Checked before hashing: a refusal costs no Argon2id run.
    if (exists("SELECT 1 FROM accounts WHERE pseudo_key = ?", key)) return RegisterResult::PSEUDO_TAKEN;
    if (exists("SELECT 1 FROM accounts WHERE email_hash = ?", emailHash)) return RegisterResult::EMAIL_TAKEN;
    char stored[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(stored, passHash.data(), passHash.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        return RegisterResult::FAILED;
    Statement insert("INSERT INTO accounts (email_hash, pseudo, pseudo_key, password, gender, created)"
                     " VALUES (?, ?, ?, ?, ?, strftime('%s','now'))");
    insert.bind(1, emailHash).bind(2, pseudo).bind(3, key).bind(4, std::string(stored)).bind(5, gender);
    return insert.step() == SQLITE_DONE ? RegisterResult::OK : RegisterResult::FAILED;
}

int64_t accountsLogin(const std::string& emailHash, const std::string& passHash, std::string& pseudo) {
    Statement s("SELECT id, pseudo, password FROM accounts WHERE email_hash = ?");
    if (s.bind(1, emailHash).step() != SQLITE_ROW) return 0;
    const std::string stored = s.text(2);
    if (crypto_pwhash_str_verify(stored.c_str(), passHash.data(), passHash.size()) != 0) return 0;
    pseudo = s.text(1);
    return s.integer(0);
}

void accountsRecordGame(const std::string& pseudo, int points, int kills, int round) {
    Statement s("INSERT INTO stats (account, best_points, total_kills, best_round, games)"
                " SELECT id, ?2, ?3, ?4, 1 FROM accounts WHERE pseudo_key = ?1"
                " ON CONFLICT(account) DO UPDATE SET best_points = max(best_points, excluded.best_points),"
                " total_kills = total_kills + excluded.total_kills,"
                " best_round = max(best_round, excluded.best_round), games = games + 1");
    s.bind(1, caseKey(pseudo)).bind(2, int64_t{points}).bind(3, int64_t{kills}).bind(4, int64_t{round}).step();
}

std::vector<RankingEntry> accountsRanking(RankingKind kind, int limit) {
    const char* sql = kind == RankingKind::POINTS ? "SELECT a.pseudo, s.best_points FROM stats s JOIN accounts a"
                                                    " ON a.id = s.account ORDER BY 2 DESC, a.pseudo_key LIMIT ?"
                      : kind == RankingKind::KILLS ? "SELECT a.pseudo, s.total_kills FROM stats s JOIN accounts a"
                                                     " ON a.id = s.account ORDER BY 2 DESC, a.pseudo_key LIMIT ?"
                                                   : "SELECT a.pseudo, s.best_round FROM stats s JOIN accounts a"
                                                     " ON a.id = s.account ORDER BY 2 DESC, a.pseudo_key LIMIT ?";
    std::vector<RankingEntry> entries;
    Statement s(sql);
    s.bind(1, int64_t{limit});
    while (s.step() == SQLITE_ROW) entries.push_back({s.text(0), s.integer(1)});
    return entries;
}
