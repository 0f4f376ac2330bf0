#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/DateFormat.h"
#include "support/TestSupport.h"

TEST(DateFormat, WritersUseTheCurrentFormats) {
    ScopedFormat format(DottedFormatSettings());
    const TDateTime v = At(2024, 3, 12, 9, 30);
    EXPECT_EQ(DateToStr(v), "12.03.2024");
    EXPECT_EQ(TimeToStr(v), "09:30:00");
    EXPECT_EQ(DateTimeToStr(v), "12.03.2024 09:30:00");
    EXPECT_EQ(DateTimeToStr(EncodeDate(2024, 3, 12)), "12.03.2024");
}

TEST(DateFormat, DateTimeTextShowsTimeAloneBelowOne) {
    ScopedFormat format(DottedFormatSettings());
    EXPECT_EQ(DateTimeText(EncodeDate(2024, 5, 1)), "01.05.2024");
    EXPECT_EQ(DateTimeText(At(2024, 5, 1, 10)), "01.05.2024 10:00:00");
    EXPECT_EQ(DateTimeText(0), "00:00:00");
    EXPECT_EQ(DateTimeText(0.75), "18:00:00");
    EXPECT_EQ(DateTimeText(-1.25), "06:00:00");
    EXPECT_EQ(DateTimeText(1), "31.12.1899");
}

TEST(DateFormat, PatternsOfTheCalendarTitles) {
    ScopedFormat format(UsFormatSettings());
    const TDateTime v = EncodeDate(2026, 12, 9);
    EXPECT_EQ(FormatDateTime("mmmm d (dddd), yyyy", v), "December 9 (Wednesday), 2026");
    EXPECT_EQ(FormatDateTime("mmmm, yyyy", v), "December, 2026");
    EXPECT_EQ(FormatDateTime("yyyy", v), "2026");
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd", v), "2026-12-09");
    EXPECT_EQ(FormatDateTime("yyyy", EncodeDate(5, 1, 1)), "0005");
}

TEST(DateFormat, MinutesFollowAnHourAndTwelveHourClockFollowsAmPm) {
    ScopedFormat format(UsFormatSettings());
    EXPECT_EQ(FormatDateTime("h:mm AMPM", At(2024, 1, 1, 0, 5)), "12:05 AM");
    EXPECT_EQ(FormatDateTime("h:mm AMPM", At(2024, 1, 1, 13, 7)), "1:07 PM");
    EXPECT_EQ(FormatDateTime("hh:mm am/pm", At(2024, 1, 1, 13, 7)), "01:07 pm");
    EXPECT_EQ(FormatDateTime("hh:nn", At(2024, 1, 1, 13, 7)), "13:07");
    EXPECT_EQ(FormatDateTime("'h' h \"m\" m", At(2024, 6, 1, 13, 7)), "h 13 m 7");
    EXPECT_EQ(FormatDateTime("ddd d mmm", EncodeDate(2024, 6, 1)), "Sat 1 Jun");
}

struct RoundTripRow {
    const char* name;
    TFormatSettings (*settings)();
};

void PrintTo(const RoundTripRow& row, std::ostream* os) {
    *os << row.name;
}

class DateTextRoundTrip : public ::testing::TestWithParam<RoundTripRow> {};

TEST_P(DateTextRoundTrip, ReadersReadWhatTheWritersWrote) {
    ScopedClock clock(At(2026, 12, 9, 12));
    ScopedFormat format(GetParam().settings());
    const TDateTime samples[] = {EncodeDate(2024, 2, 29),  At(2024, 12, 31, 23, 59, 59),
                                 At(1999, 1, 1, 0, 0, 1),  At(2026, 7, 4, 12, 0, 0),
                                 At(2026, 7, 4, 0, 30, 0), EncodeDate(1850, 6, 15)};
    for (TDateTime v : samples) {
        TDateTime back = -1;
        ASSERT_TRUE(TryStrToDateTime(DateTimeToStr(v), back)) << qPrintable(DateTimeToStr(v));
        EXPECT_TIME_EQ(back, v) << qPrintable(DateTimeToStr(v));
        ASSERT_TRUE(TryStrToDate(DateToStr(v), back));
        EXPECT_EQ(back, std::trunc(v));
    }
}

TFormatSettings FallbackOfUs() {
    return FallbackFormatSettings(UsFormatSettings());
}
TFormatSettings GermanLocale() {
    return FormatSettingsFromLocale(QLocale(QLocale::German, QLocale::Germany));
}
TFormatSettings AmericanLocale() {
    return FormatSettingsFromLocale(QLocale(QLocale::English, QLocale::UnitedStates));
}
TFormatSettings KoreanLocale() {
    return FormatSettingsFromLocale(QLocale(QLocale::Korean, QLocale::SouthKorea));
}
TFormatSettings CLocale() {
    return FormatSettingsFromLocale(QLocale::c());
}

INSTANTIATE_TEST_SUITE_P(Formats, DateTextRoundTrip,
                         ::testing::Values(RoundTripRow{"Dotted", DottedFormatSettings},
                                           RoundTripRow{"Us", UsFormatSettings},
                                           RoundTripRow{"German", GermanLocale},
                                           RoundTripRow{"American", AmericanLocale},
                                           RoundTripRow{"Korean", KoreanLocale},
                                           RoundTripRow{"C", CLocale}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DateFormat, FallbackFormatsWriteTwoDigitYearsAndTwelveHours) {
    ScopedClock clock(At(2026, 12, 9, 12));
    ScopedFormat format(UsFormatSettings());
    UseFallbackDateTimeFormats();
    EXPECT_EQ(FormatSettings().ShortDateFormat, "M/d/yy");
    EXPECT_EQ(DateToStr(EncodeDate(2024, 3, 5)), "3/5/24");
    EXPECT_EQ(DateTimeToStr(At(2024, 3, 5, 15, 4, 9)), "3/5/24 3:04:09 PM");
    TDateTime back = 0;
    ASSERT_TRUE(TryStrToDateTime("3/5/24 3:04:09 PM", back));
    EXPECT_TIME_EQ(back, At(2024, 3, 5, 15, 4, 9));
    ASSERT_TRUE(TryStrToDate("3/5/80", back));  // within fifty years before now
    EXPECT_TIME_EQ(back, EncodeDate(1980, 3, 5));
    ASSERT_TRUE(TryStrToDate("3/5/75", back));
    EXPECT_TIME_EQ(back, EncodeDate(2075, 3, 5));
}

TEST(DateFormat, LocaleShortDatesGetFourDigitYears) {
    const TFormatSettings us = AmericanLocale();
    EXPECT_EQ(us.ShortDateFormat, "m/d/yyyy");
    EXPECT_EQ(us.DateSeparator, u'/');
    const TFormatSettings de = GermanLocale();
    EXPECT_EQ(de.ShortDateFormat, "dd/mm/yyyy");
    EXPECT_EQ(de.DateSeparator, u'.');
    EXPECT_EQ(de.DecimalSeparator, u',');
    EXPECT_EQ(de.LongTimeFormat, "hh:nn:ss");
    // The C locale's short time has seconds; item lines and lists want none.
    const TFormatSettings c = CLocale();
    EXPECT_EQ(c.ShortTimeFormat, "hh:nn");
    EXPECT_EQ(c.LongTimeFormat, "hh:nn:ss");
    EXPECT_EQ(us.ShortTimeFormat, "h:nn ampm");
}

TEST(DateFormat, ReadersRefuseWhatTheFormatsCannotHave) {
    ScopedFormat format(DottedFormatSettings());
    TDateTime out = 0;
    for (const char* text :
         {"", "12.03", "12/03/2024", "31.02.2024", "12.03.2024x", "12.03.2024 25:00:00",
          "12.03.2024 10:61:00", "abc", "12.03.2024 10:00:00 extra", "1e5"}) {
        EXPECT_FALSE(TryStrToDateTime(text, out)) << text;
    }
    EXPECT_TRUE(TryStrToDateTime("  12.03.2024  ", out));
    EXPECT_EQ(out, EncodeDate(2024, 3, 12));
    EXPECT_TRUE(TryStrToDateTime("12.03.2024 10:15", out));  // short time format
    EXPECT_TIME_EQ(out, At(2024, 3, 12, 10, 15));
    EXPECT_TRUE(TryStrToDateTime("10:15:30", out));
    EXPECT_TIME_EQ(out, EncodeTime(10, 15, 30, 0));
}

TEST(DateFormat, FloatGeneralFormat) {
    EXPECT_EQ(FloatToStr(45363.375, u'.'), "45363.375");
    EXPECT_EQ(FloatToStr(45363.375, u','), "45363,375");
    EXPECT_EQ(FloatToStr(0, u'.'), "0");
    EXPECT_EQ(FloatToStr(-2.5, u'.'), "-2.5");
    EXPECT_EQ(FloatToStr(100, u'.'), "100");
    EXPECT_EQ(FloatToStr(0.1, u'.'), "0.1");
    EXPECT_EQ(FloatToStr(1.0 / 3, u'.'), "0.333333333333333");
    EXPECT_EQ(FloatToStr(0.00001, u'.'), "0.00001");
    EXPECT_EQ(FloatToStr(1.5e-10, u'.'), "1.5E-10");
    EXPECT_EQ(FloatToStr(1e300, u'.'), "1E300");
    EXPECT_EQ(FloatToStr(123456789012345.0, u'.'), "123456789012345");
    EXPECT_EQ(FloatToStr(1234567890123456.0, u'.'), "1.23456789012346E15");
    EXPECT_EQ(FloatToStr(std::numeric_limits<double>::quiet_NaN(), u'.'), "NAN");
    EXPECT_EQ(FloatToStr(-std::numeric_limits<double>::infinity(), u'.'), "-INF");
}

TEST(DateFormat, FloatReaderReadsTheWriterAndNothingElse) {
    for (double v :
         {45363.375, 45363.354166666664, -693593.0, 2958465.99999999, 1e300, 1.5e-10, 0.1}) {
        double back = 0;
        ASSERT_TRUE(TryStrToFloat(FloatToStr(v, u','), back, u',')) << v;
        EXPECT_NEAR(back, v, std::fabs(v) * 1e-14) << v;
    }
    double out = 7;
    for (const char* text :
         {"", "NAN", "INF", "1e400", "1.2.3", "12abc", "--1", "1e", "e5", ",", "1,5"}) {
        EXPECT_FALSE(TryStrToFloat(text, out, u'.')) << text;
    }
    EXPECT_FALSE(TryStrToFloat("45363.375", out, u','));  // written with the other separator
    EXPECT_TRUE(TryStrToFloat(" -1.5E3 ", out, u'.'));
    EXPECT_EQ(out, -1500);
    EXPECT_TRUE(TryStrToFloat("+2", out, u'.'));
    EXPECT_EQ(out, 2);
}
