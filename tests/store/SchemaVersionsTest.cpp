// Every earlier shape of the database file is brought up to the current
// schema in one go, keeping its rows; the current one is left alone.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QFile>
#include <QTemporaryDir>

#include "store/Adoschema.h"
#include "store/Adosqlite.h"

namespace {

struct EarlierDatabase {
    const char* Name;
    int Version;                       // PRAGMA user_version as stored
    std::vector<const char*> Dropped;  // tables that shape did not have yet
};

class SchemaUpgrade : public ::testing::TestWithParam<EarlierDatabase> {
protected:
    void SetUp() override {
        ASSERT_EQ(sqlite3_open(QFile::encodeName(dir.filePath("DB.vdbv2")).constData(), &db),
                  SQLITE_OK);
        ado::CreateSchema(db);
        for (const char* table : GetParam().Dropped)
            Run(QStringLiteral("DROP TABLE \"%1\"").arg(QLatin1String(table)));
        Run(QStringLiteral("PRAGMA user_version = %1").arg(GetParam().Version));
        Run("INSERT INTO \"Events\"(\"UserID\", \"Desc\") VALUES (0, 'Dentist')");
    }
    void TearDown() override { sqlite3_close(db); }

    void Run(const QString& sql) {
        ASSERT_EQ(sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK)
            << sqlite3_errmsg(db);
    }
    int Count(const char* sql) {
        sqlite3_stmt* stmt = nullptr;
        int n = -1;
        if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW)
            n = sqlite3_column_int(stmt, 0);
        sqlite3_finalize(stmt);
        return n;
    }

    QTemporaryDir dir;
    sqlite3* db = nullptr;
};

// The tables of the iCalendar exchange and the synchronisation were made by
// each store with its own CREATE TABLE, on every use, with no version kept.
TEST_P(SchemaUpgrade, ReachesTheCurrentVersionKeepingItsRows) {
    ado::UpgradeSchema(db);
    EXPECT_EQ(ado::StoredSchemaVersion(db), ado::SchemaVersion);
    EXPECT_EQ(Count("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN "
                    "('EventUids', 'CalDavAccounts', 'CalDavItems', 'EventOriginals', "
                    "'CalDavOriginals')"),
              5);
    EXPECT_EQ(Count("SELECT count(*) FROM \"Events\" WHERE \"Desc\" = 'Dentist'"), 1);
    Run("INSERT INTO \"CalDavItems\"(\"EventID\", \"UserID\", \"Href\", \"ETag\", \"UID\", "
        "\"Hash\", \"LocalChanged\") VALUES (1, 0, '/a.ics', 'e', 'u', 'h', 0)");
    ado::UpgradeSchema(db);  // again: nothing to do, nothing lost
    EXPECT_EQ(Count("SELECT count(*) FROM \"CalDavItems\""), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, SchemaUpgrade,
    ::testing::Values(
        EarlierDatabase{
            "FourTablesOnly",
            0,
            {"EventUids", "CalDavAccounts", "CalDavItems", "EventOriginals", "CalDavOriginals"}},
        EarlierDatabase{"WithEventUids",
                        1,
                        {"CalDavAccounts", "CalDavItems", "EventOriginals", "CalDavOriginals"}},
        EarlierDatabase{"EveryTableButNoVersion", 0, {"EventOriginals", "CalDavOriginals"}},
        EarlierDatabase{"WithoutOriginals", 2, {"EventOriginals", "CalDavOriginals"}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(SchemaVersion, ANewDatabaseStartsAtTheCurrentVersion) {
    QTemporaryDir dir;
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(dir.filePath("new")).constData(), &db), SQLITE_OK);
    ado::CreateSchema(db);
    EXPECT_EQ(ado::StoredSchemaVersion(db), ado::SchemaVersion);
    sqlite3_close(db);
}

}  // namespace
