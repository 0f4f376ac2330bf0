// The whole-file check that waits for the close: a file found intact at
// close opens again without it, but any change to the file since (even one
// that puts the modification time back) brings it back and a damaged file
// is refused before a row is read.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>

#include "store/Adodb.h"
#include "store/Datafolder.h"
#include "support/TestDatabase.h"

namespace {

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Rewrites part of the file in place (same inode), optionally with its
// modification time put back.
void Overwrite(const QString& path, qint64 at, const QByteArray& bytes, bool keepTime) {
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.seek(at));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    if (!keepTime) return;
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

// Opens the events table and reads every row; answers the error, empty on success.
QString OpenAndReadError(const QString& path) {
    TADOConnection connection;
    connection.ConnectionString = DatabaseConnectionString(path);
    TADOTable events(&connection);
    events.SetTableName(QStringLiteral("Events"));
    try {
        events.Open();
        for (; !events.Eof(); events.Next())
            events.FieldByName(QStringLiteral("Desc"))->AsString();
        return {};
    } catch (const EDatabaseError& e) {
        return e.Message().isEmpty() ? QStringLiteral("?") : e.Message();
    }
}

}  // namespace

TEST(OpeningCheck, FileChangedAfterAnIntactCloseIsCheckedAgainAndRefusedWhenDamaged) {
    const struct {
        const char* name;
        bool keepTime;
    } cases[] = {{"page overwritten", false}, {"page overwritten, time put back", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestDatabase db;
        for (int i = 0; i < 300; ++i)
            db.AddEvent(0, QString(200, QChar(u'a' + i % 26)));
        db.connection.Close();  // checked as it closes: found intact
        ASSERT_EQ(OpenAndReadError(db.path), QString());
        ASSERT_EQ(OpenAndReadError(db.path), QString());  // opened without the whole check
        Overwrite(db.path, 8192, QByteArray(8192, '\xA5'), c.keepTime);
        const QByteArray damaged = ReadFile(db.path);
        // Refused by the open itself, not by a later read that meets the damage.
        const QString refused = QStringLiteral(
                                    "Cannot open the database \"%1\": the database "
                                    "file is damaged")
                                    .arg(db.path);
        EXPECT_EQ(OpenAndReadError(db.path), refused);
        EXPECT_EQ(OpenAndReadError(db.path), refused);
        EXPECT_EQ(ReadFile(db.path), damaged);
    }
}
