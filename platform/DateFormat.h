// The global date, time and number format settings, the writers and readers
// of date-time texts and real numbers, and FormatDateTime with the runtime's
// pattern letters (d, m, y, h, n, s, z, t, c, ampm, /, :, quoted literals).
#pragma once

#include <QLocale>
#include <QString>
#include <array>

#include "platform/DateTime.h"

struct TFormatSettings {
    QString ShortDateFormat;
    QString LongDateFormat;
    QString ShortTimeFormat;
    QString LongTimeFormat;
    QChar DateSeparator = u'/';
    QChar TimeSeparator = u':';
    QChar DecimalSeparator = u'.';
    QString TimeAMString = QStringLiteral("AM");
    QString TimePMString = QStringLiteral("PM");
    std::array<QString, 12> ShortMonthNames;  // January first
    std::array<QString, 12> LongMonthNames;
    std::array<QString, 7> ShortDayNames;  // Sunday first
    std::array<QString, 7> LongDayNames;
    // A two-digit year is placed within this many years before now and the
    // remaining years after it.
    int TwoDigitYearCenturyWindow = 50;
};

// The settings every writer and reader uses; initialised from the system
// locale on first use.
const TFormatSettings& FormatSettings();
void SetFormatSettings(const TFormatSettings& settings);

// The locale's formats translated into the runtime's pattern letters. A short
// date format with a two-digit year is widened to four digits so that dates
// written into filters read back as the same day.
TFormatSettings FormatSettingsFromLocale(const QLocale& locale);

// The fixed formats the program falls back on when the table engine cannot
// read its date literals; the month and day names stay those of the locale.
TFormatSettings FallbackFormatSettings(const TFormatSettings& base);
void UseFallbackDateTimeFormats();

QString FormatDateTime(const QString& pattern, TDateTime value);
QString FormatDateTime(const QString& pattern, TDateTime value, const TFormatSettings& fs);

QString DateToStr(TDateTime value);  // short date format
QString TimeToStr(TDateTime value);  // long time format
// Short date, then a blank and the long time when the time of day is not 00:00:00.
QString DateTimeToStr(TDateTime value);
// The date-time text of lists, reports and filter literals: the date alone for
// a whole day of 1 or more, date and time for a value of 1 or more with a time
// of day, the time alone for a value below 1.
QString DateTimeText(TDateTime value);

// Readers of what the writers above produce in the current formats: the short
// date, optionally followed by a time in the long or short time format, or a
// time alone. Leading and trailing blanks are ignored; anything else that does
// not fit the formats fails.
bool TryStrToDate(const QString& text, TDateTime& result);
bool TryStrToTime(const QString& text, TDateTime& result);
bool TryStrToDateTime(const QString& text, TDateTime& result);

// General float format: at most 15 significant digits, no trailing zeros, the
// current decimal separator; scientific notation ("1.5E-10", "1E300") outside
// the fixed range. NaN and infinities are written "NAN", "INF", "-INF".
QString FloatToStr(double value);
QString FloatToStr(double value, QChar decimalSeparator);
// Reads an optional sign, digits with the current decimal separator and an
// optional exponent, surrounded by blanks; NaN, infinities, overflow and any
// other text fail.
bool TryStrToFloat(const QString& text, double& result);
bool TryStrToFloat(const QString& text, double& result, QChar decimalSeparator);
