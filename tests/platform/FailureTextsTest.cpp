// The texts the test assertions show for dates and colours when they fail.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "platform/Colors.h"
#include "support/TestSupport.h"

TEST(FailureTexts, DatesShowOnlyTheirNonZeroParts) {
    ScopedFormat format(UsFormatSettings());  // the texts ignore the format settings
    EXPECT_EQ(DateText(At(2024, 3, 17)), "2024-03-17");
    EXPECT_EQ(DateText(At(2024, 3, 17, 9, 0)), "2024-03-17 09:00");
    EXPECT_EQ(DateText(At(2024, 3, 17, 9, 0, 5)), "2024-03-17 09:00:05");
    EXPECT_EQ(DateText(At(2024, 3, 17, 9, 0) + 1.5 / SecsPerDay), "2024-03-17 09:00:01.500");
    EXPECT_EQ(DateText(-1.25), "1899-12-29 06:00");
    EXPECT_EQ(DateText(1e300), "1.0000000000000001e+300");
}

TEST(FailureTexts, ColoursShowAsHexTriples) {
    EXPECT_EQ(ColorText(clNavy), "#000080");
    EXPECT_EQ(ColorText(RGBColor(0x12, 0x34, 0x56)), "#123456");
    EXPECT_EQ(ColorText(clBtnFace), "system colour 15");
    EXPECT_EQ(PixelText(0xFF123456u), "#123456");
    EXPECT_EQ(PixelText(0x80123456u), "#80123456");
}

TEST(FailureTexts, AssertionsNameBothSides) {
    EXPECT_NONFATAL_FAILURE(EXPECT_SAME_TIME(At(2024, 3, 17, 9, 0, 1), At(2024, 3, 17, 9, 0)),
                            "is 2024-03-17 09:00:01");
    EXPECT_SAME_TIME(At(2024, 3, 17, 9, 0) + 0.5e-9, At(2024, 3, 17, 9, 0));
    EXPECT_NONFATAL_FAILURE(EXPECT_TIME_EQ(At(2024, 3, 17) + 1e-10, At(2024, 3, 17)),
                            "actual minus expected");
    EXPECT_NONFATAL_FAILURE(EXPECT_SAME_COLOR(clRed, clBlue), "is #0000ff");
    EXPECT_NONFATAL_FAILURE(EXPECT_SAME_PIXEL(0xFFFF0000u, 0xFF0000FFu), "is #ff0000");
    EXPECT_NONFATAL_FAILURE(EXPECT_OTHER_PIXEL(0xFFFF0000u, 0xFFFF0000u), "is #ff0000");
}
