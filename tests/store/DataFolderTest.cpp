// Where the data folder lies, and the database delivered on a first start.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "store/Adodb.h"
#include "store/Datafolder.h"
#include "support/TestDatabase.h"

namespace {

TEST(DataFolder, ResolutionOrder) {
    QTemporaryDir exeWithDb, exeWithIni, exeEmpty;
    QFile(exeWithDb.filePath(QStringLiteral("DB.vdbv2"))).open(QIODevice::WriteOnly);
    QFile(exeWithIni.filePath(QStringLiteral("Settings.ini"))).open(QIODevice::WriteOnly);
    const struct {
        QString home, exe, xdg, expected;
    } cases[] = {
        {"/v/home", exeWithDb.path(), "/xdg", "/v/home/"},
        {"/v/home/", exeWithDb.path(), "/xdg", "/v/home/"},
        {"", exeWithDb.path(), "/xdg", exeWithDb.path() + "/"},
        {"", exeWithIni.path(), "/xdg", exeWithIni.path() + "/"},
        {"", exeEmpty.path(), "/xdg", "/xdg/vornel/"},
        {"", exeEmpty.path(), "relative", "/home/u/.local/share/vornel/"},
        {"", exeEmpty.path(), "", "/home/u/.local/share/vornel/"},
        {"", "", "", "/home/u/.local/share/vornel/"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ResolveDataFolder(c.home, c.exe, c.xdg, QStringLiteral("/home/u")), c.expected)
            << c.home.toStdString() << " | " << c.exe.toStdString() << " | " << c.xdg.toStdString();
}

TEST(DataFolder, FileNamesAndConnectionString) {
    SetDataFolder(QStringLiteral("/data/v"));
    EXPECT_EQ(DataFolder(), "/data/v/");
    EXPECT_EQ(DatabaseFilePath(), "/data/v/DB.vdbv2");
    EXPECT_EQ(OldDatabaseFilePath(), "/data/v/DB.vdb");
    EXPECT_EQ(SettingsFilePath(), "/data/v/Settings.ini");
    EXPECT_EQ(DatabaseConnectionString(DatabaseFilePath()),
              "Provider=MSDataShape.1;Data Provider=Microsoft.Jet.OLEDB.4.0;"
              "Data Source=/data/v/DB.vdbv2");
    SetDataFolder({});
}

// A folder name may hold the separator of the connection string.
TEST(DataFolder, DatabaseInAFolderWithASemicolonOpens) {
    QTemporaryDir dir;
    for (const char* folder : {"a;b", "c;\"d\"", " e; "}) {
        SetDataFolder(dir.filePath(QLatin1String(folder)));
        ASSERT_TRUE(PrepareDataFolder()) << folder;
        TADOConnection connection;
        connection.ConnectionString = DatabaseConnectionString(DatabaseFilePath());
        EXPECT_EQ(connection.DataSource(), DatabaseFilePath());
        EXPECT_NO_THROW(connection.Open()) << folder;
    }
    SetDataFolder({});
}

TEST(DataFolder, FirstStartCreatesTheDeliveredDatabase) {
    QTemporaryDir dir;
    SetDataFolder(dir.filePath(QStringLiteral("new/folder")));
    ASSERT_TRUE(PrepareDataFolder());
    EXPECT_FALSE(PrepareDataFolder());  // the second start finds it
    TADOConnection connection;
    connection.ConnectionString = DatabaseConnectionString(DatabaseFilePath());
    for (const char* name : {"BColors", "Events", "Holidays", "Notes"}) {
        TADOTable table(&connection);
        table.SetTableName(QLatin1String(name));
        table.Open();
        EXPECT_EQ(table.RecordCount(), qstrcmp(name, "Holidays") == 0 ? 1 : 0) << name;
    }
    TADOTable holidays(&connection);
    holidays.SetTableName(QStringLiteral("Holidays"));
    holidays.Open();
    EXPECT_EQ(holidays.FieldByName(QStringLiteral("ID"))->AsInteger(), 1);
    holidays.SetFilter(QStringLiteral("ID > 1"));
    holidays.SetFiltered(true);
    EXPECT_TRUE(holidays.Eof());
    SetDataFolder({});
}

// The previous version's data is copied column by column by position.
TEST(DataFolder, DeliveredTablesHaveTheirColumnsInOrder) {
    const std::pair<const char*, QStringList> tables[] = {
        {"BColors", {"ID", "UserID", "Date", "Color"}},
        {"Events",
         {"ID", "UserID", "eType", "Desc", "Date", "RunDate", "EndDate", "UseStartTime",
          "UseEndDate", "Notify", "NotifyParam", "NotifyType", "Category", "Recurrence", "nParam",
          "Action_File", "Sound_File", "Notes", "Completed"}},
        {"Holidays", {"ID", "Month", "Day", "DayOfWeek", "NumOfWeek", "Name"}},
        {"Notes", {"ID", "UserID", "Date", "Title", "Notes"}},
    };
    TestDatabase db;
    for (const auto& [name, columns] : tables) {
        TADOTable table(&db.connection);
        table.SetTableName(QLatin1String(name));
        table.Open();
        QStringList actual;
        for (int i = 0; i < table.FieldCount(); ++i)
            actual << table.Fields(i)->FieldName();
        EXPECT_EQ(actual, columns) << name;
    }
}

TEST(DataFolder, SettingsWithoutDatabaseCreateNothing) {
    QTemporaryDir dir;
    SetDataFolder(dir.path());
    QFile(SettingsFilePath()).open(QIODevice::WriteOnly);
    EXPECT_FALSE(PrepareDataFolder());
    EXPECT_FALSE(QFile::exists(DatabaseFilePath()));
    SetDataFolder({});
}

TEST(DataFolder, ExistingDatabaseIsLeftAlone) {
    QTemporaryDir dir;
    SetDataFolder(dir.path());
    QFile f(DatabaseFilePath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("mine");
    f.close();
    EXPECT_FALSE(PrepareDataFolder());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "mine");
    SetDataFolder({});
}

}  // namespace
