#include "platform/DateTime.h"

#include <QDateTime>
#include <algorithm>
#include <cmath>
#include <utility>

namespace {

std::function<TDateTime()>& ClockFunction() {
    static std::function<TDateTime()> clock;
    return clock;
}

// Days since 1970-01-01 of a proleptic Gregorian date (any year).
int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = yoe + era * 400 + (m <= 2);
}

// 1899-12-30 counted from 1970-01-01.
constexpr int64_t UnixDayOfDayZero = -25569;

TDateTime SystemNow() {
    const QDateTime now = QDateTime::currentDateTime();
    const QDate d = now.date();
    const QTime t = now.time();
    const TDateTime day = EncodeDate(d.year(), d.month(), d.day());
    return ComposeDateTime(day, t.msecsSinceStartOfDay() / MSecsPerDay);
}

}  // namespace

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int MonthDays(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

int64_t DateTimeDays(TDateTime value) {
    if (std::isnan(value)) return 0;
    constexpr double kLimit = 9.0e18;
    if (value >= kLimit) return static_cast<int64_t>(kLimit);
    if (value <= -kLimit) return -static_cast<int64_t>(kLimit);
    return static_cast<int64_t>(std::trunc(value));
}

double TimeOfDay(TDateTime value) {
    if (!std::isfinite(value)) return 0.0;
    return std::fabs(value - std::trunc(value));
}

TDateTime ComposeDateTime(TDateTime date, double timeOfDay) {
    return date < 0 ? date - timeOfDay : date + timeOfDay;
}

bool TryEncodeDate(int year, int month, int day, TDateTime& result) {
    if (year < MinYear || year > MaxYear || day < 1 || day > MonthDays(year, month)) return false;
    const int64_t days = DaysFromCivil(year, month, day) - UnixDayOfDayZero;
    result = static_cast<double>(days);
    return true;
}

TDateTime EncodeDate(int year, int month, int day) {
    year = std::clamp(year, MinYear, MaxYear);
    month = std::clamp(month, 1, 12);
    day = std::clamp(day, 1, MonthDays(year, month));
    TDateTime result = 0;
    TryEncodeDate(year, month, day, result);
    return result;
}

void DecodeDate(TDateTime value, int& year, int& month, int& day) {
    const int64_t days = std::clamp<int64_t>(DateTimeDays(value), static_cast<int64_t>(MinDateTime),
                                             static_cast<int64_t>(MaxDateTime));
    int64_t y = 0;
    CivilFromDays(days + UnixDayOfDayZero, y, month, day);
    year = static_cast<int>(y);
}

TDateParts DecodeDateParts(TDateTime value) {
    TDateParts r;
    DecodeDate(value, r.y, r.m, r.d);
    return r;
}

bool TryEncodeTime(int hour, int min, int sec, int msec, double& result) {
    if (hour < 0 || hour > 23 || min < 0 || min > 59 || sec < 0 || sec > 59 || msec < 0 ||
        msec > 999)
        return false;
    result = ((hour * 60.0 + min) * 60000.0 + sec * 1000.0 + msec) / MSecsPerDay;
    return true;
}

double EncodeTime(int hour, int min, int sec, int msec) {
    double result = 0;
    TryEncodeTime(std::clamp(hour, 0, 23), std::clamp(min, 0, 59), std::clamp(sec, 0, 59),
                  std::clamp(msec, 0, 999), result);
    return result;
}

void DecodeTime(TDateTime value, int& hour, int& min, int& sec, int& msec) {
    auto ms = static_cast<int64_t>(std::llround(TimeOfDay(value) * MSecsPerDay));
    ms = std::min<int64_t>(ms, static_cast<int64_t>(MSecsPerDay) - 1);
    hour = static_cast<int>(ms / 3600000);
    min = static_cast<int>(ms / 60000 % 60);
    sec = static_cast<int>(ms / 1000 % 60);
    msec = static_cast<int>(ms % 1000);
}

int DayOfWeek(TDateTime value) {
    int y = 0, m = 0, d = 0;
    DecodeDate(value, y, m, d);
    const int64_t days = DaysFromCivil(y, m, d);           // 1970-01-01 was a Thursday
    const int64_t mondayBased = ((days % 7) + 7 + 3) % 7;  // 0 = Monday
    return static_cast<int>((mondayBased + 1) % 7 + 1);
}

TDateTime Now() {
    const auto& clock = ClockFunction();
    return clock ? clock() : SystemNow();
}

TDateTime Date() {
    return static_cast<double>(DateTimeDays(Now()));
}

TDateTime Time() {
    return TimeOfDay(Now());
}

void SetClock(std::function<TDateTime()> clock) {
    ClockFunction() = std::move(clock);
}
