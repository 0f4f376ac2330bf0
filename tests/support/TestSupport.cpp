#include "support/TestSupport.h"

#include <QDir>
#include <QLocale>

ScopedClock::ScopedClock(TDateTime now) : now_(now) {
    SetClock([this] { return now_; });
}

ScopedClock::~ScopedClock() {
    SetClock({});
}

namespace {

TFormatSettings EnglishNames() {
    return FormatSettingsFromLocale(QLocale(QLocale::English, QLocale::UnitedStates));
}

}  // namespace

TFormatSettings DottedFormatSettings() {
    TFormatSettings fs = EnglishNames();
    fs.ShortDateFormat = QStringLiteral("dd/mm/yyyy");
    fs.LongDateFormat = QStringLiteral("dddd, d mmmm yyyy");
    fs.DateSeparator = u'.';
    fs.ShortTimeFormat = QStringLiteral("hh:nn");
    fs.LongTimeFormat = QStringLiteral("hh:nn:ss");
    fs.TimeSeparator = u':';
    fs.DecimalSeparator = u'.';
    return fs;
}

TFormatSettings UsFormatSettings() {
    TFormatSettings fs = EnglishNames();
    fs.ShortDateFormat = QStringLiteral("M/d/yyyy");
    fs.LongDateFormat = QStringLiteral("dddd, MMMM d, yyyy");
    fs.DateSeparator = u'/';
    fs.ShortTimeFormat = QStringLiteral("h:nn AMPM");
    fs.LongTimeFormat = QStringLiteral("h:nn:ss AMPM");
    fs.TimeSeparator = u':';
    fs.TimeAMString = QStringLiteral("AM");
    fs.TimePMString = QStringLiteral("PM");
    fs.DecimalSeparator = u'.';
    return fs;
}

ScopedFormat::ScopedFormat(const TFormatSettings& settings) : saved_(FormatSettings()) {
    SetFormatSettings(settings);
}

ScopedFormat::~ScopedFormat() {
    SetFormatSettings(saved_);
}

TDateTime At(int year, int month, int day, int hour, int min, int sec) {
    return EncodeDate(year, month, day) + EncodeTime(hour, min, sec, 0);
}

QString TestOutputDir() {
    QString dir = qEnvironmentVariable("VORNEL_TEST_OUTPUT");
    if (dir.isEmpty()) dir = QStringLiteral(VORNEL_TEST_OUTPUT_DIR);
    QDir().mkpath(dir);
    return dir;
}
