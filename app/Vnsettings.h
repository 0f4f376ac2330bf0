// The settings file "Settings.ini": the preferences, the print options and the
// users the main window holds, the one table of their keys, and the reader and
// writer that walk it.
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <span>
#include <variant>

#include "calendar/Vnprintoptions.h"
#include "platform/ColorValues.h"
#include "store/Datafolder.h"
#include "store/Vnusers.h"

// Built-in colours that differ from the classic ones: with no settings file
// the cells must still read, so text is dark on light grounds (at least 4.5:1
// on the button face and on today's fill).
constexpr TColor kDefaultCurrDay = RGBColor(0xB0, 0xE8, 0xE8);  // pale teal
constexpr TColor kDefaultFont = clBlack;
constexpr TColor kDefaultMisc = RGBColor(0x00, 0x64, 0x00);   // dark green
constexpr TColor kDefaultAnniv = RGBColor(0xB0, 0x00, 0x00);  // dark red
constexpr TColor kDefaultSpec = RGBColor(0x60, 0x60, 0x00);   // dark olive
constexpr TColor kDefaultMeet = RGBColor(0x80, 0x50, 0x00);   // brown in place of yellow

// The preferences; the options dialog edits them through a pointer.
struct TProgOptions {
    bool FirstLoading = false;    // first start after installation
    bool DataAreImported = true;  // the version 1.0 data is imported, or there is none
    bool RunAtWinStartup = false;
    bool MinimizeAtRun = false;
    int32_t WindowState = 0;  // 0 normal, 1 minimised, 2 maximised
    int32_t WindowLeft = 0;   // outer bounds in screen pixels
    int32_t WindowTop = 0;
    int32_t WindowWidth = 0;
    int32_t WindowHeight = 0;
    int32_t StartOfWeek = 1;  // 1 Monday ... 7 Sunday
    bool DisplayHolidays = true;
    double DisplayTime = 0;  // time of day the window shows itself, as a fraction of a day; 0 never
    bool PaintCurrDate = true;
    bool ShowGrid = true;
    bool PaintWeekends = true;
    TColor ColorGrid = clGray;
    TColor ColorWeekends = clBtnFace;
    TColor ColorCurrDay = kDefaultCurrDay;
    TColor ColorFont = kDefaultFont;  // headings and day numbers
    bool ShowCurrDate = true;         // else open on the first day of MonthView/YearView
    int32_t YearView = 2006;
    int32_t MonthView = 1;
    bool UseEventColors = true;
    // One colour per event category, in category order.
    TColor ColorMisc = kDefaultMisc;
    TColor ColorAnniv = kDefaultAnniv;
    TColor ColorBirth = clBlue;
    TColor ColorSpec = kDefaultSpec;
    TColor ColorMeet = kDefaultMeet;
    int32_t ItemFontSize = 1;  // 0 "Smallest" ... 4 "Largest"
    bool UseWallpaper = false;
    QString Wallpaper;         // path of a .jpg, .jpeg or .bmp picture
    int32_t WallpaperPos = 0;  // 0 "Left", 1 "Center", 2 "Stretch"
    QString DefAction;         // action file of every new event
    QString DefSound;          // sound file of every new event
    // The notification window's last "Remind again in" choice, in minutes.
    int32_t SnoozeMinutes = 10;
    // How often the bound CalDAV calendar is synchronised, in minutes.
    int32_t SyncMinutes = 15;
    bool Accepted = false;  // the options dialog was closed with OK; not stored

    bool operator==(const TProgOptions&) const = default;
};

// The users: slot n is user n; user 0, "Default", always exists.
struct TvnUsers {
    static constexpr int Count = UsersCount;
    std::array<QString, Count> UserNames;
    std::array<int32_t, Count> UserStates{};  // TUserState; usRemoved is never stored
    int32_t CurrUserID = 0;

    bool operator==(const TvnUsers&) const = default;
};

// Everything the file holds, as the main window keeps it.
struct TvnSettings {
    TProgOptions ProgOptions;
    TvnPrintOptions PrintOptions;
    TvnUsers Users;

    bool operator==(const TvnSettings&) const = default;
};

// The main window's state and outer bounds: the defaults of the window keys
// when reading, their values when writing.
struct TvnWindowPlacement {
    int32_t State = 0;  // 0 normal, 1 minimised, 2 maximised
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
};

// Reads the file; what is missing, unreadable or outside its range takes its
// default. The user 0 is "Default" and in use whatever the file says, and a
// current user who is not in use gives way to it.
TvnSettings ReadSettings(const TvnWindowPlacement& window,
                         const QString& fileName = SettingsFilePath());

// Rewrites the program's four sections, in place of the first of them, and
// keeps every other section of the file; the file is replaced whole, through
// a temporary file. FirstLoading is written as 0, the window keys from the
// window, and only the users in use, user 0 always as "Default". False, with
// the old file untouched, when the file cannot be read or written.
bool WriteSettings(const TvnSettings& settings, const TvnWindowPlacement& window,
                   const QString& fileName = SettingsFilePath(), QString* error = nullptr);

// ---- The table of keys. Each kind says how a value is read and written.

template <class H>
struct TvnBoolKey {
    bool H::*Member;
    bool Default;
    bool WrittenAsDefault;  // the file always gets the default (FirstLoading)
};

template <class H>
struct TvnIntKey {
    int32_t H::*Member;
    int32_t Default;
    int32_t Min, Max;
};

// An integer whose default is the window's current state or bounds, and
// which is written from the window as it is at that moment.
template <class H>
struct TvnWindowKey {
    int32_t H::*Member;
    int32_t TvnWindowPlacement::*Window;
    int32_t Min, Max;
};

// Written in signed decimal, so that system colours appear as negative
// numbers; read back as a plain or a system colour, anything else is refused.
template <class H>
struct TvnColorKey {
    TColor H::*Member;
    TColor Default;
};

template <class H>
struct TvnFloatKey {
    double H::*Member;
    double Default;
    double Min, Below;  // the range is [Min, Below)
};

template <class H>
struct TvnStringKey {
    QString H::*Member;  // the default is empty
};

template <class H>
struct TvnSettingKey {
    using Kind = std::variant<TvnBoolKey<H>, TvnIntKey<H>, TvnWindowKey<H>, TvnColorKey<H>,
                              TvnFloatKey<H>, TvnStringKey<H>>;

    constexpr TvnSettingKey(const char* name, bool H::*m, bool def, bool writtenAsDefault = false)
        : Name(name), Value(TvnBoolKey<H>{m, def, writtenAsDefault}) {}
    constexpr TvnSettingKey(const char* name, int32_t H::*m, int32_t def, int32_t min, int32_t max)
        : Name(name), Value(TvnIntKey<H>{m, def, min, max}) {}
    constexpr TvnSettingKey(const char* name, int32_t H::*m, int32_t TvnWindowPlacement::*window,
                            int32_t min, int32_t max)
        : Name(name), Value(TvnWindowKey<H>{m, window, min, max}) {}
    constexpr TvnSettingKey(const char* name, TColor H::*m, TColor def)
        : Name(name), Value(TvnColorKey<H>{m, def}) {}
    constexpr TvnSettingKey(const char* name, double H::*m, double def, double min, double below)
        : Name(name), Value(TvnFloatKey<H>{m, def, min, below}) {}
    constexpr TvnSettingKey(const char* name, QString H::*m)
        : Name(name), Value(TvnStringKey<H>{m}) {}

    const char* Name;
    Kind Value;
};

// A section of the file and the holder its keys belong to.
template <class H>
struct TvnSettingsSection {
    const char* Name;
    H TvnSettings::*Holder;
    std::span<const TvnSettingKey<H>> Keys;
};

extern const TvnSettingsSection<TProgOptions> ApplicationSettings;
extern const TvnSettingsSection<TvnPrintOptions> PrintSettings;
extern const TvnSettingsSection<TProgOptions> CalendarSettings;
// CurrUserID; the keys "UserName_n" and "UserState_n" of the slots follow it.
extern const TvnSettingsSection<TvnUsers> UsersSettings;

// Calls visit(section) for the four sections in the order of the file.
template <class F>
void ForEachSettingsSection(F&& visit) {
    visit(ApplicationSettings);
    visit(PrintSettings);
    visit(CalendarSettings);
    visit(UsersSettings);
}

QString UserNameKey(int user);   // "UserName_" and the number
QString UserStateKey(int user);  // "UserState_" and the number
