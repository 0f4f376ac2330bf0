// The calendar as the delivered settings paint it: a month of sample data
// saved as a picture for a person to look at, and the day numbers read from
// the pixels against the ground of their cells; the same for the built-in
// defaults a start without a settings file paints with.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <map>
#include <vector>

#include "app/Vnfirststart.h"
#include "platform/Colors.h"
#include "reminder/Vncalendarreminder.h"
#include "support/BoundCalendar.h"
#include "support/TestSupport.h"

namespace {

// What the main window hands the control from the settings.
void ApplyOptions(TvnCalendarReminder& c, const TProgOptions& o) {
    c.SetStartOfWeek(o.StartOfWeek);
    c.DisplayHolidays = o.DisplayHolidays;
    c.PaintCurrDate = o.PaintCurrDate;
    c.ShowGrid = o.ShowGrid;
    c.PaintWeekends = o.PaintWeekends;
    c.ColorGrid = o.ColorGrid;
    c.ColorWeekends = o.ColorWeekends;
    c.ColorCurrDay = o.ColorCurrDay;
    c.ColorFont = o.ColorFont;
    c.UseEventColors = o.UseEventColors;
    const TColor colors[] = {o.ColorMisc, o.ColorAnniv, o.ColorBirth, o.ColorSpec, o.ColorMeet};
    for (int i = 0; i < CategoryCount; ++i)
        c.SetEventColor(i, colors[i]);
    c.SetItemFontSize(o.ItemFontSize);
    c.SetCalendarDate(Date());
}

// March 2024 with today on Wednesday the 13th.
void FillSample(TestDatabase& db) {
    db.AddEvent(0, "Dentist 9:30", At(2024, 3, 13, 9, 30));
    db.AddEvent(0, "Wedding anniversary", At(2010, 3, 13),
                {.recurrence = rkAnnually, .category = ecAnniversary});
    db.AddEvent(0, "Anna's birthday", At(1990, 3, 16),
                {.recurrence = rkAnnually, .category = ecBirthday});
    db.AddEvent(0, "Tax return due", At(2024, 3, 16, 12, 0), {.category = ecSpecial});
    db.AddEvent(0, "Team meeting", At(2024, 1, 1, 10, 0),
                {.recurrence = rkWeekly, .category = ecMeeting});
    db.AddEvent(0, "Water the plants", At(2024, 3, 2), {.recurrence = rkDaily, .nParam = 4});
    db.AddEvent(0, "Concert tickets", At(2024, 3, 23, 19, 0), {.category = ecSpecial});
    db.AddHoliday(3, 17, "St Patrick's Day");
    db.AddHoliday(3, 8, "Women's Day");
    db.AddHoliday(3, 0, "Summer time", 7, 5);
    db.AddNote(0, At(2024, 3, 13), "Shopping list");
    db.AddNote(0, At(2024, 3, 17), "Parade route");
    db.AddNote(0, At(2024, 3, 27), "Slides");
}

// A reminder calendar of 1280 x 800 on a fresh database, painted with the
// given options.
class Rendered {
public:
    explicit Rendered(const TProgOptions& options) {
        cal.resize(1280, 800);
        BindCalendar(db, cal);
        FillSample(db);
        ApplyOptions(cal, options);
    }
    const QImage& Picture() { return cal.BackBuffer(); }

    // The ground of a day's number band and the pixel there that stands out
    // most from it: the day number's ink.
    std::pair<QRgb, QRgb> DayNumberPixels(int day) {
        const QImage& image = Picture();  // the cells' places come from the paint
        int col = -1, row = -1;
        cal.DateToCell(EncodeDate(2024, 3, day), col, row);
        const TRect r = cal.GetCellRect(col, row);
        std::map<QRgb, int> counts;
        // Two digits, left of where a holiday name would start.
        for (int y = r.Top + 2; y < r.Top + cal.DayNumberHeight; ++y)
            for (int x = r.Left + 2; x < r.Left + 18; ++x)
                ++counts[image.pixel(x, y)];
        QRgb ground = counts.begin()->first;
        for (const auto& [pixel, n] : counts)
            if (n > counts[ground]) ground = pixel;
        QRgb ink = ground;
        for (const auto& entry : counts)
            if (ContrastRatio(entry.first, ground) > ContrastRatio(ink, ground)) ink = entry.first;
        return {ground, ink};
    }

    ScopedClock clock{At(2024, 3, 13, 11, 0)};
    TestDatabase db;
    TvnCalendarReminder cal;
};

// The text colours of a day cell that are not the day numbers: the item texts
// of every category, the black of notes and holidays, white on the selection.
struct TextOnGround {
    TColor text;
    TColor ground;
};
std::vector<TextOnGround> CellTexts(const TProgOptions& o, TColor ground) {
    std::vector<TextOnGround> pairs;
    for (const TColor text : {o.ColorMisc, o.ColorAnniv, o.ColorBirth, o.ColorSpec, o.ColorMeet,
                              o.ColorFont, clBlack, TvnDrawCalendar::ColorOutOfMonth})
        pairs.push_back({text, ground});
    return pairs;
}

// The options a start paints with: the delivered file, and the built-in
// defaults of a database moved to a machine without a settings file.
struct StartingLook {
    const char* name;
    TProgOptions options;
};
std::vector<StartingLook> StartingLooks() {
    QTemporaryDir dir;
    const QString missing = QDir(dir.path()).filePath(QStringLiteral("Settings.ini"));
    return {{"delivered", DeliveredProgOptions()},
            {"built-in", ReadSettings(DeliveredWindowPlacement(), missing).ProgOptions},
            {"options dialog defaults", TProgOptions{}}};
}

TEST(DeliveredLook, EveryStartingTextColourReadsOnEveryGround) {
    for (const auto& [name, o] : StartingLooks()) {
        std::vector<TextOnGround> pairs{{clWhite, clNavy}};  // the selected cell and item
        for (const TColor ground : {clBtnFace, o.ColorWeekends, o.ColorCurrDay})
            for (const auto& p : CellTexts(o, ground))
                pairs.push_back(p);
        for (const auto& p : pairs)
            EXPECT_GE(ContrastRatio(ColorToRgb(p.text), ColorToRgb(p.ground)), 4.5)
                << name << ": " << ColorText(p.text) << " on " << ColorText(p.ground);
    }
}

TEST(DeliveredLook, MonthOfSampleDataReadsOnEveryGround) {
    for (const auto& [name, o] : StartingLooks()) {
        Rendered r(o);
        const QString file =
            QDir(TestOutputDir())
                .filePath(QStringLiteral("%1_month.png").arg(name).replace(' ', '_'));
        EXPECT_TRUE(r.Picture().save(file)) << file.toStdString();
        ASSERT_FALSE(r.cal.EventDrawList.empty());

        const struct {
            const char* name;
            int day;
            TColor ground;
        } cells[] = {{"plain Tuesday", 12, clBtnFace},
                     {"Saturday", 16, o.ColorWeekends},
                     {"today", 13, o.ColorCurrDay}};
        for (const auto& c : cells) {
            const auto [ground, ink] = r.DayNumberPixels(c.day);
            EXPECT_SAME_PIXEL(ground, ColorToRgb(c.ground)) << name << ", " << c.name;
            EXPECT_GE(ContrastRatio(ink, ground), 4.5)
                << name << ", " << c.name << ": " << PixelText(ink) << " on " << PixelText(ground);
        }
    }
}

}  // namespace
