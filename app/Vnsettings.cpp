#include "app/Vnsettings.h"

#include <QFile>
#include <QFileInfo>

#include "platform/IniFile.h"

namespace {

using O = TProgOptions;
using P = TvnPrintOptions;
using U = TvnUsers;
using W = TvnWindowPlacement;

constexpr bool kWrittenAsDefault = true;
// X11 keeps window positions and sizes in 16 bits.
constexpr int32_t kMaxCoordinate = 32767;

const QString kDefaultUserName = QStringLiteral("Default");

constexpr TvnSettingKey<O> kApplicationKeys[] = {
    {"FirstLoading", &O::FirstLoading, false, kWrittenAsDefault},
    {"DataAreImported", &O::DataAreImported, true},
    {"RunAtWinStartup", &O::RunAtWinStartup, false},
    {"MinimizeAtRun", &O::MinimizeAtRun, false},
    {"WindowState", &O::WindowState, &W::State, 0, 2},
    {"WindowLeft", &O::WindowLeft, &W::Left, -kMaxCoordinate - 1, kMaxCoordinate},
    {"WindowTop", &O::WindowTop, &W::Top, -kMaxCoordinate - 1, kMaxCoordinate},
    {"WindowWidth", &O::WindowWidth, &W::Width, 1, kMaxCoordinate},
    {"WindowHeight", &O::WindowHeight, &W::Height, 1, kMaxCoordinate},
};

constexpr TvnSettingKey<P> kPrintKeys[] = {
    {"Print_Events", &P::PrintEvents, true},
    {"Print_Notes", &P::PrintNotes, true},
    {"Print_Holidays", &P::PrintHolidays, true},
    {"Print_DateTitle", &P::PrintDateTitle, true},
    {"Print_Backgr", &P::PrintBackgr, true},
    {"Proportions", &P::Proportions, 0, -1, 2},
    {"NumberOfCopies", &P::NumberOfCopies, 1, 1, 100},
};

constexpr TvnSettingKey<O> kCalendarKeys[] = {
    {"StartOfWeek", &O::StartOfWeek, 1, 1, 7},
    {"DisplayHolidays", &O::DisplayHolidays, true},
    {"DisplayTime", &O::DisplayTime, 0.0, 0.0, 1.0},
    {"PaintCurrDate", &O::PaintCurrDate, true},
    {"ShowGrid", &O::ShowGrid, true},
    {"PaintWeekends", &O::PaintWeekends, true},
    {"ColorGrid", &O::ColorGrid, clGray},
    {"ColorWeekends", &O::ColorWeekends, clBtnFace},
    {"ColorCurrDay", &O::ColorCurrDay, kDefaultCurrDay},
    {"ColorFont", &O::ColorFont, kDefaultFont},
    {"ShowCurrDate", &O::ShowCurrDate, true},
    {"YearView", &O::YearView, 2006, 1900, 2050},  // the years the options dialog offers
    {"MonthView", &O::MonthView, 1, 1, 12},
    {"UseWallpaper", &O::UseWallpaper, false},
    {"Wallpaper", &O::Wallpaper},
    {"WallpaperPos", &O::WallpaperPos, 0, 0, 2},
    {"UseEventColors", &O::UseEventColors, true},
    {"ColorMisc", &O::ColorMisc, kDefaultMisc},
    {"ColorAnniv", &O::ColorAnniv, kDefaultAnniv},
    {"ColorBirth", &O::ColorBirth, clBlue},
    {"ColorSpec", &O::ColorSpec, kDefaultSpec},
    {"ColorMeet", &O::ColorMeet, kDefaultMeet},
    {"ItemFontSize", &O::ItemFontSize, 1, 0, 4},
    {"DefAction", &O::DefAction},
    {"DefSound", &O::DefSound},
    {"SnoozeMinutes", &O::SnoozeMinutes, 10, 1, 24 * 60},
    {"SyncMinutes", &O::SyncMinutes, 15, 1, 24 * 60},
};

constexpr TvnSettingKey<U> kUsersKeys[] = {
    {"CurrUserID", &U::CurrUserID, 0, 0, U::Count - 1},
};

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};

int32_t ReadInt(const TIniFile& ini, const QString& section, const QString& key, int32_t def,
                int32_t min, int32_t max) {
    const int32_t value = ini.ReadInteger(section, key, def);
    return value >= min && value <= max ? value : def;
}

// A plain colour or one of the desktop's palette; other high bytes mean
// nothing to the calendar.
TColor ReadColor(const TIniFile& ini, const QString& section, const QString& key, TColor def) {
    const auto color = TColor(ini.ReadInteger(section, key, int32_t(def)));
    return (color & 0xFF000000u) == 0 || IsSystemColor(color) ? color : def;
}

double ReadFloat(const TIniFile& ini, const QString& section, const QString& key, double def,
                 double min, double below) {
    const double value = ini.ReadFloat(section, key, def);
    return value >= min && value < below ? value : def;
}

template <class H>
void ReadKey(const TIniFile& ini, const QString& section, const TvnSettingKey<H>& key,
             const W& window, H& holder) {
    const QString name = QString::fromLatin1(key.Name);
    std::visit(Overloaded{
                   [&](const TvnBoolKey<H>& k) {
                       holder.*k.Member = ini.ReadBool(section, name, k.Default);
                   },
                   [&](const TvnIntKey<H>& k) {
                       holder.*k.Member = ReadInt(ini, section, name, k.Default, k.Min, k.Max);
                   },
                   [&](const TvnWindowKey<H>& k) {
                       holder.*k.Member =
                           ReadInt(ini, section, name, window.*k.Window, k.Min, k.Max);
                   },
                   [&](const TvnColorKey<H>& k) {
                       holder.*k.Member = ReadColor(ini, section, name, k.Default);
                   },
                   [&](const TvnFloatKey<H>& k) {
                       holder.*k.Member = ReadFloat(ini, section, name, k.Default, k.Min, k.Below);
                   },
                   [&](const TvnStringKey<H>& k) {
                       holder.*k.Member = ini.ReadString(section, name, QString());
                   },
               },
               key.Value);
}

template <class H>
void WriteKey(TIniFile& ini, const QString& section, const TvnSettingKey<H>& key, const W& window,
              const H& holder) {
    const QString name = QString::fromLatin1(key.Name);
    std::visit(
        Overloaded{
            [&](const TvnBoolKey<H>& k) {
                ini.WriteBool(section, name, k.WrittenAsDefault ? k.Default : holder.*k.Member);
            },
            [&](const TvnIntKey<H>& k) { ini.WriteInteger(section, name, holder.*k.Member); },
            [&](const TvnWindowKey<H>& k) { ini.WriteInteger(section, name, window.*k.Window); },
            [&](const TvnColorKey<H>& k) {
                ini.WriteInteger(section, name, int32_t(holder.*k.Member));
            },
            [&](const TvnFloatKey<H>& k) { ini.WriteFloat(section, name, holder.*k.Member); },
            [&](const TvnStringKey<H>& k) { ini.WriteString(section, name, holder.*k.Member); },
        },
        key.Value);
}

void ReadUserSlots(const TIniFile& ini, TvnUsers& users) {
    const QString section = QString::fromLatin1(UsersSettings.Name);
    for (int n = 0; n < TvnUsers::Count; ++n) {
        users.UserNames[n] = ini.ReadString(section, UserNameKey(n), QString());
        // A removed user (2) is never stored; read as such it would lose its
        // data at the start, so any state but "in use" reads as free.
        const int state = ini.ReadInteger(section, UserStateKey(n), usFree);
        users.UserStates[n] = state == usInUse ? usInUse : usFree;
    }
    users.UserNames[0] = kDefaultUserName;
    users.UserStates[0] = usInUse;
    if (users.UserStates[users.CurrUserID] != usInUse) users.CurrUserID = 0;
}

void WriteUserSlots(TIniFile& ini, const TvnUsers& users) {
    const QString section = QString::fromLatin1(UsersSettings.Name);
    for (int n = 0; n < TvnUsers::Count; ++n) {
        if (n > 0 && users.UserStates[n] != usInUse) continue;
        ini.WriteString(section, UserNameKey(n), n == 0 ? kDefaultUserName : users.UserNames[n]);
        ini.WriteInteger(section, UserStateKey(n), usInUse);
    }
}

bool IsProgramSection(const QString& name) {
    bool found = false;
    ForEachSettingsSection([&](const auto& section) {
        found = found || name.compare(QLatin1String(section.Name), Qt::CaseInsensitive) == 0;
    });
    return found;
}

// How many sections precede the first of the program's, or -1 without any.
int ProgramSectionsPlace(const TIniFile& ini) {
    const QStringList names = ini.ReadSections();
    for (int i = 0; i < names.size(); ++i)
        if (IsProgramSection(names[i])) return i;
    return -1;
}

// A file that exists but cannot be read would be rewritten without the
// sections it holds.
bool Unreadable(const QString& fileName, QString* error) {
    QFile file(fileName);
    if (!file.exists() || file.open(QIODevice::ReadOnly)) return false;
    if (error) *error = file.errorString();
    return true;
}

}  // namespace

const TvnSettingsSection<TProgOptions> ApplicationSettings{"Application", &TvnSettings::ProgOptions,
                                                           kApplicationKeys};
const TvnSettingsSection<TvnPrintOptions> PrintSettings{"Print", &TvnSettings::PrintOptions,
                                                        kPrintKeys};
const TvnSettingsSection<TProgOptions> CalendarSettings{"Calendar", &TvnSettings::ProgOptions,
                                                        kCalendarKeys};
const TvnSettingsSection<TvnUsers> UsersSettings{"Users", &TvnSettings::Users, kUsersKeys};

QString UserNameKey(int user) {
    return QStringLiteral("UserName_%1").arg(user);
}

QString UserStateKey(int user) {
    return QStringLiteral("UserState_%1").arg(user);
}

TvnSettings ReadSettings(const TvnWindowPlacement& window, const QString& fileName) {
    const TIniFile ini(fileName);
    TvnSettings settings;
    ForEachSettingsSection([&](const auto& section) {
        const QString name = QString::fromLatin1(section.Name);
        for (const auto& key : section.Keys)
            ReadKey(ini, name, key, window, settings.*section.Holder);
    });
    ReadUserSlots(ini, settings.Users);
    return settings;
}

bool WriteSettings(const TvnSettings& settings, const TvnWindowPlacement& window,
                   const QString& fileName, QString* error) {
    if (Unreadable(fileName, error)) return false;
    TIniFile ini(fileName);
    const int place = ProgramSectionsPlace(ini);
    ForEachSettingsSection([&](const auto& section) { ini.EraseSection(section.Name); });
    ForEachSettingsSection([&](const auto& section) {
        const QString name = QString::fromLatin1(section.Name);
        for (const auto& key : section.Keys)
            WriteKey(ini, name, key, window, settings.*section.Holder);
    });
    WriteUserSlots(ini, settings.Users);  // [Users] is the last section written
    if (place >= 0) {
        int next = place;
        ForEachSettingsSection([&](const auto& section) { ini.MoveSection(section.Name, next++); });
    }
    // Users' names and their choices are nobody else's business.
    ini.SetNewFilePermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const bool written = ini.UpdateFile();
    if (error) *error = written ? QString() : ini.ErrorString();
    return written;
}
