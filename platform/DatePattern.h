// The runtime's date-time pattern letters (d, m, y, h, n, s, z, t, c, ampm, /,
// :, quoted literals) split into tokens; shared by FormatDateTime and the
// date-time readers. Internal to the platform date units.
#pragma once

#include <QList>
#include <QString>

namespace date_pattern {

enum class Tok {
    Literal,
    DateSep,
    TimeSep,
    Day,
    Day2,
    DayShortName,
    DayLongName,
    ShortDate,
    LongDate,
    Month,
    Month2,
    MonthShortName,
    MonthLongName,
    Year2,
    Year4,
    Hour,
    Hour2,
    Minute,
    Minute2,
    Second,
    Second2,
    Msec,
    Msec3,
    AmPmWord,  // "ampm": the AM and PM strings of the settings
    AmPmText,  // "am/pm": "am" or "pm" in the case written
    APText,    // "a/p"
    DateTimeC,
    ShortTime,
    LongTime,
};

struct Token {
    Tok kind;
    QString text;  // literal text, or the written case of am/pm and a/p
};

// Splits a pattern into tokens the way the runtime reads it: letters are
// case-insensitive, and an "m" after an hour means minutes.
QList<Token> Tokenize(const QString& p);

// An AM/PM marker anywhere in the pattern (some locales put it first) makes
// the hours count on a twelve-hour clock.
bool UsesTwelveHourClock(const QList<Token>& tokens);

}  // namespace date_pattern
