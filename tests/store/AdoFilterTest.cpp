// The filter grammar: every filter text the calendar builds is accepted in
// the date formats it may be written in; anything else is refused with the
// previous filter left in force.
#include <gtest/gtest.h>

#include <random>

#include "platform/DateFormat.h"
#include "store/Adofilter.h"
#include "support/TestDatabase.h"
#include "support/TestSupport.h"

namespace {

struct BuiltFilter {
    const char* table;
    QString text;
};

// The texts the calendar writes, for one moment, in the current formats.
std::vector<BuiltFilter> CalendarFilters(TDateTime t) {
    const QString d = DateToStr(t), next = DateToStr(t + 1), dt = DateTimeToStr(t);
    std::vector<BuiltFilter> out = {
        {"Events", QStringLiteral("UserID = 3")},
        {"Notes", QStringLiteral("UserID = 0")},
        {"BColors", QStringLiteral("Date = '%1'").arg(d)},
        {"BColors", QStringLiteral("Date >= '%1' AND Date < '%2'").arg(d, next)},
        {"Notes", QStringLiteral("Date >= '%1' AND Date < '%2'").arg(d, next)},
        {"Holidays", QStringLiteral("ID > 1")},
        {"Events", QStringLiteral("Completed = FALSE AND RunDate <= '%1'").arg(dt)},
        {"Events", QStringLiteral("eType = 1 AND Date <= '%1'").arg(DateToStr(At(2024, 12, 31)))},
        {"Events", QStringLiteral("Date >= '%1' AND Date <= '%2'").arg(d, dt)},
    };
    // The same with the user restriction the calendar appends.
    for (size_t i = 0, n = out.size(); i < n; ++i)
        if (qstrcmp(out[i].table, "Holidays") != 0)
            out.push_back({out[i].table, out[i].text + QStringLiteral(" AND UserID = 8")});
    return out;
}

// Dotted formats with "separator" between the parts of the short date "pattern".
TFormatSettings SeparatedFormat(const char* pattern, QChar separator) {
    TFormatSettings fs = DottedFormatSettings();
    fs.ShortDateFormat = QLatin1String(pattern);
    fs.DateSeparator = separator;
    return fs;
}

class CalendarFilterTexts : public ::testing::TestWithParam<int> {};

TEST_P(CalendarFilterTexts, AreAcceptedInEveryFormat) {
    TFormatSettings formats[] = {DottedFormatSettings(),
                                 UsFormatSettings(),
                                 FallbackFormatSettings(UsFormatSettings()),
                                 SeparatedFormat("dd/mm/yyyy", u' '),
                                 SeparatedFormat("d/mmmm/yyyy", u' '),
                                 SeparatedFormat("dd/mmm/yyyy", u'.')};
    ScopedFormat format(formats[GetParam()]);
    TestDatabase db;
    for (TDateTime t : {At(2024, 3, 5, 14, 7, 9), At(2024, 3, 5), At(1999, 12, 31, 23, 59, 59)}) {
        for (const BuiltFilter& f : CalendarFilters(t)) {
            TADOTable table(&db.connection);
            table.SetTableName(QLatin1String(f.table));
            table.Open();
            EXPECT_NO_THROW({
                table.SetFilter(f.text);
                table.SetFiltered(true);
                table.RecordCount();
            }) << f.table
               << ": " << f.text.toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, CalendarFilterTexts, ::testing::Range(0, 6));

TEST(FilterGrammar, DateLiteralIsReadInTheCurrentFormat) {
    const ado::TableDef& events = *ado::FindTableDef(QStringLiteral("events"));
    ado::ParsedFilter f =
        ado::ParseFilter(QStringLiteral("RunDate <= '05.03.2024 14:07:09'"), events);
    ASSERT_EQ(f.terms.size(), 1u);
    EXPECT_TIME_EQ(f.terms[0].value.r, At(2024, 3, 5, 14, 7, 9));
    f = ado::ParseFilter(QStringLiteral("date = '05.03.2024' and userid = -2"), events);
    ASSERT_EQ(f.terms.size(), 2u);
    EXPECT_TIME_EQ(f.terms[0].value.r, At(2024, 3, 5));  // no time: midnight
    EXPECT_EQ(f.terms[1].value.i, -2);
    {
        ScopedFormat names(SeparatedFormat("d/mmmm/yyyy", u' '));
        f = ado::ParseFilter(QStringLiteral("RunDate <= '5 March 2024 14:07:09'"), events);
        EXPECT_TIME_EQ(f.terms[0].value.r, At(2024, 3, 5, 14, 7, 9));
    }
    ScopedFormat us(UsFormatSettings());
    EXPECT_THROW(ado::ParseFilter(QStringLiteral("Date = '25.03.2024'"), events), EDatabaseError);
    EXPECT_NO_THROW(ado::ParseFilter(QStringLiteral("Date = '3/25/2024 2:07:09 PM'"), events));
}

TEST(FilterGrammar, BlankTextIsNoFilter) {
    const ado::TableDef& events = *ado::FindTableDef(QStringLiteral("Events"));
    EXPECT_TRUE(ado::ParseFilter(QString(), events).Empty());
    EXPECT_TRUE(ado::ParseFilter(QStringLiteral("   "), events).Empty());
}

TEST(FilterGrammar, RefusedTextsLeaveThePreviousFilter) {
    const char* refused[] = {
        "Nope = 1",     // unknown column
        "UserID <> 1",  // unknown operator
        "UserID != 1",
        "UserID == 1",
        "UserID =< 1",
        "UserID = 1 OR UserID = 2",
        "(UserID = 1)",
        "UserID = (1)",
        "UserID = 1.5",
        "UserID = +1",
        "UserID = 99999999999999999999",  // beyond any integer
        "UserID = TRUE",
        "UserID = '05.03.2024'",  // a date for an integer column
        "Date = 5",               // a number for a date column
        "Desc = 'x'",             // text columns take no comparison
        "Date = '31.02.2024'",    // not a date
        "Date = '2024-03-05'",    // not the current format
        "Date = ''",
        "Date = '05.03.2024",  // unterminated
        "UserID = 1 AND",
        "AND UserID = 1",
        "UserID = 1 AND AND ID > 1",
        "UserID = 1 x",
        "UserID = 1;",
        "UserID = 1AND ID > 1",
        "UserID",
        "UserID =",
        "= 1",
        "UserID = -",
        "UserID = 1 -- comment",
        "UserID = 1; DROP TABLE Events",
        "UserID IS NULL",
        "UserID LIKE 1",
        "[UserID] = 1",
        "\"UserID\" = 1",
    };
    TestDatabase db;
    db.AddEvent(0, "a");
    db.AddEvent(1, "b");
    db.AddEvent(1, "c");
    db.SetEventsFilter(QStringLiteral("UserID = 1"));
    db.events.Next();
    for (const char* text : refused) {
        try {
            db.events.SetFilter(QString::fromUtf8(text));
            ADD_FAILURE() << "accepted: " << text;
        } catch (const EDatabaseError& e) {
            EXPECT_TRUE(e.Message().contains(QString::fromUtf8(text))) << e.Message().toStdString();
        }
        EXPECT_EQ(db.events.Filter(), "UserID = 1");
        EXPECT_EQ(db.events.RecordCount(), 2);
        EXPECT_EQ(Desc(db.events), "c") << text;
    }
}

// Texts made by cutting, repeating and splicing pieces of valid filters:
// each is either accepted (and then runs) or refused with an engine error.
TEST(FilterGrammar, MutatedTextsAreAcceptedOrRefusedCleanly) {
    TestDatabase db;
    db.AddEvent(0, "a", At(2024, 3, 5));
    std::vector<QString> seeds;
    for (const BuiltFilter& f : CalendarFilters(At(2024, 3, 5, 14, 7, 9)))
        if (qstrcmp(f.table, "Events") == 0) seeds.push_back(f.text);
    const QString alphabet =
        QStringLiteral("'=<>() -0123456789.:/ANDORFALSEUserIDate\t\"\\;%_\u00e9");
    std::mt19937 rng(12345);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    int accepted = 0;
    for (int round = 0; round < 4000; ++round) {
        QString text = seeds[pick(static_cast<int>(seeds.size()))];
        for (int m = 1 + pick(4); m > 0; --m) {
            const int at = pick(static_cast<int>(text.size()) + 1);
            switch (pick(4)) {
                case 0:
                    text.insert(at, alphabet[pick(static_cast<int>(alphabet.size()))]);
                    break;
                case 1:
                    text.remove(at, 1 + pick(3));
                    break;
                case 2:
                    text.insert(at, seeds[pick(static_cast<int>(seeds.size()))].left(pick(20)));
                    break;
                default:
                    if (at < text.size())
                        text[at] = alphabet[pick(static_cast<int>(alphabet.size()))];
            }
        }
        try {
            db.SetEventsFilter(text);
            db.events.RecordCount();
            db.VisibleDescs();
            ++accepted;
        } catch (const EDatabaseError&) {
        }
    }
    EXPECT_GT(accepted, 0);  // the mutations keep some texts valid
}

}  // namespace
