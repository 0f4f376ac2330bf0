// Typed reading and writing of columns: nulls, conversions between the
// column's type and the asked one, values that cannot be stored, and the
// untyped copy by position that the previous version's import uses.
#include <gtest/gtest.h>

#include <QSize>
#include <cmath>
#include <limits>

#include "platform/DateFormat.h"
#include "support/TestDatabase.h"
#include "support/TestSupport.h"

namespace {

TField* F(TADOTable& t, const char* name) {
    return t.FieldByName(QLatin1String(name));
}

TEST(AdoField, NullsReadAsZeroEmptyTextAndDateZero) {
    TestDatabase db;
    db.events.Append();
    db.events.Post();
    EXPECT_TRUE(F(db.events, "Desc")->IsNull());
    EXPECT_EQ(F(db.events, "UserID")->AsInteger(), 0);
    EXPECT_EQ(F(db.events, "Desc")->AsString(), "");
    EXPECT_EQ(F(db.events, "Date")->AsString(), "");
    EXPECT_TIME_EQ(F(db.events, "Date")->AsDateTime(), 0.0);
    EXPECT_EQ(F(db.events, "Notify")->AsFloat(), 0.0);
    EXPECT_FALSE(F(db.events, "Notes")->AsVariant().isValid());
    EXPECT_FALSE(F(db.events, "ID")->IsNull());
}

TEST(AdoField, RealsReadAsIntegersTruncateAndSaturate) {
    struct Case {
        double stored;
        int expected;
    } cases[] = {{2.9, 2},          {-2.9, -2},         {45000.75, 45000},  {3e9, INT32_MAX},
                 {-3e9, INT32_MIN}, {1e300, INT32_MAX}, {-1e300, INT32_MIN}};
    TestDatabase db;
    for (const Case& c : cases) {
        db.events.Append();
        F(db.events, "RunDate")->SetAsFloat(c.stored);
        F(db.events, "NotifyParam")->SetAsFloat(c.stored);
        db.events.Post();
        EXPECT_EQ(F(db.events, "RunDate")->AsInteger(), c.expected) << c.stored;
        EXPECT_EQ(F(db.events, "NotifyParam")->AsInteger(), c.expected) << c.stored;
        EXPECT_EQ(F(db.events, "RunDate")->AsFloat(), c.stored);
    }
}

TEST(AdoField, TextsOfDatesAndIntegers) {
    TestDatabase db;
    db.events.Append();
    F(db.events, "Date")->SetAsDateTime(At(2024, 3, 5, 14, 7, 9));
    F(db.events, "EndDate")->SetAsDateTime(At(2024, 3, 5));
    F(db.events, "NotifyParam")->SetAsInteger(-42);
    db.events.Post();
    EXPECT_EQ(F(db.events, "Date")->AsString(), DateTimeToStr(At(2024, 3, 5, 14, 7, 9)));
    EXPECT_EQ(F(db.events, "Date")->AsString(), "05.03.2024 14:07:09");
    EXPECT_EQ(F(db.events, "EndDate")->AsString(), "05.03.2024");
    EXPECT_EQ(F(db.events, "NotifyParam")->AsString(), "-42");
}

TEST(AdoField, TextsAreConvertedForNumericColumns) {
    TestDatabase db;
    db.events.Append();
    F(db.events, "Category")->SetAsString(QStringLiteral(" 12 "));
    F(db.events, "Date")->SetAsString(QStringLiteral("05.03.2024 10:00:00"));
    F(db.events, "Desc")->SetAsInteger(77);
    EXPECT_THROW(F(db.events, "Category")->SetAsString(QStringLiteral("twelve")), EDatabaseError);
    EXPECT_THROW(F(db.events, "Date")->SetAsString(QStringLiteral("someday")), EDatabaseError);
    db.events.Post();
    EXPECT_EQ(F(db.events, "Category")->AsInteger(), 12);
    EXPECT_TIME_EQ(F(db.events, "Date")->AsDateTime(), At(2024, 3, 5, 10));
    EXPECT_EQ(F(db.events, "Desc")->AsString(), "77");
}

TEST(AdoField, NonFiniteNumbersAreRefused) {
    const double bad[] = {std::nan(""), std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity()};
    TestDatabase db;
    db.AddEvent(0, "a", At(2024, 1, 1));
    db.events.Edit();
    for (double v : bad) {
        EXPECT_THROW(F(db.events, "Date")->SetAsDateTime(v), EDatabaseError);
        EXPECT_THROW(F(db.events, "RunDate")->SetAsFloat(v), EDatabaseError);
        EXPECT_THROW(F(db.events, "EndDate")->SetAsVariant(v), EDatabaseError);
    }
    db.events.Post();
    EXPECT_TIME_EQ(F(db.events, "Date")->AsDateTime(), At(2024, 1, 1));
    EXPECT_FALSE(F(db.events, "Date")->IsNull());
}

TEST(AdoField, ExtremeValuesRoundTrip) {
    QString binary;
    for (int c = 1; c < 256; ++c)
        binary += QChar(c);
    binary += QStringLiteral("\u20ac\U0001F600");
    const QString big(1 << 20, QChar(u'x'));
    TestDatabase db;
    db.events.Append();
    F(db.events, "Desc")->SetAsString(binary);
    F(db.events, "Notes")->SetAsString(big);
    F(db.events, "NotifyParam")->SetAsInteger(INT32_MIN);
    F(db.events, "Category")->SetAsVariant(QVariant::fromValue<qlonglong>(INT64_MAX));
    F(db.events, "Recurrence")->SetAsVariant(QVariant::fromValue<qlonglong>(INT64_MIN));
    F(db.events, "Date")->SetAsDateTime(0);
    F(db.events, "EndDate")->SetAsDateTime(-693593.5);
    const int id = (db.events.Post(), F(db.events, "ID")->AsInteger());
    db.events.Close();
    db.events.Open();
    ASSERT_TRUE(db.events.Locate(QStringLiteral("ID"), id));
    EXPECT_EQ(F(db.events, "Desc")->AsString(), binary);
    EXPECT_EQ(F(db.events, "Notes")->AsString(), big);
    EXPECT_EQ(F(db.events, "NotifyParam")->AsInteger(), INT32_MIN);
    EXPECT_EQ(F(db.events, "Category")->AsVariant().toLongLong(), INT64_MAX);
    EXPECT_EQ(F(db.events, "Category")->AsInteger(), INT32_MAX);
    EXPECT_EQ(F(db.events, "Recurrence")->AsVariant().toLongLong(), INT64_MIN);
    EXPECT_FALSE(F(db.events, "Date")->IsNull());
    EXPECT_TIME_EQ(F(db.events, "EndDate")->AsDateTime(), -693593.5);
    // Text that is bound, never spliced into SQL.
    db.events.Edit();
    F(db.events, "Desc")->SetAsString(QStringLiteral("'); DROP TABLE Events; --"));
    db.events.Post();
    EXPECT_EQ(F(db.events, "Desc")->AsString(), "'); DROP TABLE Events; --");
}

TEST(AdoField, CopyByPositionKeepsValuesAndNulls) {
    TestDatabase source, dest;
    source.AddEvent(2, "first", At(2024, 5, 6, 7, 8, 9),
                    {.completed = true, .runDate = At(2024, 5, 6)});
    source.events.Edit();
    F(source.events, "Notes")->SetAsString(QStringLiteral("note"));
    F(source.events, "NotifyParam")->SetAsVariant(QVariant());
    source.events.Post();
    dest.events.Append();
    for (int i = 1; i < source.events.FieldCount(); ++i)
        dest.events.Fields(i)->SetAsVariant(source.events.Fields(i)->AsVariant());
    dest.events.Post();
    for (int i = 1; i < source.events.FieldCount(); ++i) {
        EXPECT_EQ(dest.events.Fields(i)->AsVariant(), source.events.Fields(i)->AsVariant())
            << source.events.Fields(i)->FieldName().toStdString();
        EXPECT_EQ(dest.events.Fields(i)->IsNull(), source.events.Fields(i)->IsNull());
    }
    EXPECT_TRUE(F(dest.events, "NotifyParam")->IsNull());
    dest.events.Edit();
    EXPECT_THROW(F(dest.events, "Desc")->SetAsVariant(QVariant::fromValue(QSize(1, 2))),
                 EDatabaseError);
    dest.events.Cancel();
}

}  // namespace
