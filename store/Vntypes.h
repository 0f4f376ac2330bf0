// The records in which events, holidays and notes travel, the stored codes of
// every enumeration with their captions, and the date arithmetic shared by the
// recurrence rules of the reminder and of the calendar's matching.
#pragma once

#include <QString>
#include <array>
#include <cstdint>

#include "platform/DateTime.h"

// Event type (column eType).
enum : int32_t { etEvent = 0, etRecurring = 1 };

// Category (column Category); the bit of a category in a category mask is 1 << code.
enum : int32_t {
    ecMiscellaneous = 0,
    ecAnniversary = 1,
    ecBirthday = 2,
    ecSpecial = 3,
    ecMeeting = 4,
};
constexpr int CategoryCount = 5;
constexpr int AllCategoriesMask = 0x1F;

// Recurrence kind (column Recurrence).
enum : int32_t {
    rkOnce = 0,
    rkHourly = 1,
    rkDaily = 2,
    rkWeekly = 3,
    rkMonthly = 4,
    rkMonthlyByWeekday = 5,
    rkAnnually = 6,
};
constexpr int RecurrenceCount = 7;

// Unit of the advance notice (column NotifyType); any other code means no lead.
enum : int32_t { ntMinutes = 0, ntHours = 1, ntDays = 2 };
constexpr int NotifyTypeCount = 3;

// Dialog hand-shake: the caller sets esNew or esEdit, the dialog sets
// esAccepted when the user confirms valid input.
enum : uint8_t { esNew = 0, esEdit = 1, esAccepted = 2 };

// Table selectors, in the order of the calendar's four table properties.
enum : int { tsBColors = 0, tsEvents = 1, tsHolidays = 2, tsNotes = 3 };
constexpr int TableCount = 4;

struct TvnEventParams {
    int32_t ID = 0;
    int32_t eType = etEvent;
    QString Desc;
    TDateTime Date = 0;     // first occurrence; time of day only when UseStartTime
    TDateTime RunDate = 0;  // next notification instant; 0 when Completed
    TDateTime EndDate = 0;  // last day of a recurring event when UseEndDate
    bool UseStartTime = false;
    bool UseEndDate = false;
    bool Notify = false;
    int32_t NotifyParam = 1;  // advance notice, in units of NotifyType
    int32_t NotifyType = ntMinutes;
    int32_t Category = ecMiscellaneous;
    int32_t Recurrence = rkOnce;
    int32_t nParam = 1;  // recurrence interval in hours, days, weeks, months or years
    QString Action_File;
    QString Sound_File;
    QString Notes;
    bool Completed = false;
    uint8_t EditState = esNew;
};

struct TvnHolidayParams {
    int32_t ID = 0;
    uint16_t Month = 1;
    uint16_t Day = 1;        // 0 marks a holiday on a weekday of a week (variable date)
    uint16_t DayOfWeek = 0;  // variable date: Monday = 1 ... Sunday = 7
    uint16_t NumOfWeek = 0;  // variable date: 1..4, or 5 for the last such weekday
    QString Name;
    uint8_t EditState = esNew;
};

struct TvnNotesParams {
    int32_t ID = 0;
    TDateTime Date = 0;
    QString Title;
    QString Notes;
    uint8_t EditState = esNew;
};

constexpr int CalendarCellCount = 42;

// One event shown in the current view: its row's bookmark and, per cell
// (index CellFlagIndex(col, row) of the calendar grid), whether it occurs on
// that cell's day.
struct TvnEventDrawData {
    QString Bookmark;
    std::array<bool, CalendarCellCount> Cells{};
};

// Captions of the stored codes; an empty text for a code outside its range.
QString EventTypeCaption(int eType);
QString CategoryCaption(int category);
QString RecurrenceCaption(int recurrence);
QString IntervalUnitCaption(int recurrence);  // "Hour(s)" ... or empty
QString NotifyTypeCaption(int notifyType);
QString NumOfWeekName(int numOfWeek);  // "first" ... "last"
QString DayOfWeekName(int dayOfWeek);  // Monday = 1 ... Sunday = 7

// Lead time of an advance notice in days; 0 for an unknown unit.
double NotifyUnitDays(int notifyType);

int DaysPerMonth(int year, int month);
// Weekday (Monday = 1 ... Sunday = 7) and week of the month (1..4, days 22..31
// all count as the fourth week) of a date.
void dWeek_And_nWeek(TDateTime date, int& dWeek, int& nWeek);
// The date-time truncated toward zero to int32; NaN gives 0 and values beyond
// the int32 range saturate.
int32_t DayNumber(TDateTime dateTime);
// Day of the month (1..28) on which the start's weekday falls in the start's
// week of the month, in the given year and month.
int OccurrenceDayOfMonth(TDateTime startDate, int year, int month);
// Integer part truncated toward zero, plus 1 when a positive fraction remains.
double Ceil(double x);

// The day of a holiday in a year. False when it has none that year: a fixed
// date the month lacks (29 February in a common year) or codes out of range.
bool HolidayDateInYear(const TvnHolidayParams& holiday, int year, TDateTime& date);
