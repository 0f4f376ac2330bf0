// The first start delivers the database and a readable settings file; later
// starts and the settings unit's own defaults are left alone.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "app/Vnfirststart.h"
#include "store/Udbmanagement.h"
#include "support/TestSupport.h"

namespace {

class FirstStart : public ::testing::Test {
protected:
    FirstStart() { SetDataFolder(dir.filePath(QStringLiteral("data"))); }
    ~FirstStart() override { SetDataFolder(QString()); }

    static QByteArray Contents(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static void Write(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QTemporaryDir dir;
};

TEST_F(FirstStart, DeliversTheDatabaseAndTheSettings) {
    ASSERT_TRUE(PrepareFirstStart());
    EXPECT_NO_THROW(CheckDatabaseFile(DatabaseFilePath()));
    ASSERT_TRUE(QFile::exists(SettingsFilePath()));
    const TvnSettings read = ReadSettings(TvnWindowPlacement{}, SettingsFilePath());
    EXPECT_EQ(read.ProgOptions, DeliveredProgOptions());
    EXPECT_EQ(read.Users.UserNames[0], "Default");
    EXPECT_SAME_COLOR(read.ProgOptions.ColorFont, RGBColor(0x1A, 0x2B, 0x4C));
    EXPECT_EQ(read.ProgOptions.ItemFontSize, 2);
    EXPECT_EQ(read.ProgOptions.WindowWidth, DeliveredWindowPlacement().Width);
}

QFile::Permissions Mode(const QString& path) {
    return QFileInfo(path).permissions() & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
}

// Others on the machine could read the calendar and the users' names; a
// folder the user made for a portable copy keeps the mode it has.
TEST_F(FirstStart, DataFilesWereReadableByEveryone) {
    const QFile::Permissions owner = QFile::ReadOwner | QFile::WriteOwner;
    ASSERT_TRUE(PrepareFirstStart());
    EXPECT_EQ(Mode(DataFolder()), owner | QFile::ExeOwner);
    EXPECT_EQ(Mode(DatabaseFilePath()), owner);
    EXPECT_EQ(Mode(SettingsFilePath()), owner);
    const QString backup = dir.filePath(QStringLiteral("copy.vdbv2.bak"));
    ASSERT_TRUE(BackupDatabase(backup));
    EXPECT_EQ(Mode(backup), owner);

    const QString portable = dir.filePath(QStringLiteral("portable"));
    ASSERT_TRUE(QDir().mkpath(portable));
    const QFile::Permissions shared = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                      QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                      QFile::ExeOther;
    QFile::setPermissions(portable, shared);
    SetDataFolder(portable);
    ASSERT_TRUE(PrepareFirstStart());
    EXPECT_EQ(Mode(portable), shared);
    EXPECT_EQ(Mode(SettingsFilePath()), owner);
}

TEST_F(FirstStart, SecondStartLeavesAChangedSettingsFileAlone) {
    ASSERT_TRUE(PrepareFirstStart());
    TvnSettings mine = ReadSettings(TvnWindowPlacement{});
    mine.ProgOptions.ColorFont = clWhite;
    mine.ProgOptions.ItemFontSize = 4;
    ASSERT_TRUE(WriteSettings(mine, DeliveredWindowPlacement()));
    const QByteArray before = Contents(SettingsFilePath());
    const QByteArray database = Contents(DatabaseFilePath());

    EXPECT_FALSE(PrepareFirstStart());
    EXPECT_EQ(Contents(SettingsFilePath()), before);
    EXPECT_EQ(Contents(DatabaseFilePath()), database);
    EXPECT_SAME_COLOR(ReadSettings(TvnWindowPlacement{}).ProgOptions.ColorFont, clWhite);
}

TEST_F(FirstStart, SettingsWithoutDatabaseGetNothingNew) {
    ASSERT_TRUE(QDir().mkpath(DataFolder()));
    Write(SettingsFilePath(), "[Calendar]\nColorFont=255\n");
    EXPECT_FALSE(PrepareFirstStart());
    EXPECT_FALSE(QFile::exists(DatabaseFilePath()));  // the start-up offers a restore
    EXPECT_EQ(Contents(SettingsFilePath()), "[Calendar]\nColorFont=255\n");
}

TEST_F(FirstStart, DatabaseWithoutSettingsGetsNoSettings) {
    ASSERT_TRUE(QDir().mkpath(DataFolder()));
    CreateDeliveredDatabase(DatabaseFilePath());
    EXPECT_FALSE(PrepareFirstStart());
    EXPECT_FALSE(QFile::exists(SettingsFilePath()));
}

TEST_F(FirstStart, KeysMissingFromAFileKeepTheBuiltInDefaults) {
    ASSERT_TRUE(PrepareFirstStart());
    Write(SettingsFilePath(), "[Calendar]\nShowGrid=1\n");
    const TProgOptions read = ReadSettings(TvnWindowPlacement{}).ProgOptions;
    EXPECT_SAME_COLOR(read.ColorFont, kDefaultFont);
    EXPECT_SAME_COLOR(read.ColorCurrDay, kDefaultCurrDay);
    EXPECT_SAME_COLOR(read.ColorMeet, kDefaultMeet);
    EXPECT_EQ(read.ItemFontSize, 1);
}

// Every text colour the delivered file sets reads on the grounds it sets.
TEST(DeliveredSettings, TextColoursContrastWithWeekendAndToday) {
    const TProgOptions o = DeliveredProgOptions();
    const struct {
        const char* name;
        TColor color;
    } texts[] = {{"ColorFont", o.ColorFont},   {"ColorMisc", o.ColorMisc},
                 {"ColorAnniv", o.ColorAnniv}, {"ColorBirth", o.ColorBirth},
                 {"ColorSpec", o.ColorSpec},   {"ColorMeet", o.ColorMeet}};
    const auto rgb = [](TColor c) { return (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF); };
    const TColor lightFace = RGBColor(0xF0, 0xF0, 0xF0);  // a typical button face
    for (const auto& t : texts)
        for (const TColor ground : {o.ColorWeekends, o.ColorCurrDay, lightFace})
            EXPECT_GE(ContrastRatio(rgb(t.color), rgb(ground)), 4.5)
                << t.name << " on " << ColorText(ground);
}

}  // namespace
