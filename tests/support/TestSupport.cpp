#include "support/TestSupport.h"

#include <signal.h>
#include <sys/resource.h>

#include <QDir>
#include <QElapsedTimer>
#include <QLocale>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <cstdio>

ScopedClock::ScopedClock(TDateTime now) : now_(now) {
    SetClock([this] { return now_; });
}

ScopedClock::~ScopedClock() {
    SetClock({});
}

ScopedFullDisk::ScopedFullDisk() {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    saved_ = limit.rlim_cur;
    limit.rlim_cur = 2048;
    setrlimit(RLIMIT_FSIZE, &limit);
}

ScopedFullDisk::~ScopedFullDisk() {
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = saved_;
    setrlimit(RLIMIT_FSIZE, &limit);
}

bool WaitUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms) return done();
        QThread::msleep(50);
    }
    return true;
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

std::string DateText(TDateTime value) {
    char text[64];
    if (!std::isfinite(value) || value <= MinDateTime - 1 || value > MaxDateTime) {
        std::snprintf(text, sizeof text, "%.17g", value);
        return text;
    }
    int year, month, day, hour, min, sec, msec;
    DecodeDate(value, year, month, day);
    DecodeTime(value, hour, min, sec, msec);
    int n = std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    if (hour || min || sec || msec)
        n += std::snprintf(text + n, sizeof text - n, " %02d:%02d", hour, min);
    if (sec || msec) n += std::snprintf(text + n, sizeof text - n, ":%02d", sec);
    if (msec) std::snprintf(text + n, sizeof text - n, ".%03d", msec);
    return text;
}

std::string ColorText(uint32_t color) {
    char text[32];
    if ((color & 0xFF000000u) == 0x80000000u)
        std::snprintf(text, sizeof text, "system colour %u", color & 0xFFFFFFu);
    else if (color > 0xFFFFFFu)
        std::snprintf(text, sizeof text, "0x%08X", color);
    else
        std::snprintf(text, sizeof text, "#%02x%02x%02x", color & 0xFF, color >> 8 & 0xFF,
                      color >> 16 & 0xFF);
    return text;
}

std::string PixelText(uint32_t pixel) {
    char text[16];
    if (pixel >> 24 == 0xFF)
        std::snprintf(text, sizeof text, "#%06x", pixel & 0xFFFFFFu);
    else
        std::snprintf(text, sizeof text, "#%08x", pixel);
    return text;
}

namespace {

double Linear(uint32_t channel) {
    const double c = channel / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(uint32_t pixel) {
    return 0.2126 * Linear(pixel >> 16 & 0xFF) + 0.7152 * Linear(pixel >> 8 & 0xFF) +
           0.0722 * Linear(pixel & 0xFF);
}

}  // namespace

double ContrastRatio(uint32_t a, uint32_t b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

namespace {

// "EXPECT(a, b) failed:  a is ..., b is ..." with the values as texts.
::testing::AssertionResult Differ(const char* what, const char* actualText,
                                  const char* expectedText, const std::string& actual,
                                  const std::string& expected) {
    return ::testing::AssertionFailure()
           << what << " failed:\n  " << actualText << "\n    is " << actual << "\n  "
           << expectedText << "\n    is " << expected;
}

::testing::AssertionResult TimesDiffer(const char* what, const char* actualText,
                                       const char* expectedText, TDateTime actual,
                                       TDateTime expected) {
    char apart[48];
    std::snprintf(apart, sizeof apart, "%.6g s", (actual - expected) * SecsPerDay);
    return Differ(what, actualText, expectedText, DateText(actual), DateText(expected))
           << "\n  actual minus expected: " << apart;
}

}  // namespace

::testing::AssertionResult SameTime(const char* actualText, const char* expectedText,
                                    TDateTime actual, TDateTime expected) {
    if (std::fabs(actual - expected) <= kSameTimeTolerance) return ::testing::AssertionSuccess();
    return TimesDiffer("EXPECT_SAME_TIME", actualText, expectedText, actual, expected);
}

::testing::AssertionResult TimeEq(const char* actualText, const char* expectedText,
                                  TDateTime actual, TDateTime expected) {
    if (actual == expected) return ::testing::AssertionSuccess();
    return TimesDiffer("EXPECT_TIME_EQ", actualText, expectedText, actual, expected);
}

::testing::AssertionResult SameColor(const char* actualText, const char* expectedText,
                                     uint32_t actual, uint32_t expected) {
    if (actual == expected) return ::testing::AssertionSuccess();
    return Differ("EXPECT_SAME_COLOR", actualText, expectedText, ColorText(actual),
                  ColorText(expected));
}

::testing::AssertionResult SamePixel(const char* actualText, const char* expectedText,
                                     uint32_t actual, uint32_t expected) {
    if (actual == expected) return ::testing::AssertionSuccess();
    return Differ("EXPECT_SAME_PIXEL", actualText, expectedText, PixelText(actual),
                  PixelText(expected));
}

::testing::AssertionResult OtherPixel(const char* actualText, const char* unexpectedText,
                                      uint32_t actual, uint32_t unexpected) {
    if (actual != unexpected) return ::testing::AssertionSuccess();
    return Differ("EXPECT_OTHER_PIXEL", actualText, unexpectedText, PixelText(actual),
                  PixelText(unexpected));
}
