// A program killed in the middle of storing rows: the file stays intact and
// holds every row whose Post had returned.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <chrono>
#include <random>
#include <set>

#include "store/Adodb.h"
#include "store/Datafolder.h"

namespace {

// The child: appends rows (now and then editing one) and writes the ID of
// every row whose Post returned to the pipe. Never returns.
[[noreturn]] void WriteRowsUntilKilled(const QString& path, int pipeFd) {
    try {
        TADOConnection connection;
        connection.ConnectionString = DatabaseConnectionString(path);
        TADOTable events(&connection);
        events.SetTableName(QStringLiteral("Events"));
        events.Open();
        for (int64_t i = 0;; ++i) {
            events.Append();
            events.FieldByName(QStringLiteral("Desc"))
                ->SetAsString(QStringLiteral("row %1").arg(i));
            events.FieldByName(QStringLiteral("Notes"))->SetAsString(QString(500 + i % 3000, u'n'));
            events.Post();
            const int64_t id = events.FieldByName(QStringLiteral("ID"))->AsInteger();
            if (i % 7 == 0) {
                events.Edit();
                events.FieldByName(QStringLiteral("Category"))->SetAsInteger(3);
                events.Post();
            }
            if (::write(pipeFd, &id, sizeof id) != sizeof id) ::_exit(3);
        }
    } catch (...) {
        ::_exit(2);
    }
}

// Reads the reported IDs until the deadline (or the child's end).
void Collect(int fd, std::chrono::steady_clock::time_point deadline, std::vector<int64_t>& ids) {
    char buffer[4096];
    static std::string pending;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, std::max<int>(0, static_cast<int>(left.count()))) <= 0) return;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) return;
        pending.append(buffer, static_cast<size_t>(n));
        while (pending.size() >= sizeof(int64_t)) {
            int64_t id = 0;
            memcpy(&id, pending.data(), sizeof id);
            ids.push_back(id);
            pending.erase(0, sizeof id);
        }
    }
}

TEST(Crash, KilledWriterLosesNoPostedRow) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("DB.vdbv2"));
    CreateDeliveredDatabase(path);
    std::mt19937 rng(std::random_device{}());
    std::vector<int64_t> reported;
    for (int round = 0; round < 6; ++round) {
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(fds[0]);
            WriteRowsUntilKilled(path, fds[1]);
        }
        ::close(fds[1]);
        const auto wait = std::chrono::milliseconds(40 + rng() % 200);
        Collect(fds[0], std::chrono::steady_clock::now() + wait, reported);
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        Collect(fds[0], std::chrono::steady_clock::now(), reported);  // what was already sent
        ::close(fds[0]);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself: " << status;

        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &stmt, nullptr);
        ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
        EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)), "ok");
        sqlite3_finalize(stmt);
        std::set<int64_t> stored;
        sqlite3_prepare_v2(db, "SELECT ID FROM Events", -1, &stmt, nullptr);
        while (sqlite3_step(stmt) == SQLITE_ROW)
            stored.insert(sqlite3_column_int64(stmt, 0));
        sqlite3_finalize(stmt);
        sqlite3_close(db);
        for (int64_t id : reported)
            ASSERT_TRUE(stored.count(id)) << "row " << id << " was posted but is lost";
        EXPECT_GE(stored.size(), reported.size());
    }
    EXPECT_GT(reported.size(), 0u);
}

}  // namespace
