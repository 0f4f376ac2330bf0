// Shared helpers of the tests: a fixed clock, fixed format settings, a fresh
// temporary folder, and the folder where rendered pictures are saved.
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <ostream>

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

// Date and time in one call: At(2024, 3, 15, 10, 0) is 15 March 2024 10:00.
TDateTime At(int year, int month, int day, int hour = 0, int min = 0, int sec = 0);

// Folder for pictures and other files a person may look at after a test run.
QString TestOutputDir();

// Readable QString values in test failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
