#include "server/accounts.h"

#include "server/text.h"

#include <sodium.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <filesystem>

namespace {

// The write-ahead log is folded back into the database every 64 pages (256 KB)
// and cut back to this size, so that it never grows on a small disk.
constexpr int WAL_CHECKPOINT_PAGES = 64;
constexpr int64_t WAL_SIZE_LIMIT = 256 * 1024;
constexpr int BUSY_WAIT_MS = 2000;
// Games kept while the disk refuses them; beyond that, the oldest give way.
constexpr size_t UNSAVED_MAX = 10000;

struct GameRow {
    std::string pseudo;
    int points, kills, round;
};

// Run lifetime: opened at start-up, closed at shut-down.
sqlite3* g_db = nullptr;
std::vector<GameRow> g_unsaved; // in the order the games ended

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

bool writeGame(const GameRow& g) {
    Statement s("INSERT INTO stats (account, best_points, total_kills, best_round, games)"
                " SELECT id, ?2, ?3, ?4, 1 FROM accounts WHERE pseudo_key = ?1"
                " ON CONFLICT(account) DO UPDATE SET best_points = max(best_points, excluded.best_points),"
                " total_kills = total_kills + excluded.total_kills,"
                " best_round = max(best_round, excluded.best_round), games = games + 1");
    s.bind(1, caseKey(g.pseudo)).bind(2, int64_t{g.points}).bind(3, int64_t{g.kills}).bind(4, int64_t{g.round});
    return s.step() == SQLITE_DONE;
}

// Writes kept games in order until one fails; the number written.
size_t writeUnsaved() {
    size_t written = 0;
    while (written < g_unsaved.size() && writeGame(g_unsaved[written])) ++written;
    g_unsaved.erase(g_unsaved.begin(), g_unsaved.begin() + static_cast<std::ptrdiff_t>(written));
    return written;
}

// Folds the log back into the database without waiting for a reader: the loop never waits here.
void checkpoint() {
    sqlite3_busy_timeout(g_db, 0);
    sqlite3_wal_checkpoint_v2(g_db, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
    sqlite3_busy_timeout(g_db, BUSY_WAIT_MS);
}

} // namespace

bool accountsOpen(const std::string& dataDir) {
    accountsClose();
    g_unsaved.clear();
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
    sqlite3_busy_timeout(g_db, BUSY_WAIT_MS);
    const std::string pragmas = "PRAGMA journal_mode=WAL; PRAGMA foreign_keys=ON; PRAGMA wal_autocheckpoint=" +
                                std::to_string(WAL_CHECKPOINT_PAGES) +
                                "; PRAGMA journal_size_limit=" + std::to_string(WAL_SIZE_LIMIT) + ";";
    if (sqlite3_exec(g_db, pragmas.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK ||
        sqlite3_exec(g_db, SCHEMA, nullptr, nullptr, nullptr) != SQLITE_OK) {
        accountsClose();
        return false;
    }
    return true;
}

void accountsClose() {
    if (g_db) {
        writeUnsaved();
        sqlite3_close(g_db);
    }
    g_db = nullptr;
}

std::string accountsHashPassword(const std::string& passHash) {
    char stored[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(stored, passHash.data(), passHash.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        return {};
    return stored;
}

bool accountsPasswordMatches(const std::string& stored, const std::string& passHash) {
    return crypto_pwhash_str_verify(stored.c_str(), passHash.data(), passHash.size()) == 0;
}

RegisterResult accountsCheckFree(const std::string& emailHash, const std::string& pseudo) {
    if (g_db == nullptr) return RegisterResult::FAILED;
    if (exists("SELECT 1 FROM accounts WHERE pseudo_key = ?", caseKey(pseudo))) return RegisterResult::PSEUDO_TAKEN;
    if (exists("SELECT 1 FROM accounts WHERE email_hash = ?", emailHash)) return RegisterResult::EMAIL_TAKEN;
    return RegisterResult::OK;
}

RegisterResult accountsCreate(const std::string& emailHash, const std::string& pseudo, const std::string& stored,
                              const std::string& gender) {
    if (g_db == nullptr || stored.empty()) return RegisterResult::FAILED;
    Statement insert("INSERT INTO accounts (email_hash, pseudo, pseudo_key, password, gender, created)"
                     " VALUES (?, ?, ?, ?, ?, strftime('%s','now'))");
    insert.bind(1, emailHash).bind(2, pseudo).bind(3, caseKey(pseudo)).bind(4, stored).bind(5, gender);
    const int result = insert.step();
    if (result == SQLITE_DONE) return RegisterResult::OK;
    // Another registration took the pseudo or the address while this one was hashed.
    const RegisterResult free = result == SQLITE_CONSTRAINT ? accountsCheckFree(emailHash, pseudo) : RegisterResult::OK;
    return free == RegisterResult::OK ? RegisterResult::FAILED : free;
}

bool accountsFind(const std::string& emailHash, StoredAccount& account) {
    Statement s("SELECT id, pseudo, password FROM accounts WHERE email_hash = ?");
    if (s.bind(1, emailHash).step() != SQLITE_ROW) return false;
    account = StoredAccount{s.integer(0), s.text(1), s.text(2)};
    return true;
}

bool accountsRecordGame(const std::string& pseudo, int points, int kills, int round) {
    if (g_unsaved.size() >= UNSAVED_MAX) g_unsaved.erase(g_unsaved.begin());
    g_unsaved.push_back({pseudo, points, kills, round});
    writeUnsaved();
    return g_unsaved.empty();
}

size_t accountsUnsaved() { return g_unsaved.size(); }

void accountsMaintain(std::vector<std::string>& log) {
    if (g_db == nullptr) return;
    if (!g_unsaved.empty()) {
        const size_t written = writeUnsaved();
        if (written > 0) log.push_back("statistiques de " + std::to_string(written) + " parties écrites après l'échec");
        if (!g_unsaved.empty())
            log.push_back(std::to_string(g_unsaved.size()) + " parties attendent d'être écrites : " + accountsError());
    }
    checkpoint();
}

std::string accountsError() { return g_db ? sqlite3_errmsg(g_db) : "base fermée"; }

void accountsFailWrites(bool fail) {
    if (g_db) sqlite3_exec(g_db, fail ? "PRAGMA query_only=1" : "PRAGMA query_only=0", nullptr, nullptr, nullptr);
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
