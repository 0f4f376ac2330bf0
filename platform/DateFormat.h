// The global date, time and number format settings and the texts written and
// read with them: writers in DateFormat.cpp, readers in DateReader.cpp, the
// locale's formats in LocaleFormats.cpp, the pattern letters in DatePattern.h.
#pragma once

#include <QLocale>
#include <QString>
#include <array>

#include "platform/DateTime.h"
#include "platform/FloatFormat.h"

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

// The general float format (platform/FloatFormat.h) with the current
// decimal separator.
QString FloatToStr(double value);
bool TryStrToFloat(const QString& text, double& result);
