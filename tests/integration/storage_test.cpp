// The storage interface against both databases: SQLite in a temporary folder
// and PostgreSQL in the program's private cluster, each test on an empty one.
#include "../unit/temp_folder.h"
#include "base/sha256.h"
#include "postgres_cluster.h"
#include "server/storage.h"

#include <sqlite3.h>

#include <chrono>
#include <thread>

namespace {

bool g_postgresAbsent = false;

enum class Backend { SQLITE, POSTGRESQL };

class Storage : public TempFolder, public testing::WithParamInterface<Backend> {
protected:
    void SetUp() override {
        TempFolder::SetUp();
        if (postgres()) {
            PostgresCluster& cluster = PostgresCluster::get();
            if (!cluster.ready()) {
                g_postgresAbsent = cluster.absent();
                if (g_postgresAbsent) GTEST_SKIP() << cluster.problem();
                FAIL() << cluster.problem();
            }
            database_ = cluster.newDatabase();
        }
        open();
    }
    void TearDown() override {
        storageClose();
        TempFolder::TearDown();
    }

    bool postgres() const { return GetParam() == Backend::POSTGRESQL; }
    void open() {
        std::string error;
        ASSERT_TRUE(storageOpen("data", database_, error)) << error;
    }
    // Raw SQL beside the server's connections; the first value of its last row.
    std::string raw(const std::string& sql) {
        std::string value;
        if (postgres()) {
            PGconn* c = PQconnectdb(database_.c_str());
            PGresult* r = PQexec(c, sql.c_str());
            EXPECT_TRUE(PQresultStatus(r) == PGRES_COMMAND_OK || PQresultStatus(r) == PGRES_TUPLES_OK)
                << sql << ": " << PQerrorMessage(c);
            if (PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) > 0) value = PQgetvalue(r, PQntuples(r) - 1, 0);
            PQclear(r);
            PQfinish(c);
            return value;
        }
        sqlite3* db = nullptr;
        sqlite3_open("data/accounts.sqlite", &db);
        const auto keep = [](void* out, int, char** values, char**) {
            *static_cast<std::string*>(out) = values[0] ? values[0] : "";
            return 0;
        };
        EXPECT_EQ(sqlite3_exec(db, sql.c_str(), keep, &value, nullptr), SQLITE_OK) << sql << ": " << sqlite3_errmsg(db);
        sqlite3_close(db);
        return value;
    }
    std::string ranking(RankingKind kind, int limit = 10) {
        std::vector<RankingEntry> entries;
        std::string error, text;
        EXPECT_TRUE(storageRanking(kind, limit, entries, error)) << error;
        for (const RankingEntry& e : entries) text += e.pseudo + "=" + std::to_string(e.value) + " ";
        return text;
    }

    static std::string mail(const std::string& who) { return sha256Hex(who + "@exemple.fr"); }
    RegisterResult create(const std::string& pseudo, const std::string& who) {
        std::string error;
        return storageCreateAccount(mail(who), pseudo, "$argon2id$" + who, "F", error);
    }

    std::string database_; // empty: SQLite
    std::string error;
};

} // namespace

TEST_P(Storage, AnAccountIsOnePerPseudoWithoutRegardToCaseAndOnePerAddress) {
    EXPECT_EQ(create("Zoé", "zoe"), RegisterResult::OK);
    EXPECT_EQ(storageCheckFree(mail("autre"), "ZOÉ", error), RegisterResult::PSEUDO_TAKEN);
    EXPECT_EQ(storageCheckFree(mail("zoe"), "Autre", error), RegisterResult::EMAIL_TAKEN);
    EXPECT_EQ(storageCheckFree(mail("autre"), "Autre", error), RegisterResult::OK);
    // Taken between the check and the insert (another registration, another server): the insert tells which.
    EXPECT_EQ(create("zoé", "autre"), RegisterResult::PSEUDO_TAKEN);
    EXPECT_EQ(create("Autre", "zoe"), RegisterResult::EMAIL_TAKEN);

    StoredAccount account;
    ASSERT_EQ(storageFindAccount(mail("zoe"), account, error), Lookup::FOUND);
    EXPECT_GT(account.id, 0);
    EXPECT_EQ(account.pseudo, "Zoé");
    EXPECT_EQ(account.password, "$argon2id$zoe");
    EXPECT_EQ(storageFindAccount(mail("autre"), account, error), Lookup::UNKNOWN);
}

TEST_P(Storage, GamesFoldIntoStatisticsThatRankByValueThenByThePseudosBytes) {
    for (const char* pseudo : {"Éric", "Fabien", "abel", "Zoé", "Sans partie"}) ASSERT_EQ(create(pseudo, pseudo), RegisterResult::OK);
    // Written under any case; an account that is gone takes nothing.
    const std::vector<GameRecord> games = {{"Éric", 300, 1, 2}, {"FABIEN", 300, 2, 3}, {"Abel", 300, 3, 1},
                                           {"Zoé", 100, 10, 9}, {"zoé", 50, 5, 1},     {"Personne", 999, 9, 9}};
    EXPECT_EQ(storageRecordGames(games, error), games.size()) << error;
    // A later worse game keeps the best points and round and adds its kills; no game, no rank.
    EXPECT_EQ(ranking(RankingKind::POINTS), "abel=300 Fabien=300 Éric=300 Zoé=100 ");
    EXPECT_EQ(ranking(RankingKind::KILLS), "Zoé=15 abel=3 Fabien=2 Éric=1 ");
    EXPECT_EQ(ranking(RankingKind::ROUND, 2), "Zoé=9 Fabien=3 ");
}

TEST_P(Storage, AFullDiskRefusesWritesWithItsReasonWhileReadsGoOn) {
    ASSERT_EQ(create("Alice", "alice"), RegisterResult::OK);
    storageFailWrites(true);
    EXPECT_EQ(storageCreateAccount(mail("bob"), "Bob", "$argon2id$bob", "M", error), RegisterResult::FAILED);
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_EQ(storageRecordGames({{"Alice", 10, 1, 1}, {"Alice", 20, 1, 1}}, error), 0u);
    EXPECT_FALSE(error.empty());
    StoredAccount account;
    EXPECT_EQ(storageFindAccount(mail("alice"), account, error), Lookup::FOUND);
    EXPECT_EQ(ranking(RankingKind::POINTS), "");

    storageFailWrites(false);
    EXPECT_EQ(storageRecordGames({{"Alice", 10, 1, 1}, {"Alice", 20, 1, 1}}, error), 2u);
    EXPECT_EQ(ranking(RankingKind::KILLS), "Alice=2 ");
}

TEST_P(Storage, TheSchemaOfEarlierServersIsBroughtUpToDateAndALaterOneIsRefused) {
    ASSERT_EQ(create("Alice", "alice"), RegisterResult::OK);
    ASSERT_EQ(storageRecordGames({{"Alice", 1500, 30, 7}}, error), 1u);
    storageClose();
    // As the servers before the versioned schema left it: version 1's tables, and SQLite without any version.
    raw(postgres() ? "DROP TABLE logins; UPDATE schema_version SET version = 1"
                   : "DROP TABLE logins; PRAGMA user_version = 0");
    open();
    const std::string version = postgres() ? "SELECT version FROM schema_version" : "PRAGMA user_version";
    EXPECT_EQ(raw(version), std::to_string(STORAGE_SCHEMA));
    EXPECT_EQ(raw("SELECT count(*) FROM logins"), "0");
    EXPECT_EQ(ranking(RankingKind::POINTS), "Alice=1500 ");
    StoredAccount account;
    EXPECT_EQ(storageFindAccount(mail("alice"), account, error), Lookup::FOUND);

    storageClose();
    raw(postgres() ? "UPDATE schema_version SET version = 3" : "PRAGMA user_version = 3");
    EXPECT_FALSE(storageOpen("data", database_, error));
    EXPECT_EQ(error, "Impossible de mettre la base de données à jour : la base est au schéma 3, plus récent que le "
                     "schéma 2 de ce serveur : mettez AshenServer à jour.");
    EXPECT_EQ(raw(version), "3") << "left as it was";
}

TEST_P(Storage, LoginsOfAnAccountTakeTurnsInTheOrderEveryListenerHearsThem) {
    if (!postgres()) {
        EXPECT_FALSE(storageShared());
        EXPECT_EQ(storageClaimLogin(1, "seul", error), 0) << "one server alone has nobody to tell";
        return;
    }
    EXPECT_TRUE(storageShared());
    ASSERT_EQ(create("Alice", "alice"), RegisterResult::OK);
    ASSERT_EQ(create("Bob", "bob"), RegisterResult::OK);
    StoredAccount alice, bob;
    storageFindAccount(mail("alice"), alice, error);
    storageFindAccount(mail("bob"), bob, error);
    const std::shared_ptr<StorageListener> listener = storageListenOpen(error);
    ASSERT_TRUE(listener) << error;

    // Two servers logging Alice in again and again at once, each on its own connection.
    const auto logins = [&](const std::string& instance) {
        std::string e;
        for (int i = 0; i < 20; ++i) EXPECT_GT(storageClaimLogin(alice.id, instance, e), 0) << e;
    };
    std::thread one(logins, "un"), two(logins, "deux");
    one.join();
    two.join();
    EXPECT_EQ(storageClaimLogin(bob.id, "un", error), 1);

    std::vector<std::string> notices;
    for (int i = 0; i < 500 && notices.size() < 41; ++i) {
        ASSERT_TRUE(storageListenRead(*listener, notices, error)) << error;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_EQ(notices.size(), 41u);
    // Heard in the order the serials were given: the latest heard is the latest written, on every server.
    for (int i = 0; i < 40; ++i) {
        const std::string prefix = std::to_string(alice.id) + ":" + std::to_string(i + 1) + ":";
        EXPECT_EQ(notices[i].rfind(prefix, 0), 0u) << notices[i] << " is not " << prefix;
    }
    EXPECT_EQ(notices[40], std::to_string(bob.id) + ":1:un");
    std::vector<LoginClaim> latest;
    ASSERT_TRUE(storageLatestLogins({alice.id, bob.id, 999}, latest, error)) << error;
    ASSERT_EQ(latest.size(), 2u);
    for (const LoginClaim& c : latest) EXPECT_EQ(c.serial, c.account == alice.id ? 40 : 1);
}

INSTANTIATE_TEST_SUITE_P(Backends, Storage, testing::Values(Backend::SQLITE, Backend::POSTGRESQL),
                         [](const testing::TestParamInfo<Backend>& info) {
                             return info.param == Backend::SQLITE ? "SQLite" : "PostgreSQL";
                         });

// Skipped (CTest: code 77) when PostgreSQL is not installed; SQLite runs alone.
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    return result == 0 && g_postgresAbsent ? 77 : result;
}
