#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "app/Vnsettings.h"
#include "platform/IniFile.h"
#include "support/TestSupport.h"

namespace {

const TvnWindowPlacement kWindow{0, 100, 80, 808, 555};

template <class F>
void ForEachKey(F&& f) {
    ForEachSettingsSection([&](const auto& section) {
        for (const auto& key : section.Keys)
            std::visit([&](const auto& k) { f(section, key.Name, k); }, key.Value);
    });
}

// Every key at a value other than its default, every user in use.
TvnSettings OtherSettings() {
    TvnSettings s;
    ForEachKey([&](const auto& section, const char* name, const auto& k) {
        auto& v = s.*section.Holder.*k.Member;
        using T = std::remove_reference_t<decltype(v)>;
        if constexpr (requires { k.Window; })
            return;  // written from the window
        else if constexpr (std::is_same_v<T, bool>)
            v = !k.Default;
        else if constexpr (std::is_same_v<T, int32_t>)
            v = k.Default == k.Max ? k.Min : k.Max;
        else if constexpr (std::is_same_v<T, TColor>)
            v = IsSystemColor(k.Default) ? RGBColor(1, 2, 3) : clWindow;
        else if constexpr (std::is_same_v<T, double>)
            v = 0.75;
        else
            v = QStringLiteral("/home/zoë/%1 1.bmp").arg(name);
    });
    for (int n = 0; n < TvnUsers::Count; ++n) {
        s.Users.UserNames[n] =
            n == 0 ? QStringLiteral("Default") : QStringLiteral("User %1").arg(n);
        s.Users.UserStates[n] = 1;
    }
    return s;
}

class SettingsTest : public ::testing::Test {
protected:
    QString Path() const { return dir_.filePath("Settings.ini"); }
    void WriteRaw(const QByteArray& bytes) {
        QFile f(Path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray ReadRaw() const {
        QFile f(Path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // The file these settings make, as text a failure shows readably.
    std::string Text(const TvnSettings& s, const TvnWindowPlacement& window = kWindow) const {
        const QString path = dir_.filePath("text.ini");
        QFile::remove(path);
        EXPECT_TRUE(WriteSettings(s, window, path));
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
    }
    TvnSettings Defaults() const { return ReadSettings(kWindow, dir_.filePath("none.ini")); }

    QTemporaryDir dir_;
};

TEST_F(SettingsTest, EveryKeyReadsBackWhatWasWritten) {
    const TvnSettings written = OtherSettings();
    const TvnWindowPlacement window{2, -120, 40, 1024, 700};
    ASSERT_TRUE(WriteSettings(written, window, Path()));
    const TvnSettings read = ReadSettings(kWindow, Path());
    ForEachKey([&](const auto& section, const char* name, const auto& k) {
        const auto& actual = read.*section.Holder.*k.Member;
        const auto& sent = written.*section.Holder.*k.Member;
        if constexpr (requires { k.Window; }) {
            EXPECT_EQ(actual, window.*k.Window) << name;
        } else if constexpr (requires { k.WrittenAsDefault; }) {
            EXPECT_EQ(actual, k.WrittenAsDefault ? k.Default : sent) << name;
        } else {
            EXPECT_EQ(actual, sent) << name;
        }
    });
    EXPECT_EQ(read.Users.UserNames, written.Users.UserNames);
    EXPECT_EQ(read.Users.UserStates, written.Users.UserStates);
}

TEST_F(SettingsTest, NoFileGivesTheDefaultsOfTheRecords) {
    const TvnSettings read = Defaults();
    ForEachKey([&](const auto& section, const char* name, const auto& k) {
        if constexpr (requires { k.Default; }) {
            EXPECT_EQ(TvnSettings{}.*section.Holder.*k.Member, k.Default) << name;
        }
    });
    EXPECT_EQ(read.ProgOptions.WindowHeight, kWindow.Height);  // the window as it is
    EXPECT_SAME_COLOR(read.ProgOptions.ColorWeekends, clBtnFace);
    EXPECT_EQ(read.Users.UserNames[0], "Default");
    EXPECT_EQ(read.Users.UserStates, (std::array<int32_t, 9>{1, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(SettingsTest, DefaultsAreWrittenAsTheFileForm) {
    const QByteArray expected =
        QByteArray(
            "[Application]|FirstLoading=0|DataAreImported=1|RunAtWinStartup=0|"
            "MinimizeAtRun=0|WindowState=0|WindowLeft=100|WindowTop=80|WindowWidth=808|"
            "WindowHeight=555|[Print]|Print_Events=1|Print_Notes=1|Print_Holidays=1|"
            "Print_DateTitle=1|Print_Backgr=1|Proportions=0|NumberOfCopies=1|[Calendar]|"
            "StartOfWeek=1|DisplayHolidays=1|DisplayTime=0|PaintCurrDate=1|ShowGrid=1|"
            "PaintWeekends=1|ColorGrid=8421504|ColorWeekends=-2147483633|"
            "ColorCurrDay=15263920|ColorFont=0|ShowCurrDate=1|YearView=2006|"
            "MonthView=1|UseWallpaper=0|Wallpaper=|WallpaperPos=0|UseEventColors=1|"
            "ColorMisc=25600|ColorAnniv=176|ColorBirth=16711680|ColorSpec=24672|"
            "ColorMeet=20608|ItemFontSize=1|DefAction=|DefSound=|SnoozeMinutes=10|"
            "SyncMinutes=15|[Users]|"
            "CurrUserID=0|"
            "UserName_0=Default|UserState_0=1|")
            .replace('|', "\r\n");
    EXPECT_EQ(Text(Defaults()), expected.toStdString());
}

TEST_F(SettingsTest, OnlyUsersInUseAreKeptAndTheDefaultUserAlwaysExists) {
    WriteRaw(
        "[Users]\r\nCurrUserID=4\r\nUserName_0=Boss\r\nUserState_0=0\r\nUserName_3=Ann\r\n"
        "UserState_3=1\r\nUserName_4=Bob\r\nUserState_4=2\r\nUserName_6=Dee\r\nUserState_6=1\r\n"
        "[Application]\r\nFirstLoading=1\r\n");
    TvnSettings s = ReadSettings(kWindow, Path());
    EXPECT_EQ(s.Users.UserNames[0], "Default");
    EXPECT_EQ(s.Users.UserStates, (std::array<int32_t, 9>{1, 0, 0, 1, 0, 0, 1, 0, 0}));
    EXPECT_EQ(s.Users.CurrUserID, 0) << "user 4 is not in use";
    EXPECT_TRUE(s.ProgOptions.FirstLoading);
    s.Users.UserStates[3] = 0;  // removed during the run
    s.Users.UserNames[0] = "Boss";
    s.Users.CurrUserID = 6;
    ASSERT_TRUE(WriteSettings(s, kWindow, Path()));
    const QByteArray text = ReadRaw();
    EXPECT_TRUE(
        text.endsWith("[Users]\r\nCurrUserID=6\r\nUserName_0=Default\r\nUserState_0=1\r\n"
                      "UserName_6=Dee\r\nUserState_6=1\r\n"));
    EXPECT_TRUE(text.startsWith("[Application]\r\nFirstLoading=0\r\n"));
}

TEST_F(SettingsTest, DisplayTimeUsesTheDecimalSeparatorOfTheLocale) {
    TFormatSettings comma = DottedFormatSettings();
    comma.DecimalSeparator = u',';
    ScopedFormat format(comma);
    WriteRaw("[Calendar]\r\nDisplayTime=0,5\r\n");
    const TvnSettings s = ReadSettings(kWindow, Path());
    EXPECT_EQ(s.ProgOptions.DisplayTime, 0.5);  // 12:00
    ASSERT_TRUE(WriteSettings(s, kWindow, Path()));
    EXPECT_TRUE(ReadRaw().contains("\r\nDisplayTime=0,5\r\n"));
}

struct BadValueRow {
    const char* name;
    const char* file;
};

void PrintTo(const BadValueRow& row, std::ostream* os) {
    *os << row.name;
}

class SettingsBadValue : public SettingsTest, public ::testing::WithParamInterface<BadValueRow> {};

TEST_P(SettingsBadValue, TakesTheDefault) {
    WriteRaw(GetParam().file);
    EXPECT_EQ(Text(ReadSettings(kWindow, Path())), Text(Defaults()));
}

INSTANTIATE_TEST_SUITE_P(
    Values, SettingsBadValue,
    ::testing::Values(BadValueRow{"MonthView13", "[Calendar]\r\nMonthView=13\r\n"},
                      BadValueRow{"YearView0", "[Calendar]\r\nYearView=0\r\n"},
                      BadValueRow{"StartOfWeek99", "[Calendar]\r\nStartOfWeek=99\r\n"},
                      BadValueRow{"StartOfWeekText", "[Calendar]\r\nStartOfWeek=Monday\r\n"},
                      BadValueRow{"ItemFontSizeMinus4", "[Calendar]\r\nItemFontSize=-4\r\n"},
                      BadValueRow{"WallpaperPos3", "[Calendar]\r\nWallpaperPos=3\r\n"},
                      BadValueRow{"SyncEveryZero", "[Calendar]\r\nSyncMinutes=0\r\n"},
                      BadValueRow{"SyncBeyondADay", "[Calendar]\r\nSyncMinutes=1441\r\n"},
                      BadValueRow{"DisplayTimeWholeDay", "[Calendar]\r\nDisplayTime=1\r\n"},
                      BadValueRow{"DisplayTimeNegative", "[Calendar]\r\nDisplayTime=-0.25\r\n"},
                      BadValueRow{"DisplayTimeText", "[Calendar]\r\nDisplayTime=noon\r\n"},
                      BadValueRow{"ColorOfNoKind", "[Calendar]\r\nColorGrid=305419896\r\n"},
                      BadValueRow{"ColorBeyondInt", "[Calendar]\r\nColorFont=4294967295\r\n"},
                      BadValueRow{"ProportionsMinus2", "[Print]\r\nProportions=-2\r\n"},
                      BadValueRow{"NoCopies", "[Print]\r\nNumberOfCopies=0\r\n"},
                      BadValueRow{"WindowState3", "[Application]\r\nWindowState=3\r\n"},
                      BadValueRow{"WindowWidth0", "[Application]\r\nWindowWidth=0\r\n"},
                      BadValueRow{"CurrUser9", "[Users]\r\nCurrUserID=9\r\n"},
                      BadValueRow{"RemovedUser", "[Users]\r\nUserName_4=Bob\r\nUserState_4=2\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsTest, OtherSectionsStayInPlace) {
    WriteRaw(
        "; by hand\r\n[Before]\r\na=1\r\n[application]\r\nObsolete=7\r\n[Mine]\r\nx= two \r\n"
        "[Print]\r\nPrint_Events=0\r\n[After]\r\ny=3\r\n");
    ASSERT_TRUE(WriteSettings(ReadSettings(kWindow, Path()), kWindow, Path()));
    const QByteArray text = ReadRaw();
    EXPECT_EQ(TIniFile(Path()).ReadSections(), (QStringList{"Before", "Application", "Print",
                                                            "Calendar", "Users", "Mine", "After"}));
    EXPECT_TRUE(text.startsWith("; by hand\r\n[Before]\r\na=1\r\n[Application]\r\nFirstLoading=0"));
    EXPECT_TRUE(text.endsWith("UserState_0=1\r\n[Mine]\r\nx= two \r\n[After]\r\ny=3\r\n"));
    EXPECT_TRUE(text.contains("\r\nPrint_Events=0\r\n"));
    EXPECT_FALSE(text.contains("Obsolete"));
}

TEST_F(SettingsTest, BrokenFilesReadAsDefaultsAndAreRewritten) {
    QByteArray binary(64 * 1024, '\0');
    QRandomGenerator random(7);
    for (char& c : binary)
        c = char(random.bounded(256));
    QByteArray huge = "[Calendar]\r\n";
    while (huge.size() < 10 * 1024 * 1024)
        huge += "Junk=" + QByteArray(200, 'x') + "\r\n";
    for (const QByteArray& bytes : {QByteArray(), binary, huge}) {
        WriteRaw(bytes);
        EXPECT_EQ(Text(ReadSettings(kWindow, Path())), Text(Defaults())) << bytes.size();
        ASSERT_TRUE(WriteSettings(Defaults(), kWindow, Path()));
        EXPECT_EQ(Text(ReadSettings(kWindow, Path())), Text(Defaults())) << bytes.size();
    }
}

TEST_F(SettingsTest, AKeyGivenTwiceReadsAsItsFirstValue) {
    TvnSettings defaults = Defaults();
    defaults.Users = OtherSettings().Users;  // the same lines in both files
    const QList<QByteArray> first = QByteArray::fromStdString(Text(OtherSettings())).split('\n');
    const QList<QByteArray> second = QByteArray::fromStdString(Text(defaults)).split('\n');
    ASSERT_EQ(first.size(), second.size());
    QByteArray twice;
    for (qsizetype i = 0; i < first.size(); ++i)
        twice += first[i].startsWith('[') ? first[i] + '\n' : first[i] + '\n' + second[i] + '\n';
    WriteRaw(twice);
    EXPECT_EQ(Text(ReadSettings(kWindow, Path())), Text(OtherSettings()));
}

TEST_F(SettingsTest, AFileThatCannotBeWrittenIsReported) {
    QString error;
    EXPECT_FALSE(WriteSettings(Defaults(), kWindow, dir_.filePath("missing/Settings.ini"), &error));
    EXPECT_FALSE(error.isEmpty());
    ASSERT_TRUE(QDir(dir_.path()).mkdir("Settings.ini"));  // a folder in the way
    EXPECT_FALSE(WriteSettings(Defaults(), kWindow, Path()));
}

}  // namespace
