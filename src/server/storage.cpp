#include "server/storage.h"

#include "server/storage_backend.h"
#include "server/text.h"

#include <sodium.h>

#include <atomic>
#include <ctime>
#include <mutex>

// Each thread opens its own connection on its first call and keeps it while
// the run that opened it lasts: a new storageOpen (a new run, or a test)
// counts as a new generation, and a thread's older connection is closed at its
// next call. Worker threads close theirs when they end.
namespace {

struct Target {
    std::string dataDir;
    std::string database; // empty: SQLite
    bool open = false;
};

// Run lifetime, under g_lock: read by every thread when it opens a connection.
std::mutex g_lock;
Target g_target;
uint64_t g_generation = 0;
std::atomic<bool> g_failWrites{false};

struct ThreadConnection {
    uint64_t generation = 0;
    bool failWrites = false;
    std::unique_ptr<StorageConnection> connection;
};
thread_local ThreadConnection t_connection;

StorageConnection* connection(std::string& error) {
    Target target;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        if (t_connection.generation != g_generation) {
            t_connection = ThreadConnection{};
            t_connection.generation = g_generation;
        }
        if (!t_connection.connection) target = g_target;
    }
    if (!t_connection.connection) {
        if (!target.open) {
            error = "base fermée";
            return nullptr;
        }
        t_connection.connection = target.database.empty() ? sqliteConnect(target.dataDir, false, error)
                                                          : postgresConnect(target.database, error);
        if (!t_connection.connection) return nullptr;
    }
    if (const bool fail = g_failWrites; fail != t_connection.failWrites) {
        t_connection.connection->failWrites(fail);
        t_connection.failWrites = fail;
    }
    return t_connection.connection.get();
}

// One statement on this thread's connection.
SqlFailure run(const std::string& sql, const std::vector<SqlValue>& params, std::vector<SqlRow>* rows,
               std::string& error, bool retry) {
    StorageConnection* c = connection(error);
    return c ? c->run(sql, params, rows, error, retry) : SqlFailure::OTHER;
}

int64_t number(const std::string& text) { return std::strtoll(text.c_str(), nullptr, 10); }

// The schema brought to this server's version, one step at a time, under the
// database's migration lock: two servers starting at once migrate once.
bool migrate(StorageConnection& c, std::string& error) {
    if (!c.beginMigration(error)) return false;
    int version = 0;
    bool ok = c.schemaVersion(version, error);
    if (ok && version > STORAGE_SCHEMA) {
        error = "la base est au schéma " + std::to_string(version) + ", plus récent que le schéma " +
                std::to_string(STORAGE_SCHEMA) + " de ce serveur : mettez AshenServer à jour";
        ok = false;
    }
    for (int step = version; ok && step < STORAGE_SCHEMA; ++step) ok = c.script(c.migrations()[step], error);
    if (ok && version < STORAGE_SCHEMA) ok = c.setSchemaVersion(STORAGE_SCHEMA, error);
    if (ok) return c.script("COMMIT", error);
    std::string ignored;
    c.script("ROLLBACK", ignored);
    return false;
}

bool exists(const char* sql, const std::string& value, std::string& error, SqlFailure& failure) {
    std::vector<SqlRow> rows;
    failure = run(sql, {value}, &rows, error, true);
    return !rows.empty();
}

} // namespace

bool storageOpen(const std::string& dataDir, const std::string& database, std::string& error) {
    storageClose();
    if (sodium_init() < 0) {
        error = "libsodium ne démarre pas";
        return false;
    }
    {
        std::lock_guard<std::mutex> hold(g_lock);
        g_target = Target{dataDir, database, true};
        ++g_generation;
        t_connection = ThreadConnection{};
        t_connection.generation = g_generation;
    }
    g_failWrites = false;
    std::string reason;
    // The database's own words end the sentence, or a full stop does.
    const auto sentence = [&reason](const std::string& start) {
        const char last = reason.empty() ? ' ' : reason.back();
        return start + reason + (last == '.' || last == '?' || last == '!' ? "" : ".");
    };
    t_connection.connection = database.empty() ? sqliteConnect(dataDir, true, reason) : postgresConnect(database, reason);
    if (!t_connection.connection) {
        error = sentence(database.empty() ? "Impossible d'ouvrir la base de données dans " + dataDir + " : "
                                          : "Impossible de se connecter à PostgreSQL : ");
    } else if (!migrate(*t_connection.connection, reason)) {
        error = sentence("Impossible de mettre la base de données à jour : ");
    } else {
        // Calls come from the workers, each on its own connection: this one would only idle.
        t_connection.connection.reset();
        return true;
    }
    storageClose();
    return false;
}

void storageClose() {
    std::lock_guard<std::mutex> hold(g_lock);
    g_target = Target{};
    ++g_generation;
    t_connection = ThreadConnection{};
}

bool storageShared() {
    std::lock_guard<std::mutex> hold(g_lock);
    return g_target.open && !g_target.database.empty();
}

std::string storageDatabase() {
    std::lock_guard<std::mutex> hold(g_lock);
    return g_target.database;
}

std::string storageHashPassword(const std::string& passHash) {
    char stored[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(stored, passHash.data(), passHash.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        return {};
    return stored;
}

bool storagePasswordMatches(const std::string& stored, const std::string& passHash) {
    return crypto_pwhash_str_verify(stored.c_str(), passHash.data(), passHash.size()) == 0;
}

RegisterResult storageCheckFree(const std::string& emailHash, const std::string& pseudo, std::string& error) {
    SqlFailure failure = SqlFailure::NONE;
    if (exists("SELECT 1 FROM accounts WHERE pseudo_key = $1", caseKey(pseudo), error, failure))
        return RegisterResult::PSEUDO_TAKEN;
    if (failure == SqlFailure::NONE && exists("SELECT 1 FROM accounts WHERE email_hash = $1", emailHash, error, failure))
        return RegisterResult::EMAIL_TAKEN;
    return failure == SqlFailure::NONE ? RegisterResult::OK : RegisterResult::FAILED;
}

RegisterResult storageCreateAccount(const std::string& emailHash, const std::string& pseudo, const std::string& stored,
                                    const std::string& gender, std::string& error) {
    if (stored.empty()) {
        error = "hachage impossible";
        return RegisterResult::FAILED;
    }
    // Not sent twice: a first attempt that was written would make the second say "taken".
    const SqlFailure failure =
        run("INSERT INTO accounts (email_hash, pseudo, pseudo_key, password, gender, created)"
            " VALUES ($1, $2, $3, $4, $5, $6)",
            {emailHash, pseudo, caseKey(pseudo), stored, gender, static_cast<int64_t>(std::time(nullptr))}, nullptr,
            error, false);
    if (failure == SqlFailure::NONE) return RegisterResult::OK;
    if (failure == SqlFailure::OTHER) return RegisterResult::FAILED;
    // Another registration took the pseudo or the address while this one was hashed.
    std::string ignored;
    const RegisterResult free = storageCheckFree(emailHash, pseudo, ignored);
    return free == RegisterResult::OK ? RegisterResult::FAILED : free;
}

Lookup storageFindAccount(const std::string& emailHash, StoredAccount& account, std::string& error) {
    std::vector<SqlRow> rows;
    if (run("SELECT id, pseudo, password FROM accounts WHERE email_hash = $1", {emailHash}, &rows, error, true) !=
        SqlFailure::NONE)
        return Lookup::FAILED;
    if (rows.empty() || rows[0].size() != 3) return Lookup::UNKNOWN;
    account = StoredAccount{number(rows[0][0]), rows[0][1], rows[0][2]};
    return Lookup::FOUND;
}

size_t storageRecordGames(const std::vector<GameRecord>& games, std::string& error) {
    // Not sent twice either: a game counted twice adds its kills twice.
    const std::string sql =
        "INSERT INTO stats (account, best_points, total_kills, best_round, games)"
        " SELECT id, $2, $3, $4, 1 FROM accounts WHERE pseudo_key = $1"
        " ON CONFLICT (account) DO UPDATE SET"
        " best_points = CASE WHEN excluded.best_points > stats.best_points"
        " THEN excluded.best_points ELSE stats.best_points END,"
        " total_kills = stats.total_kills + excluded.total_kills,"
        " best_round = CASE WHEN excluded.best_round > stats.best_round"
        " THEN excluded.best_round ELSE stats.best_round END,"
        " games = stats.games + 1";
    size_t written = 0;
    for (const GameRecord& g : games) {
        if (run(sql, {caseKey(g.pseudo), int64_t{g.points}, int64_t{g.kills}, int64_t{g.round}}, nullptr, error,
                false) != SqlFailure::NONE)
            break;
        ++written;
    }
    return written;
}

bool storageRanking(RankingKind kind, int limit, std::vector<RankingEntry>& entries, std::string& error) {
    const char* column = kind == RankingKind::POINTS ? "best_points" : kind == RankingKind::KILLS ? "total_kills"
                                                                                                 : "best_round";
    std::vector<SqlRow> rows;
    if (run(std::string("SELECT a.pseudo, s.") + column +
                " FROM stats s JOIN accounts a ON a.id = s.account ORDER BY 2 DESC, a.pseudo_key LIMIT $1",
            {int64_t{limit}}, &rows, error, true) != SqlFailure::NONE)
        return false;
    entries.clear();
    for (const SqlRow& row : rows)
        if (row.size() == 2) entries.push_back({row[0], number(row[1])});
    return true;
}

int64_t storageClaimLogin(int64_t account, const std::string& instance, std::string& error) {
    if (!storageShared()) {
        error = "base non partagée";
        return 0;
    }
    // One statement, so one transaction: the row's lock orders two logins of
    // the account, and the notice leaves when the serial is written.
    std::vector<SqlRow> rows;
    const std::string sql =
        std::string("WITH claim AS (INSERT INTO logins (account, instance, serial) VALUES ($1, $2, 1)"
                    " ON CONFLICT (account) DO UPDATE SET instance = excluded.instance, serial = logins.serial + 1"
                    " RETURNING serial)"
                    " SELECT serial, pg_notify('") +
        STORAGE_LOGIN_CHANNEL + "', $1 || ':' || serial || ':' || $2) FROM claim";
    if (run(sql, {account, instance}, &rows, error, true) != SqlFailure::NONE || rows.empty()) return 0;
    return number(rows[0][0]);
}

bool storageLatestLogins(const std::vector<int64_t>& accounts, std::vector<LoginClaim>& claims, std::string& error) {
    std::string list = "{";
    for (size_t i = 0; i < accounts.size(); ++i) list += (i ? "," : "") + std::to_string(accounts[i]);
    list += "}";
    std::vector<SqlRow> rows;
    if (run("SELECT account, serial FROM logins WHERE account = ANY(CAST($1 AS BIGINT[]))", {list}, &rows, error,
            true) != SqlFailure::NONE)
        return false;
    claims.clear();
    for (const SqlRow& row : rows)
        if (row.size() == 2) claims.push_back({number(row[0]), number(row[1])});
    return true;
}

bool storageMaintain(std::string& error) {
    StorageConnection* c = connection(error);
    return c && c->maintain(error);
}

void storageFailWrites(bool fail) { g_failWrites = fail; }
