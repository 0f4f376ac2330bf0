// The options dialog: its rules through the control names and the dialogs
// gate, and the road from Tools > Options to the settings file at exit.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimeEdit>
#include <QToolButton>
#include <vector>

#include "app/Uformmain.h"
#include "app/Uformoptions.h"
#include "platform/Autostart.h"
#include "platform/Colors.h"
#include "reminder/Vncalendarreminder.h"
#include "store/Datafolder.h"
#include "support/DialogScript.h"
#include "support/TestSupport.h"

namespace {

template <typename T = QWidget>
T* C(QWidget& form, const char* name) {
    T* c = form.findChild<T*>(name);
    EXPECT_NE(c, nullptr) << name;
    return c;
}

struct OptionsFixture : ::testing::Test {
    ScopedClock clock{At(2026, 12, 9, 15, 30, 20)};
    ScopedDialogScript script;
    TProgOptions record;
    std::unique_ptr<TFormOptions> form;

    TFormOptions& Open() {
        form = std::make_unique<TFormOptions>(nullptr, &record, "/opt/vornel/");
        return *form;
    }
    template <typename T = QWidget>
    T* Get(const char* name) {
        return C<T>(*form, name);
    }
    void Ok() { Get<QPushButton>("btnOK")->click(); }
};

// Every control the user can change, set away from the defaults; the colour
// buttons and the three Browse buttons answered through the gate.
void ChangeEveryControl(QWidget& f, ScopedDialogScript& script) {
    C<QCheckBox>(f, "check_RunAtWinStartup")->setChecked(true);
    C<QCheckBox>(f, "check_MinimizeAtRun")->setChecked(true);
    C<QComboBox>(f, "comboBox_StartOfWeek")->setCurrentIndex(0);
    C<QCheckBox>(f, "check_DisplayAt")->setChecked(true);
    C<QTimeEdit>(f, "dtPicker_DisplayTime")->setTime(QTime(18, 0));
    for (const char* box : {"check_DisplayHolidays", "check_PaintWeekends", "check_PaintCurrDate",
                            "check_ShowGrid", "check_ShowCurrDate", "check_UseEventColors"})
        C<QCheckBox>(f, box)->setChecked(false);
    C<QSpinBox>(f, "upDown_YearToView")->stepBy(30);
    C<QComboBox>(f, "comboBox_MonthToView")->setCurrentIndex(4);
    C<QCheckBox>(f, "check_UseWallpaper")->setChecked(true);
    script.ChooseFile(TDialogKind::OpenPicture, "/pics/sea.jpg");
    C<QPushButton>(f, "btnBrowse")->click();
    C<QComboBox>(f, "comboBox_WallpaperPos")->setCurrentIndex(2);
    C<QComboBox>(f, "comboBox_IFontSize")->setCurrentIndex(4);
    script.ChooseFile(TDialogKind::OpenFile, "/bin/true");
    C<QPushButton>(f, "btnBrowseAction")->click();
    script.ChooseFile(TDialogKind::OpenFile, "/snd/bell.wav");
    C<QPushButton>(f, "btnBrowseSound")->click();
    for (int tag = 0; tag < TFormOptions::ColorPanelCount; ++tag) {
        script.Colour(QColor(10 * tag, 20, 30));
        for (auto* b : f.findChildren<QToolButton*>())
            if (b->property("tag") == tag) b->click();
    }
}

// What ChangeEveryControl makes of the defaults.
TProgOptions EveryControlChanged() {
    TProgOptions o;
    o.RunAtWinStartup = o.MinimizeAtRun = true;
    o.StartOfWeek = 7;
    o.DisplayTime = 0.75;
    o.DisplayHolidays = o.PaintWeekends = o.PaintCurrDate = o.ShowGrid = false;
    o.ShowCurrDate = o.UseEventColors = false;
    o.YearView = 2036;
    o.MonthView = 5;
    o.UseWallpaper = true;
    o.Wallpaper = "/pics/sea.jpg";
    o.WallpaperPos = 2;
    o.ItemFontSize = 4;
    o.DefAction = "/bin/true";
    o.DefSound = "/snd/bell.wav";
    TColor* colors[] = {&o.ColorWeekends, &o.ColorCurrDay, &o.ColorGrid, &o.ColorFont, &o.ColorMisc,
                        &o.ColorAnniv,    &o.ColorBirth,   &o.ColorSpec, &o.ColorMeet};
    for (int tag = 0; tag < 9; ++tag)
        *colors[tag] = RGBColor(10 * tag, 20, 30);
    o.Accepted = true;
    return o;
}

}  // namespace

TEST_F(OptionsFixture, WeekStartShowsSundayForSevenAndStoresItBack) {
    const struct {
        int stored, shownIndex, chosenIndex, storedAfter;
    } rows[] = {{7, 0, 0, 7}, {1, 1, 1, 1}, {6, 6, 0, 7}, {3, 3, 1, 1}, {0, 1, 6, 6}, {9, 1, 1, 1}};
    for (const auto& row : rows) {
        record.StartOfWeek = row.stored;
        Open();
        auto* box = Get<QComboBox>("comboBox_StartOfWeek");
        EXPECT_EQ(box->currentIndex(), row.shownIndex) << "stored " << row.stored;
        box->setCurrentIndex(row.chosenIndex);
        Ok();
        EXPECT_EQ(record.StartOfWeek, row.storedAfter) << "stored " << row.stored;
    }
    EXPECT_EQ(Get<QComboBox>("comboBox_StartOfWeek")->itemText(0), "Sunday");
}

TEST_F(OptionsFixture, DisplayTimeRules) {
    const struct {
        const char* name;
        double stored;
        bool check;
        QTime picked;  // null: leave the picker
        double expected;
    } rows[] = {{"midnight chosen means never", 0.5, true, QTime(0, 0), 0},
                {"untouched keeps the exact time", 0.123456789, true, QTime(), 0.123456789},
                {"evening chosen", 0, true, QTime(18, 0), 0.75},
                {"box cleared", 0.5, false, QTime(), 0},
                {"checked on the current time", 0, true, QTime(), 15.5 / 24 + 20.0 / 86400},
                {"damaged time counts as never", 3.5, false, QTime(), 0}};
    for (const auto& row : rows) {
        record.DisplayTime = row.stored;
        Open();
        auto* picker = Get<QTimeEdit>("dtPicker_DisplayTime");
        EXPECT_EQ(picker->isEnabled(), row.stored > 0 && row.stored < 1) << row.name;
        Get<QCheckBox>("check_DisplayAt")->setChecked(row.check);
        EXPECT_EQ(picker->isEnabled(), row.check) << row.name;
        if (row.picked.isValid()) picker->setTime(row.picked);
        Ok();
        EXPECT_SAME_TIME(record.DisplayTime, row.expected) << row.name;
    }
}

TEST_F(OptionsFixture, DateToViewIsStoredOnlyWhileItCanBeEdited) {
    record.YearView = 2010;
    record.MonthView = 3;
    Open();
    auto* year = Get<QSpinBox>("upDown_YearToView");
    EXPECT_FALSE(year->isEnabled());
    EXPECT_FALSE(Get<QComboBox>("comboBox_MonthToView")->isEnabled());
    EXPECT_TRUE(Get<QLineEdit>("edit_YearToView")->isReadOnly());
    year->stepBy(5);
    Get<QComboBox>("comboBox_MonthToView")->setCurrentIndex(11);
    Ok();
    EXPECT_EQ(record.YearView, 2010);
    EXPECT_EQ(record.MonthView, 3);
    Open();
    Get<QCheckBox>("check_ShowCurrDate")->setChecked(false);
    EXPECT_TRUE(Get<QComboBox>("comboBox_MonthToView")->isEnabled());
    Get<QSpinBox>("upDown_YearToView")->stepBy(100);  // stops at the last offered year
    Ok();
    EXPECT_EQ(record.YearView, 2050);
    EXPECT_EQ(record.MonthView, 3);
}

TEST_F(OptionsFixture, WallpaperWithoutAPathIsSwitchedOff) {
    Open();
    EXPECT_FALSE(Get("edit_Wallpaper")->isEnabled());
    EXPECT_FALSE(Get("btnBrowse")->isEnabled());
    Get<QCheckBox>("check_UseWallpaper")->setChecked(true);
    EXPECT_TRUE(Get("comboBox_WallpaperPos")->isEnabled());
    Ok();
    EXPECT_FALSE(record.UseWallpaper);
}

// The file dialogs ask what the program has always asked.
TEST_F(OptionsFixture, BrowseButtonsAskThroughTheGateAndCancelKeepsThePath) {
    record.DefSound = "/old.wav";
    record.UseWallpaper = true;
    Open();
    script.CancelFile(TDialogKind::OpenPicture).CancelFile(TDialogKind::OpenFile);
    Get<QPushButton>("btnBrowse")->click();
    Get<QPushButton>("btnBrowseSound")->click();
    ASSERT_EQ(script.Requests().size(), 2u);
    const TFileDialogOptions& picture = script.Requests()[0].File;
    EXPECT_TRUE(picture.Filter.startsWith("All (*.jpg;*.jpeg;*.bmp)|*.jpg;*.jpeg;*.bmp|JPEG"));
    EXPECT_EQ(picture.InitialDir, "/opt/vornel/");
    const TFileDialogOptions& sound = script.Requests()[1].File;
    EXPECT_EQ(sound.Title, "Open..");
    EXPECT_EQ(sound.Filter, "Sound files(*.mp3, *.wav)|*.mp3;*.wav");
    EXPECT_EQ(Get<QLineEdit>("edit_SoundFile")->text(), "/old.wav");
}

// A damaged record shows safe values; OK without changes stores them, and
// keeps a desktop palette colour as that colour.
TEST_F(OptionsFixture, DamagedRecordShowsSafeValuesAndOkStoresOnlyThose) {
    record.ColorGrid = 0x12345678;
    record.MonthView = 13;
    record.YearView = 1700;
    record.ItemFontSize = 9;
    record.WallpaperPos = -2;
    record.ShowCurrDate = false;
    Open();
    EXPECT_EQ(form->PanelColor(TFormOptions::cpGrid), clGray);
    EXPECT_EQ(Get("panel_ColorWeekends")->palette().color(QPalette::Window),
              ColorToQColor(clBtnFace));
    Ok();
    TProgOptions expected;
    expected.ShowCurrDate = false;
    expected.YearView = 1900;
    expected.Accepted = true;
    EXPECT_EQ(record, expected);
    EXPECT_EQ(record.ColorWeekends, clBtnFace);
}

// A data folder with the delivered database and a login start folder, both
// the test's own, for as long as the main window lives.
struct ProgramFolders {
    ProgramFolders() {
        SetDataFolder(data.path() + '/');
        CreateDeliveredDatabase(DatabaseFilePath());
        qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    }
    ~ProgramFolders() {
        qunsetenv("XDG_CONFIG_HOME");
        SetDataFolder({});
    }
    QTemporaryDir data, config;
};

TEST(FormOptions, RoundTripFromToolsOptionsToTheSettingsFile) {
    ScopedClock clock(At(2026, 12, 9, 15, 0));
    ProgramFolders folders;
    ScopedDialogScript script;
    TFormMainVNCR window;
    ASSERT_TRUE(window.FormCreate());
    const TProgOptions before = window.Settings().ProgOptions;
    script.Modal([&](QDialog& f) {
        ChangeEveryControl(f, script);
        C<QPushButton>(f, "btnCancel")->click();
    });
    window.findChild<QAction*>("mMenu_ToolsOptions")->trigger();
    EXPECT_EQ(window.Settings().ProgOptions, before) << "Cancel changes nothing";
    EXPECT_FALSE(QFile::exists(AutostartFilePath()));

    script.Modal([&](QDialog& f) {
        ChangeEveryControl(f, script);
        C<QPushButton>(f, "btnOK")->click();
    });
    window.findChild<QToolButton*>("ToolButton2")->click();
    EXPECT_EQ(window.Calendar()->StartOfWeek(), 7);
    EXPECT_TIME_EQ(window.Calendar()->CalendarDate(), At(2036, 5, 1));
    QFile entry(AutostartFilePath());
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    EXPECT_TRUE(
        entry.readAll().contains("\nExec=" + QCoreApplication::applicationFilePath().toUtf8()));

    window.WriteSettings();
    TProgOptions written = ReadSettings({}).ProgOptions;
    TProgOptions expected = EveryControlChanged();
    expected.Accepted = written.Accepted;
    for (int32_t TProgOptions::*m : {&TProgOptions::WindowLeft, &TProgOptions::WindowTop,
                                     &TProgOptions::WindowWidth, &TProgOptions::WindowHeight})
        expected.*m = written.*m;
    EXPECT_EQ(written, expected);
}

// A settings file with values outside their ranges opens the dialog on safe
// values; OK without changes brings the calendar back to today and removes a
// start entry the user has switched off.
TEST(FormOptions, OkWithoutChangesReappliesTheCalendarAndTheStartEntry) {
    ScopedClock clock(At(2026, 12, 9, 15, 0));
    ProgramFolders folders;
    for (const auto& [file, text] :
         {std::pair{SettingsFilePath(), "[Calendar]\nColorGrid=305419896\nItemFontSize=9\n"},
          std::pair{AutostartFilePath(), "[Desktop Entry]\n"}}) {
        QDir().mkpath(QFileInfo(file).path());
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    ScopedDialogScript script;
    TFormMainVNCR window;
    ASSERT_TRUE(window.FormCreate());
    window.Calendar()->SetCalendarDate(At(2030, 2, 1));
    script.Modal([&](QDialog& f) {
        EXPECT_EQ(static_cast<TFormOptions&>(f).PanelColor(TFormOptions::cpGrid), clGray);
        EXPECT_EQ(C<QComboBox>(f, "comboBox_IFontSize")->currentIndex(), 1);
        C<QPushButton>(f, "btnOK")->click();
    });
    window.findChild<QAction*>("mMenu_ToolsOptions")->trigger();
    EXPECT_TIME_EQ(window.Calendar()->CalendarDate(), At(2026, 12, 9));
    EXPECT_FALSE(QFile::exists(AutostartFilePath()));
}

TEST(FormOptions, UnwritableStartFolderKeepsTheChoiceWithoutAMessage) {
    ProgramFolders folders;
    const QString blocker = folders.config.filePath("a-file");
    QFile(blocker).open(QIODevice::WriteOnly);
    qputenv("XDG_CONFIG_HOME", blocker.toLocal8Bit());
    ScopedDialogScript script;
    TFormMainVNCR window;
    ASSERT_TRUE(window.FormCreate());
    script.Modal([&](QDialog& f) {
        C<QCheckBox>(f, "check_RunAtWinStartup")->setChecked(true);
        C<QPushButton>(f, "btnOK")->click();
    });
    window.findChild<QAction*>("mMenu_ToolsOptions")->trigger();
    EXPECT_TRUE(window.Settings().ProgOptions.RunAtWinStartup);
    EXPECT_EQ(script.Messages(), QStringList());
}

TEST_F(OptionsFixture, PicturesOfBothPages) {
    record.DisplayTime = 0.75;
    record.UseWallpaper = true;
    record.Wallpaper = "/home/me/Pictures/sea.jpg";
    record.DefSound = "/usr/share/sounds/bell.wav";
    Open().show();
    const std::vector<const char*> captions[] = {
        {"check_RunAtWinStartup", "check_DisplayAt", "check_PaintCurrDate", "check_ShowCurrDate"},
        {"check_UseEventColors", "label_IFontSize", "btnBrowseSound", "label_ColorMisc"}};
    for (int page = 0; page < 2; ++page) {
        Get<QTabWidget>("pageControl")->setCurrentIndex(page);
        QCoreApplication::sendPostedEvents();
        form->grab().save(TestOutputDir() + QStringLiteral("/options_page%1.png").arg(page));
        for (const char* name : captions[page])
            EXPECT_GE(Get(name)->width(), Get(name)->sizeHint().width()) << name;
    }
}
