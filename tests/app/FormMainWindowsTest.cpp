// Moving from the Windows version: a start on a data folder holding the
// Windows "DB.vdbv2" (a Jet file) and "Settings.ini" asks to convert the
// database; Yes converts it, keeps the original and opens the calendar with
// the Windows settings; No, or a file that cannot be converted, ends the
// start as a database the program cannot open does, with the file as it was.
// File > Import Windows calendar converts a chosen file into another.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QAction>
#include <QFile>
#include <QTemporaryDir>

#include "app/Uformmain.h"
#include "reminder/Vncalendarreminder.h"
#include "store/Datafolder.h"
#include "store/Jetfiles.h"
#include "store/Udbmanagement.h"
#include "support/DialogScript.h"
#include "support/JetFixtures.h"

namespace {

const QString kQuestion =
    "The database \"DB.vdbv2\" comes from the Windows version of the program. Do you want to "
    "convert it for this version? The original file is kept as \"DB.vdbv2.jet\".";
const QString kNotFound = "Database not found! Restore the database from a backup copy.";

// Settings.ini as the Windows version writes it: CR LF, names in Windows-1252.
const QByteArray kWindowsSettings =
    "[Application]\r\nFirstLoading=0\r\nDataAreImported=1\r\nMinimizeAtRun=0\r\n"
    "[Calendar]\r\nStartOfWeek=7\r\nColorCurrDay=16761024\r\nColorWeekends=-2147483633\r\n"
    "ColorMeet=33023\r\nShowCurrDate=0\r\nYearView=2024\r\nMonthView=3\r\nItemFontSize=2\r\n"
    "DefSound=C:\\Sounds\\d\xe9j\xe0 vu.wav\r\n"
    "[Users]\r\nCurrUserID=2\r\nUserName_0=Default\r\nUserState_0=1\r\n"
    "UserName_1=Anna\r\nUserState_1=1\r\nUserName_2=J\xf6rg M\xfcller\r\nUserState_2=1\r\n";

struct WindowsFolder {
    explicit WindowsFolder(qsizetype keepBytes = 0) {
        SetDataFolder(dir.path() + '/');
        original = FileBytes(JetFixture("windows-DB.vdbv2"));
        if (keepBytes) original.truncate(keepBytes);
        Write(DatabaseFilePath(), original);
        Write(SettingsFilePath(), kWindowsSettings);
    }
    ~WindowsFolder() { SetDataFolder({}); }
    static void Write(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QTemporaryDir dir;
    QByteArray original;
};

int EventCount(const QString& path) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "SELECT count(*) FROM Events", -1, &stmt, nullptr);
    const int n = stmt && sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int(stmt, 0) : -1;
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return n;
}

}  // namespace

TEST(FormMainWindows, YesConvertsKeepsTheOriginalAndOpensTheCalendarWithTheWindowsSettings) {
    WindowsFolder folder;
    ScopedDialogScript script;
    script.Yes();
    TFormMainVNCR window;
    ASSERT_TRUE(window.FormCreate());
    EXPECT_EQ(script.Messages(), QStringList{kQuestion});
    EXPECT_EQ(FileBytes(DatabaseFilePath() + ".jet"), folder.original);
    EXPECT_FALSE(IsJetFile(DatabaseFilePath()));
    EXPECT_EQ(EventCount(DatabaseFilePath()), 15);
    EXPECT_TRUE(window.Calendar()->TableIsActive(tsEvents));
    // The Windows settings arrived: users, colours, options, 8-bit texts.
    const TvnSettings& s = window.Settings();
    EXPECT_EQ(s.Users.UserNames[2], QString::fromUtf8("Jörg Müller"));
    EXPECT_EQ(s.Users.CurrUserID, 2);
    EXPECT_EQ(window.Calendar()->Data().CurrUser, 2);
    EXPECT_EQ(s.ProgOptions.DefSound, QString::fromUtf8("C:\\Sounds\\déjà vu.wav"));
    EXPECT_EQ(window.Calendar()->ColorCurrDay, TColor(16761024));
    EXPECT_EQ(s.ProgOptions.ColorMeet, TColor(33023));
    EXPECT_EQ(s.ProgOptions.ItemFontSize, 2);
    EXPECT_EQ(window.Calendar()->StartOfWeek(), 7);
}

struct RefusedStart {
    const char* name;
    qsizetype keepBytes;  // the Windows file cut to this size (0: whole)
    bool answer;
    QStringList errorsStartWith;
};

class FormMainWindowsRefused : public ::testing::TestWithParam<RefusedStart> {};

TEST_P(FormMainWindowsRefused, EndsAsWithADatabaseItCannotOpenAndKeepsTheFile) {
    WindowsFolder folder(GetParam().keepBytes);
    ScopedDialogScript script;
    if (GetParam().answer)
        script.Yes();
    else
        script.No();
    script.CancelFile(TDialogKind::OpenFile);  // the restore offer
    {
        TFormMainVNCR window;
        EXPECT_FALSE(window.FormCreate());
    }
    EXPECT_EQ(script.Texts(TDialogKind::Confirmation), QStringList{kQuestion});
    const QStringList errors = script.Texts(TDialogKind::Error);
    ASSERT_EQ(errors.size(), GetParam().errorsStartWith.size());
    for (int i = 0; i < errors.size(); ++i)
        EXPECT_TRUE(errors[i].startsWith(GetParam().errorsStartWith[i])) << errors[i].toStdString();
    EXPECT_EQ(FileBytes(DatabaseFilePath()), folder.original);
    EXPECT_FALSE(QFile::exists(DatabaseFilePath() + ".jet"));
    EXPECT_EQ(FileBytes(SettingsFilePath()), kWindowsSettings);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FormMainWindowsRefused,
    ::testing::Values(
        RefusedStart{"No", 0, false, {kNotFound}},
        RefusedStart{"Damaged", 100000, true, {"The database could not be converted.", kNotFound}}),
    [](const auto& info) { return std::string(info.param.name); });

// Runs File > Import Windows calendar on a started window of the data folder.
static void Import(const QString& target) {
    ScopedDialogScript script;
    TFormMainVNCR window;
    ASSERT_TRUE(window.FormCreate());
    script.ChooseFile(TDialogKind::OpenFile, JetFixture("windows-DB.vdbv2"))
        .ChooseFile(TDialogKind::SaveFile, target);
    window.findChild<QAction*>("mMenu_FileImportWindows")->trigger();
    ASSERT_EQ(script.Texts(TDialogKind::Information).size(), 1);
    EXPECT_TRUE(script.Texts(TDialogKind::Information)[0].contains("File > Restore"));
    EXPECT_EQ(EventCount(target), 15);
    EXPECT_NO_THROW(CheckDatabaseFile(target));
    EXPECT_EQ(EventCount(DatabaseFilePath()), 0);  // the calendar in use stays as it was

    // The database in use is never the target.
    script.ChooseFile(TDialogKind::OpenFile, JetFixture("windows-DB.vdbv2"))
        .ChooseFile(TDialogKind::SaveFile, DatabaseFilePath());
    window.findChild<QAction*>("mMenu_FileImportWindows")->trigger();
    EXPECT_EQ(script.Count(TDialogKind::Error), 1);
    EXPECT_EQ(EventCount(DatabaseFilePath()), 0);
}

TEST(FormMainWindows, ImportWindowsCalendarConvertsAChosenFileIntoAnother) {
    QTemporaryDir dir;
    SetDataFolder(dir.path() + '/');
    CreateDeliveredDatabase(DatabaseFilePath());
    const QString target = dir.filePath("Windows.vdbv2.bak");
    Import(target);
    SetDataFolder({});
}
