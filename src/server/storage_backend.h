#pragma once
// What storage.cpp asks of a database, once per backend: run one statement
// with parameters, run a script, keep the schema's version. Statements are
// written once for both, with $1, $2... as parameters and SQL both accept.
//
// A connection belongs to one thread at a time. Every call fails softly:
// false, with the database's own words in `error`.
#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

using SqlValue = std::variant<int64_t, std::string>;
using SqlRow = std::vector<std::string>; // each column as text
enum class SqlFailure { NONE, TAKEN, OTHER }; // TAKEN: a uniqueness rule refused the row

class StorageConnection {
public:
    virtual ~StorageConnection() = default;
    // One statement; its rows are appended to `rows` when given. `retry`: the
    // statement may run twice, so a connection found broken is opened again
    // and the statement sent once more.
    virtual SqlFailure run(const std::string& sql, const std::vector<SqlValue>& params, std::vector<SqlRow>* rows,
                           std::string& error, bool retry) = 0;
    // Several statements without parameters.
    virtual bool script(const std::string& sql, std::string& error) = 0;

    // Schema changes: one at a time across every server on the database.
    virtual bool beginMigration(std::string& error) = 0;
    virtual bool schemaVersion(int& version, std::string& error) = 0;
    // Written inside the migration's transaction.
    virtual bool setSchemaVersion(int version, std::string& error) = 0;
    // Version n is reached by running step n-1, in one transaction with the version.
    virtual const std::vector<std::string>& migrations() const = 0;

    // Tests: every write fails from now on, as on a full disk.
    virtual void failWrites(bool fail) = 0;
    // Between calls, once a minute: whatever keeps the database small.
    virtual bool maintain(std::string& error) = 0;
};

// The PostgreSQL URI of the open storage; empty with SQLite. Any thread.
std::string storageDatabase();

// The database of a data folder, created (0700, file 0600) when missing.
// `first`: the server's first connection, which sets the file's lasting modes.
std::unique_ptr<StorageConnection> sqliteConnect(const std::string& dataDir, bool first, std::string& error);
// A libpq connection URI (postgresql://… or postgres://…).
std::unique_ptr<StorageConnection> postgresConnect(const std::string& uri, std::string& error);
