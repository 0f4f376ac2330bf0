// The File menu's Backup, Restore and Pack database, driven through the
// dialogs gate: the file dialogs they show, their messages, and the database
// closed for the operation and reopened after it, whatever the outcome.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <optional>

#include "app/Umaintenance.h"
#include "support/DialogScript.h"
#include "support/TestDatabase.h"
#include "support/TestSupport.h"

namespace {

class Maintenance : public ::testing::Test {
protected:
    Maintenance() {
        SetDataFolder(db.dir.path());
        db.AddEvent(0, QStringLiteral("Keep"), At(2024, 3, 5));
        doomed = db.AddEvent(0, QStringLiteral("Doomed"), At(2024, 3, 6));
    }
    ~Maintenance() override { SetDataFolder(QString()); }

    TvnMaintenanceHooks Hooks() {
        TvnMaintenanceHooks h;
        h.DisableReminder = [this] { log << "disable"; };
        h.CloseDatabase = [this] {
            log << "close";
            db.connection.Close();
            if (diskFull) full.emplace();
        };
        h.OpenDatabase = [this] {
            log << "open";
            full.reset();
            db.connection.Open();
            for (auto& table : db.tables)
                table->Open();
        };
        h.UpdateCalendar = [this] { log << "update"; };
        h.EnableReminder = [this] { log << "enable"; };
        return h;
    }
    QStringList Descs() {
        QStringList out = db.VisibleDescs();
        out.sort();
        return out;
    }
    bool ReopenedAfter() const {
        return log == QStringList{"disable", "close", "open", "update", "enable"};
    }

    ScopedClock clock{At(2024, 3, 15, 10, 0)};
    TestDatabase db;
    QTemporaryDir elsewhere;
    QStringList log;
    int doomed = 0;
    // The disk is full while the database is closed for the operation.
    bool diskFull = false;
    std::optional<ScopedFullDisk> full;
};

TEST_F(Maintenance, BackupThenRestoreBringsBackARowDeletedInBetween) {
    const QString backup = elsewhere.filePath(QStringLiteral("2024-03-15.vdbv2.bak"));
    {
        ScopedDialogScript script;
        script.ChooseFile(TDialogKind::SaveFile, elsewhere.filePath(QStringLiteral("2024-03-15")));
        EXPECT_TRUE(BackupDatabaseCommand(nullptr, Hooks()));
        const TFileDialogOptions& asked = script.Requests().front().File;
        EXPECT_EQ(asked.FileName, "2024-03-15");
        EXPECT_EQ(asked.InitialDir, DataFolder());
        EXPECT_EQ(asked.Filter, "Vornel databases v2.0 (*.vdbv2.bak)|*.vdbv2.bak");
        EXPECT_EQ(script.Texts(TDialogKind::Information),
                  QStringList{"Backup copy of the database created successfully."});
    }
    ASSERT_TRUE(QFile::exists(backup));
    EXPECT_TRUE(ReopenedAfter());
    ASSERT_TRUE(db.events.Locate(QStringLiteral("ID"), doomed));
    db.events.Delete();
    ASSERT_EQ(Descs(), QStringList{"Keep"});

    log.clear();
    ScopedDialogScript script;
    script.ChooseFile(TDialogKind::OpenFile, backup);
    EXPECT_TRUE(RestoreDatabaseCommand(nullptr, Hooks()));
    const TFileDialogOptions& asked = script.Requests().front().File;
    EXPECT_EQ(asked.FileName, "");
    EXPECT_EQ(asked.InitialDir, DataFolder());
    EXPECT_EQ(asked.Filter, BackupFilter);
    EXPECT_EQ(script.Messages(), QStringList{"Database restored successfully."});
    EXPECT_TRUE(ReopenedAfter());
    EXPECT_EQ(Descs(), (QStringList{"Doomed", "Keep"}));
}

TEST_F(Maintenance, BackupNameWithAnExtensionStaysAsTyped) {
    ScopedDialogScript script;
    script.ChooseFile(TDialogKind::SaveFile, elsewhere.filePath(QStringLiteral("copy.db")));
    EXPECT_TRUE(BackupDatabaseCommand(nullptr, Hooks()));
    EXPECT_TRUE(QFile::exists(elsewhere.filePath(QStringLiteral("copy.db"))));
    EXPECT_FALSE(QFile::exists(elsewhere.filePath(QStringLiteral("copy.db.vdbv2.bak"))));
}

TEST_F(Maintenance, CancelledFileDialogsLeaveTheDatabaseOpen) {
    ScopedDialogScript script;
    script.CancelFile(TDialogKind::SaveFile).CancelFile(TDialogKind::OpenFile);
    EXPECT_FALSE(BackupDatabaseCommand(nullptr, Hooks()));
    EXPECT_FALSE(RestoreDatabaseCommand(nullptr, Hooks()));
    EXPECT_TRUE(log.isEmpty());
    EXPECT_TRUE(script.Messages().isEmpty());
    EXPECT_TRUE(db.connection.Connected());
    EXPECT_EQ(Descs(), (QStringList{"Doomed", "Keep"}));
}

// A folder nobody may write into; root may write anywhere on disk, so it
// gets a folder of the process file system instead.
QString ReadOnlyFolder(const QTemporaryDir& dir) {
    if (geteuid() == 0) return QStringLiteral("/proc/self");
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    return dir.path();
}

TEST_F(Maintenance, BackupIntoAReadOnlyFolderFailsAndKeepsTheDatabase) {
    QTemporaryDir locked;
    const QString folder = ReadOnlyFolder(locked);
    ScopedDialogScript script;
    script.ChooseFile(TDialogKind::SaveFile, folder + QStringLiteral("/2024-03-15"));
    EXPECT_FALSE(BackupDatabaseCommand(nullptr, Hooks()));
    QFile::setPermissions(locked.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(script.Texts(TDialogKind::Error),
              QStringList{"The database operation was not executed. An error was fixed!"});
    EXPECT_TRUE(script.Texts(TDialogKind::Information).isEmpty());
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("/2024-03-15.vdbv2.bak")));
    EXPECT_TRUE(ReopenedAfter());
    EXPECT_EQ(Descs(), (QStringList{"Doomed", "Keep"}));
}

TEST_F(Maintenance, BackupOntoAFullDiskFailsAndLeavesNoFile) {
    ScopedDialogScript script;
    script.ChooseFile(TDialogKind::SaveFile, elsewhere.filePath(QStringLiteral("full")));
    diskFull = true;
    EXPECT_FALSE(BackupDatabaseCommand(nullptr, Hooks()));
    EXPECT_EQ(script.Messages(), QStringList{MaintenanceFailedText});
    EXPECT_TRUE(QDir(elsewhere.path()).isEmpty());
    EXPECT_EQ(Descs(), (QStringList{"Doomed", "Keep"}));
}

TEST_F(Maintenance, RestoreFromAFileThatIsNoDatabaseFailsAndKeepsEveryRow) {
    QFile text(elsewhere.filePath(QStringLiteral("notes.vdbv2.bak")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("These are not the rows you are looking for.\n");
    text.close();
    ScopedDialogScript script;
    script.ChooseFile(TDialogKind::OpenFile, text.fileName());
    EXPECT_FALSE(RestoreDatabaseCommand(nullptr, Hooks()));
    EXPECT_EQ(script.Texts(TDialogKind::Error), QStringList{MaintenanceFailedText});
    EXPECT_TRUE(ReopenedAfter());
    EXPECT_EQ(Descs(), (QStringList{"Doomed", "Keep"}));
}

TEST_F(Maintenance, PackKeepsEveryRowAndLeavesNoTemporaryFile) {
    // Rows deleted leave free room that packing gives back.
    for (int i = 0; i < 50; ++i) {
        const int id = db.AddEvent(0, QStringLiteral("Gone %1").arg(i));
        ASSERT_TRUE(db.events.Locate(QStringLiteral("ID"), id));
        db.events.Delete();
    }
    ScopedDialogScript script;
    EXPECT_TRUE(PackDatabaseCommand(nullptr, Hooks()));
    EXPECT_EQ(script.Texts(TDialogKind::Information), QStringList{"Database packed successfully."});
    EXPECT_TRUE(ReopenedAfter());
    EXPECT_EQ(Descs(), (QStringList{"Doomed", "Keep"}));
    EXPECT_FALSE(QFile::exists(DataFolder() + QStringLiteral("tmpDB8vymfujgfqwrf.mdb")));
}

TEST_F(Maintenance, PackThatCannotWriteFailsAndKeepsTheDatabase) {
    ScopedDialogScript script;
    diskFull = true;
    EXPECT_FALSE(PackDatabaseCommand(nullptr, Hooks()));
    EXPECT_EQ(script.Messages(), QStringList{MaintenanceFailedText});
    EXPECT_TRUE(ReopenedAfter());
    EXPECT_EQ(Descs(), (QStringList{"Doomed", "Keep"}));
    EXPECT_FALSE(QFile::exists(DataFolder() + QStringLiteral("tmpDB8vymfujgfqwrf.mdb")));
}

TEST_F(Maintenance, ARefreshThatFailsAfterPackingLeftTheReminderDisabledForGood) {
    ScopedDialogScript script;
    TvnMaintenanceHooks hooks = Hooks();
    hooks.UpdateCalendar = [] { throw EDatabaseError(QStringLiteral("disk I/O error")); };
    EXPECT_THROW(PackDatabaseCommand(nullptr, hooks), EDatabaseError);
    EXPECT_EQ(log, (QStringList{"disable", "close", "open", "enable"}));
}

}  // namespace
