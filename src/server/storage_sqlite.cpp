// The embedded storage: one SQLite file in the data folder, in WAL mode so
// that each worker's connection reads while another writes, and a backup may
// read while the server runs. Its schema's version is PRAGMA user_version;
// the file of servers that kept no version (version 0) holds exactly the
// tables of version 1, which step 1 creates only where missing.
#include "server/storage_backend.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <filesystem>

namespace {

// The write-ahead log is folded back into the database every 64 pages (256 KB)
// and cut back to this size, so that it never grows on a small disk.
constexpr int WAL_CHECKPOINT_PAGES = 64;
constexpr int64_t WAL_SIZE_LIMIT = 256 * 1024;
// A write waits this long for another connection's write to end.
constexpr int BUSY_WAIT_MS = 2000;

const std::vector<std::string> MIGRATIONS = {
    // 1: accounts and their statistics.
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
    " games INTEGER NOT NULL DEFAULT 0);",
    // 2: each account's latest login, for servers sharing a database (unused by one alone).
    "CREATE TABLE logins ("
    " account BIGINT PRIMARY KEY REFERENCES accounts(id),"
    " instance TEXT NOT NULL,"
    " serial BIGINT NOT NULL);",
};

class SqliteConnection : public StorageConnection {
public:
    explicit SqliteConnection(sqlite3* db) : db_(db) {}
    ~SqliteConnection() override { sqlite3_close(db_); }

    SqlFailure run(const std::string& sql, const std::vector<SqlValue>& params, std::vector<SqlRow>* rows,
                   std::string& error, bool) override {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr) != SQLITE_OK) {
            fail(error);
            return SqlFailure::OTHER;
        }
        for (size_t i = 0; i < params.size(); ++i) {
            // By name: "$2" is the second value wherever it first appears.
            const int at = sqlite3_bind_parameter_index(stmt, ("$" + std::to_string(i + 1)).c_str());
            if (at == 0) continue;
            if (const int64_t* n = std::get_if<int64_t>(&params[i])) {
                sqlite3_bind_int64(stmt, at, *n);
            } else {
                const std::string& text = std::get<std::string>(params[i]);
                sqlite3_bind_text(stmt, at, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
            }
        }
        int step = SQLITE_ROW;
        while ((step = sqlite3_step(stmt)) == SQLITE_ROW) {
            if (rows == nullptr) continue;
            SqlRow row;
            for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
                const unsigned char* t = sqlite3_column_text(stmt, c);
                row.emplace_back(t ? std::string(reinterpret_cast<const char*>(t),
                                                 static_cast<size_t>(sqlite3_column_bytes(stmt, c)))
                                   : std::string());
            }
            rows->push_back(std::move(row));
        }
        const bool taken = sqlite3_extended_errcode(db_) == SQLITE_CONSTRAINT_UNIQUE;
        if (step != SQLITE_DONE) fail(error);
        sqlite3_finalize(stmt);
        return step == SQLITE_DONE ? SqlFailure::NONE : taken ? SqlFailure::TAKEN : SqlFailure::OTHER;
    }

    bool script(const std::string& sql, std::string& error) override {
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK) return true;
        fail(error);
        return false;
    }

    bool beginMigration(std::string& error) override { return script("BEGIN IMMEDIATE", error); }
    bool schemaVersion(int& version, std::string& error) override {
        std::vector<SqlRow> rows;
        if (run("PRAGMA user_version", {}, &rows, error, true) != SqlFailure::NONE || rows.empty()) return false;
        version = std::atoi(rows[0][0].c_str());
        return true;
    }
    bool setSchemaVersion(int version, std::string& error) override {
        return script("PRAGMA user_version = " + std::to_string(version), error);
    }
    const std::vector<std::string>& migrations() const override { return MIGRATIONS; }

    void failWrites(bool fail) override {
        sqlite3_exec(db_, fail ? "PRAGMA query_only=1" : "PRAGMA query_only=0", nullptr, nullptr, nullptr);
    }

    // Folds the log back without waiting for a reader.
    bool maintain(std::string& error) override {
        sqlite3_busy_timeout(db_, 0);
        const int result = sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
        sqlite3_busy_timeout(db_, BUSY_WAIT_MS);
        // Busy: a reader holds part of the log; the next minute folds it.
        if (result == SQLITE_OK || result == SQLITE_BUSY) return true;
        fail(error);
        return false;
    }

private:
    void fail(std::string& error) const { error = sqlite3_errmsg(db_); }

    sqlite3* db_;
};

} // namespace

std::unique_ptr<StorageConnection> sqliteConnect(const std::string& dataDir, bool first, std::string& error) {
    std::error_code failure;
    if (first && !std::filesystem::is_directory(dataDir, failure)) {
        if (!std::filesystem::create_directories(dataDir, failure)) {
            error = failure.message();
            return nullptr;
        }
        // The folder holds every account's password hash: its owner only.
        if (chmod(dataDir.c_str(), 0700) != 0) {
            error = "droits du dossier impossibles à restreindre";
            return nullptr;
        }
    }
    const std::string path = dataDir + "/accounts.sqlite";
    sqlite3* db = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (first ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
        error = db ? sqlite3_errmsg(db) : "mémoire insuffisante";
        sqlite3_close(db);
        return nullptr;
    }
    auto connection = std::make_unique<SqliteConnection>(db);
    if (first) chmod(path.c_str(), 0600);
    // A busy file waits a little rather than failing; WAL lasts in the file, the rest is per connection.
    sqlite3_busy_timeout(db, BUSY_WAIT_MS);
    const std::string pragmas = std::string(first ? "PRAGMA journal_mode=WAL; " : "") +
                                "PRAGMA foreign_keys=ON; PRAGMA wal_autocheckpoint=" +
                                std::to_string(WAL_CHECKPOINT_PAGES) +
                                "; PRAGMA journal_size_limit=" + std::to_string(WAL_SIZE_LIMIT) + ";";
    if (!connection->script(pragmas, error)) return nullptr;
    return connection;
}
