// Dates and times typed into the pickers: over the whole selection, into a
// clicked section, and refused when they are no date.
#include <gtest/gtest.h>

#include <QDateEdit>
#include <QLineEdit>
#include <QTest>
#include <QTimeEdit>
#include <QWidget>

#include "platform/DatePickerTyping.h"

namespace {

struct TypingRow {
    const char* name;
    const char* format;  // the picker's display format
    int clickSection;    // character of the shown text clicked first; -1: all selected
    const char* typed;   // then Enter
    const char* shown;   // the text afterwards
};

class PickerTyping : public testing::TestWithParam<TypingRow> {};

TEST_P(PickerTyping, TypedTextChangesTheValueOrIsRefused) {
    const TypingRow& r = GetParam();
    QDateTimeEdit picker;
    picker.setDisplayFormat(QLatin1String(r.format));
    picker.setDateTime(QDateTime(QDate(2024, 1, 4), QTime(19, 0)));
    MakePickerTypable(picker);
    picker.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&picker));
    picker.setFocus();
    QLineEdit* line = picker.findChild<QLineEdit*>();
    if (r.clickSection < 0) {
        line->selectAll();
    } else {
        // A click lands between characters; put it on the wanted one.
        const int x = line->fontMetrics().horizontalAdvance(line->text().left(r.clickSection)) + 4;
        line->setCursorPosition(0);
        QTest::mouseClick(line, Qt::LeftButton, {}, QPoint(x, line->height() / 2));
    }
    // A real keyboard sends Shift on its own before ":" and "/".
    for (const QChar c : QString::fromLatin1(r.typed)) {
        QTest::keyClick(&picker, Qt::Key_Shift);
        QTest::keyClicks(&picker, QString(c));
    }
    QTest::keyClick(&picker, Qt::Key_Return);
    EXPECT_EQ(picker.text(), QLatin1String(r.shown));
    if (QLatin1String(r.format) == "hh:mm:ss") {
        EXPECT_EQ(picker.date(), QDate(2024, 1, 4));  // a typed time keeps the day
    }
}

const TypingRow kTypingRows[] = {
    {"WholeDateOverTheSelection", "dd.MM.yyyy", -1, "15.03.2025", "15.03.2025"},
    {"ShortWholeDateReadAtEnter", "dd.MM.yyyy", -1, "5.3.2025", "05.03.2025"},
    {"InvalidDateRefused", "dd.MM.yyyy", -1, "32.13.2024", "04.01.2024"},
    {"LettersRefused", "dd.MM.yyyy", -1, "tomorrow", "04.01.2024"},
    {"MonthAfterAClickOnIt", "dd.MM.yyyy", 4, "07", "04.07.2024"},
    {"HourDigitsAfterAClickOnTheHour", "hh:mm:ss", 1, "14", "14:00:00"},
    {"MinutesAfterAClickOnThem", "hh:mm:ss", 4, "45", "19:45:00"},
    {"FourDigitYearNotTakenAtItsFirstTwo", "d.M.yyyy", -1, "12.11.2025", "12.11.2025"},
    {"WholeTimeOverTheSelection", "hh:mm:ss", -1, "08:30:15", "08:30:15"},
    {"InvalidTimeRefused", "hh:mm:ss", -1, "25:61:00", "19:00:00"},
    {"TimeWithoutItsSeconds", "hh:mm:ss", -1, "9:30", "09:30:00"},
};
INSTANTIATE_TEST_SUITE_P(Rows, PickerTyping, testing::ValuesIn(kTypingRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PickerTyping, EscapeAndArrowsDropAHalfTypedDate) {
    QDateEdit picker;
    picker.setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    picker.setDate(QDate(2024, 1, 4));
    MakePickerTypable(picker);
    picker.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&picker));
    picker.findChild<QLineEdit*>()->selectAll();
    QTest::keyClicks(&picker, QStringLiteral("15.0"));
    EXPECT_EQ(picker.text(), QLatin1String("15.0"));  // the typing shows as it goes
    EXPECT_EQ(picker.date(), QDate(2024, 1, 4));
    QTest::keyClick(&picker, Qt::Key_Escape);
    EXPECT_EQ(picker.text(), QLatin1String("04.01.2024"));
    picker.findChild<QLineEdit*>()->selectAll();
    QTest::keyClicks(&picker, QStringLiteral("2"));
    picker.setCurrentSection(QDateTimeEdit::DaySection);
    QTest::keyClick(&picker, Qt::Key_Up);
    EXPECT_EQ(picker.date(), QDate(2024, 1, 5));
}

// Qt's editor would step through its sections on Tab; the keyboard must
// reach the next field, taking a whole date typed on the way.
TEST(PickerTyping, TabLeavesTheFieldForTheNextOne) {
    QWidget form;
    auto* picker = new QDateEdit(&form);
    auto* next = new QLineEdit(&form);
    next->move(0, 40);
    picker->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    picker->setDate(QDate(2024, 1, 4));
    MakePickerTypable(*picker);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    for (const char* typed : {"", "15.3.2025"}) {
        picker->setFocus();
        picker->findChild<QLineEdit*>()->selectAll();
        QTest::keyClicks(picker, QLatin1String(typed));
        QTest::keyClick(picker, Qt::Key_Tab);
        EXPECT_TRUE(next->hasFocus()) << typed;
    }
    EXPECT_EQ(picker->date(), QDate(2025, 3, 15));
    QTest::keyClick(next, Qt::Key_Backtab);
    EXPECT_TRUE(picker->hasFocus());
    // Reached by the keyboard, the whole date can be typed over at once.
    QLineEdit* line = picker->findChild<QLineEdit*>();
    EXPECT_TRUE(QTest::qWaitFor(
        [line] { return line->selectedText() == QLatin1String("15.03.2025"); }, 1000));
}

}  // namespace
