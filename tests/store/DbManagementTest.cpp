// Compaction, backup, restore and pack: results, and every existing file
// left exactly as it was when an operation cannot be done.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "store/Adodb.h"
#include "store/Adosqlite.h"
#include "store/Datafolder.h"
#include "store/Udbmanagement.h"
#include "support/TestDatabase.h"

namespace {

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The Desc texts of all events in a database file.
QStringList EventsIn(const QString& path) {
    TADOConnection connection;
    connection.ConnectionString = DatabaseConnectionString(path);
    TADOTable events(&connection);
    events.SetTableName(QStringLiteral("Events"));
    events.Open();
    QStringList out;
    for (; !events.Eof(); events.Next())
        out << Desc(events);
    return out;
}

QStringList FolderEntries(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// A data folder whose database holds the events "a", "b", "c", closed.
class DataFolderFixture : public ::testing::Test {
protected:
    void SetUp() override {
        SetDataFolder(dir.path());
        ASSERT_TRUE(PrepareDataFolder());
        TADOConnection connection;
        connection.ConnectionString = DatabaseConnectionString(DatabaseFilePath());
        TADOTable events(&connection);
        events.SetTableName(QStringLiteral("Events"));
        events.Open();
        for (const char* d : {"a", "b", "c"}) {
            events.Append();
            events.FieldByName(QStringLiteral("Desc"))->SetAsString(QLatin1String(d));
            events.Post();
        }
    }
    void TearDown() override { SetDataFolder({}); }

    QString Path(const char* name) const { return dir.filePath(QLatin1String(name)); }

    QTemporaryDir dir;
};

using Compaction = DataFolderFixture;

TEST_F(Compaction, CopiesEveryRowAndReplacesTheDestination) {
    WriteFile(Path("copy.bak"), "old content");
    EXPECT_TRUE(CompactDatabaseFile(DatabaseFilePath(), Path("copy.bak")));
    EXPECT_EQ(EventsIn(Path("copy.bak")), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(FolderEntries(dir.path()), (QStringList{"DB.vdbv2", "copy.bak"}));
}

TEST_F(Compaction, SameFileUnderAnotherNameDoesNothing) {
    QDir(dir.path()).mkdir(QStringLiteral("sub"));
    ASSERT_EQ(::symlink(QFile::encodeName(DatabaseFilePath()).constData(),
                        QFile::encodeName(Path("link.vdbv2")).constData()),
              0);
    ASSERT_EQ(::link(QFile::encodeName(DatabaseFilePath()).constData(),
                     QFile::encodeName(Path("hard.vdbv2")).constData()),
              0);
    const QByteArray before = ReadFile(DatabaseFilePath());
    const QString spellings[] = {
        DatabaseFilePath(),
        dir.path() + QStringLiteral("/./DB.vdbv2"),
        dir.path() + QStringLiteral("/sub/../DB.vdbv2"),
        Path("link.vdbv2"),
        Path("hard.vdbv2"),
    };
    for (const QString& other : spellings) {
        EXPECT_FALSE(CompactDatabaseFile(DatabaseFilePath(), other)) << other.toStdString();
        EXPECT_FALSE(CompactDatabaseFile(other, DatabaseFilePath())) << other.toStdString();
        EXPECT_TRUE(BackupDatabase(other));
        EXPECT_TRUE(RestoreDatabase(other));
    }
    EXPECT_EQ(ReadFile(DatabaseFilePath()), before);
}

TEST_F(Compaction, UnwritableDestinationRaisesAndLeavesNothing) {
    WriteFile(Path("plain.txt"), "x");
    EXPECT_THROW(
        CompactDatabaseFile(DatabaseFilePath(), Path("plain.txt") + QStringLiteral("/x.bak")),
        EDatabaseError);
    EXPECT_THROW(CompactDatabaseFile(DatabaseFilePath(), Path("nofolder/x.bak")), EDatabaseError);
    EXPECT_FALSE(BackupDatabase(Path("nofolder/x.bak")));
    EXPECT_EQ(FolderEntries(dir.path()), (QStringList{"DB.vdbv2", "plain.txt"}));
}

TEST_F(Compaction, SourceThatIsNoDatabaseLeavesTheDestination) {
    WriteFile(Path("junk"), QByteArray("not a database").repeated(500));
    const QByteArray before = ReadFile(DatabaseFilePath());
    EXPECT_THROW(CompactDatabaseFile(Path("junk"), DatabaseFilePath()), EDatabaseError);
    EXPECT_THROW(CompactDatabaseFile(Path("missing"), DatabaseFilePath()), EDatabaseError);
    EXPECT_EQ(ReadFile(DatabaseFilePath()), before);
    EXPECT_EQ(FolderEntries(dir.path()), (QStringList{"DB.vdbv2", "junk"}));
}

// A log left by a program that was killed belongs to the old file; the
// replacement must not have it replayed into it.
TEST_F(Compaction, StaleLogOfTheDestinationIsNotReplayedIntoTheCopy) {
    const QString dest = Path("victim.vdbv2");
    CreateDeliveredDatabase(dest);
    sqlite3* live = nullptr;
    ASSERT_EQ(sqlite3_open(dest.toUtf8().constData(), &live), SQLITE_OK);
    sqlite3_exec(live, "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;", nullptr, nullptr,
                 nullptr);
    for (int i = 0; i < 50; ++i)
        sqlite3_exec(live, "INSERT INTO Events(\"Desc\") VALUES('stale')", nullptr, nullptr,
                     nullptr);
    // Keep the files as a crash would leave them.
    const QByteArray db = ReadFile(dest), wal = ReadFile(dest + QStringLiteral("-wal"));
    ASSERT_FALSE(wal.isEmpty());
    sqlite3_close(live);
    WriteFile(dest, db);
    WriteFile(dest + QStringLiteral("-wal"), wal);
    EXPECT_TRUE(CompactDatabaseFile(DatabaseFilePath(), dest));
    EXPECT_FALSE(QFile::exists(dest + QStringLiteral("-wal")));
    EXPECT_EQ(EventsIn(dest), (QStringList{"a", "b", "c"}));
}

// Another program reading the destination keeps its log from being folded
// into it; the destination is then in use and must not be replaced.
TEST_F(Compaction, DestinationReadByAnotherProgramIsNotReplaced) {
    const QString dest = Path("shared.vdbv2");
    CreateDeliveredDatabase(dest);
    sqlite3* writer = nullptr;
    sqlite3* reader = nullptr;
    ASSERT_EQ(sqlite3_open(dest.toUtf8().constData(), &writer), SQLITE_OK);
    ASSERT_EQ(sqlite3_open(dest.toUtf8().constData(), &reader), SQLITE_OK);
    sqlite3_exec(writer, "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;", nullptr, nullptr,
                 nullptr);
    sqlite3_exec(writer, "INSERT INTO Events(\"Desc\") VALUES('x')", nullptr, nullptr, nullptr);
    sqlite3_exec(reader, "BEGIN; SELECT count(*) FROM Events;", nullptr, nullptr, nullptr);
    sqlite3_exec(writer, "INSERT INTO Events(\"Desc\") VALUES('y')", nullptr, nullptr, nullptr);
    ado::SetBusyTimeoutMs(100);
    EXPECT_THROW(CompactDatabaseFile(DatabaseFilePath(), dest), EDatabaseError);
    EXPECT_FALSE(BackupDatabase(dest));
    EXPECT_TRUE(QFile::exists(dest + QStringLiteral("-wal")));
    sqlite3_exec(reader, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(reader);
    sqlite3_close(writer);
    EXPECT_EQ(EventsIn(dest), (QStringList{"x", "y"}));
    EXPECT_EQ(FolderEntries(dir.path()), (QStringList{"DB.vdbv2", "shared.vdbv2"}));
}

TEST_F(Compaction, BackupAndRestoreBringBackTheRows) {
    ASSERT_TRUE(BackupDatabase(Path("x.vdbv2.bak")));
    {
        TADOConnection connection;
        connection.ConnectionString = DatabaseConnectionString(DatabaseFilePath());
        TADOTable events(&connection);
        events.SetTableName(QStringLiteral("Events"));
        events.Open();
        events.Delete();
        events.Delete();
    }
    EXPECT_EQ(EventsIn(DatabaseFilePath()), QStringList{"c"});
    EXPECT_TRUE(RestoreDatabase(Path("x.vdbv2.bak")));
    EXPECT_EQ(EventsIn(DatabaseFilePath()), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(FolderEntries(dir.path()), (QStringList{"DB.vdbv2", "x.vdbv2.bak"}));
}

TEST_F(Compaction, RestoreRefusesWhatTheProgramCannotOpen) {
    WriteFile(Path("junk.bak"), QByteArray("junk").repeated(2000));
    sqlite3* other = nullptr;
    sqlite3_open(Path("other.bak").toUtf8().constData(), &other);
    sqlite3_exec(other, "CREATE TABLE Events(x)", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    const QByteArray before = ReadFile(DatabaseFilePath());
    for (const char* name : {"junk.bak", "other.bak", "missing.bak"})
        EXPECT_FALSE(RestoreDatabase(Path(name))) << name;
    EXPECT_EQ(ReadFile(DatabaseFilePath()), before);
}

TEST_F(Compaction, PackKeepsEveryRowAndLeavesNoTemporaryFile) {
    {
        TADOConnection connection;
        connection.ConnectionString = DatabaseConnectionString(DatabaseFilePath());
        TADOTable events(&connection);
        events.SetTableName(QStringLiteral("Events"));
        events.Open();
        events.Next();
        events.Delete();  // leaves "a", "c" and a gap to compact
    }
    EXPECT_TRUE(PackDatabase());
    EXPECT_EQ(EventsIn(DatabaseFilePath()), (QStringList{"a", "c"}));
    EXPECT_EQ(FolderEntries(dir.path()), QStringList{"DB.vdbv2"});
}

// Packing renames its copy over the database; a database that is a link
// into another file system must be packed all the same, the link kept.
TEST_F(Compaction, PackWorksThroughALinkIntoAnotherFileSystem) {
    QTemporaryDir elsewhere(QStringLiteral("/dev/shm/vornel-XXXXXX"));
    struct stat here {
    }, there{};
    if (!elsewhere.isValid() || ::stat(QFile::encodeName(dir.path()).constData(), &here) != 0 ||
        ::stat(QFile::encodeName(elsewhere.path()).constData(), &there) != 0 ||
        here.st_dev == there.st_dev)
        GTEST_SKIP() << "no second file system to link into";
    const QString real = elsewhere.filePath(QStringLiteral("DB.vdbv2"));
    ASSERT_TRUE(QFile::rename(DatabaseFilePath(), real));
    ASSERT_TRUE(QFile::link(real, DatabaseFilePath()));
    EXPECT_TRUE(PackDatabase());
    EXPECT_EQ(QFileInfo(DatabaseFilePath()).symLinkTarget(), real);
    EXPECT_EQ(EventsIn(DatabaseFilePath()), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(FolderEntries(dir.path()), QStringList{"DB.vdbv2"});
    EXPECT_EQ(FolderEntries(elsewhere.path()), QStringList{"DB.vdbv2"});
}

// Others may share the database through its permissions; the copy that
// replaces it keeps them. A new backup gets what any new file gets.
TEST_F(Compaction, ReplacedDatabaseKeepsItsPermissions) {
    auto mode = [](const QString& path) {
        struct stat st {};
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : ~0u;
    };
    ASSERT_EQ(::chmod(QFile::encodeName(DatabaseFilePath()).constData(), 0664), 0);
    ASSERT_TRUE(BackupDatabase(Path("new.bak")));
    EXPECT_EQ(mode(Path("new.bak")), 0600u);  // a new copy of a calendar is private
    ASSERT_TRUE(PackDatabase());
    EXPECT_EQ(mode(DatabaseFilePath()), 0664u);
    ASSERT_TRUE(RestoreDatabase(Path("new.bak")));
    EXPECT_EQ(mode(DatabaseFilePath()), 0664u);
}

TEST_F(Compaction, FailedPackLeavesTheDatabase) {
    WriteFile(DatabaseFilePath(), "damaged beyond repair");
    EXPECT_FALSE(PackDatabase());
    EXPECT_EQ(ReadFile(DatabaseFilePath()), "damaged beyond repair");
    EXPECT_EQ(FolderEntries(dir.path()), QStringList{"DB.vdbv2"});
}

}  // namespace
