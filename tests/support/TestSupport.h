// Shared helpers of the tests: a fixed clock, fixed format settings, a fresh
// temporary folder, the folder where rendered pictures are saved, and
// assertions that show dates and colours as text when they fail.
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

#include "platform/DateFormat.h"
#include "platform/DateTime.h"

// Sets the clock for the lifetime of the object and restores the system clock.
class ScopedClock {
public:
    explicit ScopedClock(TDateTime now);
    ~ScopedClock();
    void Set(TDateTime now) { now_ = now; }
    void Advance(double days) { now_ += days; }
    TDateTime Get() const { return now_; }

private:
    TDateTime now_;
};

// Format settings with short date "dd.mm.yyyy", long time "hh:nn:ss", a point
// as decimal separator and English names: the same texts on every machine.
TFormatSettings DottedFormatSettings();
// United States formats: "M/d/yyyy", "h:nn:ss AMPM".
TFormatSettings UsFormatSettings();

// Installs format settings for the lifetime of the object.
class ScopedFormat {
public:
    explicit ScopedFormat(const TFormatSettings& settings);
    ~ScopedFormat();

private:
    TFormatSettings saved_;
};

// While it lives, no file may grow past a few kilobytes: a full disk, for
// root too. A write past the limit fails instead of ending the process.
class ScopedFullDisk {
public:
    ScopedFullDisk();
    ~ScopedFullDisk();
    ScopedFullDisk(const ScopedFullDisk&) = delete;
    ScopedFullDisk& operator=(const ScopedFullDisk&) = delete;

private:
    unsigned long long saved_ = 0;
};

// Polls done() every 50 ms (sleeping, without running events) until it
// holds or ms have passed; what done() said last.
bool WaitUntil(const std::function<bool()>& done, int ms);

// Date and time in one call: At(2024, 3, 15, 10, 0) is 15 March 2024 10:00.
TDateTime At(int year, int month, int day, int hour = 0, int min = 0, int sec = 0);

// Folder for pictures and other files a person may look at after a test run.
QString TestOutputDir();

// Readable QString values in test failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

// ---- Dates and colours in failure messages. Both are plain numbers, so
// gtest would show 45368.375 or 4278190335; these show what they mean.
// (Colours are taken as their integers so that this header needs no Qt Gui.)

// A date-time as "2024-03-17 09:00", whatever the format settings are:
// seconds are shown when not zero, milliseconds likewise, and a value at
// midnight shows as the date alone ("2024-03-17"). A value outside the
// supported calendar (or not finite) shows as its number.
std::string DateText(TDateTime value);
// A colour value (a TColor, 0x00BBGGRR) as "#rrggbb"; a colour of the
// desktop's palette as "system colour 15".
std::string ColorText(uint32_t color);
// A pixel (a QRgb, 0xAARRGGBB) as "#rrggbb", or "#aarrggbb" when it is not
// fully opaque.
std::string PixelText(uint32_t pixel);

// The contrast ratio of two pixels (QRgb, alpha ignored) by their relative
// luminance, from 1 (same) to 21 (black on white); 4.5 is the usual least
// for body text.
double ContrastRatio(uint32_t a, uint32_t b);

// Date-times this close are the same time: a tenth of a millisecond, below
// the program's finest step, yet above the rounding of day counts.
constexpr double kSameTimeTolerance = 1e-9;

// Predicate formatters behind the macros below.
::testing::AssertionResult SameTime(const char* actualText, const char* expectedText,
                                    TDateTime actual, TDateTime expected);
::testing::AssertionResult TimeEq(const char* actualText, const char* expectedText,
                                  TDateTime actual, TDateTime expected);
::testing::AssertionResult SameColor(const char* actualText, const char* expectedText,
                                     uint32_t actual, uint32_t expected);
::testing::AssertionResult SamePixel(const char* actualText, const char* expectedText,
                                     uint32_t actual, uint32_t expected);
::testing::AssertionResult OtherPixel(const char* actualText, const char* unexpectedText,
                                      uint32_t actual, uint32_t unexpected);

// Within kSameTimeTolerance.
#define EXPECT_SAME_TIME(actual, expected) EXPECT_PRED_FORMAT2(SameTime, actual, expected)
#define ASSERT_SAME_TIME(actual, expected) ASSERT_PRED_FORMAT2(SameTime, actual, expected)
// Exactly the same number, as EXPECT_EQ would check.
#define EXPECT_TIME_EQ(actual, expected) EXPECT_PRED_FORMAT2(TimeEq, actual, expected)
#define ASSERT_TIME_EQ(actual, expected) ASSERT_PRED_FORMAT2(TimeEq, actual, expected)
// TColor values, compared exactly.
#define EXPECT_SAME_COLOR(actual, expected) EXPECT_PRED_FORMAT2(SameColor, actual, expected)
// QRgb pixels, compared exactly (alpha included).
#define EXPECT_SAME_PIXEL(actual, expected) EXPECT_PRED_FORMAT2(SamePixel, actual, expected)
#define EXPECT_OTHER_PIXEL(actual, unexpected) EXPECT_PRED_FORMAT2(OtherPixel, actual, unexpected)
