// The pickers' display formats from the program's formats, and the
// conversions between picked dates and times and day-count date-times.
#include <gtest/gtest.h>

#include "platform/DatePicker.h"
#include "support/TestSupport.h"

TEST(DatePicker, DisplayFormatsFollowTheProgramsFormats) {
    struct Row {
        const char* shortDate;
        QChar separator;
        const char* longTime;
        const char* date;
        const char* time;
    };
    const Row rows[] = {
        {"dd/mm/yyyy", u'.', "hh:nn:ss", "dd.MM.yyyy", "hh:mm:ss"},
        {"M/d/yyyy", u'/', "h:nn:ss AMPM", "M/d/yyyy", "h:mm:ss AP"},
        {"yyyy/mm/dd", u'-', "h:nn a/p", "yyyy-MM-dd", "h:mm AP"},
        {"d/m/yy", u'/', "'at' hh:nn", "d/M/yy", "hh:mm"},
        {"mmmm yyyy", u'/', "ss", "", ""},  // no day, no hour: the picker keeps its own
    };
    for (const Row& r : rows) {
        TFormatSettings fs = DottedFormatSettings();
        fs.ShortDateFormat = QLatin1String(r.shortDate);
        fs.DateSeparator = r.separator;
        fs.LongTimeFormat = QLatin1String(r.longTime);
        EXPECT_EQ(PickerDateFormat(fs), QLatin1String(r.date)) << r.shortDate;
        EXPECT_EQ(PickerTimeFormat(fs), QLatin1String(r.time)) << r.longTime;
    }
}

TEST(DatePicker, PickedDatesAndTimesComeBackAsTheSameInstant) {
    for (const TDateTime t :
         {At(2024, 2, 29, 23, 59, 59), At(1899, 12, 30), At(9999, 12, 31, 12)}) {
        const QDate d = ToQDate(t);
        const QTime time = ToQTime(t);
        EXPECT_TIME_EQ(WholeDay(d), std::trunc(t));
        EXPECT_SAME_TIME(FromQDateTime(d, time), t);
    }
    EXPECT_EQ(ToQDate(At(2024, 3, 17, 9)), QDate(2024, 3, 17));
    EXPECT_EQ(ToQTime(At(2024, 3, 17, 9, 30)), QTime(9, 30));
}
