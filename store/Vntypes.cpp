#include "store/Vntypes.h"

#include <cmath>
#include <limits>

namespace {

QString Pick(std::initializer_list<const char*> names, int index) {
    if (index < 0 || index >= static_cast<int>(names.size())) return {};
    return QString::fromLatin1(*(names.begin() + index));
}

}  // namespace

QString EventTypeCaption(int eType) {
    return Pick({"Event", "Recurring event"}, eType);
}

QString CategoryCaption(int category) {
    return Pick({"Miscellaneous", "Anniversary", "Birthday", "Special", "Meeting"}, category);
}

QString RecurrenceCaption(int recurrence) {
    return Pick({"Once", "Hourly", "Daily", "Weekly", "Monthly", "Montly variably", "Annually"},
                recurrence);
}

QString IntervalUnitCaption(int recurrence) {
    return Pick({"", "Hour(s)", "Day(s)", "Week(s)", "Month(s)", "", "Year(s)"}, recurrence);
}

QString NotifyTypeCaption(int notifyType) {
    return Pick({"Minute(s)", "Hour(s)", "Day(s)"}, notifyType);
}

QString NumOfWeekName(int numOfWeek) {
    return Pick({"first", "second", "third", "fourth", "last"}, numOfWeek - 1);
}

QString DayOfWeekName(int dayOfWeek) {
    return Pick({"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"},
                dayOfWeek - 1);
}

double NotifyUnitDays(int notifyType) {
    switch (notifyType) {
        case ntMinutes:
            return 1.0 / MinsPerDay;
        case ntHours:
            return 1.0 / HoursPerDay;
        case ntDays:
            return 1.0;
        default:
            return 0.0;
    }
}

int DaysPerMonth(int year, int month) {
    return MonthDays(year, month);
}

void dWeek_And_nWeek(TDateTime date, int& dWeek, int& nWeek) {
    dWeek = DayOfWeek(date) - 1;
    if (dWeek == 0) dWeek = 7;
    int y = 0, m = 0, d = 0;
    DecodeDate(date, y, m, d);
    nWeek = std::min(static_cast<int>(Ceil(d / 7.0)), 4);
}

int32_t DayNumber(TDateTime dateTime) {
    if (std::isnan(dateTime)) return 0;
    constexpr double kMax = std::numeric_limits<int32_t>::max();
    constexpr double kMin = std::numeric_limits<int32_t>::min();
    const double t = std::trunc(dateTime);
    if (t >= kMax) return std::numeric_limits<int32_t>::max();
    if (t <= kMin) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(t);
}

int OccurrenceDayOfMonth(TDateTime startDate, int year, int month) {
    int a = 0, b = 0, c = 0, unused = 0;
    dWeek_And_nWeek(startDate, a, b);
    dWeek_And_nWeek(EncodeDate(year, month, 1), c, unused);
    return a >= c ? 7 * (b - 1) + (a - c) + 1 : 7 * b + (a - c) + 1;
}

double Ceil(double x) {
    const double t = std::trunc(x);
    return x - t > 0 ? t + 1 : t;
}

bool HolidayDateInYear(const TvnHolidayParams& h, int year, TDateTime& date) {
    const int month = h.Month;
    if (month < 1 || month > 12) return false;
    if (h.Day != 0) return TryEncodeDate(year, month, h.Day, date);
    if (h.DayOfWeek < 1 || h.DayOfWeek > 7 || h.NumOfWeek < 1 || h.NumOfWeek > 5) return false;
    int w1 = 0, unused = 0;
    dWeek_And_nWeek(EncodeDate(year, month, 1), w1, unused);
    int first = h.DayOfWeek - w1 + 1;
    if (first <= 0) first += 7;
    int day = (h.NumOfWeek - 1) * 7 + first;
    if (day > DaysPerMonth(year, month)) day -= 7;
    return TryEncodeDate(year, month, day, date);
}
