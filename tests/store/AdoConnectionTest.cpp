// Opening database files: the settings of a good one, and a clean engine
// error (never a crash, never a changed file) for every kind of bad one.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sqlite3.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <thread>

#include "store/Adodb.h"
#include "store/Adosqlite.h"
#include "store/Datafolder.h"
#include "support/TestDatabase.h"

namespace {

QString Pragma(sqlite3* db, const char* sql) {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    QString value;
    if (sqlite3_step(stmt) == SQLITE_ROW)
        value = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    return value;
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Opens the connection and the events table; answers the error text, empty on success.
QString OpenError(const QString& path) {
    TADOConnection connection;
    connection.ConnectionString = DatabaseConnectionString(path);
    TADOTable events(&connection);
    events.SetTableName(QStringLiteral("Events"));
    try {
        events.Open();
        return {};
    } catch (const EDatabaseError& e) {
        return e.Message().isEmpty() ? QStringLiteral("?") : e.Message();
    }
}

void MakeSqlite(const QString& path, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

TEST(AdoConnection, OpensWithWalAndFullSync) {
    TestDatabase db;
    EXPECT_EQ(db.connection.DataSource(), db.path);
    EXPECT_EQ(Pragma(db.connection.Handle(), "PRAGMA journal_mode"), "wal");
    EXPECT_EQ(Pragma(db.connection.Handle(), "PRAGMA synchronous"), "2");
    db.connection.Close();
    EXPECT_FALSE(db.events.Active());
    EXPECT_FALSE(QFile::exists(db.path + QStringLiteral("-wal")));
}

TEST(AdoConnection, DataSourceComesFromTheConnectionString) {
    TADOConnection c;
    c.ConnectionString = QStringLiteral("Provider=X;Data Source=\"/tmp/a;b.vdbv2\";Mode=1");
    EXPECT_EQ(c.DataSource(), "/tmp/a;b.vdbv2");
    c.ConnectionString = QStringLiteral("provider=X; data source = /tmp/c.vdbv2 ");
    EXPECT_EQ(c.DataSource(), "/tmp/c.vdbv2");
}

TEST(AdoConnection, BadFilesAreRefusedAndLeftAsTheyWere) {
    QTemporaryDir dir;
    QByteArray good;
    {
        TestDatabase db;
        for (int i = 0; i < 300; ++i)
            db.AddEvent(0, QString(200, QChar(u'a' + i % 26)));
        db.connection.Close();
        good = ReadFile(db.path);
    }
    ASSERT_GT(good.size(), 60000);
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"empty", {}},
        {"text", QByteArray("Provider=Microsoft.Jet.OLEDB.4.0\n").repeated(100)},
        {"truncated", good.left(good.size() / 2)},
        {"header only", good.left(100)},
        {"damaged", good.left(8192) + QByteArray(8192, '\xA5') + good.mid(16384)},
    };
    for (const auto& c : cases) {
        const QString path = dir.filePath(QLatin1String(c.name));
        WriteFile(path, c.bytes);
        EXPECT_FALSE(OpenError(path).isEmpty()) << c.name;
        EXPECT_EQ(ReadFile(path), c.bytes) << c.name;
        EXPECT_FALSE(QFile::exists(path + QStringLiteral("-wal"))) << c.name;
    }
    const QString missing = dir.filePath(QStringLiteral("missing.vdbv2"));
    EXPECT_TRUE(OpenError(missing).contains(QStringLiteral("does not exist")));
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_FALSE(OpenError(dir.path()).isEmpty());  // a folder
}

TEST(AdoConnection, DatabasesOfAnotherSchemaFailAtTableOpen) {
    QTemporaryDir dir;
    const struct {
        const char* name;
        const char* sql;
    } cases[] = {
        {"no table", "CREATE TABLE Other(x)"},
        {"few columns", "CREATE TABLE Events(ID INTEGER PRIMARY KEY, UserID INTEGER)"},
        {"renamed column",
         "CREATE TABLE Events(ID INTEGER PRIMARY KEY, UserID INTEGER, eType INTEGER, Descr TEXT,"
         "Date REAL, RunDate REAL, EndDate REAL, UseStartTime INTEGER, UseEndDate INTEGER,"
         "Notify INTEGER, NotifyParam INTEGER, NotifyType INTEGER, Category INTEGER,"
         "Recurrence INTEGER, nParam INTEGER, Action_File TEXT, Sound_File TEXT, Notes TEXT,"
         "Completed INTEGER)"},
        {"text key",
         "CREATE TABLE Events(ID TEXT PRIMARY KEY, UserID INTEGER, eType INTEGER, \"Desc\" TEXT,"
         "Date REAL, RunDate REAL, EndDate REAL, UseStartTime INTEGER, UseEndDate INTEGER,"
         "Notify INTEGER, NotifyParam INTEGER, NotifyType INTEGER, Category INTEGER,"
         "Recurrence INTEGER, nParam INTEGER, Action_File TEXT, Sound_File TEXT, Notes TEXT,"
         "Completed INTEGER)"},
        {"a view", "CREATE TABLE t(x); CREATE VIEW Events AS SELECT * FROM t"},
    };
    for (const auto& c : cases) {
        const QString path = dir.filePath(QLatin1String(c.name));
        MakeSqlite(path, c.sql);
        EXPECT_FALSE(OpenError(path).isEmpty()) << c.name;
    }
}

TEST(AdoConnection, LockedFileFailsAfterTheBusyTimeout) {
    TestDatabase db;
    db.connection.Close();
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(db.path.toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other,
                           "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE;"
                           "INSERT INTO Notes(Title) VALUES('x');",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    ado::SetBusyTimeoutMs(100);
    const QString error = OpenError(db.path);
    EXPECT_TRUE(error.contains(QStringLiteral("in use"))) << error.toStdString();
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_TRUE(OpenError(db.path).isEmpty());
}

// Another program may hold the file for a moment: a Post waits for it.
TEST(AdoConnection, PostWaitsWhileAnotherProgramWrites) {
    TestDatabase db;
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(db.path.toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE; INSERT INTO Notes(Title) VALUES('x');", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    std::thread release([other] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    });
    EXPECT_NO_THROW(db.AddEvent(0, "waited"));
    release.join();
    sqlite3_close(other);
    EXPECT_EQ(db.VisibleDescs(), QStringList{"waited"});
}

// Root ignores permissions, but not the immutable attribute.
bool SetImmutable(const QString& path, bool on) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    int flags = 0;
    bool ok = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0) ::close(fd);
    return ok;
}

TEST(AdoConnection, ReadOnlyFileIsRefused) {
    TestDatabase db;
    db.connection.Close();
    const QByteArray before = ReadFile(db.path);
    if (geteuid() != 0) {
        QFile::setPermissions(db.path, QFile::ReadOwner);
    } else if (!SetImmutable(db.path, true)) {
        GTEST_SKIP() << "cannot make a file read-only for root here";
    }
    const QString error = OpenError(db.path);
    if (geteuid() == 0) SetImmutable(db.path, false);
    EXPECT_TRUE(error.contains(QStringLiteral("read-only"))) << error.toStdString();
    EXPECT_EQ(ReadFile(db.path), before);
}

TEST(AdoConnection, TablesOutliveTheirConnectionSafely) {
    auto db = std::make_unique<TestDatabase>();
    auto table = std::make_unique<TADOTable>(&db->connection);
    table->SetTableName(QStringLiteral("Notes"));
    table->Open();
    db->connection.Close();
    EXPECT_FALSE(table->Active());
    db->connection.Open();
    table->Open();
    EXPECT_EQ(table->RecordCount(), 0);
    // The connection goes first; the table is left without one.
    auto* connection = new TADOConnection;
    connection->ConnectionString = db->connection.ConnectionString;
    table->SetConnection(connection);
    table->Open();
    delete connection;
    EXPECT_FALSE(table->Active());
    EXPECT_EQ(table->Connection(), nullptr);
    EXPECT_THROW(table->Open(), EDatabaseError);
}

}  // namespace
